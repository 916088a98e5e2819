#pragma once
// The cut page's crop rectangle, from preview pixels (the crop edits) to source pixels. The
// rectangle counts as untouched when it starts at 0,0 and covers the shown picture exactly; then
// nothing is cropped. Pure, so a table can check it.

#include <string>

#include "platform/WinTypes.h"

struct CutCropInputs {
    std::wstring left, top, width, height;  // the crop edits "Xwidth", "Yheight", "cut_width", "cut_height"
    std::wstring shownWidth, shownHeight;   // the picture as shown in the current layout
    int sourceWidth = 0, sourceHeight = 0;
    double aspect = 0;                      // the source's display aspect ratio
    bool maximised = false;
    int boxWidth = 0, boxHeight = 0;        // the normal layout's preview box
    SIZE workArea {};                       // the screen less the taskbar (maximised layout)
};

struct CutCropRect {
    bool crop = false;
    int width = 0, height = 0, left = 0, top = 0;
};

CutCropRect ComputeCutCrop(const CutCropInputs& in);
