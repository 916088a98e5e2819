#include "ui/controls/DateTimeUI.h"

#include "platform/CommCtrl.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

#include <cwchar>
#include <string>

namespace SkinUI {

namespace {

const CControlRegistration kDateTime(L"CDateTimeUI", &CDateTimeUI::CreateControl);

constexpr int kUpdateNone = 0;
constexpr int kUpdateText = 1;

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

// ---- CDateTimeWnd ---------------------------------------------------------------------------

const wchar_t* CDateTimeWnd::GetWindowClassName() const
{
    return L"DateTimeWnd";
}

const wchar_t* CDateTimeWnd::GetSuperClassName() const
{
    return DATETIMEPICK_CLASS;
}

bool CDateTimeWnd::IsLayeredHost() const
{
    return m_pManager != nullptr && m_pManager->IsLayered();
}

void CDateTimeWnd::Init(CDateTimeUI* pOwner)
{
    m_pOwner = pOwner;
    m_pManager = pOwner->GetManager();
    m_pOwner->m_nDTUpdateFlag = kUpdateNone;
    if (m_hWnd == nullptr) {
        const RECT rcPos = ClipToAncestors(pOwner->GetPos(), pOwner->GetParent());
        if (Create(m_pManager->GetPaintWindow(), nullptr, WS_CHILD, 0, rcPos) == nullptr)
            return;
        HFONT hFont = pOwner->GetFont() != -1 ? m_pManager->GetFont(pOwner->GetFont()) : nullptr;
        ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont ? hFont : m_pManager->GetDefaultFontInfo()->hFont),
                      TRUE);
    }
    if (pOwner->GetText().IsEmpty())
        ::GetLocalTime(&pOwner->m_sysTime);
    m_oldSysTime = pOwner->m_sysTime;
    ::SendMessage(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&pOwner->m_sysTime));
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CDateTimeWnd::Detach()
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

void CDateTimeWnd::OnFinalMessage(HWND hWnd)
{
    if (m_pOwner != nullptr) {
        if (IsLayeredHost())
            m_pManager->RemovePaintChildWnd(hWnd);
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
    }
    delete this;
}

void CDateTimeWnd::ReadDate()
{
    ::SendMessage(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
    m_pOwner->RewriteText();
}

LRESULT CDateTimeWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam != VK_ESCAPE || m_pOwner == nullptr)
            break;
        m_pOwner->m_sysTime = m_oldSysTime;
        m_pOwner->RewriteText();
        PostMessageW(WM_CLOSE);
        return 0;
    case OCM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (m_pOwner == nullptr || header == nullptr || header->hwndFrom != m_hWnd)
            break;
        if (header->code == DTN_DATETIMECHANGE) {
            ReadDate();
        } else if (header->code == DTN_DROPDOWN) {
            m_bDropOpen = true;
        } else if (header->code == DTN_CLOSEUP) {
            ReadDate();
            PostMessageW(WM_CLOSE);
            m_bDropOpen = false;
        }
        break;
    }
    case WM_KILLFOCUS:
        if (!m_bDropOpen)
            PostMessageW(WM_CLOSE);
        break;
    case WM_PAINT:
        if (IsLayeredHost())
            m_pManager->AddPaintChildWnd(m_hWnd);
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// ---- CDateTimeUI ----------------------------------------------------------------------------

CDateTimeUI::CDateTimeUI()
    : CInPlaceFieldHostUI(false)
{
    ::GetLocalTime(&m_sysTime);
    RewriteText();
}

CDateTimeUI::~CDateTimeUI()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
}

CControlUI* CDateTimeUI::CreateControl()
{
    return new CDateTimeUI();
}

const wchar_t* CDateTimeUI::GetClass() const
{
    return L"DateTimeUI";
}

void* CDateTimeUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wstring(pstrName) == L"DateTime")
        return this;
    return CLabelUI::GetInterface(pstrName);
}

void CDateTimeUI::SetTime(const SYSTEMTIME* pst)
{
    if (pst == nullptr)
        return;
    m_sysTime = *pst;
    Invalidate();
    RewriteText();
}

void CDateTimeUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    Invalidate();
}

void CDateTimeUI::UpdateText()
{
    if (m_nDTUpdateFlag != kUpdateText)
        return;
    wchar_t text[32];
    std::swprintf(text, 32, L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
    SetText(text);
}

void CDateTimeUI::RewriteText()
{
    m_nDTUpdateFlag = kUpdateText;
    UpdateText();
}

void CDateTimeUI::OpenField()
{
    OpenFieldWindow(m_pWindow, this);
}

void CDateTimeUI::OnFieldPress(TEventUI&)
{
    if (IsFocused() || m_pWindow != nullptr)
        OpenField();
}

}  // namespace SkinUI
