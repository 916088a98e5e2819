#include "ui/controls/HotKeyUI.h"

#include "platform/CommCtrl.h"
#include "ui/controls/ButtonUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

#include <string>

namespace SkinUI {

namespace {

const CControlRegistration kHotKey(L"CHotKeyUI", &CHotKeyUI::CreateControl);

constexpr const wchar_t* kNoHotKey = L"无";

COLORREF ToColorRef(DWORD argb)
{
    return RGB(static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8), static_cast<BYTE>(argb));
}

bool IsNavigationKey(UINT vk)
{
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE;
}

}  // namespace

// ---- CHotKeyWnd -----------------------------------------------------------------------------

const wchar_t* CHotKeyWnd::GetWindowClassName() const
{
    return L"HotKeyClass";
}

const wchar_t* CHotKeyWnd::GetSuperClassName() const
{
    return HOTKEY_CLASS;
}

RECT CHotKeyWnd::CalPos()
{
    const RECT padding = m_pOwner->ScaledTextPadding();
    RECT rcPos = m_pOwner->GetPos();
    rcPos.left += padding.left;
    rcPos.top += padding.top;
    rcPos.right -= padding.right;
    rcPos.bottom -= padding.bottom;
    const LONG fontHeight = m_pManager->GetFontInfo(m_pOwner->GetFont())->tm.tmHeight;
    if (fontHeight < rcPos.bottom - rcPos.top) {
        rcPos.top += (rcPos.bottom - rcPos.top - fontHeight) / 2;
        rcPos.bottom = rcPos.top + fontHeight;
    }
    return rcPos;
}

void CHotKeyWnd::Init(CHotKeyUI* pOwner)
{
    m_pOwner = pOwner;
    m_pManager = pOwner->GetManager();
    if (Create(m_pManager->GetPaintWindow(), nullptr, WS_CHILD | ES_AUTOHSCROLL, 0, CalPos()) == nullptr)
        return;
    HFONT hFont = pOwner->GetFont() != -1 ? m_pManager->GetFont(pOwner->GetFont()) : nullptr;
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont ? hFont : m_pManager->GetDefaultFontInfo()->hFont),
                  TRUE);
    SetHotKey(pOwner->m_wVirtualKeyCode, pOwner->m_wModifiers);
    pOwner->SetText(GetHotKeyName().GetData());
    ::EnableWindow(m_hWnd, pOwner->IsEnabled());
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CHotKeyWnd::Detach()
{
    m_pOwner = nullptr;
    m_pManager = nullptr;
    // Posted, not destroyed here: the owner may be deleted from inside one of our own messages.
    if (m_hWnd != nullptr) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        ::PostMessage(m_hWnd, WM_CLOSE, 0, 0);
    }
}

void CHotKeyWnd::OnFinalMessage(HWND)
{
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
    }
    delete this;
}

void CHotKeyWnd::SetHotKey(WORD wVirtualKeyCode, WORD wModifiers)
{
    ::SendMessage(m_hWnd, HKM_SETHOTKEY, MAKEWORD(static_cast<BYTE>(wVirtualKeyCode), static_cast<BYTE>(wModifiers)), 0);
}

DWORD CHotKeyWnd::GetHotKey() const
{
    return static_cast<DWORD>(::SendMessage(m_hWnd, HKM_GETHOTKEY, 0, 0));
}

void CHotKeyWnd::GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const
{
    const DWORD hotKey = GetHotKey();
    wVirtualKeyCode = LOBYTE(LOWORD(hotKey));
    wModifiers = HIBYTE(LOWORD(hotKey));
}

void CHotKeyWnd::SetRules(WORD wInvalidComb, WORD wModifiers)
{
    ::SendMessage(m_hWnd, HKM_SETRULES, wInvalidComb, MAKELPARAM(wModifiers, 0));
}

