#include "ui/controls/EditUI.h"

#include "ui/controls/ButtonUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ResourceManager.h"

#include <string>
#include <vector>

namespace SkinUI {

namespace {

const CControlRegistration kEdit(L"CEditUI", &CEditUI::CreateControl);

constexpr DWORD kNoNativeColor = 0xFFFFFFFF;

COLORREF ToColorRef(DWORD argb)
{
    return RGB(static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8), static_cast<BYTE>(argb));
}

CUIString WindowText(HWND hWnd)
{
    const int length = ::GetWindowTextLength(hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowText(hWnd, buffer.data(), length + 1);
    return buffer.data();
}

// The rectangle clipped by every visible ancestor; empty under an invisible one.
RECT ClipToAncestors(RECT rc, CControlUI* parent)
{
    for (; parent != nullptr; parent = parent->GetParent()) {
        if (!parent->IsVisible())
            return {};
        const RECT client = parent->GetClientPos();
        if (!::IntersectRect(&rc, &rc, &client))
            return {};
    }
    return rc;
}

}  // namespace

// ---- CEditWnd -------------------------------------------------------------------------------

const wchar_t* CEditWnd::GetWindowClassName() const
{
    return L"EditWnd";
}

const wchar_t* CEditWnd::GetSuperClassName() const
{
    return L"Edit";
}

bool CEditWnd::IsLayeredHost() const
{
    return m_pManager != nullptr && m_pManager->IsLayered();
}

void CEditWnd::Init(CEditUI* pOwner)
{
    m_pOwner = pOwner;
    m_pManager = pOwner->GetManager();
    const RECT rcPos = PlacedPos();
    DWORD uStyle = IsLayeredHost() ? (WS_POPUP | WS_VISIBLE | ES_AUTOHSCROLL) : (WS_CHILD | ES_AUTOHSCROLL);
    const UINT uTextStyle = pOwner->GetTextStyle();
    if (uTextStyle & DT_CENTER)
        uStyle |= ES_CENTER;
    else if (uTextStyle & DT_RIGHT)
        uStyle |= ES_RIGHT;
    if (pOwner->IsPasswordMode())
        uStyle |= ES_PASSWORD;
    if (Create(m_pManager->GetPaintWindow(), nullptr, uStyle, 0, rcPos) == nullptr)
        return;

    HFONT hFont = pOwner->GetFont() != -1 ? m_pManager->GetFont(pOwner->GetFont()) : nullptr;
    if (hFont == nullptr)
        hFont = m_pManager->GetDefaultFontInfo()->hFont;
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    ::SendMessage(m_hWnd, EM_LIMITTEXT, pOwner->GetMaxChar(), 0);
    if (pOwner->IsPasswordMode())
        ::SendMessage(m_hWnd, EM_SETPASSWORDCHAR, pOwner->GetPasswordChar(), 0);
    ::SetWindowText(m_hWnd, pOwner->GetText().GetData());
    ::SendMessage(m_hWnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessage(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(m_hWnd, pOwner->IsEnabled());
    ::SendMessage(m_hWnd, EM_SETREADONLY, pOwner->IsReadOnly(), 0);
    const LONG_PTR style = ::GetWindowLongPtr(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtr(m_hWnd, GWL_STYLE, style | static_cast<LONG_PTR>(pOwner->GetWindowStyls()));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    const int length = ::GetWindowTextLength(m_hWnd);
    ::SendMessage(m_hWnd, EM_SETSEL, 0, length == 0 ? 1 : length);
    m_bInit = true;
}

RECT CEditWnd::CalPos()
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
    return ClipToAncestors(rcPos, m_pOwner->GetParent());
}

// A popup editor lies over the layered host in screen coordinates, one pixel higher, wherever it
// is placed: on opening, on a new position and on a move.
RECT CEditWnd::PlacedPos()
{
    RECT rcPos = CalPos();
    if (!IsLayeredHost())
        return rcPos;
    RECT rcWnd {};
    ::GetWindowRect(m_pManager->GetPaintWindow(), &rcWnd);
    ::OffsetRect(&rcPos, rcWnd.left, rcWnd.top - 1);
    return rcPos;
}

void CEditWnd::Detach()
{
    if (IsLayeredHost() && m_hWnd != nullptr)
        m_pManager->RemovePaintChildWnd(m_hWnd);
    m_pOwner = nullptr;
    m_pManager = nullptr;
    // Posted, not destroyed here: the owner may be deleted from inside one of our own messages.
    if (m_hWnd != nullptr) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        ::PostMessage(m_hWnd, WM_CLOSE, 0, 0);
    }
}

void CEditWnd::OnFinalMessage(HWND hWnd)
{
    if (m_hBkBrush != nullptr)
        ::DeleteObject(m_hBkBrush);
    if (m_pOwner != nullptr) {
        m_pOwner->Invalidate();
        if (IsLayeredHost())
            m_pManager->RemovePaintChildWnd(hWnd);
        m_pOwner->m_pWindow = nullptr;
    }
    delete this;
}

LRESULT CEditWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        if (IsLayeredHost()) {
            m_pManager->AddPaintChildWnd(m_hWnd);
            ::SetTimer(m_hWnd, CaretTimerId, ::GetCaretBlinkTime(), nullptr);
        }
        break;
    case WM_KILLFOCUS: {
        const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        PostMessageW(WM_CLOSE);
        return lRes;
    }
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            OnEditChanged();
        else if (HIWORD(wParam) == EN_UPDATE)
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_TAB)
            return OnKeyDown(uMsg, wParam, lParam);
        break;
    case OCM_CTLCOLOREDIT:
    case OCM_CTLCOLORSTATIC:
        return OnControlColor(reinterpret_cast<HDC>(wParam));
    case WM_PRINT:
        if (IsLayeredHost()) {
            OnPrint(wParam, lParam);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == CaretTimerId) {
            m_bDrawCaret = !m_bDrawCaret;
            ::InvalidateRect(m_hWnd, nullptr, FALSE);
            return 0;
        }
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT CEditWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM)
{
    if (m_pOwner == nullptr)
        return 0;
    if (wParam == VK_RETURN) {
        m_pManager->SendNotify(m_pOwner, L"return");
        return 0;
    }
    // Tab: on an ordinary window the paint manager moves the focus itself.
    if (IsLayeredHost())
        m_pManager->SetNextTabControl();
    return 0;
}

