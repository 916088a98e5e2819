// The one keyboard layout the layer knows: the US PC layout. Virtual keys map to set-1 scan codes,
// and scan codes (with the extended flag) to the English key names a hot-key field shows.

#include "platform/WinUser.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

struct KeyEntry {
    UINT vk;
    UINT scan;  // with 0x100 for keys sent with the extended prefix
    const wchar_t* name;
    wchar_t character;  // what MAPVK_VK_TO_CHAR gives, 0 for none
};

constexpr UINT kExtended = 0x100;

// The navigation keys share their codes with the numeric pad; only the extended prefix tells them apart.
constexpr KeyEntry kKeys[] = {
    { VK_ESCAPE, 0x01, L"Esc", 0x1B }, { VK_BACK, 0x0E, L"Backspace", 0x08 }, { VK_TAB, 0x0F, L"Tab", 0x09 },
    { VK_RETURN, 0x1C, L"Enter", 0x0D }, { VK_SPACE, 0x39, L"Space", L' ' }, { VK_CAPITAL, 0x3A, L"Caps Lock", 0 },
    { VK_SHIFT, 0x2A, L"Shift", 0 }, { VK_LSHIFT, 0x2A, L"Shift", 0 }, { VK_RSHIFT, 0x36, L"Right Shift", 0 },
    { VK_CONTROL, 0x1D, L"Ctrl", 0 }, { VK_LCONTROL, 0x1D, L"Ctrl", 0 },
    { VK_RCONTROL, 0x1D | kExtended, L"Right Ctrl", 0 }, { VK_MENU, 0x38, L"Alt", 0 }, { VK_LMENU, 0x38, L"Alt", 0 },
    { VK_RMENU, 0x38 | kExtended, L"Right Alt", 0 }, { VK_LWIN, 0x5B | kExtended, L"Left Windows", 0 },
    { VK_RWIN, 0x5C | kExtended, L"Right Windows", 0 }, { VK_APPS, 0x5D | kExtended, L"Application", 0 },
    { VK_PAUSE, 0x45 | kExtended, L"Pause", 0 }, { VK_SNAPSHOT, 0x37 | kExtended, L"Prnt Scrn", 0 },
    { VK_NUMLOCK, 0x45, L"Num Lock", 0 }, { VK_SCROLL, 0x46, L"Scroll Lock", 0 },
    { VK_HOME, 0x47 | kExtended, L"Home", 0 }, { VK_UP, 0x48 | kExtended, L"Up", 0 },
    { VK_PRIOR, 0x49 | kExtended, L"Page Up", 0 }, { VK_LEFT, 0x4B | kExtended, L"Left", 0 },
    { VK_RIGHT, 0x4D | kExtended, L"Right", 0 }, { VK_END, 0x4F | kExtended, L"End", 0 },
    { VK_DOWN, 0x50 | kExtended, L"Down", 0 }, { VK_NEXT, 0x51 | kExtended, L"Page Down", 0 },
    { VK_INSERT, 0x52 | kExtended, L"Insert", 0 }, { VK_DELETE, 0x53 | kExtended, L"Delete", 0 },
    { VK_NUMPAD7, 0x47, L"Num 7", L'7' }, { VK_NUMPAD8, 0x48, L"Num 8", L'8' }, { VK_NUMPAD9, 0x49, L"Num 9", L'9' },
    { VK_SUBTRACT, 0x4A, L"Num -", L'-' }, { VK_NUMPAD4, 0x4B, L"Num 4", L'4' }, { VK_NUMPAD5, 0x4C, L"Num 5", L'5' },
    { VK_NUMPAD6, 0x4D, L"Num 6", L'6' }, { VK_ADD, 0x4E, L"Num +", L'+' }, { VK_NUMPAD1, 0x4F, L"Num 1", L'1' },
    { VK_NUMPAD2, 0x50, L"Num 2", L'2' }, { VK_NUMPAD3, 0x51, L"Num 3", L'3' }, { VK_NUMPAD0, 0x52, L"Num 0", L'0' },
    { VK_DECIMAL, 0x53, L"Num Del", L'.' }, { VK_MULTIPLY, 0x37, L"Num *", L'*' },
    { VK_DIVIDE, 0x35 | kExtended, L"Num /", L'/' },
    { VK_OEM_MINUS, 0x0C, L"-", L'-' }, { VK_OEM_PLUS, 0x0D, L"=", L'=' }, { VK_OEM_4, 0x1A, L"[", L'[' },
    { VK_OEM_6, 0x1B, L"]", L']' }, { VK_OEM_1, 0x27, L";", L';' }, { VK_OEM_7, 0x28, L"'", L'\'' },
    { VK_OEM_3, 0x29, L"`", L'`' }, { VK_OEM_5, 0x2B, L"\\", L'\\' }, { VK_OEM_COMMA, 0x33, L",", L',' },
    { VK_OEM_PERIOD, 0x34, L".", L'.' }, { VK_OEM_2, 0x35, L"/", L'/' },
};

