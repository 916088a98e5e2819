#include "ui/controls/IPAddressUI.h"

#include "platform/CommCtrl.h"
#include "platform/WinSock.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace SkinUI {

namespace {

const CControlRegistration kIPAddress(L"CIPAddressUI", &CIPAddressUI::CreateControl);

enum UpdateMode { kIdle = 0, kShowAddress = 1, kClearText = 2, kCancelled = 3 };

}  // namespace

// ---- CIPAddressWnd --------------------------------------------------------------------------

const wchar_t* CIPAddressWnd::GetWindowClassName() const
{
    return L"IPAddressWnd";
}

const wchar_t* CIPAddressWnd::GetSuperClassName() const
{
    return WC_IPADDRESS;
}

void CIPAddressWnd::Init(CIPAddressUI* pOwner)
{
    m_pOwner = pOwner;
    CPaintManagerUI* manager = pOwner->GetManager();
    pOwner->m_nIPUpdateFlag = kIdle;
    if (m_hWnd == nullptr) {
        INITCOMMONCONTROLSEX init { sizeof(INITCOMMONCONTROLSEX), ICC_INTERNET_CLASSES };
        if (!::InitCommonControlsEx(&init))
            return;
        if (Create(manager->GetPaintWindow(), nullptr, WS_CHILD | WS_GROUP | WS_TABSTOP, 0, pOwner->GetPos()) == nullptr)
            return;
        HFONT hFont = pOwner->GetFont() != -1 ? manager->GetFont(pOwner->GetFont()) : nullptr;
        ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont ? hFont : manager->GetDefaultFontInfo()->hFont),
                      TRUE);
    }
    if (pOwner->GetText().IsEmpty())
        pOwner->m_dwIP = CIPAddressUI::HostAddress();
    ::SendMessage(m_hWnd, IPM_SETADDRESS, 0, static_cast<LPARAM>(pOwner->m_dwIP));
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CIPAddressWnd::Detach()
{
    m_pOwner = nullptr;
    // Posted, not destroyed here: the owner may be deleted from inside one of our own messages.
    if (m_hWnd != nullptr) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        ::PostMessage(m_hWnd, WM_CLOSE, 0, 0);
    }
}

void CIPAddressWnd::OnFinalMessage(HWND)
{
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->Invalidate();
    }
    delete this;
}

// The focus left one of the fields: when it left the whole control, take the address back (unless
// the edit was cleared or cancelled) and hide until the next opening.
void CIPAddressWnd::OnFocusLeft(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    HWND focus = ::GetFocus();
    if (focus == m_hWnd || ::IsChild(m_hWnd, focus))
        return;
    CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (m_pOwner != nullptr && m_pOwner->m_nIPUpdateFlag == kIdle) {
        DWORD address = 0;
        ::SendMessage(m_hWnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        m_pOwner->m_dwIP = address;
        m_pOwner->m_nIPUpdateFlag = kShowAddress;
        m_pOwner->UpdateText();
    }
    ::ShowWindow(m_hWnd, SW_HIDE);
}

LRESULT CIPAddressWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_KILLFOCUS:
        return 0;
    case WM_KEYUP: {
        if (m_pOwner == nullptr || (wParam != VK_BACK && wParam != VK_DELETE && wParam != VK_ESCAPE))
            break;
        const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        if (wParam == VK_ESCAPE) {
            m_pOwner->m_nIPUpdateFlag = kCancelled;
        } else {
            m_pOwner->m_nIPUpdateFlag = kClearText;
            m_pOwner->UpdateText();
        }
        PostMessageW(WM_CLOSE);
        return lRes;
    }
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_KILLFOCUS)
            OnFocusLeft(uMsg, wParam, lParam);
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// ---- CIPAddressUI ---------------------------------------------------------------------------

CIPAddressUI::CIPAddressUI() : CInPlaceFieldHostUI(false), m_dwIP(HostAddress())
{
    m_nIPUpdateFlag = kShowAddress;
    UpdateText();
    m_nIPUpdateFlag = kIdle;
}

CIPAddressUI::~CIPAddressUI()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
}

DWORD CIPAddressUI::HostAddress()
{
    WSADATA data {};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    DWORD address = 0;
    char name[256] {};
    if (::gethostname(name, sizeof(name) - 1) == 0) {
        const hostent* host = ::gethostbyname(name);
        if (host != nullptr && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list[0] != nullptr) {
            in_addr first {};
            std::memcpy(&first, host->h_addr_list[0], sizeof(first));
            address = ntohl(first.s_addr);
        }
    }
    ::WSACleanup();
    return address;
}

CControlUI* CIPAddressUI::CreateControl()
{
    return new CIPAddressUI();
}

const wchar_t* CIPAddressUI::GetClass() const
{
    return L"DateTimeUI";
}

void* CIPAddressUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wstring(pstrName) == L"IPAddress")
        return this;
    return CLabelUI::GetInterface(pstrName);
}

void CIPAddressUI::SetIP(DWORD dwIP)
{
    m_dwIP = dwIP;
    m_nIPUpdateFlag = kShowAddress;
    UpdateText();
}

void CIPAddressUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    Invalidate();
}

void CIPAddressUI::UpdateText()
{
    if (m_nIPUpdateFlag == kShowAddress) {
        wchar_t text[32];
        std::swprintf(text, 32, L"%d.%d.%d.%d", static_cast<int>((m_dwIP >> 24) & 0xFF),
                      static_cast<int>((m_dwIP >> 16) & 0xFF), static_cast<int>((m_dwIP >> 8) & 0xFF),
                      static_cast<int>(m_dwIP & 0xFF));
        SetText(text);
    } else if (m_nIPUpdateFlag == kClearText) {
        SetText(L"");
    }
}

void CIPAddressUI::OpenField()
{
    OpenFieldWindow(m_pWindow, this);
}

void CIPAddressUI::OnFieldPress(TEventUI&)
{
    if (IsFocused() || m_pWindow != nullptr)
        OpenField();
}

}  // namespace SkinUI