LRESULT CEditWnd::OnControlColor(HDC hDC)
{
    if (m_pOwner == nullptr)
        return 0;
    const DWORD bkColor = m_pOwner->GetNativeEditBkColor();
    if (bkColor == kNoNativeColor)
        return 0;
    ::SetBkMode(hDC, TRANSPARENT);
    const DWORD textColor = m_pOwner->GetNativeEditTextColor() != 0 ? m_pOwner->GetNativeEditTextColor()
                                                                     : m_pOwner->GetTextColor();
    ::SetTextColor(hDC, ToColorRef(textColor));
    // Made again when the colour changed while the editor is open.
    if (m_hBkBrush == nullptr || m_dwBrushColor != bkColor) {
        if (m_hBkBrush != nullptr)
            ::DeleteObject(m_hBkBrush);
        m_hBkBrush = ::CreateSolidBrush(ToColorRef(bkColor));
        m_dwBrushColor = bkColor;
    }
    return reinterpret_cast<LRESULT>(m_hBkBrush);
}

// The layered host copies the editor into its surface; the caret is drawn here, as the layer has
// no caret of its own over a layered window.
void CEditWnd::OnPrint(WPARAM wParam, LPARAM lParam)
{
    CWindowWnd::HandleMessage(WM_PRINT, wParam, lParam);
    if (m_pOwner == nullptr || !m_pOwner->IsEnabled() || !m_bDrawCaret)
        return;
    RECT rcClient {};
    ::GetClientRect(m_hWnd, &rcClient);
    POINT ptCaret {};
    ::GetCaretPos(&ptCaret);
    const RECT rcCaret { ptCaret.x, ptCaret.y, ptCaret.x, ptCaret.y + rcClient.bottom - rcClient.top };
    CRenderEngine::DrawLine(reinterpret_cast<HDC>(wParam), rcCaret, 1, 0xFF000000);
}

void CEditWnd::OnEditChanged()
{
    if (!m_bInit || m_pOwner == nullptr)
        return;
    m_pOwner->m_sText = WindowText(m_hWnd);
    m_pManager->SendNotify(m_pOwner, L"textchanged");
    if (m_pOwner != nullptr && IsLayeredHost())
        m_pOwner->Invalidate();
}

// ---- CEditUI --------------------------------------------------------------------------------

