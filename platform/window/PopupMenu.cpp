// Popup menus: the item lists behind HMENU and TrackPopupMenu's window and modal loop. The menu
// window never takes the focus: the loop reads the thread's keyboard messages itself, and mouse
// messages meant for other windows cancel the menu on a button press.

#include "platform/WinGdi.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kItemHeight = 26;
constexpr int kSeparatorHeight = 9;
constexpr int kTextLeft = 28;
constexpr int kTextRight = 24;
constexpr int kMinWidth = 120;
constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kBorder = RGB(204, 206, 210);
constexpr COLORREF kHot = RGB(229, 241, 251);
constexpr COLORREF kText = RGB(32, 33, 36);
constexpr COLORREF kGrey = RGB(160, 163, 168);
constexpr COLORREF kSeparator = RGB(226, 228, 231);

struct MenuItem {
    UINT_PTR id = 0;
    std::wstring text;
    UINT flags = 0;
    bool Separator() const { return flags & MF_SEPARATOR; }
    bool Selectable() const { return !Separator() && !(flags & (MF_GRAYED | MF_DISABLED)); }
};

struct Menu {
    std::vector<MenuItem> items;
};

std::mutex g_menusLock;
std::set<Menu*> g_menus;
std::function<UINT(HMENU, POINT)> g_answer;

Menu* Live(HMENU menu)
{
    std::lock_guard guard(g_menusLock);
    auto* m = reinterpret_cast<Menu*>(menu);
    return g_menus.count(m) ? m : nullptr;
}

MenuItem* Find(Menu* menu, UINT item, UINT flags)
{
    if (flags & MF_BYPOSITION)
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    for (MenuItem& i : menu->items)
        if (!i.Separator() && i.id == item)
            return &i;
    return nullptr;
}

wchar_t Mnemonic(const std::wstring& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&')
            continue;
        if (text[i + 1] != L'&')
            return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(text[i + 1])));
        ++i;
    }
    return 0;
}

// The state of one TrackPopupMenu: which item is hot and what was chosen.
struct Tracking {
    Menu* menu = nullptr;
    HFONT font = nullptr;
    int hot = -1;
    bool done = false;
    UINT_PTR chosen = 0;
    UINT flags = 0;

    int Top(int index) const
    {
        int y = 1;
        for (int i = 0; i < index; ++i)
            y += menu->items[static_cast<size_t>(i)].Separator() ? kSeparatorHeight : kItemHeight;
        return y;
    }
    int ItemAt(POINT pt, int width) const
    {
        if (pt.x < 0 || pt.x >= width)
            return -1;
        for (size_t i = 0; i < menu->items.size(); ++i) {
            const int top = Top(static_cast<int>(i));
            const int height = menu->items[i].Separator() ? kSeparatorHeight : kItemHeight;
            if (pt.y >= top && pt.y < top + height)
                return static_cast<int>(i);
        }
        return -1;
    }
    void Choose(int index)
    {
        if (index < 0 || !menu->items[static_cast<size_t>(index)].Selectable())
            return;
        chosen = menu->items[static_cast<size_t>(index)].id;
        done = true;
    }
    void Step(int direction)
    {
        const int count = static_cast<int>(menu->items.size());
        for (int n = 1; n <= count; ++n) {
            const int i = ((hot < 0 ? (direction > 0 ? -1 : count) : hot) + direction * n + count * 2) % count;
            if (menu->items[static_cast<size_t>(i)].Selectable()) {
                hot = i;
                return;
            }
        }
    }
};

