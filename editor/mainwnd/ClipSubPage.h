#pragma once
// What the multi-clip page's four edit sub-pages share: reading a clip row, marking the sub-page a
// clip was saved with, keeping one record per clip, duration texts, the box in which a preview
// shows the clip's picture, and the work files their saves write. UI thread, except the pure
// functions and NewWorkPicturePath (any thread).

#include <functional>
#include <string>
#include <vector>

#include "editor/mainwnd/EditingRecords.h"
#include "platform/WinTypes.h"
#include "ui/core/ControlUI.h"

class CMainWnd;

// What a clip row holds about its clip (its user data and its detail buttons).
struct ClipRowFacts {
    std::wstring path;
    std::wstring durationMs;  // "Video_Time" data: decimal milliseconds
    std::wstring width;       // from "resolution" data "WxH"; empty unless it splits in two
    std::wstring height;
    double aspect = 0;        // "HorVideo" data: display aspect, 0 when unknown
    bool mute = false;        // the clip has no sound
};

ClipRowFacts ReadClipRow(SkinUI::CControlUI* row);
// The first row of the list whose user data is the path, or null.
SkinUI::CControlUI* FindClipRow(SkinUI::CControlUI* list, const std::wstring& path);
// The colour of an edit button whose kind the clip was not saved with. Light grey: the rows are dark.
constexpr DWORD kClipEditPlainColour = 0xFFB4BAC6;
// The edit button of the saved kind shows blue, the other three grey.
void MarkClipRowKind(SkinUI::CControlUI* row, int kind);
// Drops the clip's record, if any, and appends the copy: one record per clip, newest last.
void ReplaceClipRecord(std::vector<ClipRecord>& records, const ClipRecord& record);
// A sub-page opens for the clip of `row`: the row becomes the edited one, and the clip's path,
// length and size (when the row knows it) the page's. The row's facts come back.
ClipRowFacts TakeRowClip(CMainWnd& main, SkinUI::CControlUI* row, int subPage);
// The end of a sub-page's save: the clip's row, if still listed, shows its start button again and
// the mark of `kind`, and lends the record its duration; the record becomes the clip's, and the
// clip list comes back in place of the sub-page.
void KeepSubPageSave(CMainWnd& main, ClipRecord work, int kind, SkinUI::CControlUI* subPage);

// Duration texts from the number of milliseconds: the tenths digit, and "hh:mm:ss" of the whole
// seconds (empty under one second, where the pages keep the clock text they had).
std::wstring DurationTenthsText(long long ms);
std::wstring DurationClockText(long long ms);
long long DurationMsOf(const std::wstring& text);

// The clip's picture inside a preview box of the given size: a picture wider than the box fills
// its width and is centred vertically, any other fills its height and is centred horizontally. An
// unknown aspect falls back to the clip's own width over height, else to the whole box.
SIZE FitPictureInBox(double aspect, int clipWidth, int clipHeight, int boxWidth, int boxHeight);
// The screen rectangle of a picture of that size centred on the preview control: the control's
// own rectangle is the box, so the DPI and the origin always agree with what is drawn.
RECT PictureRectOnControl(HWND window, SkinUI::CControlUI* preview, SIZE picture);
// The watermark overlay's video area (VideoRectangle) from a screen rectangle.
void SetVideoRectangle(const RECT& rc);
SIZE PictureSizeOnControl(SkinUI::CControlUI* preview, double aspect, const std::wstring& clipWidth,
                          const std::wstring& clipHeight);

// A new file name in the user's private work folder, never handed out before in this run, so a
// record that names a picture never sees it replaced by another save.
std::wstring NewWorkPicturePath(const wchar_t* stem, const wchar_t* extension);

// The open-file dialog for one file of the patterns ("*.png;*.jpg;"), as the sub-pages and the
// pages' single-video choices show it; empty when cancelled.
std::wstring ChooseOneFile(HWND owner, const wchar_t* title, const wchar_t* patterns);

// The cover save's choices as the page shows them, and the encoder runs they need: a frame grab,
// a stretch to the clip's size and a rotation, each feeding the next. The work record gets the
// cover fields; its coverFile names the last picture (the chosen one when nothing runs).
struct CoverChoice {
    bool singlePicture = true;
    std::wstring picture;
    float frameTime = 0;
    bool tile = false;
    std::wstring width, height;  // the clip's size texts
    bool rotate = false;
    std::wstring rotation;       // "90°", "180°" or "270°"
};
struct CoverRun {
    std::wstring command;
    std::wstring output;
};
std::vector<CoverRun> PlanCoverRuns(const std::wstring& encoder, const std::wstring& clip, const CoverChoice& choice,
                                    const std::function<std::wstring(const wchar_t*)>& newPicture, ClipRecord& work);

// The font combo of the watermark and subtitle pages: the installed families ("a,b,c") after the
// first, last first; the position of `preferred` in it, or 0 when it is not there.
int FontComboPosition(const std::vector<std::wstring>& families, const std::wstring& preferred);
void FillFontCombo(SkinUI::CControlUI* combo, const std::wstring& familyList, const std::wstring& preferred);

// Where the colour palette opens beside its button (the button's top-left corner on the screen):
// below it, or above when it would reach the work area's bottom or right edge, then kept inside
// the work area. `swatchButton` is a "ColorBtn" beside a swatch, which opens to the left.
POINT PlacePalette(POINT button, const RECT& workArea, bool swatchButton, SIZE popup);

// A chosen watermark picture's first size on the overlay: its longer side at most 200.
SIZE FitWatermarkPicture(int width, int height);

// The picture watermark `from` moved into nine-grid cell `cell` (1 top left ... 9 bottom right)
// of a video area of the given size, keeping its size; in the overlay's coordinates. A picture
// wider or higher than the area keeps its place across that way in the middle column or row.
RECT WatermarkCellRect(int cell, const RECT& from, int videoWidth, int videoHeight);
// The cell number (1 to 9) of a nine-grid option's name; 0 for any other name.
int WatermarkCellNumber(const wchar_t* name);
