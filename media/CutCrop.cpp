#include "media/CutCrop.h"

#include <algorithm>
#include <cwchar>

namespace {

// The maximised layout's preview is the work area less the frame around it.
constexpr int kMaximisedFrameWidth = 48;
constexpr int kMaximisedFrameHeight = 315;
// Wider pictures than this fill the normal box's width; the rest its height.
constexpr double kNormalBoxAspect = 2.731;

int ToInt(const std::wstring& text)
{
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

int LowerToEven(int value)
{
    return value % 2 != 0 ? value - 1 : value;
}

// Source pixels per preview pixel, or 0 when the layout has no size yet.
double PreviewScale(const CutCropInputs& in)
{
    double boxWidth = in.boxWidth, boxHeight = in.boxHeight, boxAspect = kNormalBoxAspect;
    if (in.maximised) {
        boxWidth = in.workArea.cx - kMaximisedFrameWidth;
        boxHeight = in.workArea.cy - kMaximisedFrameHeight;
        boxAspect = boxHeight > 0 ? boxWidth / boxHeight : 0;
    }
    if (boxWidth <= 0 || boxHeight <= 0)
        return 0;
    return in.aspect > boxAspect ? in.sourceWidth / boxWidth : in.sourceHeight / boxHeight;
}

}  // namespace

CutCropRect ComputeCutCrop(const CutCropInputs& in)
{
    CutCropRect out;
    out.width = LowerToEven(in.sourceWidth);
    out.height = LowerToEven(in.sourceHeight);
    const bool untouched = in.left == L"0" && in.top == L"0" && in.width == in.shownWidth && in.height == in.shownHeight;
    const double scale = untouched ? 0 : PreviewScale(in);
    if (scale <= 0)
        return out;
    int width = static_cast<int>(ToInt(in.width) * scale);
    int height = static_cast<int>(ToInt(in.height) * scale);
    width = LowerToEven(std::min(width, in.sourceWidth));
    height = LowerToEven(std::min(height, in.sourceHeight));
    if (width <= 0 || height <= 0)
        return out;
    out.crop = true;
    out.width = width;
    out.height = height;
    // Kept inside the picture: a rectangle reaching past the edge makes the encoder refuse the crop.
    out.left = std::clamp(static_cast<int>(ToInt(in.left) * scale), 0, in.sourceWidth - width);
    out.top = std::clamp(static_cast<int>(ToInt(in.top) * scale), 0, in.sourceHeight - height);
    return out;
}