void Paint(HWND hwnd, Tracking& t)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH back = CreateSolidBrush(kBackground);
    FillRect(dc, &client, back);
    DeleteObject(back);
    HBRUSH border = CreateSolidBrush(kBorder);
    FrameRect(dc, &client, border);
    DeleteObject(border);
    HGDIOBJ oldFont = SelectObject(dc, t.font);
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < t.menu->items.size(); ++i) {
        const MenuItem& item = t.menu->items[i];
        const int top = t.Top(static_cast<int>(i));
        if (item.Separator()) {
            RECT line { 8, top + kSeparatorHeight / 2, client.right - 8, top + kSeparatorHeight / 2 + 1 };
            HBRUSH brush = CreateSolidBrush(kSeparator);
            FillRect(dc, &line, brush);
            DeleteObject(brush);
            continue;
        }
        RECT row { 2, top, client.right - 2, top + kItemHeight };
        if (static_cast<int>(i) == t.hot && item.Selectable()) {
            HBRUSH brush = CreateSolidBrush(kHot);
            FillRect(dc, &row, brush);
            DeleteObject(brush);
        }
        SetTextColor(dc, item.Selectable() ? kText : kGrey);
        RECT text { kTextLeft, top, client.right - kTextRight, top + kItemHeight };
        DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK MenuProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    auto* t = reinterpret_cast<Tracking*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
    if (!t)
        return DefWindowProc(hwnd, msg, wparam, lparam);
    RECT client;
    GetClientRect(hwnd, &client);
    const POINT pt { GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam) };
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd, *t);
        return 0;
    case WM_MOUSEMOVE: {
        const int hot = t->ItemAt(pt, client.bottom > 0 ? client.right : 0);
        if (hot != t->hot) {
            t->hot = hot;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!PtInRect(&client, pt))
            t->done = true;  // pressed outside the menu
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (msg == WM_RBUTTONUP && !(t->flags & TPM_RIGHTBUTTON))
            return 0;
        if (PtInRect(&client, pt))
            t->Choose(t->ItemAt(pt, client.right));
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lparam) != hwnd)
            t->done = true;
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wparam, lparam);
    }
}

const wchar_t* MenuClass()
{
    static const bool registered = [] {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = MenuProc;
        wc.lpszClassName = L"#32768";
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        return RegisterClassExW(&wc) != 0;
    }();
    return registered ? L"#32768" : nullptr;
}

SIZE Measure(const Tracking& t)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, t.font);
    int width = kMinWidth;
    for (const MenuItem& item : t.menu->items) {
        if (item.Separator())
            continue;
        RECT rc { 0, 0, 0, 0 };
        DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &rc, DT_SINGLELINE | DT_CALCRECT);
        width = std::max<int>(width, rc.right + kTextLeft + kTextRight);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return { width, t.Top(static_cast<int>(t.menu->items.size())) + 1 };
}

// Places the menu at the point by the alignment flags, kept inside the point's work area.
RECT Place(POINT at, SIZE size, UINT flags)
{
    RECT rc { at.x, at.y, at.x + size.cx, at.y + size.cy };
    if (flags & TPM_RIGHTALIGN)
        OffsetRect(&rc, -size.cx, 0);
    else if (flags & TPM_CENTERALIGN)
        OffsetRect(&rc, -size.cx / 2, 0);
    if (flags & TPM_BOTTOMALIGN)
        OffsetRect(&rc, 0, -size.cy);
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfo(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info))
        return rc;
    const RECT work = info.rcWork;
    if (rc.right > work.right)
        OffsetRect(&rc, -size.cx, 0);  // open to the left of the point instead
    if (rc.bottom > work.bottom)
        OffsetRect(&rc, 0, -size.cy);
    OffsetRect(&rc, std::max<LONG>(0, work.left - rc.left), std::max<LONG>(0, work.top - rc.top));
    return rc;
}

