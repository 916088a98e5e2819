#include "editor/dialogs/ConcealWnd.h"

#include <algorithm>

#include "editor/dialogs/CoverWnd.h"
#include "editor/dialogs/DialogDpi.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/core/DPI.h"

RECT CropFrameRect {};
HWND CropFrameWindow = nullptr;
RECT CropDragBounds {};

namespace {

CDialogDpiDebounce ConcealDpiTick;

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}

int Height(const RECT& rc)
{
    return rc.bottom - rc.top;
}

}  // namespace

CConceal::CConceal(CCover* cover, CMainWnd* main, int maxWidth, int maxHeight, SkinUI::CControlUI* xEdit,
                   SkinUI::CControlUI* yEdit, SkinUI::CControlUI* widthEdit, SkinUI::CControlUI* heightEdit)
    : m_nMaxWidth(maxWidth), m_nMaxHeight(maxHeight), m_pXEdit(xEdit), m_pYEdit(yEdit), m_pWidthEdit(widthEdit),
      m_pHeightEdit(heightEdit), m_pCover(cover), m_pMain(main)
{
}

const wchar_t* CConceal::GetWindowClassName() const
{
    return L"conceal";
}

UINT CConceal::GetClassStyle() const
{
    return CS_DBLCLKS;
}

SkinUI::CUIString CConceal::GetSkinFileName()
{
    return m_strSkin.c_str();
}

void CConceal::InitWindow()
{
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    CropFrameWindow = m_hWnd;
}

void CConceal::Notify(SkinUI::TNotifyUI& msg)
{
    if (msg.sType == L"windowinit")
        ::SetTimer(m_hWnd, kReadyTimer, 1000, nullptr);
    WindowImplBase::Notify(msg);
}

LRESULT CConceal::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

