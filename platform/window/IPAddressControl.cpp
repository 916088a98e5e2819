// The common control "SysIPAddress32": four decimal fields in one inner window that takes the
// focus, so the control can tell its parent when the focus enters or leaves it as a whole.

#include "platform/CommCtrl.h"
#include "platform/WinGdi.h"
#include "platform/window/PaintedClass.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace {

constexpr wchar_t kFieldsClass[] = L"SysIPAddress32Fields";

struct Field {
    std::wstring digits;  // empty: blank
    BYTE low = 0, high = 255;
};

struct AddressState {
    std::array<Field, 4> fields;
    int active = 0;
    bool fresh = true;  // the active field was just entered: the next digit replaces it
    bool advanced = false;  // entered by a third digit: a dot typed next only confirms the move
    HFONT font = nullptr;
    HWND inner = nullptr;
};

AddressState* StateOf(HWND control) { return reinterpret_cast<AddressState*>(GetWindowLongPtr(control, 0)); }

void Tell(HWND control, WORD code)
{
    if (HWND parent = GetParent(control))
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetWindowLongPtr(control, GWLP_ID)), code),
                    reinterpret_cast<LPARAM>(control));
}

int ValueOf(const Field& field) { return field.digits.empty() ? -1 : std::stoi(field.digits); }

// Keeps a field inside its range; at most three digits are ever typed, so stoi cannot overflow.
void Clamp(Field& field)
{
    if (field.digits.empty())
        return;
    const int value = std::clamp(ValueOf(field), static_cast<int>(field.low), static_cast<int>(field.high));
    field.digits = std::to_wstring(value);
}

DWORD Address(const AddressState& state)
{
    DWORD address = 0;
    for (const Field& field : state.fields)
        address = (address << 8) | static_cast<DWORD>(std::max(0, ValueOf(field)));
    return address;
}

void Redraw(AddressState& state) { InvalidateRect(state.inner, nullptr, FALSE); }

void Enter(AddressState& state, int field)
{
    Clamp(state.fields[static_cast<size_t>(state.active)]);
    state.active = std::clamp(field, 0, 3);
    state.fresh = true;
    state.advanced = false;
    Redraw(state);
}

void TypeDigit(HWND control, AddressState& state, wchar_t digit)
{
    Field& field = state.fields[static_cast<size_t>(state.active)];
    if (state.fresh || field.digits.size() >= 3)
        field.digits.clear();
    state.fresh = false;
    field.digits += digit;
    // The typed digits stay as typed ("00") until the field is left; only a value past the
    // range is cut at once.
    if (ValueOf(field) > field.high)
        field.digits = std::to_wstring(field.high);
    if (field.digits.size() == 3 && state.active < 3) {
        Enter(state, state.active + 1);
        state.advanced = true;
    }
    Redraw(state);
    Tell(control, EN_CHANGE);
}

void Backspace(HWND control, AddressState& state)
{
    Field& field = state.fields[static_cast<size_t>(state.active)];
    if (field.digits.empty() || state.fresh) {
        if (!field.digits.empty()) {
            field.digits.clear();
            Tell(control, EN_CHANGE);
        } else if (state.active > 0) {
            Enter(state, state.active - 1);
            state.fresh = false;
        }
        Redraw(state);
        return;
    }
    field.digits.pop_back();
    Redraw(state);
    Tell(control, EN_CHANGE);
}

void OnKey(HWND control, AddressState& state, WPARAM vk)
{
    switch (vk) {
    case VK_LEFT:
        Enter(state, state.active - 1);
        return;
    case VK_RIGHT:
        Enter(state, state.active + 1);
        return;
    case VK_HOME:
        Enter(state, 0);
        return;
    case VK_END:
        Enter(state, 3);
        return;
    case VK_DELETE:
        if (!state.fields[static_cast<size_t>(state.active)].digits.empty()) {
            state.fields[static_cast<size_t>(state.active)].digits.clear();
            Redraw(state);
            Tell(control, EN_CHANGE);
        }
        return;
    default:
        return;
    }
}

