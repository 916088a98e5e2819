#pragma once
// What an export job reads from, and shows on, the main window's pages: the text of a named edit
// field, a slider's value, the split list's tasks, the rows of the GIF list and the crop overlay
// pair. The main window implements it over its bound controls; tests implement it with plain values.
// Calls come from the job thread.

#include <string>

#include "media/RowProgressView.h"
#include "platform/WinTypes.h"
#include "ui/core/UIString.h"

class ExportPageView {
public:
    virtual ~ExportPageView() = default;

    // The text of the edit field or combo with this control name ("startHour", "Speed" ...).
    virtual SkinUI::CUIString FieldText(const wchar_t* controlName) const = 0;
    // Whether the option with this control name ("UpsideDown", "Spin") is selected; a page
    // without options has none selected.
    virtual bool OptionSelected(const wchar_t*) const { return false; }
    // The value of the slider with this control name ("SoundSlider").
    virtual int SliderValue(const wchar_t* controlName) const = 0;
    // Screen size less the taskbar: the maximised layout's preview is measured from it.
    virtual SIZE WorkAreaSize() const = 0;
    // Shows or hides the cut page's crop mask and crop frame windows together.
    virtual void ShowCropOverlays(bool show) = 0;

    // Split tasks ("ListVideo"): the number of rows, and one row's task text ("1-%f", "2-%d",
    // "3-%f") and output base name. False when the row is gone.
    virtual int SplitTaskCount() const = 0;
    virtual bool SplitTask(int row, SkinUI::CUIString& task, SkinUI::CUIString& baseName) const = 0;

    // The GIF row whose row id is rowId, or null; the row outlives the job's use of it.
    virtual GifRowView* FindGifRow(const SkinUI::CUIString& rowId) = 0;
    // While a GIF job runs, "convert all" and every row's delete button take no mouse input.
    virtual void SetGifListBusy(bool busy) = 0;
    // While the clip-list job runs, "export all" and every row's close button take no mouse input.
    virtual void SetClipListBusy(bool) {}
};