void CConceal::OnFinalMessage(HWND hWnd)
{
    if (CropFrameWindow == hWnd)
        CropFrameWindow = nullptr;
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

RECT CConceal::Publish(const RECT& cover, const RECT& frame)
{
    CropFrameRect.left = frame.left - cover.left;
    CropFrameRect.top = frame.top - cover.top;
    CropFrameRect.right = CropFrameRect.left + Width(frame);
    CropFrameRect.bottom = CropFrameRect.top + Height(frame);
    if (m_pCover != nullptr)
        m_pCover->SetSelectionRect(CropFrameRect.bottom);
    return CropFrameRect;
}

// The part of the frame over the cover, within the maximum; a frame off the cover writes 0 x 0.
void CConceal::WriteEdits(const RECT& cover, const RECT& frame)
{
    RECT visible {};
    ::IntersectRect(&visible, &frame, &cover);
    const int x = std::max(0, static_cast<int>(frame.left - cover.left));
    const int y = std::max(0, static_cast<int>(frame.top - cover.top));
    const int width = std::max(0, std::min(Width(visible), m_nMaxWidth));
    const int height = std::max(0, std::min(Height(visible), m_nMaxHeight));
    m_strX = std::to_wstring(x);
    m_strY = std::to_wstring(y);
    m_strWidth = std::to_wstring(width);
    m_strHeight = std::to_wstring(height);
    SkinUI::CControlUI* edits[4] = { m_pXEdit, m_pYEdit, m_pWidthEdit, m_pHeightEdit };
    const std::wstring* texts[4] = { &m_strX, &m_strY, &m_strWidth, &m_strHeight };
    for (int i = 0; i < 4; ++i) {
        if (edits[i] != nullptr)
            edits[i]->SetText(texts[i]->c_str());
    }
}

void CConceal::WarpPointer(int x, int y) const
{
    if (m_bReady != 0)
        ::SetCursorPos(x, y);
}

// The first rule that fits puts the frame back inside the cover and the maximum.
void CConceal::CorrectSize(const RECT& cover, const RECT& frame, const RECT& published)
{
    POINT pointer {};
    ::GetCursorPos(&pointer);
    if (published.top < 0) {
        const int height = std::max(1, std::min(static_cast<int>(frame.bottom - cover.top), m_nMaxHeight));
        ::MoveWindow(m_hWnd, frame.left, cover.top, Width(frame), height, TRUE);
        WarpPointer(pointer.x, cover.top);
    } else if (published.bottom > m_nMaxHeight) {
        const int height = std::max(1, std::min(static_cast<int>(cover.top + m_nMaxHeight - frame.top), m_nMaxHeight));
        ::MoveWindow(m_hWnd, frame.left, frame.top, Width(frame), height, TRUE);
        WarpPointer(pointer.x, cover.bottom);
    } else if (published.left < 0) {
        ::MoveWindow(m_hWnd, cover.left, frame.top, std::max(1, static_cast<int>(frame.right - cover.left)),
                     Height(frame), TRUE);
        WarpPointer(cover.left, pointer.y);
    } else if (frame.right > cover.left + m_nMaxWidth) {
        ::MoveWindow(m_hWnd, frame.left, frame.top, std::max(1, static_cast<int>(cover.left + m_nMaxWidth - frame.left)),
                     Height(frame), TRUE);
        WarpPointer(cover.right, pointer.y);
    }
}

POINT CConceal::PointerInMainClient() const
{
    POINT pt {};
    ::GetCursorPos(&pt);
    if (m_pMain != nullptr && m_pMain->GetHWND() != nullptr)
        ::ScreenToClient(m_pMain->GetHWND(), &pt);
    return pt;
}

void CConceal::OnDragMove()
{
    const POINT pt = PointerInMainClient();
    RECT drag = m_rcPress;
    ::OffsetRect(&drag, pt.x - m_ptPress.x, pt.y - m_ptPress.y);
    m_rcDrag = m_rcPress;
    const RECT& b = CropDragBounds;
    if (drag.left < b.left || drag.right > b.right || drag.bottom > b.bottom || drag.top < b.top)
        return;
    ::MoveWindow(m_hWnd, drag.left, drag.top, Width(drag), Height(drag), TRUE);
}

LRESULT CConceal::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const bool byUser = m_pMain == nullptr || m_pMain->m_bCropByUser != 0;
    RECT cover {}, frame {};
    if (m_pCover != nullptr && m_pCover->GetHWND() != nullptr)
        ::GetWindowRect(m_pCover->GetHWND(), &cover);
    ::GetWindowRect(m_hWnd, &frame);
    switch (uMsg) {
    case WM_MOVE:
        if (byUser) {
            Publish(cover, frame);
            WriteEdits(cover, frame);
        }
        break;
    case WM_SIZE: {
        if (m_pMain != nullptr)
            m_pMain->m_bCropFromEdits = 0;
        const RECT published = Publish(cover, frame);
        CorrectSize(cover, frame, published);
        WriteEdits(cover, frame);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (m_pMain != nullptr)
            m_pMain->m_bCropByUser = 1;
        m_bDragging = 1;
        m_ptPress = PointerInMainClient();
        m_rcDrag = m_rcPress = frame;
        break;
    case WM_MOUSEMOVE:
        if (m_bDragging != 0) {
            if (m_pMain != nullptr)
                m_pMain->m_bCropByUser = 1;
            OnDragMove();
        }
        break;
    case WM_LBUTTONUP:
        m_bDragging = 0;
        break;
    case WM_TIMER:
        if (wParam == kReadyTimer) {
            m_bReady = 1;
            ::KillTimer(m_hWnd, kReadyTimer);
        }
        break;
    case kMsgCropMaximum:
        m_nMaxWidth = static_cast<int>(wParam);
        m_nMaxHeight = static_cast<int>(lParam);
        break;
    case WM_DPICHANGED:
        ConcealDpiTick.Rescale(m_pm, m_hWnd, wParam, lParam);
        break;
    default:
        break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}