// Letters, digits and function keys follow rows of the keyboard, so they are computed.
constexpr UINT kLetterScans[26] = { 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C };
constexpr UINT kFunctionScans[24] = { 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58,
                                      0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x76 };

struct Key {
    UINT scan = 0;
    std::wstring name;
    wchar_t character = 0;
};

Key KeyOfVirtualKey(UINT vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return { kLetterScans[vk - 'A'], std::wstring(1, static_cast<wchar_t>(vk)), static_cast<wchar_t>(vk) };
    if (vk >= '0' && vk <= '9')
        return { vk == '0' ? 0x0BU : 0x02U + (vk - '1'), std::wstring(1, static_cast<wchar_t>(vk)), static_cast<wchar_t>(vk) };
    if (vk >= VK_F1 && vk <= VK_F24)
        return { kFunctionScans[vk - VK_F1], L"F" + std::to_wstring(vk - VK_F1 + 1), 0 };
    for (const KeyEntry& entry : kKeys)
        if (entry.vk == vk)
            return { entry.scan, entry.name, entry.character };
    return {};
}

bool IsPadKey(UINT vk) { return vk >= VK_NUMPAD0 && vk <= VK_DIVIDE; }

// The virtual key of a scan code (with kExtended when it came with the prefix) among the numeric
// pad's keys or the others, 0 when none has it. The left-hand modifiers give way to the generic ones.
UINT FindVirtualKey(UINT scan, bool pad)
{
    if ((scan & 0xFF) == 0)
        return 0;
    for (UINT vk = 1; vk < 256; ++vk) {
        if (IsPadKey(vk) != pad || vk == VK_LSHIFT || vk == VK_LCONTROL || vk == VK_LMENU)
            continue;
        if (KeyOfVirtualKey(vk).scan == scan)
            return vk;
    }
    return 0;
}

}  // namespace

namespace platform {

bool IsExtendedKey(int vk)
{
    return (KeyOfVirtualKey(static_cast<UINT>(vk)).scan & kExtended) != 0;
}

}  // namespace platform

HKL GetKeyboardLayout(DWORD)
{
    return reinterpret_cast<HKL>(static_cast<uintptr_t>(0x04090409));  // English (United States)
}

UINT MapVirtualKey(UINT code, UINT mapType)
{
    switch (mapType) {
    case MAPVK_VK_TO_VSC:
        return KeyOfVirtualKey(code).scan & 0xFF;
    case MAPVK_VSC_TO_VK: {
        // A bare code shared with the pad gives the navigation key, as without Num Lock.
        const UINT scan = code & 0xFF;
        if (const UINT vk = FindVirtualKey(scan, false); vk)
            return vk;
        if (const UINT vk = FindVirtualKey(scan | kExtended, false); vk)
            return vk;
        return FindVirtualKey(scan, true);
    }
    case MAPVK_VK_TO_CHAR:
        return KeyOfVirtualKey(code).character;
    default:
        return 0;
    }
}

UINT MapVirtualKeyEx(UINT code, UINT mapType, HKL) { return MapVirtualKey(code, mapType); }

int GetKeyNameText(LONG lParam, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const DWORD bits = static_cast<DWORD>(lParam);
    const UINT scan = ((bits >> 16) & 0xFF) | ((bits & (1U << 24)) ? kExtended : 0);
    UINT vk = FindVirtualKey(scan, false);
    vk = vk ? vk : FindVirtualKey(scan, true);
    const std::wstring name = vk ? KeyOfVirtualKey(vk).name : std::wstring();
    const int n = std::min<int>(size - 1, static_cast<int>(name.size()));
    wmemcpy(buffer, name.c_str(), static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
}