CEditUI::CEditUI()
    : CInPlaceFieldHostUI(true)
{
    SetTextPadding({ 4, 3, 4, 3 });
    SetBkColor(0xFFFFFFFF);
}

CEditUI::~CEditUI()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
}

CControlUI* CEditUI::CreateControl()
{
    return new CEditUI();
}

const wchar_t* CEditUI::GetClass() const
{
    return L"EditUI";
}

void* CEditUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Edit"))
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CEditUI::GetControlFlags() const
{
    return IsEnabled() ? (ControlFlagTabStop | ControlFlagSetCursor) : 0;
}

HWND CEditUI::EditorWindow() const
{
    return m_pWindow != nullptr ? m_pWindow->GetHWND() : nullptr;
}

void CEditUI::OpenField()
{
    OpenFieldWindow(m_pWindow, this);
}

void CEditUI::OnFieldPress(TEventUI& event)
{
    if (IsFocused() && m_pWindow == nullptr) {
        OpenField();
        if (::PtInRect(&m_rcItem, event.ptMouse))
            SetSelAll();
    } else if (m_pWindow != nullptr) {
        SetSelAll();
    }
}

void CEditUI::SetText(const wchar_t* pstrText)
{
    m_sText = pstrText;
    if (HWND hWnd = EditorWindow())
        ::SetWindowText(hWnd, m_sText.GetData());
    Invalidate();
}

void CEditUI::SetMaxChar(UINT uMax)
{
    m_uMaxChar = uMax;
    if (HWND hWnd = EditorWindow())
        ::SendMessage(hWnd, EM_LIMITTEXT, m_uMaxChar, 0);
}

void CEditUI::SetReadOnly(bool bReadOnly)
{
    if (m_bReadOnly == bReadOnly)
        return;
    m_bReadOnly = bReadOnly;
    if (HWND hWnd = EditorWindow())
        ::SendMessage(hWnd, EM_SETREADONLY, m_bReadOnly, 0);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool bNumberOnly)
{
    m_iWindowStyls = bNumberOnly ? (m_iWindowStyls | ES_NUMBER) : (m_iWindowStyls & ~ES_NUMBER);
}

bool CEditUI::IsNumberOnly() const
{
    return (m_iWindowStyls & ES_NUMBER) != 0;
}

void CEditUI::SetPasswordMode(bool bPasswordMode)
{
    if (m_bPasswordMode == bPasswordMode)
        return;
    m_bPasswordMode = bPasswordMode;
    Invalidate();
    HWND hWnd = EditorWindow();
    if (hWnd == nullptr)
        return;
    const LONG_PTR style = ::GetWindowLongPtr(hWnd, GWL_STYLE);
    ::SetWindowLongPtr(hWnd, GWL_STYLE, m_bPasswordMode ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD));
    ::InvalidateRect(hWnd, nullptr, TRUE);
}

void CEditUI::SetPasswordChar(wchar_t cPasswordChar)
{
    if (m_cPasswordChar == cPasswordChar)
        return;
    m_cPasswordChar = cPasswordChar;
    if (HWND hWnd = EditorWindow())
        ::SendMessage(hWnd, EM_SETPASSWORDCHAR, m_cPasswordChar, 0);
    Invalidate();
}

