#include "editor/dialogs/TimelineHandleUI.h"

#include <cstdlib>
#include <cwchar>

#include "editor/mainwnd/MainWnd.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"

RECT StartHandleRect { 197, 440, 203, 454 };
RECT EndHandleRect { 811, 440, 817, 712 };
unsigned HandleDragFlags = 0;
HHOOK DragMouseHook = nullptr;

namespace {

// The handles answer their own interface name exactly, then the button's.
bool Is(const wchar_t* asked, const wchar_t* name)
{
    return asked != nullptr && ::wcscmp(asked, name) == 0;
}

// The timeline's left end and the split page's cut range, at 96 DPI.
constexpr int kTimelineLeft = 197;
constexpr int kSplitRange = 523;
constexpr int kHandleWidth = 6;
constexpr int kCutHandleWidth = 12;
constexpr int kJumpLimit = 1000;

// The main window's DPI before any handle has a manager (the constructors' initial values).
int ScaleByMainWindow(int x)
{
    return MainWindowPointer != nullptr ? MainWindowPointer->ScaleByDpi(x) : x;
}

}  // namespace

bool InstallDragMouseHook()
{
    RemoveDragMouseHook();
    DragMouseHook = ::SetWindowsHookEx(WH_MOUSE_LL, DragMouseHookProc, nullptr, 0);
    return DragMouseHook != nullptr;
}

bool RemoveDragMouseHook()
{
    if (DragMouseHook == nullptr)
        return false;
    ::UnhookWindowsHookEx(DragMouseHook);
    DragMouseHook = nullptr;
    return true;
}

LRESULT DragMouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK self = DragMouseHook;
    if (code == HC_ACTION && wParam == WM_LBUTTONUP) {
        RemoveDragMouseHook();
        if ((HandleDragFlags & HandleDragging) != 0) {
            HandleDragFlags &= ~HandleDragging;
            if (MainWindowHandle != nullptr)
                ::PostMessage(MainWindowHandle, kMsgHandleDragEnded, 0, 0);
        }
    }
    return ::CallNextHookEx(self, code, wParam, lParam);
}

int CTimelineHandleUI::S(int x) const
{
    return m_pManager != nullptr ? m_pManager->GetDPIObj()->Scale(x) : x;
}

void CTimelineHandleUI::DoEvent(SkinUI::TEventUI& event)
{
    switch (event.Type) {
    case SkinUI::UiEventButtonDown:
    case SkinUI::UiEventDblClick:  // a quick second press is a press too
        if (IsEnabled() && ::PtInRect(&m_rcItem, event.ptMouse)) {
            OnPress(event.ptMouse);
            return;
        }
        break;
    case SkinUI::UiEventMouseMove:
        // A drag bit left over by another handle (or a lost hook) does not move this one.
        if ((HandleDragFlags & HandleDragging) != 0 && m_bPressed) {
            OnDragMove(event.ptMouse);
            return;
        }
        break;
    case SkinUI::UiEventButtonUp:
        if (m_bPressed) {
            OnRelease();
            return;
        }
        break;
    case SkinUI::UiEventSetCursor:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    default:
        break;
    }
    CButtonUI::DoEvent(event);
}

void CTimelineHandleUI::OnPress(POINT pt)
{
    HandleDragFlags |= HandleDragging;
    m_bPressed = true;
    m_ptPress = pt;
    m_rcDrag = m_rcItem;
    InstallDragMouseHook();
}

void CTimelineHandleUI::OnRelease()
{
    m_bPressed = false;
    HandleDragFlags &= ~HandleDragging;
    StoredRect() = m_rcDrag;
    if (m_pManager != nullptr)
        m_pManager->Invalidate(m_rcDrag);
    SetPos(m_rcDrag);
    if (m_pManager == nullptr)
        return;
    m_pManager->SendNotify(this, MoveNotification());
    m_pManager->SendNotify(this, L"playvideo");
}

bool CTimelineHandleUI::TakeStep(POINT pt, int& dx)
{
    dx = pt.x - m_ptPress.x;
    if (std::abs(dx) > kJumpLimit) {
        HandleDragFlags &= ~HandleDragging;
        return false;
    }
    m_ptPress = pt;
    return true;
}

void CTimelineHandleUI::Commit()
{
    SetPos(m_rcDrag);
    StoredRect() = m_rcDrag;
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, MoveNotification());
}

CMyButtonUI::CMyButtonUI()
{
    StartHandleRect = { 197, 440, 203, 454 };
    EndHandleRect = { 811, 440, 817, 712 };
}

const wchar_t* CMyButtonUI::GetClass() const
{
    return L"MyButtonUI";
}

void* CMyButtonUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MyButton") ? this : CButtonUI::GetInterface(pstrName);
}

// A limited step parks the drag rectangle at the limit without moving the handle; the release
// puts the handle there.
void CMyButtonUI::OnDragMove(POINT pt)
{
    int dx = 0;
    if (!TakeStep(pt, dx))
        return;
    RECT candidate = m_rcDrag;
    ::OffsetRect(&candidate, dx, 0);
    const int left = S(kTimelineLeft);
    if (PageKey == L"tabFenge") {
        const int right = left + S(kSplitRange);
        if (candidate.left < left) {
            m_rcDrag.left = left + S(kHandleWidth);
            m_rcDrag.right = m_rcDrag.left + S(kCutHandleWidth);
            return;
        }
        if (candidate.right > right) {
            m_rcDrag.right = right;
            m_rcDrag.left = right - S(kCutHandleWidth);
            return;
        }
    } else {
        if (candidate.left < left) {
            m_rcDrag.left = left;
            m_rcDrag.right = left + S(kHandleWidth);
            return;
        }
        if (candidate.right >= EndHandleRect.left) {
            m_rcDrag.right = EndHandleRect.left;
            m_rcDrag.left = EndHandleRect.left - S(kHandleWidth);
            return;
        }
    }
    m_rcDrag = candidate;
    Commit();
}

const wchar_t* CMyButtonEndUI::GetClass() const
{
    return L"MyButtonEndUI";
}

void* CMyButtonEndUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MyButtonEnd") ? this : CButtonUI::GetInterface(pstrName);
}

void CMyButtonEndUI::OnDragMove(POINT pt)
{
    int dx = 0;
    if (!TakeStep(pt, dx))
        return;
    RECT candidate = m_rcDrag;
    ::OffsetRect(&candidate, dx, 0);
    const int limit = S(EndHandleLimit);
    if (candidate.right >= limit) {
        m_rcDrag.left = limit - S(kHandleWidth);
        m_rcDrag.right = limit;
        return;
    }
    if (candidate.left <= StartHandleRect.right) {
        m_rcDrag.left = StartHandleRect.right;
        m_rcDrag.right = StartHandleRect.right + S(kHandleWidth);
        return;
    }
    m_rcDrag = candidate;
    Commit();
}

CMoveButtonUI::CMoveButtonUI()
{
    StartHandleRect = { ScaleByMainWindow(38), 440, ScaleByMainWindow(46), 453 };
}

const wchar_t* CMoveButtonUI::GetClass() const
{
    return L"MoveButtonUI";
}

void* CMoveButtonUI::GetInterface(const wchar_t* pstrName)
{
    return Is(pstrName, L"MoveButton") ? this : CButtonUI::GetInterface(pstrName);
}
