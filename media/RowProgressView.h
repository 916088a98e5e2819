#pragma once
// A list row that shows the progress of its own encoder run (the GIF and clip lists): a bar whose
// width follows the percentage and a label with the percentage text. The runner calls it from the
// job thread; an implementation over framework controls hands the values to the UI thread.

#include <string>

class RowProgressView {
public:
    virtual ~RowProgressView() = default;
    // percent: 0..100 of this row; text: the percentage as the row shows it ("12.34%").
    virtual void ShowProgress(float percent, const std::wstring& text) = 0;
};

// A row of the GIF list as the GIF job drives it: ready, then running, then done or failed.
class GifRowView : public RowProgressView {
public:
    // Hides the row's convert button and shows its percentage.
    virtual void BeginRun() = 0;
    // Hides the percentage and the bar. On success the open button offers outputPath; otherwise the
    // row shows its failure note.
    virtual void FinishRun(const std::wstring& outputPath, bool succeeded) = 0;
};