void CEditUI::SetNormalImage(const wchar_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CEditUI::SetHotImage(const wchar_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CEditUI::SetFocusedImage(const wchar_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CEditUI::SetDisabledImage(const wchar_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CEditUI::SetTipValue(const wchar_t* pStrTipValue)
{
    m_sTipValue = pStrTipValue;
}

CUIString CEditUI::GetTipValue() const
{
    if (!IsResourceText())
        return m_sTipValue;
    const wchar_t* text = CResourceManager::GetInstance()->GetText(m_sTipValue.GetData());
    return text != nullptr ? CUIString(text) : m_sTipValue;
}

void CEditUI::SetTipValueColor(const wchar_t* pStrColor)
{
    m_dwTipValueColor = ReadColor(pStrColor);
    Invalidate();
}

void CEditUI::SetNativeEditTextColor(const wchar_t* pStrColor)
{
    m_dwEditTextColor = ReadColor(pStrColor);
}

void CEditUI::SetNativeEditBkColor(DWORD dwBkColor)
{
    m_dwEditbkColor = dwBkColor;
    if (HWND hWnd = EditorWindow())
        ::InvalidateRect(hWnd, nullptr, TRUE);
}

void CEditUI::SetSel(long nStartChar, long nEndChar)
{
    if (HWND hWnd = EditorWindow())
        ::SendMessage(hWnd, EM_SETSEL, static_cast<WPARAM>(nStartChar), nEndChar);
}

void CEditUI::SetSelAll()
{
    SetSel(0, -1);
}

void CEditUI::SetReplaceSel(const wchar_t* lpszReplace)
{
    if (HWND hWnd = EditorWindow())
        ::SendMessage(hWnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(lpszReplace));
}

void CEditUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CEditUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    if (HWND hWnd = EditorWindow()) {
        const RECT rcPos = m_pWindow->PlacedPos();
        ::SetWindowPos(hWnd, nullptr, rcPos.left, rcPos.top, rcPos.right - rcPos.left, rcPos.bottom - rcPos.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CControlUI::Move(szOffset, bNeedInvalidate);
    if (HWND hWnd = EditorWindow()) {
        const RECT rcPos = m_pWindow->PlacedPos();
        ::SetWindowPos(hWnd, nullptr, rcPos.left, rcPos.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    }
}

void CEditUI::DropFocusIfHidden()
{
    if (!IsVisible() && m_pWindow != nullptr && m_pManager != nullptr)
        m_pManager->SetFocus(nullptr);
}

void CEditUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    DropFocusIfHidden();
}

void CEditUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    DropFocusIfHidden();
}

void CEditUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"readonly"))
        SetReadOnly(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"numberonly"))
        SetNumberOnly(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"password"))
        SetPasswordMode(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"passwordchar"))
        SetPasswordChar(*pstrValue);
    else if (NameIs(pstrName, L"maxchar"))
        SetMaxChar(static_cast<UINT>(ReadInt(pstrValue)));
    else if (NameIs(pstrName, L"normalimage"))
        SetNormalImage(pstrValue);
    else if (NameIs(pstrName, L"hotimage"))
        SetHotImage(pstrValue);
    else if (NameIs(pstrName, L"focusedimage"))
        SetFocusedImage(pstrValue);
    else if (NameIs(pstrName, L"disabledimage"))
        SetDisabledImage(pstrValue);
    else if (NameIs(pstrName, L"tipvalue"))
        SetTipValue(pstrValue);
    else if (NameIs(pstrName, L"tipvaluecolor"))
        SetTipValueColor(pstrValue);
    else if (NameIs(pstrName, L"nativetextcolor"))
        SetNativeEditTextColor(pstrValue);
    else if (NameIs(pstrName, L"nativebkcolor"))
        SetNativeEditBkColor(ReadColor(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

SIZE CEditUI::EstimateSize(SIZE szAvailable)
{
    if (m_cxyFixed.cy == 0 && m_pManager != nullptr)
        return { ScaleValue(m_cxyFixed.cx), m_pManager->GetFontInfo(GetFont())->tm.tmHeight + ScaleValue(6) };
    return CControlUI::EstimateSize(szAvailable);
}

void CEditUI::PaintStatusImage(HDC hDC)
{
    m_uButtonState = IsFocused() ? (m_uButtonState | ButtonStateFocused) : (m_uButtonState & ~ButtonStateFocused);
    m_uButtonState = IsEnabled() ? (m_uButtonState & ~ButtonStateDisabled) : (m_uButtonState | ButtonStateDisabled);
    const struct {
        UINT bit;
        const CUIString& image;
    } states[] = { { ButtonStateDisabled, m_sDisabledImage }, { ButtonStateFocused, m_sFocusedImage }, { ButtonStateHot, m_sHotImage } };
    for (const auto& state : states)
        if ((m_uButtonState & state.bit) && !state.image.IsEmpty() && DrawImage(hDC, state.image.GetData()))
            return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage.GetData());
}

void CEditUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    ResolveDefaultColors();
    const CUIString tip = GetTipValue();
    CUIString shown = m_sText;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_sText.IsEmpty() || m_sText == tip.GetData()) {
        shown = tip;
        color = IsEnabled() ? m_dwTipValueColor : m_dwDisabledTextColor;
    } else if (m_bPasswordMode) {
        const std::wstring stars(static_cast<size_t>(m_sText.GetLength()), m_cPasswordChar);
        shown = stars.c_str();
    }
    if (shown.IsEmpty())
        return;
    const RECT padding = ScaledTextPadding();
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
              m_rcItem.bottom - padding.bottom };
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, shown.GetData(), color, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

}  // namespace SkinUI
