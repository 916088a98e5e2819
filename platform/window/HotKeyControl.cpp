// The common control "msctls_hotkey32": one key with its modifiers, shown by the layout's names.

#include "platform/CommCtrl.h"
#include "platform/WinGdi.h"
#include "platform/window/PaintedClass.h"
#include "platform/window/UserInternal.h"

#include <string>

namespace {

struct HotKeyState {
    BYTE key = 0;
    BYTE modifiers = 0;
    BYTE held = 0;  // modifiers pressed while no key is taken yet, shown as "Ctrl + "
    WPARAM invalid = 0;
    BYTE fallback = 0;
    HFONT font = nullptr;
};

HotKeyState* StateOf(HWND hwnd) { return reinterpret_cast<HotKeyState*>(GetWindowLongPtr(hwnd, 0)); }

std::wstring KeyName(UINT vk)
{
    LONG scan = static_cast<LONG>(MapVirtualKeyEx(vk, MAPVK_VK_TO_VSC, GetKeyboardLayout(0)));
    if (platform::IsExtendedKey(static_cast<int>(vk)))
        scan |= 0x100;
    wchar_t name[64] {};
    GetKeyNameText(scan << 16, name, 64);
    return name;
}

std::wstring Shown(const HotKeyState& state)
{
    const BYTE modifiers = state.key ? state.modifiers : state.held;
    std::wstring text;
    if (modifiers & HOTKEYF_CONTROL)
        text += KeyName(VK_CONTROL) + L" + ";
    if (modifiers & HOTKEYF_SHIFT)
        text += KeyName(VK_SHIFT) + L" + ";
    if (modifiers & HOTKEYF_ALT)
        text += KeyName(VK_MENU) + L" + ";
    if (state.key)
        text += KeyName(state.key);
    return text.empty() ? L"None" : text;
}

BYTE ModifiersDown()
{
    BYTE modifiers = 0;
    modifiers |= GetKeyState(VK_SHIFT) < 0 ? HOTKEYF_SHIFT : 0;
    modifiers |= GetKeyState(VK_CONTROL) < 0 ? HOTKEYF_CONTROL : 0;
    modifiers |= GetKeyState(VK_MENU) < 0 ? HOTKEYF_ALT : 0;
    return modifiers;
}

// The HKCOMB_* bit of a modifier set (Ctrl/Shift/Alt only).
WPARAM CombinationOf(BYTE modifiers)
{
    static const WPARAM combinations[8] = { HKCOMB_NONE, HKCOMB_S, HKCOMB_C, HKCOMB_SC,
                                            HKCOMB_A,    HKCOMB_SA, HKCOMB_CA, HKCOMB_SCA };
    return combinations[modifiers & (HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT)];
}

void Changed(HWND hwnd)
{
    InvalidateRect(hwnd, nullptr, TRUE);
    if (HWND parent = GetParent(hwnd))
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetWindowLongPtr(hwnd, GWLP_ID)), EN_CHANGE),
                    reinterpret_cast<LPARAM>(hwnd));
}

bool IsModifier(WPARAM vk) { return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU; }

// false: the key is not one a hot key takes, and goes on to the default handling.
bool OnKeyDown(HWND hwnd, HotKeyState& state, WPARAM vk, LPARAM lParam)
{
    const BYTE down = ModifiersDown();
    if (IsModifier(vk)) {
        state.held = down;
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    }
    if ((vk == VK_BACK || vk == VK_DELETE) && down == 0) {
        state.key = state.modifiers = state.held = 0;
        Changed(hwnd);
        return true;
    }
    if ((vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE) && down == 0)
        return false;
    BYTE modifiers = down;
    if (state.invalid & CombinationOf(modifiers))
        modifiers = state.fallback;
    if (lParam & (1L << 24))
        modifiers |= HOTKEYF_EXT;
    state.key = static_cast<BYTE>(vk);
    state.modifiers = modifiers;
    Changed(hwnd);
    return true;
}

void Paint(HWND hwnd, const HotKeyState& state, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(IsWindowEnabled(hwnd) ? RGB(255, 255, 255) : RGB(240, 240, 240));
    FillRect(dc, &client, background);
    DeleteObject(background);
    HGDIOBJ old = SelectObject(dc, state.font ? state.font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd) ? RGB(0, 0, 0) : RGB(109, 109, 109));
    const std::wstring text = Shown(state);
    RECT box = client;
    box.left += 2;
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SIZE extent {};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (GetFocus() == hwnd)
        SetCaretPos(2 + extent.cx, 0);
    SelectObject(dc, old);
}

LRESULT HotKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HotKeyState* state = StateOf(hwnd);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(new HotKeyState()));
        return TRUE;
    }
    if (!state)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtr(hwnd, 0, 0);
        delete state;
        return 0;
    case HKM_SETHOTKEY:
        state->key = LOBYTE(wParam);
        state->modifiers = HIBYTE(wParam);
        state->held = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case HKM_GETHOTKEY:
        return MAKEWORD(state->key, state->modifiers);
    case HKM_SETRULES:
        state->invalid = wParam;
        state->fallback = LOBYTE(LOWORD(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(hwnd, *state, wParam, lParam) ? 0 : DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (IsModifier(wParam) && state->held) {
            state->held = ModifiersDown();
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
        return 0;  // keys are taken whole, never typed
    case WM_GETDLGCODE:
        return 0x0001 | 0x0080;  // DLGC_WANTARROWS | DLGC_WANTCHARS
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_SETFOCUS:
        CreateCaret(hwnd, nullptr, 1, 16);
        ShowCaret(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KILLFOCUS:
        state->held = 0;
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
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

void RegisterHotKeyClass()
{
    RegisterPaintedClass(HOTKEY_CLASS, HotKeyProc, CS_PARENTDC, IDC_ARROW);
}

}  // namespace platform
