// The main window's native messages: the close request and the ordered shut-down, the overlay
// windows that follow the window's moves, minimise, restore and DPI changes, the key and character
// filter of its rich edits, its timers and its custom messages.

#include <cstdio>
#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/ConcealWnd.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"

namespace {

constexpr int kRecentreDelayMs = 300;
constexpr int kRestoreDelayMs = 200;
constexpr DWORD kDpiDebounceMs = 100;

POINT PointFromLParam(LPARAM lParam)
{
    return { static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)) };
}

void MoveKeepingSize(HWND window, POINT to)
{
    RECT rc {};
    ::GetWindowRect(window, &rc);
    ::MoveWindow(window, to.x, to.y, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

bool IsDigitKey(WPARAM key)
{
    return key >= 0x30 && key <= 0x39;
}

// Select all, copy, cut, undo and redo: none of them can bring a letter into a number field.
bool IsEditShortcut(WPARAM key)
{
    return ::GetKeyState(VK_CONTROL) < 0 && (key == 'A' || key == 'C' || key == 'X' || key == 'Z' || key == 'Y');
}

}  // namespace

LRESULT CMainWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_NCLBUTTONDOWN)
        OnCaptionPress(lParam);
    // However the window goes, its controls go with it: the workers that touch them end first,
    // and a question one of them asks meanwhile gets no box on a window that is going.
    if (uMsg == WM_DESTROY) {
        m_bShutDown = true;
        if (!WaitForWorkers(kWorkerWaitMs))
            printf("Main window: destroyed with %d worker(s) still running\n", RunningWorkers());
    }
    if (!StepFocusedField(uMsg, wParam))
        return 0;
    if (uMsg == WM_PAINT && !m_bWarmUpStarted)
        return PaintThenWarmUp(wParam, lParam);
    switch (uMsg) {
    case WM_CLOSE:
        if (m_bShutDown || !ConfirmClose())
            return 0;
        ShutDown();
        return 0;  // the window is gone: nothing may handle the message further
    case WM_KEYDOWN:
        if (!KeyPassesFilter(wParam))
            return 0;
        if (wParam == VK_BACK || wParam == VK_DELETE)
            NoteCropTyping();
        break;
    case WM_CHAR:
        if (!CharPassesFilter(wParam))
            return 0;
        NoteCropTyping();
        break;
    case WM_MOVE:
        OnMainWindowMoved();
        break;
    case kMsgRefreshAccount:
        ShowSignedInAccount();
        break;
    case WM_LBUTTONUP:
        ::SetTimer(m_hWnd, kTimerRecentre, kRecentreDelayMs, nullptr);
        break;
    case kMsgUiTasks:
        RunDueUiTasks();
        return 0;
    case kMsgTextItemPosition:
        if (!OnTextItemPosition(wParam, lParam))
            return 0;  // no text item selected on the layer
        break;
    case kMsgTextItemText:
        if (m_psubtitleText && m_psubtitleText->GetText() != m_textItem.text.c_str())
            m_psubtitleText->SetText(m_textItem.text.c_str());
        break;
    default:
        break;
    }
    if (uMsg == WM_DPICHANGED && !OnDpiChanged(wParam, lParam))
        return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    if (uMsg == kMsgStartUpdater)
        StartUpdater();
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

bool CMainWnd::ConfirmClose()
{
    const bool onCutPage = IsCutTabSelected();
    if (onCutPage)
        ShowOverlayWindows(false);
    const int answer = m_pAccount ? m_pAccount->MessageWndUI(AccountClient::kExitConfirmation, false)
                                  : AccountClient::kAnswerClose;
    if (answer == AccountClient::kAnswerClose)
        return true;
    if (onCutPage)
        ShowOverlayWindows(true);
    return false;
}

void CMainWnd::ShutDown()
{
    m_bShutDown = true;
    {
        std::lock_guard lock(m_workerLock);
        m_bClosing = true;
    }
    m_closingStarted.notify_all();
    // The window goes first from the screen's point of view: no shadow lingers after it.
    m_pm.GetShadow()->SetShadowCorner({ 0, 0, 0, 0 });
    m_pm.GetShadow()->SetImage(L"");
    CancelFlag = 1;
    m_bGifRunning = 0;
    m_bClipRunning = 0;
    KillProcessesByName(L"ffmpeg.exe", L"");
    if (!WaitForWorkers(kWorkerWaitMs))
        printf("Main window: %d worker(s) still running after %d ms\n", RunningWorkers(), kWorkerWaitMs);
    if (m_pWatermarkWnd)
        m_pWatermarkWnd->Close(1);
    SkinUI::CControlUI* players[] = { m_pVideoCutPlayer, m_pVideoSegmenPlayer, m_pOptimizationPlayer, m_pPicplayer,
                                      m_pSoundTrackPlayer, m_pMusicTrackPlayer, m_pWaterMakerPlayer };
    for (SkinUI::CControlUI* control : players)
        if (auto* player = dynamic_cast<CPlayerUI*>(control))
            player->Player().ShutdownEngine();
    SaveHistory();
    DeleteWorkFiles();
    ::DestroyWindow(m_hWnd);
}

