#pragma once
// The records and small interfaces that a window's paint manager and its controls share: the
// events a control receives, the notifications it publishes, the search and control flags, the
// font and resource tables of a window, and the listener interfaces a window registers.

#include <set>
#include <string>

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CControlUI;

// Event types of tagTEventUI. Controls that do not take the mouse hand the mouse range
// (UiEventMouseBegin..UiEventMouseEnd) on to their parent.
enum UiEventType {
    UiEventFirst = 1,
    UiEventKeyBegin = 2,
    UiEventKeyDown = 3,
    UiEventKeyUp = 4,
    UiEventChar = 5,
    UiEventSysKey = 6,
    UiEventKeyEnd = 7,
    UiEventMouseBegin = 8,
    UiEventMouseMove = 9,
    UiEventMouseLeave = 10,
    UiEventMouseEnter = 11,
    UiEventMouseHover = 12,
    UiEventButtonDown = 13,
    UiEventButtonUp = 14,
    UiEventRButtonDown = 15,
    UiEventRButtonUp = 16,
    UiEventMButtonDown = 17,
    UiEventMButtonUp = 18,
    UiEventDblClick = 19,
    UiEventContextMenu = 20,
    UiEventScrollWheel = 21,
    UiEventMouseEnd = 22,
    UiEventKillFocus = 23,
    UiEventSetFocus = 24,
    UiEventWindowSize = 25,
    UiEventSetCursor = 26,
    UiEventTimer = 27,
    UiEventLast = 28,
};

// Bits of the flags argument of CControlUI::FindControl.
constexpr UINT FindVisible = 0x00000001;
constexpr UINT FindEnabled = 0x00000002;
constexpr UINT FindHitTest = 0x00000004;
constexpr UINT FindUpdateTest = 0x00000008;
constexpr UINT FindTopFirst = 0x00000010;
constexpr UINT FindMeFirst = 0x80000000;

// Bits of CControlUI::GetControlFlags.
constexpr UINT ControlFlagTabStop = 0x00000001;
constexpr UINT ControlFlagSetCursor = 0x00000002;

// Window messages of the framework.
constexpr UINT DeferredWorkMessage = WM_APP + 1;    // delayed deletions, then queued notifications
constexpr UINT LanguageChangedMessage = WM_USER + 2;
constexpr UINT DpiChangedMessage = WM_USER + 200;    // posted after the window took a new DPI
constexpr UINT_PTR CaretTimerId = 0x1999;

// MK_ALT is not a Windows mouse-key flag; the framework reports Alt with this bit.
constexpr WORD MK_ALT = 0x20;

// One event for one control; zero-filled, then the fields the event needs are set.
struct tagTEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse {};
    WCHAR chKey = 0;
    WORD wKeyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
using TEventUI = tagTEventUI;

// A notification from a control to its delegates and the window's notifiers ("click", ...).
struct tagTNotifyUI {
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse {};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
using TNotifyUI = tagTNotifyUI;

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
public:
    virtual ~IMessageFilterUI() = default;
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class ITranslateAccelerator {
public:
    virtual ~ITranslateAccelerator() = default;
    // 0 (S_OK) when the message was an accelerator and is consumed.
    virtual LRESULT TranslateAcceleratorW(MSG* pMsg) = 0;
};

// One registered font. Sizes are in skin units; a zero tm.tmHeight means not measured yet.
struct tagTFontInfo {
    HFONT hFont = nullptr;
    CUIString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm {};
};
using TFontInfo = tagTFontInfo;

// One level of named resources: the process-wide shared level or one window's own.
struct tagTResInfo {
    tagTResInfo() = default;
    ~tagTResInfo();  // frees the strings of its styles and default attribute lists
    DWORD m_dwDefaultDisabledColor = 0;
    DWORD m_dwDefaultFontColor = 0;
    DWORD m_dwDefaultLinkFontColor = 0;
    DWORD m_dwDefaultLinkHoverFontColor = 0;
    DWORD m_dwDefaultSelectedBkColor = 0;
    TFontInfo m_DefaultFontInfo;
    CStdStringPtrMap m_CustomFonts;
    CStdStringPtrMap m_ImageHash;
    CStdStringPtrMap m_AttrHash;
    CStdStringPtrMap m_StyleHash;
    CStdStringPtrMap m_DrawInfoHash;
    // Images refused for their size (name and resource type): not opened again on every paint,
    // only when the images are reloaded.
    std::set<std::wstring> m_RefusedImages;
};
using TResInfo = tagTResInfo;

}  // namespace SkinUI
