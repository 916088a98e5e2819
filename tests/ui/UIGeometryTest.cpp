#include "ui/core/StringOrId.h"
#include "ui/core/UIGeometry.h"

#include <gtest/gtest.h>

using SkinUI::CUIPoint;
using SkinUI::CUIRect;
using SkinUI::CUISize;

namespace {

void ExpectRect(const RECT& rc, int l, int t, int r, int b)
{
    EXPECT_EQ(rc.left, l);
    EXPECT_EQ(rc.top, t);
    EXPECT_EQ(rc.right, r);
    EXPECT_EQ(rc.bottom, b);
}

}  // namespace

TEST(UIRect, UnionIgnoresEmptyRectanglesJoinDoesNot)
{
    CUIRect a(10, 10, 20, 20);
    CUIRect empty(50, 50, 50, 60);
    a.Union(empty);
    ExpectRect(a, 10, 10, 20, 20);
    ExpectRect(empty, 50, 50, 50, 60);
    CUIRect none(5, 5, 5, 5);
    CUIRect other(1, 1, 1, 9);
    none.Union(other);
    EXPECT_TRUE(none.IsNull());
    CUIRect grow(0, 0, 0, 0);
    grow.Union(a);
    ExpectRect(grow, 10, 10, 20, 20);

    CUIRect joined(10, 10, 20, 20);
    joined.Join(RECT { 50, 50, 50, 60 });
    ExpectRect(joined, 10, 10, 50, 60);
}

TEST(UIRect, ArithmeticKeepsOrMovesTheSize)
{
    CUIRect rc(30, 40, 10, 15);
    rc.Normalize();
    ExpectRect(rc, 10, 15, 30, 40);
    EXPECT_EQ(rc.GetWidth(), 20);
    EXPECT_EQ(rc.GetHeight(), 25);
    rc.Offset(5, -5);
    ExpectRect(rc, 15, 10, 35, 35);
    rc.ResetOffset();
    ExpectRect(rc, 0, 0, 20, 25);
    rc.Inflate(2, 3);
    ExpectRect(rc, -2, -3, 22, 28);
    rc.Deflate(2, 3);
    EXPECT_TRUE(rc.Equal(RECT { 0, 0, 20, 25 }));
    rc.Empty();
    EXPECT_TRUE(rc.IsNull());
}

TEST(UIPointSizeAndStringOrId, ConvertFromMessagesAndRectangles)
{
    const CUIPoint pt(static_cast<LPARAM>(MAKELPARAM(0xFFFF, 0x8000)));
    EXPECT_EQ(pt.x, -1);
    EXPECT_EQ(pt.y, -32768);
    const CUIPoint plain(static_cast<LPARAM>(MAKELPARAM(12, 34)));
    EXPECT_EQ(plain.x, 12);
    EXPECT_EQ(plain.y, 34);
    const CUISize size(RECT { 5, 6, 25, 46 });
    EXPECT_EQ(size.cx, 20);
    EXPECT_EQ(size.cy, 40);

    const SkinUI::STRINGorID id(0x12345u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(id.m_lpstr), 0x2345u);
    const wchar_t* name = L"skin.xml";
    EXPECT_EQ(SkinUI::STRINGorID(name).m_lpstr, name);
}
