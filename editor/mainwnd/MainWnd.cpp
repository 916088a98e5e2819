#include "editor/mainwnd/MainWnd.h"

#include <cwchar>
#include <cwctype>

#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "media/ExportPageView.h"
#include "platform/Windows.h"

std::atomic<uint8_t> CancelFlag { 0 };
CMainWnd* MainWindowPointer = nullptr;

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
    if (wParam == VK_ESCAPE)
        Close(2);
    return wParam == VK_ESCAPE || wParam == VK_RETURN ? 1 : 0;
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

int CMainWnd::AskUser(const std::wstring& message, const std::wstring& fourthText, const std::wstring& fifthText)
{
    CMessageWnd dialog(message, L"", L"", fourthText, fifthText, 1);
    return dialog.ShowModal(nullptr);
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
