#include "ui/controls/IPAddressExUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

namespace SkinUI {

namespace {

const CControlRegistration kIPAddressEx(L"CIPAddressExUI", &CIPAddressExUI::CreateControl);

constexpr int kMaxDigits = 3;
constexpr DWORD kActiveBackground = 0xFF3399FF;
constexpr DWORD kActiveText = 0xFFFFFFFF;

// The number at the start of a piece ("12x" is 12), cut to 0..255; wcstol saturates, so no
// run of digits can overflow.
int OctetOf(const std::wstring& piece)
{
    const long value = std::wcstol(piece.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp(value, 0L, 255L));
}

}  // namespace

CIPAddressExUI::CIPAddressExUI()
{
    SetReadOnly(true);
    UpdateText();
}

CControlUI* CIPAddressExUI::CreateControl()
{
    return new CIPAddressExUI();
}

const wchar_t* CIPAddressExUI::GetClass() const
{
    return L"IPAddressExUI";
}

void* CIPAddressExUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && std::wstring(pstrName) == L"IPAddress")
        return this;
    return CEditUI::GetInterface(pstrName);
}

void CIPAddressExUI::UpdateText()
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%d.%d.%d.%d", m_nOctets[0], m_nOctets[1], m_nOctets[2], m_nOctets[3]);
    SetText(text);
}

CUIString CIPAddressExUI::GetIP() const
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%d.%d.%d.%d", m_nOctets[0], m_nOctets[1], m_nOctets[2], m_nOctets[3]);
    return text;
}

// Numbers ended by a dot fill the first octets in order and the number after the last dot fills
// the fourth; empty numbers between dots are skipped. At most four numbers are read: a fifth and
// later ones are ignored, so nothing is written past the fourth octet.
void CIPAddressExUI::SetIP(const wchar_t* lpszIP)
{
    if (lpszIP == nullptr)
        return;
    std::vector<std::wstring> pieces;
    std::wstring current;
    for (const wchar_t* p = lpszIP; *p != 0; ++p) {
        if (*p != L'.') {
            current += *p;
            continue;
        }
        if (!current.empty())
            pieces.push_back(current);
        current.clear();
    }
    const bool trailing = !current.empty();
    if (trailing)
        pieces.push_back(current);
    const size_t kept = std::min<size_t>(pieces.size(), 4);
    for (size_t i = 0; i < kept; ++i) {
        const bool last = i + 1 == kept && (trailing || pieces.size() >= 4);
        m_nOctets[last ? 3 : i] = OctetOf(pieces[i]);
    }
    UpdateText();
}

void CIPAddressExUI::MoveTo(int section)
{
    m_strNum.Empty();
    m_nActiveSection = std::clamp(section, 0, 4);
    UpdateText();
    Invalidate();
}

void CIPAddressExUI::AddDigit(int digit)
{
    if (m_nActiveSection < 1)
        return;
    if (m_strNum.GetLength() >= kMaxDigits)
        m_strNum.Empty();  // the fourth octet starts over instead of growing without end
    m_strNum += static_cast<wchar_t>(L'0' + digit);
    m_nOctets[m_nActiveSection - 1] = OctetOf(m_strNum.GetData());
    UpdateText();
    if (m_strNum.GetLength() == kMaxDigits && m_nActiveSection < 4)
        MoveTo(m_nActiveSection + 1);
    Invalidate();
}

void CIPAddressExUI::Step(int by)
{
    if (m_nActiveSection < 1)
        return;
    int& octet = m_nOctets[m_nActiveSection - 1];
    octet = std::clamp(octet + by, 0, 255);
    UpdateText();
    Invalidate();
}

void CIPAddressExUI::OnKeyDown(WPARAM vk)
{
    if (vk == VK_DELETE || vk == VK_BACK) {
        if (m_nActiveSection >= 1)
            m_nOctets[m_nActiveSection - 1] = 0;
        m_strNum.Empty();
        UpdateText();
        Invalidate();
    } else if (vk >= '0' && vk <= '9') {
        AddDigit(static_cast<int>(vk - '0'));
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        AddDigit(static_cast<int>(vk - VK_NUMPAD0));
    } else if (vk == VK_LEFT) {
        if (m_nActiveSection >= 2)
            MoveTo(m_nActiveSection - 1);
    } else if (vk == VK_RIGHT || vk == VK_DECIMAL || vk == VK_OEM_PERIOD) {
        if (m_nActiveSection <= 3)
            MoveTo(m_nActiveSection + 1);
    } else if (vk == VK_UP) {
        Step(1);
    } else if (vk == VK_DOWN) {
        Step(-1);
    }
}

void CIPAddressExUI::DoEvent(TEventUI& event)
{
    if (IsEnabled()) {
        switch (event.Type) {
        case UiEventKillFocus:
            m_nActiveSection = 0;
            Invalidate();
            break;
        case UiEventButtonDown:
        case UiEventDblClick:
        case UiEventRButtonDown: {
            const int quarter = std::max(1, static_cast<int>(m_rcItem.right - m_rcItem.left) / 4);
            const int x = event.ptMouse.x - m_rcItem.left;
            MoveTo(x <= quarter ? 1 : x <= 2 * quarter ? 2 : x <= 3 * quarter ? 3 : 4);
            break;
        }
        case UiEventScrollWheel:
            Step(LOWORD(event.wParam) == 0 ? 1 : -1);
            break;
        case UiEventKeyDown:
            OnKeyDown(event.chKey);
            break;
        default:
            break;
        }
    }
    // The edit's own handling (and its native editor) is never used.
    CLabelUI::DoEvent(event);
}

void CIPAddressExUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr || m_sText.IsEmpty())
        return;
    ResolveDefaultColors();
    const DWORD color = CurrentTextColor();
    const RECT padding = ScaledTextPadding();
    const RECT inner { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
                       m_rcItem.bottom - padding.bottom };
    const int quarter = (inner.right - inner.left) / 4;
    const UINT style = m_uTextStyle | DT_SINGLELINE | DT_NOPREFIX;
    for (int i = 1; i <= 3; ++i) {
        RECT dot { inner.left + i * quarter, inner.top, inner.left + i * quarter + quarter / 2, inner.bottom };
        CRenderEngine::DrawTextW(hDC, m_pManager, dot, L".", color, m_iFont, style);
    }
    const bool allZero = std::all_of(std::begin(m_nOctets), std::end(m_nOctets), [](int octet) { return octet == 0; });
    if (allZero && m_nActiveSection == 0)
        return;
    for (int n = 1; n <= 4; ++n) {
        const std::wstring digits = std::to_wstring(m_nOctets[n - 1]);
        const int left = inner.left + (n - 1) * quarter + quarter / 2;
        RECT box { left, inner.top, left + quarter / 2, inner.bottom };
        if (n == m_nActiveSection && IsEnabled())
            CRenderEngine::DrawTextW(hDC, m_pManager, box, digits.c_str(), kActiveText, m_iFont, style,
                                     kActiveBackground, false);
        else
            CRenderEngine::DrawTextW(hDC, m_pManager, box, digits.c_str(), color, m_iFont, style);
    }
}

}  // namespace SkinUI
