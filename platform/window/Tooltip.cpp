// The tooltip window class ("tooltips_class32"): one tool, its text drawn on a pale box near the
// pointer while tracking is on. Click-through and never activated, so it never takes the focus
// or the mouse from the window it explains.

#include "platform/CommCtrl.h"
#include "platform/WinGdi.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <mutex>
#include <string>

namespace {

constexpr int kPadding = 4;
constexpr int kBelowPointer = 20;

struct TipState {
    std::wstring text;
    int maxWidth = -1;
    bool active = true;
    bool tracked = false;
    POINT trackAt { -1, -1 };
    UINT delays[4] { 500, 100, 5000, 500 };  // automatic, reshow, autopop, initial
};

TipState* StateOf(HWND hwnd) { return reinterpret_cast<TipState*>(GetWindowLongPtr(hwnd, GWLP_USERDATA)); }

// The box the text needs, at the pointer or the tracked position, kept on the screen.
RECT PlaceTip(HWND hwnd, const TipState& tip)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text { 0, 0, tip.maxWidth > 0 ? tip.maxWidth : 10000, 0 };
    DrawText(dc, tip.text.c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX | (tip.maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd, dc);
    POINT at = tip.trackAt;
    if (at.x < 0) {
        GetCursorPos(&at);
        at.y += kBelowPointer;
    }
    const int width = text.right - text.left + 2 * kPadding, height = text.bottom - text.top + 2 * kPadding;
    MONITORINFO info { sizeof(info), {}, {}, 0 };
    GetMonitorInfo(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info);
    at.x = std::max<LONG>(info.rcWork.left, std::min<LONG>(at.x, info.rcWork.right - width));
    at.y = std::max<LONG>(info.rcWork.top, std::min<LONG>(at.y, info.rcWork.bottom - height));
    return { at.x, at.y, at.x + width, at.y + height };
}

void PaintTip(HWND hwnd, const TipState& tip)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH back = CreateSolidBrush(RGB(255, 255, 225));
    HBRUSH frame = CreateSolidBrush(RGB(118, 118, 118));
    FillRect(dc, &client, back);
    FrameRect(dc, &client, frame);
    DeleteObject(back);
    DeleteObject(frame);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text { kPadding, kPadding, client.right - kPadding, client.bottom - kPadding };
    DrawText(dc, tip.text.c_str(), -1, &text, DT_NOPREFIX | (tip.maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void TakeTool(TipState& tip, LPARAM lParam)
{
    const auto* tool = reinterpret_cast<const TTTOOLINFOW*>(lParam);
    // LPSTR_TEXTCALLBACK (-1) asks the owner for the text, which no caller does here.
    if (tool && tool->lpszText && reinterpret_cast<intptr_t>(tool->lpszText) != -1)
        tip.text = tool->lpszText;
}

LRESULT TooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TipState* tip = StateOf(hwnd);
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TipState()));
        SetWindowLongPtr(hwnd, GWL_EXSTYLE,
                         GetWindowLongPtr(hwnd, GWL_EXSTYLE) | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
        return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
        delete tip;
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        if (tip)
            PaintTip(hwnd, *tip);
        return 0;
    default:
        break;
    }
    if (!tip)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case TTM_ADDTOOLW:
    case TTM_SETTOOLINFOW:
    case TTM_UPDATETIPTEXTW:
        TakeTool(*tip, lParam);
        if (tip->tracked)
            InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TTM_DELTOOLW:
        tip->text.clear();
        return 0;
    case TTM_ACTIVATE:
        tip->active = wParam != 0;
        if (!tip->active)
            ShowWindow(hwnd, SW_HIDE);
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        const int old = tip->maxWidth;
        tip->maxWidth = static_cast<int>(lParam);
        return old;
    }
    case TTM_GETMAXTIPWIDTH:
        return tip->maxWidth;
    case TTM_GETDELAYTIME:
        return wParam <= TTDT_INITIAL ? tip->delays[wParam] : 0;
    case TTM_SETDELAYTIME:
        if (wParam <= TTDT_INITIAL)
            tip->delays[wParam] = static_cast<UINT>(LOWORD(static_cast<uintptr_t>(lParam)));
        return 0;
    case TTM_TRACKPOSITION:
        tip->trackAt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        return 0;
    case TTM_TRACKACTIVATE:
        tip->tracked = wParam != 0;
        if (wParam)
            TakeTool(*tip, lParam);
        if (!tip->tracked || !tip->active || tip->text.empty()) {
            ShowWindow(hwnd, SW_HIDE);
            return 0;
        }
        {
            const RECT box = PlaceTip(hwnd, *tip);
            SetWindowPos(hwnd, HWND_TOPMOST, box.left, box.top, box.right - box.left, box.bottom - box.top,
                         SWP_SHOWWINDOW | SWP_NOACTIVATE);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case TTM_POP:
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

void InitCommonControls()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_SAVEBITS;
        wc.lpfnWndProc = TooltipProc;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = TOOLTIPS_CLASS;  // no instance: a system class
        RegisterClassEx(&wc);
        platform::RegisterEditClass();
        platform::RegisterHotKeyClass();
        platform::RegisterIPAddressClass();
        platform::RegisterDateTimePickerClass();
    });
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    InitCommonControls();
    return TRUE;
}
