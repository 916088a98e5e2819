#include "ui/core/WindowImplBase.h"

#include <cstdio>
#include <cstdlib>

#include "ui/core/ControlUI.h"

namespace SkinUI {

namespace {

constexpr DWORD kNoCaptionMask = 0xFF3FFFFF;  // style without WS_CAPTION
constexpr UINT kLanguageUpdateMessage = WM_USER + 2;

// Classes a press may drag the window through: plain texts and layouts.
bool IsStaticClass(const wchar_t* className)
{
    static const wchar_t* const kStatic[] = { L"controlui", L"textui", L"labelui", L"containerui",
                                             L"horizontallayoutui", L"verticallayoutui", L"tablayoutui",
                                             L"childlayoutui", L"dialoglayoutui", L"progresscontainerui" };
    CUIString lower = className;
    lower.MakeLower();
    for (const wchar_t* name : kStatic) {
        if (lower == name)
            return true;
    }
    return false;
}

void ShowIfFound(CPaintManagerUI& pm, const wchar_t* name, bool show)
{
    if (CControlUI* control = pm.FindControl(name))
        control->SetVisible(show);
}

}  // namespace

UI_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
UI_ON_MSGTYPE(L"click", WindowImplBase::OnClick)
UI_END_MESSAGE_MAP()

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

void WindowImplBase::OnFinalMessage(HWND)
{
    m_pm.RemovePreMessageFilter(this);
    m_pm.RemoveNotifier(this);
    // Reaping the root also makes the manager forget it, so the tree is freed here: with the
    // window gone nothing can show it, and nothing else would ever delete it.
    CControlUI* root = m_pm.GetRoot();
    m_pm.ReapObjects(root);
    delete root;
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    NotifyPump(msg);
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&)
{
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        return ResponseDefaultKeyEvent(wParam);
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const wchar_t*)
{
    return nullptr;
}

const wchar_t* WindowImplBase::QueryControlText(const wchar_t*, const wchar_t*)
{
    return nullptr;
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return wParam == VK_ESCAPE ? 1 : 0;
}

bool WindowImplBase::IsInStaticControl(CControlUI* pControl)
{
    if (pControl == nullptr)
        return false;
    for (CControlUI* control = pControl; control != nullptr; control = control->GetParent()) {
        if (!IsStaticClass(control->GetClass()))
            return false;
    }
    return true;
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    const CUIString name = msg.pSender->GetName();
    if (name == L"closebtn")
        Close(1);
    else if (name == L"minbtn")
        SendMessage(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendMessage(m_hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendMessage(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& bHandled)
{
    if (::IsIconic(m_hWnd))
        bHandled = false;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool&)
{
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool&)
{
    POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ::ScreenToClient(m_hWnd, &pt);
    RECT rcClient {};
    ::GetClientRect(m_hWnd, &rcClient);

    if (!::IsZoomed(m_hWnd)) {
        const RECT box = m_pm.GetSizeBox();
        const bool left = pt.x < rcClient.left + box.left;
        const bool right = pt.x > rcClient.right - box.right;
        if (pt.y < rcClient.top + box.top)
            return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (pt.y > rcClient.bottom - box.bottom)
            return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
    }

    const RECT caption = m_pm.GetCaptionRect();
    const LONG captionBottom = caption.bottom == -1 ? rcClient.bottom : caption.bottom;
    if (pt.x >= rcClient.left + caption.left && pt.x < rcClient.right - caption.right && pt.y >= caption.top
        && pt.y < captionBottom) {
        if (IsInStaticControl(m_pm.FindControl(pt)))
            return HTCAPTION;
    }
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool&)
{
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfo(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
    RECT work = info.rcWork;
    if ((info.dwFlags & MONITORINFOF_PRIMARY) == 0)
        ::OffsetRect(&work, -work.left, -work.top);
    auto* mmi = reinterpret_cast<LPMINMAXINFO>(lParam);
    mmi->ptMaxPosition = { work.left, work.top };
    mmi->ptMaxSize = { work.right - work.left, work.bottom - work.top };
    mmi->ptMaxTrackSize = mmi->ptMaxSize;
    const SIZE minimum = m_pm.GetMinInfo();
    mmi->ptMinTrackSize = { minimum.cx, minimum.cy };
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;  // the paint manager still sees the size
    ApplyRoundCornerRegion(m_hWnd, m_pm.GetRoundCorner());
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, bool&)
{
    if (wParam == SC_CLOSE) {
        SendMessage(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    const bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    const LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    const bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (zoomed != wasZoomed) {
        ShowIfFound(m_pm, L"maxbtn", !zoomed);
        ShowIfFound(m_pm, L"restorebtn", zoomed);
    }
    return lRes;
}

CControlUI* WindowImplBase::BuildSkin()
{
    CDialogBuilder builder;
    const CUIString skinType = GetSkinType();
    if (skinType.IsEmpty())
        return builder.Create(GetSkinFileName().GetData(), nullptr, this, &m_pm);
    const unsigned int id = static_cast<unsigned int>(std::wcstoul(GetSkinFileName().GetData(), nullptr, 10));
    return builder.Create(STRINGorID(id), skinType.GetData(), this, &m_pm);
}

void WindowImplBase::OnSkinFailure()
{
    const CUIString text = CUIString(L"加载资源文件失败：") + GetSkinFileName();
    ::MessageBox(nullptr, text.GetData(), L"SkinUI", MB_ICONERROR);
    std::fflush(nullptr);
    std::_Exit(1);  // nothing of the half-made window may run on
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool&)
{
    const LONG style = ::GetWindowLong(m_hWnd, GWL_STYLE);
    ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>((static_cast<DWORD>(style) & kNoCaptionMask) | 0x06000000));
    RECT rcClient {};
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, nullptr, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    m_pm.Init(m_hWnd, GetManagerName());
    m_pm.AddPreMessageFilter(this);

    CControlUI* root = BuildSkin();
    if (root == nullptr) {
        OnSkinFailure();
        return -1;
    }
    m_pm.AttachDialog(root);  // the manager owns the tree from here
    m_pm.AddNotifier(this);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (uMsg == kLanguageUpdateMessage)
        return OnLanguageUpdate(uMsg, wParam, lParam, bHandled);
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLanguageUpdate(UINT, WPARAM, LPARAM, bool&)
{
    m_pm.UpdateLanguage();
    return 0;
}

LONG WindowImplBase::GetStyle()
{
    return static_cast<LONG>(static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE)) & kNoCaptionMask);
}

LRESULT WindowImplBase::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    switch (uMsg) {
    case WM_CREATE: return OnCreate(uMsg, wParam, lParam, bHandled);
    case WM_DESTROY: return OnDestroy(uMsg, wParam, lParam, bHandled);
    case WM_SIZE: return OnSize(uMsg, wParam, lParam, bHandled);
    case WM_SETFOCUS: return OnSetFocus(uMsg, wParam, lParam, bHandled);
    case WM_KILLFOCUS: return OnKillFocus(uMsg, wParam, lParam, bHandled);
    case WM_CLOSE: return OnClose(uMsg, wParam, lParam, bHandled);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
    case WM_NCCALCSIZE: return OnNcCalcSize(uMsg, wParam, lParam, bHandled);
    case WM_NCHITTEST: return OnNcHitTest(uMsg, wParam, lParam, bHandled);
    case WM_NCPAINT: return OnNcPaint(uMsg, wParam, lParam, bHandled);
    case WM_NCACTIVATE: return OnNcActivate(uMsg, wParam, lParam, bHandled);
    case WM_KEYDOWN: return OnKeyDown(uMsg, wParam, lParam, bHandled);
    case WM_CHAR: return OnChar(uMsg, wParam, lParam, bHandled);
    case WM_SYSCOMMAND: return OnSysCommand(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEMOVE: return OnMouseMove(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONDOWN: return OnLButtonDown(uMsg, wParam, lParam, bHandled);
    case WM_LBUTTONUP: return OnLButtonUp(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEWHEEL: return OnMouseWheel(uMsg, wParam, lParam, bHandled);
    case WM_MOUSEHOVER: return OnMouseHover(uMsg, wParam, lParam, bHandled);
    default: bHandled = false; return 0;
    }
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    bool bHandled = true;
    LRESULT lRes = Dispatch(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    bHandled = true;
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled)
        return lRes;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace SkinUI
