// The common control "SysDateTimePick32" without its drop-down calendar: a date shown as
// "yyyy-MM-dd" whose year, month and day are chosen with Left/Right or the mouse, stepped with
// Up/Down or the wheel, or typed.

#include "platform/CommCtrl.h"
#include "platform/WinGdi.h"
#include "platform/window/PaintedClass.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>

namespace {

enum FieldId { Year = 0, Month = 1, Day = 2 };

struct PickerState {
    SYSTEMTIME date {};
    int active = Year;
    std::wstring typed;  // digits typed into the active field so far
    HFONT font = nullptr;
};

PickerState* StateOf(HWND hwnd) { return reinterpret_cast<PickerState*>(GetWindowLongPtr(hwnd, 0)); }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int days[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Sunday = 0, by Zeller's congruence for the Gregorian calendar.
WORD DayOfWeek(int year, int month, int day)
{
    if (month < 3) {
        month += 12;
        --year;
    }
    const int k = year % 100, j = year / 100;
    const int h = (day + 13 * (month + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;  // Saturday = 0
    return static_cast<WORD>((h + 6) % 7);
}

constexpr int kMinYear = 1601, kMaxYear = 9999;

bool IsValidDate(const SYSTEMTIME& st)
{
    return st.wYear >= kMinYear && st.wYear <= kMaxYear && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
           st.wDay <= DaysInMonth(st.wYear, st.wMonth);
}

// Sets a date from parts, the day cut to the month's length, the weekday recomputed.
void Store(SYSTEMTIME& st, int year, int month, int day)
{
    st.wYear = static_cast<WORD>(std::clamp(year, kMinYear, kMaxYear));
    st.wMonth = static_cast<WORD>(std::clamp(month, 1, 12));
    st.wDay = static_cast<WORD>(std::clamp(day, 1, DaysInMonth(st.wYear, st.wMonth)));
    st.wDayOfWeek = DayOfWeek(st.wYear, st.wMonth, st.wDay);
}

std::wstring Shown(const SYSTEMTIME& st)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return text;
}

// Character ranges of the three fields in the shown text.
constexpr std::array<std::pair<int, int>, 3> kFieldChars { { { 0, 4 }, { 5, 7 }, { 8, 10 } } };

void Changed(HWND hwnd, PickerState& state)
{
    InvalidateRect(hwnd, nullptr, FALSE);
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    NMDATETIMECHANGE change {};
    change.nmhdr.hwndFrom = hwnd;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetWindowLongPtr(hwnd, GWLP_ID));
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = static_cast<DWORD>(GDT_VALID);
    change.st = state.date;
    SendMessage(parent, WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

void Step(HWND hwnd, PickerState& state, int by)
{
    SYSTEMTIME& st = state.date;
    int year = st.wYear, month = st.wMonth, day = st.wDay;
    switch (state.active) {
    case Year:
        year += by;
        break;
    case Month:
        month = (month - 1 + by % 12 + 12) % 12 + 1;  // wraps within the year
        break;
    default: {
        const int days = DaysInMonth(year, month);
        day = (day - 1 + by % days + days) % days + 1;
        break;
    }
    }
    state.typed.clear();
    Store(st, year, month, day);
    Changed(hwnd, state);
}

void Choose(HWND hwnd, PickerState& state, int field)
{
    state.active = std::clamp(field, static_cast<int>(Year), static_cast<int>(Day));
    state.typed.clear();
    InvalidateRect(hwnd, nullptr, FALSE);
}

void TypeDigit(HWND hwnd, PickerState& state, wchar_t digit)
{
    const size_t width = state.active == Year ? 4 : 2;
    state.typed += digit;
    const int value = std::stoi(state.typed);  // at most four digits
    SYSTEMTIME& st = state.date;
    // A year is taken once it has four digits; a month or day at once, kept in its range.
    if (state.active == Year && state.typed.size() == width)
        Store(st, value, st.wMonth, st.wDay);
    else if (state.active == Month && value > 0)
        Store(st, st.wYear, value, st.wDay);
    else if (state.active == Day && value > 0)
        Store(st, st.wYear, st.wMonth, value);
    // Move on when no further digit could make a valid value.
    const bool full = state.typed.size() >= width || (state.active == Month && value > 1) || (state.active == Day && value > 3);
    if (full) {
        state.typed.clear();
        if (state.active < Day)
            ++state.active;
    }
    Changed(hwnd, state);
}

void OnKey(HWND hwnd, PickerState& state, WPARAM vk)
{
    switch (vk) {
    case VK_LEFT: Choose(hwnd, state, state.active - 1); break;
    case VK_RIGHT: Choose(hwnd, state, state.active + 1); break;
    case VK_HOME: Choose(hwnd, state, Year); break;
    case VK_END: Choose(hwnd, state, Day); break;
    case VK_UP: Step(hwnd, state, 1); break;
    case VK_DOWN: Step(hwnd, state, -1); break;
    case VK_PRIOR: Step(hwnd, state, state.active == Year ? 10 : 1); break;
    case VK_NEXT: Step(hwnd, state, state.active == Year ? -10 : -1); break;
    default: break;
    }
}

// Pixel offsets of the shown text's characters, with the control's font.
std::array<int, 11> Offsets(HWND hwnd, const PickerState& state)
{
    const std::wstring text = Shown(state.date);
    std::array<int, 11> x {};
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 1; i <= 10; ++i) {
        SIZE size {};
        GetTextExtentPoint32(dc, text.c_str(), i, &size);
        x[static_cast<size_t>(i)] = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return x;
}

constexpr int kMargin = 3;

int FieldAt(HWND hwnd, const PickerState& state, int clientX)
{
    const std::array<int, 11> x = Offsets(hwnd, state);
    const int local = clientX - kMargin;
    if (local < x[static_cast<size_t>(kFieldChars[Month].first)])
        return Year;
    return local < x[static_cast<size_t>(kFieldChars[Day].first)] ? Month : Day;
}

void Paint(HWND hwnd, const PickerState& state, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const bool enabled = IsWindowEnabled(hwnd);
    HBRUSH background = CreateSolidBrush(enabled ? RGB(255, 255, 255) : RGB(240, 240, 240));
    FillRect(dc, &client, background);
    DeleteObject(background);
    HGDIOBJ old = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring text = Shown(state.date);
    const std::array<int, 11> x = Offsets(hwnd, state);
    if (GetFocus() == hwnd) {
        const auto [from, to] = kFieldChars[static_cast<size_t>(state.active)];
        RECT band { kMargin + x[static_cast<size_t>(from)], 2, kMargin + x[static_cast<size_t>(to)], client.bottom - 2 };
        HBRUSH highlight = CreateSolidBrush(RGB(0, 120, 215));
        FillRect(dc, &band, highlight);
        DeleteObject(highlight);
    }
    SetTextColor(dc, enabled ? RGB(0, 0, 0) : RGB(109, 109, 109));
    RECT box { kMargin, 0, client.right, client.bottom };
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == hwnd) {
        const auto [from, to] = kFieldChars[static_cast<size_t>(state.active)];
        SetTextColor(dc, RGB(255, 255, 255));
        RECT field { kMargin + x[static_cast<size_t>(from)], 0, client.right, client.bottom };
        DrawText(dc, text.c_str() + from, to - from, &field, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}

LRESULT PickerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PickerState* state = StateOf(hwnd);
    if (msg == WM_NCCREATE) {
        auto* fresh = new PickerState();
        GetLocalTime(&fresh->date);
        SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(fresh));
        return TRUE;
    }
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtr(hwnd, 0, 0);
        delete state;
        return 0;
    case DTM_GETSYSTEMTIME:
        if (lParam)
            *reinterpret_cast<SYSTEMTIME*>(lParam) = state->date;
        return static_cast<LRESULT>(GDT_VALID);
    case DTM_SETSYSTEMTIME: {
        const auto* st = reinterpret_cast<const SYSTEMTIME*>(lParam);
        if (wParam != GDT_VALID || !st || !IsValidDate(*st))
            return FALSE;
        state->date = *st;
        state->date.wDayOfWeek = DayOfWeek(st->wYear, st->wMonth, st->wDay);
        state->typed.clear();
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_KEYDOWN:
        OnKey(hwnd, *state, wParam);
        return 0;
    case WM_CHAR:
        if (wParam >= L'0' && wParam <= L'9')
            TypeDigit(hwnd, *state, static_cast<wchar_t>(wParam));
        else if (wParam == L'-' || wParam == L'/' || wParam == L'.')
            Choose(hwnd, *state, state->active + 1);
        return 0;
    case WM_MOUSEWHEEL:
        Step(hwnd, *state, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1);
        return 0;
    case WM_GETDLGCODE:
        return 0x0001 | 0x0080;  // DLGC_WANTARROWS | DLGC_WANTCHARS
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        Choose(hwnd, *state, FieldAt(hwnd, *state, GET_X_LPARAM(lParam)));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        state->typed.clear();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_ERASEBKGND:
        return platform::AnswerPaint(hwnd, msg, wParam, [&](HDC dc) { Paint(hwnd, *state, dc); });
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

namespace platform {

void RegisterDateTimePickerClass()
{
    RegisterPaintedClass(DATETIMEPICK_CLASS, PickerProc, CS_PARENTDC, IDC_ARROW);
}

}  // namespace platform