void OnChar(HWND control, AddressState& state, wchar_t c)
{
    const bool advanced = std::exchange(state.advanced, false);
    if (c >= L'0' && c <= L'9') {
        TypeDigit(control, state, c);
        return;
    }
    if (c == L'\b') {
        Backspace(control, state);
        return;
    }
    // A dot or a space ends a field that has digits.
    if (!advanced && (c == L'.' || c == L' ') && !state.fields[static_cast<size_t>(state.active)].digits.empty() && state.active < 3)
        Enter(state, state.active + 1);
}

RECT FieldRect(const RECT& client, int field)
{
    const int width = client.right / 4;
    return { field * width, 0, field == 3 ? client.right : (field + 1) * width, client.bottom };
}

void Paint(HWND inner, const AddressState& state, HDC dc)
{
    RECT client;
    GetClientRect(inner, &client);
    const bool enabled = IsWindowEnabled(GetParent(inner));
    HBRUSH background = CreateSolidBrush(enabled ? RGB(255, 255, 255) : RGB(240, 240, 240));
    FillRect(dc, &client, background);
    DeleteObject(background);
    HGDIOBJ old = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const bool focused = GetFocus() == inner;
    for (int i = 0; i < 4; ++i) {
        RECT box = FieldRect(client, i);
        const std::wstring& digits = state.fields[static_cast<size_t>(i)].digits;
        const bool selected = focused && i == state.active && state.fresh && !digits.empty();
        if (selected) {
            SIZE extent {};
            GetTextExtentPoint32(dc, digits.c_str(), static_cast<int>(digits.size()), &extent);
            const int middle = (box.left + box.right) / 2;
            RECT band { middle - extent.cx / 2, 2, middle + (extent.cx + 1) / 2, client.bottom - 2 };
            HBRUSH highlight = CreateSolidBrush(RGB(0, 120, 215));
            FillRect(dc, &band, highlight);
            DeleteObject(highlight);
        }
        SetTextColor(dc, selected ? RGB(255, 255, 255) : enabled ? RGB(0, 0, 0) : RGB(109, 109, 109));
        DrawText(dc, digits.c_str(), static_cast<int>(digits.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (i < 3) {
            SetTextColor(dc, enabled ? RGB(0, 0, 0) : RGB(109, 109, 109));
            RECT dot { box.right - 3, 0, box.right + 3, client.bottom };
            DrawText(dc, L".", 1, &dot, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    if (focused) {
        const std::wstring& digits = state.fields[static_cast<size_t>(state.active)].digits;
        SIZE extent {};
        GetTextExtentPoint32(dc, digits.c_str(), static_cast<int>(digits.size()), &extent);
        const RECT box = FieldRect(client, state.active);
        SetCaretPos((box.left + box.right) / 2 + (extent.cx + 1) / 2, 2);
    }
    SelectObject(dc, old);
}

// The inner window: keys, mouse and painting of the four fields; its control keeps the state.
LRESULT FieldsProc(HWND inner, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND control = GetParent(inner);
    AddressState* state = control ? StateOf(control) : nullptr;
    if (!state)
        return DefWindowProc(inner, msg, wParam, lParam);
    switch (msg) {
    case WM_KEYDOWN:
        OnKey(control, *state, wParam);
        return 0;
    case WM_KEYUP:
        return SendMessage(control, WM_KEYUP, wParam, lParam);
    case WM_CHAR:
        OnChar(control, *state, static_cast<wchar_t>(wParam));
        return 0;
    case WM_GETDLGCODE:
        return 0x0001 | 0x0080;  // DLGC_WANTARROWS | DLGC_WANTCHARS
    case WM_LBUTTONDOWN: {
        RECT client;
        GetClientRect(inner, &client);
        const int width = std::max(1, static_cast<int>(client.right) / 4);
        SetFocus(inner);
        Enter(*state, GET_X_LPARAM(lParam) / width);
        return 0;
    }
    case WM_SETFOCUS: {
        CreateCaret(inner, nullptr, 1, 14);
        ShowCaret(inner);
        Redraw(*state);
        const auto from = reinterpret_cast<HWND>(wParam);
        if (from != control && from != inner)
            Tell(control, EN_SETFOCUS);
        return 0;
    }
    case WM_KILLFOCUS: {
        DestroyCaret();
        Clamp(state->fields[static_cast<size_t>(state->active)]);
        Redraw(*state);
        const auto to = reinterpret_cast<HWND>(wParam);
        if (to != control && to != inner)
            Tell(control, EN_KILLFOCUS);
        return 0;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_ERASEBKGND:
        return platform::AnswerPaint(inner, msg, wParam, [&](HDC dc) { Paint(inner, *state, dc); });
    default:
        return DefWindowProc(inner, msg, wParam, lParam);
    }
}

void SetAddress(AddressState& state, DWORD address)
{
    for (int i = 0; i < 4; ++i) {
        Field& field = state.fields[static_cast<size_t>(i)];
        field.digits = std::to_wstring((address >> (24 - 8 * i)) & 0xFF);
        Clamp(field);
    }
    state.fresh = true;
    Redraw(state);
}

LRESULT AddressProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    AddressState* state = StateOf(control);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtr(control, 0, reinterpret_cast<LONG_PTR>(new AddressState()));
        return DefWindowProc(control, msg, wParam, lParam);
    }
    if (!state)
        return DefWindowProc(control, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: {
        RECT client;
        GetClientRect(control, &client);
        state->inner = CreateWindowEx(0, kFieldsClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                                      control, nullptr, nullptr, nullptr);
        return state->inner ? 0 : -1;
    }
    case WM_NCDESTROY:
        SetWindowLongPtr(control, 0, 0);
        delete state;
        return 0;
    case WM_SIZE:
        MoveWindow(state->inner, 0, 0, LOWORD(static_cast<uintptr_t>(lParam)), HIWORD(static_cast<uintptr_t>(lParam)), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (reinterpret_cast<HWND>(wParam) != state->inner)
            Tell(control, EN_SETFOCUS);
        SetFocus(state->inner);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        Redraw(*state);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_ENABLE:
        Redraw(*state);
        return 0;
    case IPM_CLEARADDRESS:
        for (Field& field : state->fields)
            field.digits.clear();
        Redraw(*state);
        return 0;
    case IPM_SETADDRESS:
        SetAddress(*state, static_cast<DWORD>(lParam));
        return TRUE;
    case IPM_GETADDRESS:
        for (Field& field : state->fields)
            Clamp(field);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = Address(*state);
        return std::count_if(state->fields.begin(), state->fields.end(), [](const Field& f) { return !f.digits.empty(); });
    case IPM_ISBLANK:
        return std::all_of(state->fields.begin(), state->fields.end(), [](const Field& f) { return f.digits.empty(); });
    case IPM_SETRANGE: {
        if (wParam > 3)
            return FALSE;
        Field& field = state->fields[wParam];
        field.low = std::min(LOBYTE(lParam), HIBYTE(lParam));
        field.high = std::max(LOBYTE(lParam), HIBYTE(lParam));
        Clamp(field);
        Redraw(*state);
        return TRUE;
    }
    case IPM_SETFOCUS:
        SetFocus(state->inner);
        Enter(*state, static_cast<int>(std::min<WPARAM>(wParam, 3)));
        return 0;
    case WM_PRINTCLIENT:
        Paint(state->inner, *state, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return DefWindowProc(control, msg, wParam, lParam);
    }
}

}  // namespace

namespace platform {

void RegisterIPAddressClass()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FieldsProc;
    wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    wc.lpszClassName = kFieldsClass;
    RegisterClassEx(&wc);
    RegisterPaintedClass(WC_IPADDRESS, AddressProc, CS_PARENTDC, IDC_IBEAM);
}

}  // namespace platform
