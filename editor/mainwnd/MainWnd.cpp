#include "editor/mainwnd/MainWnd.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <thread>

#include "editor/dialogs/EditorButtonsUI.h"
#include "editor/dialogs/TimelineHandleUI.h"
#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"

#include "base/StringHelpers.h"
#include "editor/mainwnd/BoundPageView.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/dialogs/MessageWnd.h"
#include "media/ExportPageView.h"
#include "platform/Windows.h"

std::atomic<uint8_t> CancelFlag { 0 };
CMainWnd* MainWindowPointer = nullptr;
HWND MainWindowHandle = nullptr;
std::wstring PageKey;
float ScreenScale = 1.0f;
int VideoRectangle[4] = { 0, 0, 0, 0 };
int PictureWatermarkLayout = 0;
std::atomic<uint8_t> WatermarkRefitFlag { 0 };
uint8_t WatermarkRecenterFlag = 0;
uint8_t TextWatermarkTiled = 0;
int EndHandleLimit = 816;
int CropCanvasWidth = 0;
int CropCanvasHeight = 0;

namespace {

void SplitNameAndExtension(std::wstring& path, std::wstring& extension)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        path.erase(0, slash + 1);
    const size_t dot = path.rfind(L'.');
    extension.clear();
    if (dot == std::wstring::npos)
        return;
    extension = path.substr(dot + 1);
    path.erase(dot);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
}

// An odd size is lowered by one: the encoder's 4:2:0 output needs even sides.
void LowerOddSize(std::wstring& size)
{
    const long value = std::wcstol(size.c_str(), nullptr, 10);
    if (value % 2 != 0)
        size = FormatWide(L"%d", static_cast<int>(value - 1));
}

}  // namespace

CMainWnd::CMainWnd()
{
    MainWindowPointer = this;
    CancelFlag = 0;
    VideoRectangle[0] = VideoRectangle[1] = VideoRectangle[2] = VideoRectangle[3] = 0;
    PictureWatermarkLayout = 0;
    WatermarkRefitFlag = 0;
    WatermarkRecenterFlag = 0;
    TextWatermarkTiled = 0;
    EndHandleLimit = 816;
    m_listViews = std::make_unique<ListRowViews>(*this);
}

CMainWnd::~CMainWnd()
{
    if (MainWindowPointer == this)
        MainWindowPointer = nullptr;
}

const wchar_t* CMainWnd::GetWindowClassName() const
{
    return L"Quillmoor";
}

SkinUI::CUIString CMainWnd::GetSkinFileName()
{
    return L"main.xml";
}

LRESULT CMainWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    // Escape asks as the close button does: the close request carries the confirmation.
    if (wParam == VK_ESCAPE)
        Close(2);
    return wParam == VK_ESCAPE || wParam == VK_RETURN ? 1 : 0;
}

SkinUI::CControlUI* CMainWnd::CreateControl(const wchar_t* pstrClass)
{
    if (pstrClass == nullptr)
        return nullptr;
    if (::wcscasecmp(pstrClass, L"player") == 0)
        return CreatePlayer();
    return CreateEditorControl(pstrClass);
}

SkinUI::CControlUI* CMainWnd::CreatePlayer()
{
    HWND output = PlayerOutputWindow::Create(m_hWnd);
    if (output == nullptr)
        return nullptr;  // the element is dropped
    auto* player = new CPlayerUI();  // the skin's tree owns it
    player->BindOutputWindow(output);
    m_pLastPlayer = player;
    m_hMediaWnd = output;
    return player;
}