CUIString CHotKeyWnd::GetKeyName(UINT vk)
{
    LONG scan = static_cast<LONG>(::MapVirtualKeyEx(vk, MAPVK_VK_TO_VSC, ::GetKeyboardLayout(0)));
    if (IsNavigationKey(vk))
        scan |= 0x100;
    wchar_t name[260] {};
    ::GetKeyNameText(scan << 16, name, 260);
    return name;
}

CUIString CHotKeyWnd::GetHotKeyName() const
{
    WORD key = 0, modifiers = 0;
    GetHotKey(key, modifiers);
    if (key == 0 && modifiers == 0)
        return CUIString();
    CUIString name;
    const struct {
        WORD flag;
        UINT vk;
    } parts[] = { { HOTKEYF_CONTROL, VK_CONTROL }, { HOTKEYF_SHIFT, VK_SHIFT }, { HOTKEYF_ALT, VK_MENU } };
    for (const auto& part : parts) {
        if (modifiers & part.flag) {
            name += GetKeyName(part.vk);
            name += L" + ";
        }
    }
    name += GetKeyName(key);
    return name;
}

void CHotKeyWnd::Paint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    RECT rcClient {};
    ::GetClientRect(m_hWnd, &rcClient);
    if (m_pOwner != nullptr) {
        HBRUSH brush = ::CreateSolidBrush(ToColorRef(m_pOwner->GetNativeBkColor()));
        ::FillRect(hDC, &rcClient, brush);
        ::DeleteObject(brush);
        HGDIOBJ oldFont = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(::SendMessage(m_hWnd, WM_GETFONT, 0, 0)));
        ::SetBkMode(hDC, TRANSPARENT);
        ::SetTextColor(hDC, ToColorRef(m_pOwner->GetTextColor()));
        const CUIString name = GetHotKeyName();
        ::DrawText(hDC, name.GetData(), name.GetLength(), &rcClient, DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE);
        SIZE extent {};
        ::GetTextExtentPoint32(hDC, name.GetData(), name.GetLength(), &extent);
        ::SetCaretPos(extent.cx, 0);
        ::SelectObject(hDC, oldFont);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CHotKeyWnd::OnHotKeyChanged()
{
    if (!m_bInit || m_pOwner == nullptr)
        return;
    GetHotKey(m_pOwner->m_wVirtualKeyCode, m_pOwner->m_wModifiers);
    if (m_pOwner->m_wVirtualKeyCode != 0) {
        m_pOwner->SetText(GetHotKeyName().GetData());
    } else {
        m_pOwner->SetText(kNoHotKey);
        m_pOwner->m_wModifiers = 0;
    }
    m_pManager->SendNotify(m_pOwner, L"textchanged");
}

LRESULT CHotKeyWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS: {
        // The window and this object are gone once WM_CLOSE returns: nothing of ours after it.
        HWND hWnd = m_hWnd;
        const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        ::SendMessage(hWnd, WM_CLOSE, 0, 0);
        return lRes;
    }
    case WM_PAINT:
        Paint();
        return 0;
    case WM_KEYDOWN:
        if (wParam != VK_RETURN)
            break;
        if (m_pOwner != nullptr)
            m_pManager->SendNotify(m_pOwner, L"return");
        return 0;
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            OnHotKeyChanged();
        else if (HIWORD(wParam) == EN_UPDATE)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    case WM_NCCALCSIZE:
    case WM_NCACTIVATE:
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// ---- CHotKeyUI ------------------------------------------------------------------------------

CHotKeyUI::CHotKeyUI()
    : CInPlaceFieldHostUI(true)
{
    SetTextPadding({ 4, 3, 4, 3 });
    SetBkColor(0xFFFFFFFF);
}

CHotKeyUI::~CHotKeyUI()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
}

CControlUI* CHotKeyUI::CreateControl()
{
    return new CHotKeyUI();
}

const wchar_t* CHotKeyUI::GetClass() const
{
    return L"HotKeyUI";
}

void* CHotKeyUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wstring(pstrName) == L"HotKey")
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CHotKeyUI::GetControlFlags() const
{
    return IsEnabled() ? (ControlFlagTabStop | ControlFlagSetCursor) : 0;
}