// Keys reach the menu, not the focused window, while it is tracked.
void OnKey(Tracking& t, const MSG& msg, HWND menuWindow)
{
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        switch (msg.wParam) {
        case VK_ESCAPE:
        case VK_MENU:
            t.done = true;
            return;
        case VK_UP:
            t.Step(-1);
            break;
        case VK_DOWN:
            t.Step(1);
            break;
        case VK_RETURN:
            t.Choose(t.hot);
            return;
        default:
            return;
        }
        InvalidateRect(menuWindow, nullptr, FALSE);
        return;
    }
    if (msg.message != WM_CHAR)
        return;
    const auto key = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(msg.wParam)));
    for (size_t i = 0; i < t.menu->items.size(); ++i)
        if (t.menu->items[i].Selectable() && Mnemonic(t.menu->items[i].text) == key) {
            t.Choose(static_cast<int>(i));
            return;
        }
}

UINT_PTR Track(Menu* menu, UINT flags, POINT at, HWND owner)
{
    const wchar_t* cls = MenuClass();
    if (!cls || menu->items.empty())
        return 0;
    Tracking t;
    t.menu = menu;
    t.flags = flags;
    t.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const RECT rc = Place(at, Measure(t), flags);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls, L"", WS_POPUP, rc.left, rc.top,
                                  rc.right - rc.left, rc.bottom - rc.top, owner, nullptr, nullptr, nullptr);
    if (!window)
        return 0;
    SetWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&t));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetCapture(window);
    MSG msg;
    while (!t.done && IsWindow(owner)) {
        if (!GetMessage(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends as asked
            break;
        }
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
            OnKey(t, msg, window);
            continue;
        }
        const bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
        if (mouse && msg.hwnd != window) {
            if (msg.message != WM_MOUSEMOVE && msg.message != WM_MOUSEWHEEL)
                t.done = true;  // a press on another window cancels the menu
            continue;
        }
        DispatchMessage(&msg);
    }
    if (GetCapture() == window)
        ReleaseCapture();
    SetWindowLongPtr(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    return t.chosen;
}

}  // namespace

HMENU CreatePopupMenu()
{
    auto* menu = new Menu;
    std::lock_guard guard(g_menusLock);
    g_menus.insert(menu);
    return reinterpret_cast<HMENU>(menu);
}

BOOL AppendMenuW(HMENU hmenu, UINT flags, UINT_PTR id, LPCWSTR text)
{
    Menu* menu = Live(hmenu);
    if (!menu)
        return FALSE;
    menu->items.push_back({ id, text && !(flags & MF_SEPARATOR) ? text : L"", flags });
    return TRUE;
}

UINT EnableMenuItem(HMENU hmenu, UINT item, UINT enable)
{
    Menu* menu = Live(hmenu);
    MenuItem* found = menu ? Find(menu, item, enable) : nullptr;
    if (!found)
        return static_cast<UINT>(-1);
    const UINT old = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags = (found->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return old;
}

UINT GetMenuState(HMENU hmenu, UINT item, UINT flags)
{
    Menu* menu = Live(hmenu);
    MenuItem* found = menu ? Find(menu, item, flags) : nullptr;
    return found ? found->flags : static_cast<UINT>(-1);
}

int GetMenuItemCount(HMENU hmenu)
{
    Menu* menu = Live(hmenu);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

BOOL TrackPopupMenu(HMENU hmenu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    Menu* menu = Live(hmenu);
    if (!menu || !IsWindow(owner))
        return FALSE;
    const UINT_PTR chosen = g_answer ? g_answer(hmenu, { x, y }) : Track(menu, flags, { x, y }, owner);
    if (flags & TPM_RETURNCMD)
        return static_cast<BOOL>(chosen);
    if (chosen != 0)
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return TRUE;
}

BOOL DestroyMenu(HMENU hmenu)
{
    auto* menu = reinterpret_cast<Menu*>(hmenu);
    {
        std::lock_guard guard(g_menusLock);
        if (!g_menus.erase(menu))
            return FALSE;
    }
    delete menu;
    return TRUE;
}

namespace platform::headless {

void SetPopupMenuAnswer(std::function<UINT(HMENU menu, POINT screen)> answer)
{
    g_answer = std::move(answer);
}

}  // namespace platform::headless
