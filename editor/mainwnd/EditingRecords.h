#pragma once
// Value records in which the main window keeps the state of its pages: the watermark style, the
// timed text items, the clips of the multi-clip page, the export history, media details, GIF rows,
// play ranges and the signed-in account. Plain values: copying one copies every field (a clip's
// text items as an independent list), each starts with the defaults written here, and none has
// virtual operations. The main window owns the working copies and the lists; the watermark editor,
// the dialogs and the jobs read and write the same records.

#include <cstdint>
#include <string>
#include <vector>

#include "media/ClipListExport.h"
#include "ui/core/UIString.h"

// The current watermark and text style; one process-wide record, `WatermarkSettings`.
struct WatermarkStyle {
    SkinUI::CUIString text;     // empty: no text watermark
    SkinUI::CUIString picture;  // picture watermark file; empty: none
    SkinUI::CUIString font { L"微软雅黑" };
    int size = 28;              // points; the watermark drawing scales it by the DPI
    int textColor = -1;         // 0x00RRGGBB; -1 reads as white
    int strokeColor = -1;
    uint8_t strokeOn = 0;
    int shadowColor = -1;
    uint8_t shadowOn = 0;
    int boxColor = -1;          // the filled box behind the text
    uint8_t boxOn = 0;
    int textAngle = 0;          // degrees; 0 and 360 are upright
    int textAlpha = 255;
    int pictureAngle = 0;
    int pictureAlpha = 255;
    int fontStyle = 0;          // 1 bold, 2 italic, 4 underline, 8 strikeout
};

extern WatermarkStyle WatermarkSettings;

// Font-style bits shared by the watermark and the text items.
enum FontStyleBits : int { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeout = 8 };

// One timed text item of the subtitle sub-page, drawn into its own PNG and laid over the clip
// between its start and end.
struct TextItem {
    std::wstring pngPath;        // temporary folder + name + ".png"
    float startSeconds = 0;
    float endSeconds = 0;
    float videoScale = 0;        // the clip's picture size over the text layer's (TextLayerScale)
    std::wstring name;           // "Index%d"; the layer selects items by it
    std::wstring font;
    std::wstring sizeText;       // font size as decimal text
    std::wstring colorText;      // "%02x%02x%02x" of the colour's bytes 0, 1 and 2
    float scale = 1.0f;          // from the size slider
    int64_t color = 0;           // low 32 bits; the high half stays 0
    std::wstring borderColorText;
    std::wstring strokeColorText;
    std::wstring shadowColorText;
    int64_t borderColor = 0;     // the box behind the text
    int64_t strokeColor = 0;
    int64_t shadowColor = 0;
    uint8_t bold = 0;
    uint8_t italic = 0;
    uint8_t bottomUnderline = 0;  // underline
    uint8_t centerUnderline = 0;  // strikeout
    uint8_t borderOn = 0;
    uint8_t strokeOn = 0;
    uint8_t shadowOn = 0;
    std::wstring xText;          // placement on the layer as decimal texts
    std::wstring widthText;
    std::wstring yText;
    std::wstring centerXText;    // x + width / 2
    std::wstring secondYText;    // a copy of yText
    int angle = 0;
    int alpha = 255;             // 255 minus the transparency slider
    std::wstring startText;      // "%s:%s:%s.%s": hours, minutes, seconds, tenths
    std::wstring endText;
    std::wstring text;
    int fontStyle = 0;           // FontStyleBits, kept equal to the four flag bytes

    // Sets fontStyle from the four flag bytes.
    void SyncFontStyle();
};

// The text layer over the subtitle preview: a box of 724 x 360 (at 100 %) into which the clip's
// picture is fitted. One breakpoint, the box's own shape, decides the layer's size, its scale and
// its rectangle, so a picture of any shape lands inside the box.
constexpr int kTextLayerBoxWidth = 724;
constexpr int kTextLayerBoxHeight = 360;
struct TextLayerSize {
    int width = 0;
    int height = 0;
};
TextLayerSize TextLayerSizeFor(double aspect);
// The clip's picture size over the layer's: by width for a picture wider than the box, else by height.
float TextLayerScale(int pictureWidth, int pictureHeight);

