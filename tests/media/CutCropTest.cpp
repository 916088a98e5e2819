#include <gtest/gtest.h>

#include "media/CutCrop.h"

namespace {

CutCropInputs Normal1080(const wchar_t* left, const wchar_t* top, const wchar_t* width, const wchar_t* height)
{
    CutCropInputs in;
    in.left = left;
    in.top = top;
    in.width = width;
    in.height = height;
    in.shownWidth = L"640";
    in.shownHeight = L"360";
    in.sourceWidth = 1920;
    in.sourceHeight = 1080;
    in.aspect = 1920.0 / 1080.0;
    in.boxWidth = 977;
    in.boxHeight = 360;  // 1080 / 360: three source pixels per preview pixel
    return in;
}

}  // namespace

TEST(CutCrop, PreviewRectangleToSourcePixels)
{
    struct Case { const char* name; CutCropInputs in; CutCropRect want; };
    CutCropInputs oddSource = Normal1080(L"0", L"0", L"640", L"360");
    oddSource.sourceWidth = 1281;
    oddSource.sourceHeight = 721;
    CutCropInputs wide = Normal1080(L"10", L"0", L"100", L"100");
    wide.aspect = 3.0;  // wider than the box: scaled by the width
    CutCropInputs maximised = Normal1080(L"10", L"10", L"100", L"100");
    maximised.maximised = true;
    maximised.workArea = { 1968, 855 };  // preview 1920 x 540: two source pixels per preview pixel
    CutCropInputs noLayout = Normal1080(L"10", L"10", L"100", L"100");
    noLayout.boxHeight = 0;
    const Case cases[] = {
        { "untouched: no crop, the source size", Normal1080(L"0", L"0", L"640", L"360"), { false, 1920, 1080, 0, 0 } },
        { "untouched odd source: even size", oddSource, { false, 1280, 720, 0, 0 } },
        { "a part", Normal1080(L"10", L"20", L"100", L"50"), { true, 300, 150, 30, 60 } },
        { "odd width lowered", Normal1080(L"0", L"0", L"107", L"100"), { true, 320, 300, 0, 0 } },
        { "wider than the source: clamped", Normal1080(L"0", L"0", L"700", L"400"), { true, 1920, 1080, 0, 0 } },
        { "reaching past the edge: moved inside", Normal1080(L"600", L"300", L"100", L"100"), { true, 300, 300, 1620, 780 } },
        { "wide picture", wide, { true, 196, 196, 19, 0 } },
        { "maximised layout", maximised, { true, 200, 200, 20, 20 } },
        { "no layout yet: no crop", noLayout, { false, 1920, 1080, 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CutCropRect got = ComputeCutCrop(c.in);
        EXPECT_EQ(got.crop, c.want.crop);
        EXPECT_EQ(got.width, c.want.width);
        EXPECT_EQ(got.height, c.want.height);
        EXPECT_EQ(got.left, c.want.left);
        EXPECT_EQ(got.top, c.want.top);
    }
}
