#include "editor/dialogs/CoverWnd.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "editor/dialogs/ConcealWnd.h"
#include "editor/dialogs/DialogDpi.h"
#include "editor/dialogs/WaterTextUI.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"

namespace {

constexpr DWORD kOutlineColor = 0xFF1885DD;
constexpr int kNear = 20;
constexpr int kBand = 4;
CDialogDpiDebounce CoverDpiTick;

void SetNumber(SkinUI::CControlUI* edit, int value)
{
    if (edit == nullptr)
        return;
    SkinUI::CUIString text;
    text.Format(L"%d", value);
    edit->SetText(text.GetData());
}

}  // namespace

// ---- CMyVer ----

const wchar_t* CMyVer::GetClass() const
{
    return L"MyVerUI";
}

void* CMyVer::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && ::wcscmp(pstrName, L"MyVer") == 0)
        return this;
    return CContainerUI::GetInterface(pstrName);
}

void CMyVer::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (::wcscasecmp(pstrName, L"rectA") == 0) {
        const std::vector<SkinUI::CUIString> parts = SplitUIString(pstrValue, L",");
        if (parts.size() == 4) {
            int v[4];
            for (int i = 0; i < 4; ++i)
                v[i] = static_cast<int>(std::wcstol(parts[i].GetData(), nullptr, 10));
            m_rcSelection = { v[0], v[1], v[2], v[3] };
            Invalidate();
        }
    } else if (::wcscasecmp(pstrName, L"bkcolor") == 0 || ::wcscasecmp(pstrName, L"bkcolor1") == 0) {
        while (*pstrValue >= 1 && *pstrValue <= 32)
            ++pstrValue;
        if (*pstrValue == L'#')
            ++pstrValue;
        SetBkColor(static_cast<DWORD>(std::wcstoul(pstrValue, nullptr, 16)));
    }
    CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CMyVer::PaintBkColor(HDC hDC)
{
    const RECT& s = m_rcSelection;
    const DWORD shade = GetBkColor();
    if (s.left == 0 && s.top == 0 && s.right == 0 && s.bottom == 0) {
        SkinUI::CRenderEngine::DrawColor(hDC, m_rcItem, shade);
        return;
    }
    SkinUI::CRenderEngine::DrawColor(hDC, { 0, 0, s.left, s.bottom }, shade);
    SkinUI::CRenderEngine::DrawColor(hDC, { s.left, 0, s.right, s.top }, shade);
    SkinUI::CRenderEngine::DrawColor(hDC, { s.right, 0, CropCanvasWidth, s.bottom }, shade);
    SkinUI::CRenderEngine::DrawColor(hDC, { 0, s.bottom, CropCanvasWidth, CropCanvasHeight }, shade);
    // A border size of 0 still shows a one-pixel outline, as a zero-width pen draws.
    SkinUI::CRenderEngine::DrawRect(hDC, s, std::max(1, GetLeftBorderSize()), kOutlineColor);
    const DWORD handles = GetBorderColor();
    if ((handles >> 24) == 0)
        return;
    for (int i = 0; i < 9; ++i)
        SkinUI::CRenderEngine::DrawColor(hDC, GetHandleRect(i), handles);
}

RECT CMyVer::GetHandleRect(int i) const
{
    const RECT& s = m_rcSelection;
    const int size = GetInset().left, d = 2 * size;
    const int mx = (s.left + s.right) / 2, my = (s.top + s.bottom) / 2;
    switch (i) {
    case 0: return { s.left, s.top, s.left + d, s.top + d };
    case 1: return { mx - size, s.top, mx + size, s.top + d };
    case 2: return { s.right - d, s.top, s.right, s.top + d };
    case 3: return { s.left, my - size, s.left + d, my + size };
    case 5: return { s.right - d, my - size, s.right, my + size };
    case 6: return { s.left, s.bottom - d, s.left + d, s.bottom };
    case 7: return { mx - size, s.bottom - d, mx + size, s.bottom };
    case 8: return { s.right - d, s.bottom - d, s.right, s.bottom };
    default: return {};
    }
}