SkinUI::CControlUI* CMainWnd::BindControls()
{
    SkinUI::CControlUI* last = nullptr;
#define QUILL_BIND(name, iface) \
    m_p##name = FindBoundControl(L## #name, iface); \
    if (m_p##name) \
        last = m_p##name;
    QUILL_MAINWND_BOUND_CONTROLS(QUILL_BIND)
#undef QUILL_BIND
    return last;
}

SkinUI::CControlUI* CMainWnd::FindBoundControl(const wchar_t* name, const wchar_t* iface)
{
    SkinUI::CControlUI* control = m_pm.FindControl(name);
    if (control == nullptr || ControlHasInterface(control, iface))
        return control;
    printf("Main window: control \"%ls\" is a %ls, not a %ls; left unbound\n", name, control->GetClass(), iface);
    return nullptr;
}

SkinUI::CControlUI* CMainWnd::CreateEditorControl(const wchar_t* tag)
{
    // The skin's tree owns what is made here.
    if (::wcscasecmp(tag, L"VerticalLayoutEx") == 0)
        return new CVerticalLayoutExUI();
    if (::wcscasecmp(tag, L"ButtonExtUI") == 0)
        return new CButtonExtUI();
    if (::wcscasecmp(tag, L"MyButton") == 0)
        return new CMyButtonUI();
    if (::wcscasecmp(tag, L"MyButtonEnd") == 0)
        return new CMyButtonEndUI();
    if (::wcscasecmp(tag, L"MoveButton") == 0)
        return new CMoveButtonUI();
    if (::wcscasecmp(tag, L"ButtonMouse") == 0)
        return new CButtonMouseUI();
    return nullptr;
}

bool ControlHasInterface(SkinUI::CControlUI* control, const wchar_t* iface)
{
    if (::wcscmp(iface, L"Player") == 0)
        return dynamic_cast<CPlayerUI*>(control) != nullptr;
    return control->GetInterface(iface) != nullptr;
}

void CMainWnd::Notify(SkinUI::TNotifyUI& msg)
{
    if (msg.sType == L"windowinit")
        StartUpdater();
    else if (!HandlePageNotify(msg))
        return;
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
}

int CMainWnd::ScaleByDpi(int length)
{
    return m_pm.GetDPIObj()->Scale(length);
}

void CMainWnd::StartWorker(std::function<void()> task)
{
    {
        std::lock_guard lock(m_workerLock);
        ++m_nWorkers;
    }
    std::thread([this, task = std::move(task)] {
        task();
        std::lock_guard lock(m_workerLock);
        --m_nWorkers;
        m_workersEnded.notify_all();  // under the lock: the window may be deleted once it is released
    }).detach();
}

int CMainWnd::RunningWorkers() const
{
    std::lock_guard lock(m_workerLock);
    return m_nWorkers;
}

bool CMainWnd::WaitForWorkers(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_workerLock);
    for (;;) {
        // A short wait for the last worker, then the messages workers sent meanwhile.
        if (m_workersEnded.wait_for(lock, std::chrono::milliseconds(kSentMessageSliceMs), [this] { return m_nWorkers == 0; }))
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        lock.unlock();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        // No wake mask: this only answers sent messages, nothing posted is taken.
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<long long>(left, kSentMessageSliceMs)), 0, 0);
        lock.lock();
    }
}

bool CMainWnd::SleepUnlessClosing(int milliseconds)
{
    std::unique_lock lock(m_workerLock);
    return !m_closingStarted.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bClosing.load(); });
}

bool CMainWnd::FileExists(const std::wstring& path)
{
    WIN32_FIND_DATA data {};
    HANDLE found = ::FindFirstFile(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(found);
    return true;
}

void CMainWnd::SplitFileName(SkinUI::CUIString& path, SkinUI::CUIString& extension)
{
    std::wstring name = path.GetData(), ext;
    SplitNameAndExtension(name, ext);
    path = name.c_str();
    extension = ext.c_str();
}

void CMainWnd::SplitFileNameW(std::wstring& path, std::wstring& extension)
{
    SplitNameAndExtension(path, extension);
}

void CMainWnd::SplitFileNameW(std::wstring& path, SkinUI::CUIString& extension)
{
    std::wstring ext;
    SplitNameAndExtension(path, ext);
    extension = ext.c_str();
}

void CMainWnd::MakeEvenSize(SkinUI::CUIString& width, SkinUI::CUIString& height)
{
    std::wstring w = width.GetData(), h = height.GetData();
    MakeEvenSizeW(w, h);
    width = w.c_str();
    height = h.c_str();
}

void CMainWnd::MakeEvenSizeW(std::wstring& width, std::wstring& height)
{
    LowerOddSize(width);
    LowerOddSize(height);
}

void CMainWnd::ShowOverlayWindows(bool show)
{
    const int command = show ? SW_SHOWNORMAL : SW_HIDE;
    if (m_hCover)
        ::ShowWindow(m_hCover, command);
    if (m_hConceal)
        ::ShowWindow(m_hConceal, command);
    if (m_pPageView)
        m_pPageView->ShowCropOverlays(show);
}

void CMainWnd::SetProgressWindow(CShowProgress* window, HWND handle)
{
    m_hProgressWnd = handle;
    m_pProgressWnd = window;
}

void CMainWnd::CloseProgressWindow()
{
    // Whoever takes the handle first closes the window; everyone else finds it gone.
    m_pProgressWnd = nullptr;
    HWND handle = m_hProgressWnd.exchange(nullptr);
    if (handle)
        ::PostMessage(handle, WM_CLOSE, 0, 0);
}

void CMainWnd::AddGifToQueue(const GifListItem& item)
{
    std::lock_guard lock(m_gifQueueLock);
    m_vecGifQueue.push_back(item);
}

std::vector<HistoryRecord> CMainWnd::HistorySnapshot() const
{
    std::lock_guard lock(m_historyLock);
    return m_vecHistory;
}