// One clip of the multi-clip page with the settings its last sub-page save wrote. Every save writes
// its own group into one working copy, so the other groups carry over; `kind` says which group the
// clip-list export applies.
struct ClipRecord {
    int kind = -1;                        // ClipEntryKind of the last save; -1 before any save
    SkinUI::CUIString path;               // rows and records are matched on it
    SkinUI::CUIString coverPictureCopy;   // the chosen cover picture (single-picture mode)
    float coverDuration = 0;              // seconds the cover shows
    std::wstring coverFile;               // the picture used as the cover
    uint8_t coverKeepRatio = 1;           // 0 when the cover type "平铺" is chosen
    uint8_t coverRotate = 0;
    uint8_t coverSinglePicture = 0;
    float coverFrameTime = 0;             // seconds of the grabbed cover frame
    SkinUI::CUIString coverRotation;      // "90°" and the others
    int reserved[3] = { 0, 0, 0 };        // read as 0 by the composite export
    SkinUI::CUIString durationMsText;     // the clip's duration in milliseconds
    uint8_t mute = 0;                     // the clip has no sound
    SkinUI::CUIString musicPath;
    SkinUI::CUIString musicStart[4];      // hours, minutes, seconds, tenths of the music's cut
    SkinUI::CUIString musicEnd[4];
    SkinUI::CUIString positionStart[4];   // where in the clip the music plays
    SkinUI::CUIString positionEnd[4];
    int videoVolume = 100;                // 0..200, 100 unchanged
    int musicVolume = 100;
    uint8_t musicLoop = 0;
    std::wstring watermarkPng;            // "%sZaZezizA%d.png" in the temporary folder
    std::wstring watermarkPicture;
    std::wstring watermarkFont;
    std::wstring watermarkFontSize;
    uint8_t watermarkBold = 0;
    uint8_t watermarkItalic = 0;
    int watermarkColor = 0;
    std::wstring watermarkText;
    uint8_t watermarkIsText = 0;
    int watermarkAngle = 0;
    int watermarkAlpha = 0;
    int watermarkPlacement = 0;           // 0 free, 1 tiled, 2 one of nine cells
    int watermarkScale = 0;
    int watermarkRect[4] = { 0, 0, 0, 0 };
    int watermarkCell = 0;                // 1..9, row by row from the top left
    int watermarkPictureWidth = 0;
    int watermarkPictureHeight = 0;
    int watermarkTileRect[4] = { 0, 0, 0, 0 };
    std::vector<TextItem> textItems;
    std::wstring subtitleFile;
    uint8_t hasSubtitleFile = 1;
};

// The clip-list export's entry for a saved clip: the settings of the record's kind, with the row's
// size texts and the clip's frame rate, which the record does not keep.
ClipExportEntry MakeClipExportEntry(const ClipRecord& clip, const std::wstring& videoWidth,
                                    const std::wstring& videoHeight, const std::wstring& frameRate);

// One finished export, as the history window lists it.
struct HistoryRecord {
    std::wstring date;        // "%d-%d-%d": year, month, day
    std::wstring sourceName;  // source file name with its extension
    std::wstring outputName;  // output file name with its extension
    std::wstring sourcePath;  // the source file
    std::wstring outputPath;  // the output file
};

// Media details of one file. The main window's first record doubles as the export settings that
// the export settings dialog fills: output name, size ("" keeps the source's), format and folder.
struct MediaFileInfo {
    std::wstring name;           // file name without folder and extension; for an export, the output name
    std::wstring frameRate;      // frame rate text
    SkinUI::CUIString width;     // picture width as decimal text
    SkinUI::CUIString height;    // picture height as decimal text
    SkinUI::CUIString format;    // container or extension, lower case, without the dot
    SkinUI::CUIString folder;    // output folder of this export
    SkinUI::CUIString duration;  // duration text of a clip row
    SkinUI::CUIString path;      // full path of the file
};

// One row of the GIF list; the copies in the GIF export queue carry the output name.
struct GifListItem {
    SkinUI::CUIString filePath;    // the source video
    SkinUI::CUIString outputName;  // base name of the GIF file
    SkinUI::CUIString frameRate;   // output frame rate; empty keeps the source's
    SkinUI::CUIString rowName;     // "Gif%d": finds the row of this item
    SkinUI::CUIString width;       // output width as decimal text
    SkinUI::CUIString height;      // output height; empty keeps the source size
    std::wstring duration;         // the source's duration in milliseconds, as decimal text
};

// The cut page's play range as its eight time texts: start hours, minutes, seconds, milliseconds,
// then the same for the end.
struct PlayRangeTexts {
    SkinUI::CUIString start[4];
    SkinUI::CUIString end[4];
};

// The signed-in account as the account client reports it.
struct AccountLogonInfo {
    int userId = 0;            // positive while an account is signed in
    std::wstring displayText;  // nickname, or the phone number of an account without picture
    std::wstring avatarUrl;    // web address of the account picture; empty when there is none
};