int CMyVer::HitTestHandle(POINT pt, LPCWSTR* cursor)
{
    SetInset({ 2, 2, 2, 2 });
    static const LPCWSTR kCursors[9] = { IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZEALL,
                                         IDC_SIZEWE, IDC_SIZENESW, IDC_SIZENS, IDC_SIZENWSE };
    int handle = 4;
    for (int i = 8; i >= 0; --i) {
        const RECT rc = GetHandleRect(i);
        if (i != 4 && ::PtInRect(&rc, pt)) {
            handle = i;
            break;
        }
    }
    const RECT root = m_pManager != nullptr && m_pManager->GetRoot() != nullptr ? m_pManager->GetRoot()->GetPos() : m_rcItem;
    const RECT& c = m_rcItem;
    if (handle == 4) {
        if (root.bottom - c.bottom <= kNear && pt.y >= c.bottom - kBand && pt.y <= c.bottom)
            handle = 7;
        else if (root.right - c.right <= kNear && pt.x >= c.right - kBand && pt.x <= c.right)
            handle = 5;
        else if (c.left - root.left <= kNear && pt.x >= c.left && pt.x <= c.left + kBand)
            handle = 3;
        else if (c.top - root.top <= kNear && pt.y >= c.top && pt.y <= c.top + kBand)
            handle = 1;
    }
    if (cursor != nullptr)
        *cursor = kCursors[handle];
    return handle;
}

void CMyVer::DoEvent(SkinUI::TEventUI& event)
{
    if (event.Type != SkinUI::UiEventSetCursor || !IsEnabled())
        return;
    LPCWSTR cursor = IDC_SIZEALL;
    HitTestHandle(event.ptMouse, &cursor);
    ::SetCursor(::LoadCursor(nullptr, cursor));
}

// ---- CCover ----

CCover::CCover(int maxWidth, int maxHeight, SkinUI::CControlUI* xEdit, SkinUI::CControlUI* yEdit,
               SkinUI::CControlUI* widthEdit, SkinUI::CControlUI* heightEdit)
    : m_nMaxWidth(maxWidth), m_nMaxHeight(maxHeight), m_pXEdit(xEdit), m_pYEdit(yEdit), m_pWidthEdit(widthEdit),
      m_pHeightEdit(heightEdit)
{
}

const wchar_t* CCover::GetWindowClassName() const
{
    return L"Cover";
}

UINT CCover::GetClassStyle() const
{
    return CS_DBLCLKS;
}

SkinUI::CUIString CCover::GetSkinFileName()
{
    return m_strSkin.c_str();
}

SkinUI::CControlUI* CCover::CreateControl(const wchar_t* pstrClass)
{
    if (::wcscasecmp(pstrClass, L"MyVer") == 0)
        return new CMyVer();  // the skin's tree owns it
    return nullptr;
}

void CCover::InitWindow()
{
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    auto* hor = static_cast<SkinUI::CContainerUI*>(m_pm.FindControl(L"hor"));
    if (hor != nullptr && hor->GetCount() > 0)
        m_pSelection = static_cast<CMyVer*>(hor->GetItemAt(0)->GetInterface(L"MyVer"));
    if (m_pSelection != nullptr)
        m_pSelection->SetAttribute(L"rectA", L"0,0,0,0");
}

void CCover::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

void CCover::SetSelectionRect(int bottom)
{
    if (m_pSelection == nullptr)
        return;
    SkinUI::CUIString text;
    text.Format(L"%d,%d,%d,%d", CropFrameRect.left, CropFrameRect.top, CropFrameRect.right, bottom);
    m_pSelection->SetAttribute(L"rectA", text.GetData());
}

LRESULT CCover::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnPress(lParam);
        break;
    case WM_MOUSEMOVE:
        if ((wParam & MK_LBUTTON) != 0 && m_nDrawing == 1)
            OnDrag(lParam);
        break;
    case WM_LBUTTONUP:
        OnRelease();
        break;
    case WM_DPICHANGED:
        CoverDpiTick.Rescale(m_pm, m_hWnd, wParam, lParam);
        break;
    default:
        break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CCover::OnPress(LPARAM lParam)
{
    m_ptPressClient = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    m_ptPressScreen = m_ptPressClient;
    ::ClientToScreen(m_hWnd, &m_ptPressScreen);
    ::GetWindowRect(m_hWnd, &m_rcWindow);
    if (CropFrameWindow != nullptr)
        ::ShowWindow(CropFrameWindow, SW_HIDE);
    m_nDrawing = 1;
    m_bBandDrawn = false;
}