void CMainWnd::DeleteWorkFiles()
{
    const std::wstring folders[] = { JoinPath(m_strDataFolder, L"TempMerge"), m_strTempFolder,
                                     JoinPath(UserTempFolder(), L"RoRerav") };
    for (const std::wstring& folder : folders) {
        if (folder.empty())
            continue;
        std::vector<std::wstring> files;
        ListFolderFiles(folder, files, false, false);
        for (const std::wstring& file : files)
            ::DeleteFileW(file.c_str());
    }
}

bool CMainWnd::IsCutTabSelected() const
{
    return m_pVideoCutShow && m_pVideoCutShow->IsVisible();
}

void CMainWnd::OnCaptionPress(LPARAM lParam)
{
    if (m_hCover && m_pVideoCutPlayer) {
        m_bCropByUser = 0;
        POINT corner { m_pVideoCutPlayer->GetPos().left, m_pVideoCutPlayer->GetPos().top };
        ::ClientToScreen(m_hWnd, &corner);
        RECT rc {};
        ::GetWindowRect(m_hCover, &rc);
        m_ptCoverOffset = { rc.left - corner.x, rc.top - corner.y };
        if (m_hConceal && ::GetWindowRect(m_hConceal, &rc))
            m_ptConcealOffset = { rc.left - corner.x, rc.top - corner.y };
    }
    CommitRename(lParam);
}

void CMainWnd::CommitRename(LPARAM lParam)
{
    SkinUI::CControlUI* editor = OpenRowRenameEditor(*this);
    if (editor == nullptr)
        return;
    POINT pt = PointFromLParam(lParam);
    ::ScreenToClient(m_hWnd, &pt);
    const RECT rc = editor->GetPos();
    if (!::PtInRect(&rc, pt))
        EndRowRename(editor, true);
}

LRESULT CMainWnd::OnMainWindowMoved()
{
    if (m_pVideoCutPlayer == nullptr)
        return 0;
    m_bCropByUser = 0;
    POINT corner { m_pVideoCutPlayer->GetPos().left, m_pVideoCutPlayer->GetPos().top };
    ::ClientToScreen(m_hWnd, &corner);
    if (m_hCover) {
        if (m_hConceal)
            MoveKeepingSize(m_hConceal, { corner.x + m_ptConcealOffset.x, corner.y + m_ptConcealOffset.y });
        MoveKeepingSize(m_hCover, { corner.x + m_ptCoverOffset.x, corner.y + m_ptCoverOffset.y });
        ::GetWindowRect(m_hCover, &CropDragBounds);  // the frame is dragged within the mask where it now lies
    }
    // The overlays lie centred on their preview controls, as the sub-pages placed them.
    const std::pair<SkinUI::CWindowWnd*, SkinUI::CControlUI*> overlays[] = { { m_pWatermarkWnd, m_pWaterMakerPlayer },
                                                                            { m_pTextLayerWnd, m_psubtitlePlayer } };
    for (const auto& [window, preview] : overlays)
        if (window)
            PlaceOverlay(window, preview, window == m_pTextLayerWnd);
    return 0;
}

// What is typed into a crop field moves the crop frame, as the spin buttons' steps do.
void CMainWnd::NoteCropTyping()
{
    SkinUI::CControlUI* focus = m_pm.GetFocus();
    if (focus != nullptr && (focus == m_pXwidth || focus == m_pYheight || focus == m_pcut_width || focus == m_pcut_height))
        m_bCropByUser = m_bCropFromEdits = 1;
}

bool CMainWnd::FreeTextEditHasFocus() const
{
    SkinUI::CControlUI* focus = m_pm.GetFocus();
    return focus != nullptr && (focus == m_pWaterTextRich || focus == m_psubtitleText);
}

bool CMainWnd::KeyPassesFilter(WPARAM key) const
{
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_BACK:
    case VK_HOME: case VK_END: case VK_DELETE:  // the usual editing keys work in every field
    case VK_ESCAPE: case VK_RETURN:  // the window's own keys: Escape asks to close
        return true;
    default:
        return IsDigitKey(key) || IsEditShortcut(key) || FreeTextEditHasFocus();
    }
}

bool CMainWnd::CharPassesFilter(WPARAM ch) const
{
    return (ch >= L'0' && ch <= L'9') || FreeTextEditHasFocus();
}