void CHotKeyUI::OpenField()
{
    OpenFieldWindow(m_pWindow, this);
}

void CHotKeyUI::SetText(const wchar_t* pstrText)
{
    m_sText = pstrText;
    if (m_pWindow != nullptr && m_pWindow->GetHWND() != nullptr)
        ::SetWindowText(m_pWindow->GetHWND(), m_sText.GetData());
    Invalidate();
}

void CHotKeyUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CHotKeyUI::DropFocusIfHidden()
{
    if (!IsVisible() && m_pWindow != nullptr && m_pManager != nullptr)
        m_pManager->SetFocus(nullptr);
}

void CHotKeyUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    DropFocusIfHidden();
}

void CHotKeyUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    DropFocusIfHidden();
}

void CHotKeyUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (m_pWindow == nullptr || m_pWindow->GetHWND() == nullptr)
        return;
    const RECT rcPos = m_pWindow->CalPos();
    ::SetWindowPos(m_pWindow->GetHWND(), nullptr, rcPos.left, rcPos.top, rcPos.right - rcPos.left,
                   rcPos.bottom - rcPos.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CHotKeyUI::SetNormalImage(const wchar_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CHotKeyUI::SetHotImage(const wchar_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CHotKeyUI::SetFocusedImage(const wchar_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CHotKeyUI::SetDisabledImage(const wchar_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CHotKeyUI::SetHotKey(WORD wVirtualKeyCode, WORD wModifiers)
{
    m_wVirtualKeyCode = wVirtualKeyCode;
    m_wModifiers = wModifiers;
    if (m_pWindow != nullptr || m_pManager == nullptr)
        return;
    OpenField();
    Invalidate();
}

DWORD CHotKeyUI::GetHotKey() const
{
    return (static_cast<DWORD>(LOBYTE(m_wModifiers)) << 8) | LOBYTE(m_wVirtualKeyCode);
}

void CHotKeyUI::GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const
{
    wVirtualKeyCode = m_wVirtualKeyCode;
    wModifiers = m_wModifiers;
}

void CHotKeyUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    const std::wstring name = pstrName;
    if (name == L"normalimage")
        SetNormalImage(pstrValue);
    else if (name == L"hotimage")
        SetHotImage(pstrValue);
    else if (name == L"focusedimage")
        SetFocusedImage(pstrValue);
    else if (name == L"disabledimage")
        SetDisabledImage(pstrValue);
    else if (name == L"nativebkcolor")
        SetNativeBkColor(ReadColor(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

SIZE CHotKeyUI::EstimateSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy == 0 && m_pManager != nullptr)
        return { ScaleValue(m_cxyFixed.cx), m_pManager->GetFontInfo(GetFont())->tm.tmHeight + ScaleValue(6) };
    return CControlUI::EstimateSize(szAvailable);
}

void CHotKeyUI::PaintStatusImage(HDC hDC)
{
    m_uButtonState = IsFocused() ? (m_uButtonState | ButtonStateFocused) : (m_uButtonState & ~ButtonStateFocused);
    m_uButtonState = IsEnabled() ? (m_uButtonState & ~ButtonStateDisabled) : (m_uButtonState | ButtonStateDisabled);
    const struct {
        UINT bit;
        const CUIString& image;
    } states[] = { { ButtonStateDisabled, m_sDisabledImage },
                   { ButtonStateFocused, m_sFocusedImage },
                   { ButtonStateHot, m_sHotImage } };
    for (const auto& state : states)
        if ((m_uButtonState & state.bit) && !state.image.IsEmpty() && DrawImage(hDC, state.image.GetData()))
            return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage.GetData());
}

void CHotKeyUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    ResolveDefaultColors();
    if (m_sText.IsEmpty())
        return;
    const RECT padding = ScaledTextPadding();
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
              m_rcItem.bottom - padding.bottom };
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, m_sText.GetData(), CurrentTextColor(), m_iFont,
                             m_uTextStyle | DT_SINGLELINE);
}

}  // namespace SkinUI
