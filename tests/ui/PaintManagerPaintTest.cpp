// Painting through the manager: the first layout and "windowinit", "windowsize" after a resize,
// and a per-pixel-alpha window whose GDI drawing gets its alpha from the fix-up.

#include "tests/ui/PaintManagerTest.h"

#include <gmock/gmock.h>

namespace pmtest {
namespace {

using testing::ElementsAre;

// A leaf that fills its rectangle with a GDI brush (which leaves the alpha byte at 0).
class FilledLeaf : public Leaf {
public:
    FilledLeaf(Log* log, const wchar_t* name, RECT rc, COLORREF fill) : Leaf(log, name, rc), m_fill(fill) {}
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        RECT rc {};
        if (!::IntersectRect(&rc, &m_rcItem, &rcPaint))
            return;
        HBRUSH brush = ::CreateSolidBrush(m_fill);
        ::FillRect(hDC, &rc, brush);
        ::DeleteObject(brush);
    }

private:
    COLORREF m_fill;
};

class PaintManagerPaint : public ManagedWindow {};

TEST_F(PaintManagerPaint, FirstPaintInitialisesAndAResizeReportsAfterThePaint)
{
    Leaf* leaf = AddLeaf(L"A", { 10, 10, 60, 40 });
    m_notifier.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"windowinit")
            m_log.push_back(::EqualRect(&leaf->GetPos(), &leaf->Home()) ? L"laid out" : L"not laid out");
    };
    m_manager->AttachDialog(m_box);
    m_attached = true;
    Pump();
    // Laying out the root counts as a resize: "windowsize" follows through the posted path.
    EXPECT_THAT(m_log, ElementsAre(L"notify:windowinit:", L"laid out", L"A:setfocus", L"notify:setfocus:A",
                                   L"notify:windowsize:"));

    m_log.clear();
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"A:size", L"notify:windowsize:"));
    EXPECT_EQ(m_box->GetPos().right, 300);
}

TEST_F(PaintManagerPaint, CaretIsDrawnForItsFocusedOwnerAndStopsWhenTheFocusMoves)
{
    Leaf* a = AddLeaf(L"A", { 10, 10, 60, 40 });
    Leaf* b = AddLeaf(L"B", { 70, 10, 120, 40 });
    m_box->SetBkColor(0xFFFFFFFF);
    Attach();
    m_manager->SetDefaultFontColor(0xFFFF0000);
    ASSERT_EQ(m_manager->GetFocus(), a);
    EXPECT_TRUE(m_manager->CreateCaret(nullptr, 2, 10));
    EXPECT_TRUE(m_manager->SetCaretPos(a, 20, 15));
    EXPECT_TRUE(m_manager->ShowCaret(true));
    Pump();
    EXPECT_EQ(m_manager->GetCurrentCaretObject(), a);
    EXPECT_EQ(hl::PixelAt(100 + 21, 100 + 20) & 0xFFFFFF, 0xFF0000u);

    m_manager->SetFocus(b);
    m_manager->Invalidate();
    Pump();
    EXPECT_EQ(hl::PixelAt(100 + 21, 100 + 20) & 0xFFFFFF, 0xFFFFFFu);
}

LRESULT WhiteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return ::DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    HBRUSH brush = ::CreateSolidBrush(RGB(255, 255, 255));
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::FillRect(dc, &rc, brush);
    ::DeleteObject(brush);
    ::EndPaint(hwnd, &ps);
    return 0;
}

TEST_F(PaintManagerPaint, LayeredWindowShowsColouredPixelsOpaqueAndBlackTransparent)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WhiteProc;
    wc.lpszClassName = L"PaintManagerWhiteWnd";
    ::RegisterClassEx(&wc);
    HWND under = ::CreateWindowEx(0, L"PaintManagerWhiteWnd", nullptr, WS_POPUP | WS_VISIBLE, 100, 100, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ::SetWindowPos(m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_box->Add(new FilledLeaf(&m_log, L"red", { 10, 10, 60, 40 }, RGB(255, 0, 0)));
    m_box->Add(new FilledLeaf(&m_log, L"black", { 70, 10, 120, 40 }, RGB(0, 0, 0)));
    m_manager->SetLayered(true);
    Attach();
    Pump();
    EXPECT_TRUE(m_manager->IsLayered());
    EXPECT_EQ(hl::PixelAt(100 + 30, 100 + 20) & 0xFFFFFF, 0xFF0000u);   // opaque red
    EXPECT_EQ(hl::PixelAt(100 + 90, 100 + 20) & 0xFFFFFF, 0xFFFFFFu);   // black drawn by GDI: see-through
    EXPECT_EQ(hl::PixelAt(100 + 150, 100 + 80) & 0xFFFFFF, 0xFFFFFFu);  // never painted: see-through

    // A later partial paint keeps the rest of the surface.
    RECT part { 10, 10, 30, 30 };
    m_manager->Invalidate(part);
    Pump();
    EXPECT_EQ(hl::PixelAt(100 + 50, 100 + 35) & 0xFFFFFF, 0xFF0000u);
    ::DestroyWindow(under);
}

}  // namespace
}  // namespace pmtest