void CCover::OnDrag(LPARAM lParam)
{
    const POINT c { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    if (c.x == m_ptPressClient.x && c.y == m_ptPressClient.y)
        return;
    POINT p = c;
    ::ClientToScreen(m_hWnd, &p);
    RECT band;
    band.left = std::max(0, static_cast<int>(std::min(p.x, m_ptPressScreen.x) - m_rcWindow.left));
    band.top = std::max(0, static_cast<int>(std::min(p.y, m_ptPressScreen.y) - m_rcWindow.top));
    band.right = std::min(static_cast<int>(std::max(c.x, m_ptPressClient.x)), m_nMaxWidth);
    band.bottom = std::min(static_cast<int>(std::max(c.y, m_ptPressClient.y)), m_nMaxHeight);
    if (band.left != 0)
        m_nRememberedBottom = band.bottom;
    if (p.x == m_rcWindow.left - 1) {
        band = { m_ptPressScreen.x - m_rcWindow.left, m_ptPressScreen.y - m_rcWindow.top, m_nMaxWidth,
                 m_nRememberedBottom };
        m_nEndNow = 1;
    }
    m_rcBand = ClampBand(band);
    SkinUI::CUIString text;
    text.Format(L"%d,%d,%d,%d", m_rcBand.left, m_rcBand.top, m_rcBand.right, m_rcBand.bottom);
    if (m_pSelection != nullptr)
        m_pSelection->SetAttribute(L"rectA", text.GetData());
    SetNumber(m_pWidthEdit, m_rcBand.right - m_rcBand.left);
    SetNumber(m_pHeightEdit, m_rcBand.bottom - m_rcBand.top);
    SetNumber(m_pXEdit, m_rcBand.left);
    SetNumber(m_pYEdit, m_rcBand.top);
    m_ptFrame = { m_rcBand.left, m_rcBand.top };
    ::ClientToScreen(m_hWnd, &m_ptFrame);
    m_szFrame = { m_rcBand.right - m_rcBand.left, m_rcBand.bottom - m_rcBand.top };
    m_bBandDrawn = true;
    if (m_nEndNow != 0)
        ::PostMessage(m_hWnd, WM_LBUTTONUP, 0, 0);
}

// At least 14 x 14, with the left and top edges on the canvas and the right and bottom edges
// within the maximum, whatever the pointer did.
RECT CCover::ClampBand(RECT band) const
{
    const int maxLeft = std::max(0, CropCanvasWidth - kMinimumBand);
    const int maxTop = std::max(0, CropCanvasHeight - kMinimumBand);
    band.left = std::clamp(static_cast<int>(band.left), 0, maxLeft);
    band.top = std::clamp(static_cast<int>(band.top), 0, maxTop);
    band.right = std::clamp(static_cast<int>(band.right), static_cast<int>(band.left) + kMinimumBand,
                            std::max(static_cast<int>(band.left) + kMinimumBand, m_nMaxWidth));
    band.bottom = std::clamp(static_cast<int>(band.bottom), static_cast<int>(band.top) + kMinimumBand,
                             std::max(static_cast<int>(band.top) + kMinimumBand, m_nMaxHeight));
    return band;
}

void CCover::OnRelease()
{
    m_nDrawing = 0;
    m_nEndNow = 0;
    if (CropFrameWindow == nullptr)
        return;
    if (!m_bBandDrawn) {
        ::SetWindowPos(CropFrameWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        return;
    }
    m_bBandDrawn = false;
    ::SetWindowPos(CropFrameWindow, HWND_TOP, m_ptFrame.x, m_ptFrame.y, m_szFrame.cx, m_szFrame.cy, SWP_SHOWWINDOW);
}