bool CMainWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const DWORD now = ::GetTickCount();
    if (m_bDpiTickSet && now - m_dwDpiTick < kDpiDebounceMs)
        return false;
    m_dwDpiTick = now;
    m_bDpiTickSet = true;
    m_pm.SetDPI(LOWORD(wParam));
    m_pm.ResetDPIAssets();
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested)
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The rectangle lives only as long as this message: the crop windows get the new DPI alone and
    // take their place from the window they cover.
    if (m_hCover && ::IsWindowVisible(m_hCover)) {
        ::PostMessage(m_hCover, WM_DPICHANGED, wParam, 0);
        if (m_hConceal)
            ::PostMessage(m_hConceal, WM_DPICHANGED, wParam, 0);
    }
    if (SkinUI::CControlUI* root = m_pm.GetRoot())
        root->NeedUpdate();
    return true;
}

LRESULT CMainWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = false;
    if (wParam == SC_RESTORE) {
        printf("还原\n");
        if (IsCutTabSelected())
            ShowOverlayWindows(true);
        ::SetTimer(m_hWnd, kTimerRestoreOverlays, kRestoreDelayMs, nullptr);
    } else if (wParam == SC_MINIMIZE) {
        printf("最小化\n");
        if (m_hCover)
            ::GetWindowRect(m_hCover, &m_rcCover);
        if (m_hConceal)
            ::GetWindowRect(m_hConceal, &m_rcConceal);
        printf("m_rcCover:%d,%d\nm_rcConceal:%d,%d\n", static_cast<int>(m_rcCover.left),
               static_cast<int>(m_rcCover.top), static_cast<int>(m_rcConceal.left), static_cast<int>(m_rcConceal.top));
        ShowOverlayWindows(false);
    }
    return 1;
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    bHandled = false;
    switch (uMsg) {
    case CMessageWnd::kMsgAsk:
        bHandled = true;
        // Once the user has chosen to quit, a job's question gets no box: it is answered as a
        // box closed unanswered, so the job ends instead of waiting for a click.
        return m_bShutDown ? CMessageWnd::kNotAnswered : CMessageWnd::AnswerAskMessage(m_hWnd, lParam);
    case WM_TIMER:
        bHandled = OnTimer(wParam) == 0;
        return 0;
    case WM_DROPFILES:
        bHandled = true;  // the drop handle is released: nothing after us may read it
        return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case CPlayerUI::kMsgPlaying:
        return 1;
    case CPlayerUI::kMsgPosition:
        OnPlayerPosition(wParam);
        return 0;
    case CPlayerUI::kMsgEndReached:
        OnPlayerEndReached(wParam);
        return 0;
    default:
        return 0;
    }
}

LRESULT CMainWnd::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kTimerRecentre:
        PictureRecenterFlag = 1;  // the size slider scales about the picture's centre as it is now
        ::KillTimer(m_hWnd, kTimerRecentre);
        break;
    case kTimerShotHours:
        for (SkinUI::CControlUI* edit : { m_pstartPicHour, m_pOVerPictHour })
            if (edit)
                edit->SetText(SkinUI::CUIString(edit->GetText()));
        break;
    case kTimerRestoreOverlays:
        if (m_hCover && ::MoveWindow(m_hCover, m_rcCover.left, m_rcCover.top, m_rcCover.right - m_rcCover.left,
                                     m_rcCover.bottom - m_rcCover.top, TRUE))
            CropDragBounds = m_rcCover;
        if (m_hConceal)
            ::MoveWindow(m_hConceal, m_rcConceal.left, m_rcConceal.top, m_rcConceal.right - m_rcConceal.left,
                         m_rcConceal.bottom - m_rcConceal.top, TRUE);
        break;
    case kTimerUnused:
        break;
    case kTimerAdjustAfterReopen:
        ApplyAdjustAfterReopen();
        break;
    case kTimerUiTasks:
        ::KillTimer(m_hWnd, id);
        RunDueUiTasks();  // arms the timer again for the next task
        return 0;
    default:
        if (OnPageTimer(id))
            return 0;
        return 1;  // not ours: the controls' timers go on to the paint manager
    }
    ::KillTimer(m_hWnd, id);
    return 0;
}

void CMainWnd::GetWorkAreaSize(SIZE& size) const
{
    size = { ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) };
    MONITORINFO info {};
    info.cbSize = sizeof info;
    if (::GetMonitorInfo(::MonitorFromPoint({ 1, 1 }, MONITOR_DEFAULTTOPRIMARY), &info))
        size = { info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top };
}

int CMainWnd::GetOsVersionClass()
{
    return 4;  // not Windows 5.x or 6.0
}

void CMainWnd::EnableSubtitleSave(bool enable)
{
    if (m_pSubtitleExport)
        m_pSubtitleExport->SetEnabled(enable);
}
