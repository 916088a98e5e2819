// Two outward duties of the main window: starting the updater once the window has opened, and
// showing the signed-in account in the title bar. The account picture is downloaded in the
// background by the HTTP helper library, once per user and run; when it arrives the library's
// completion callback asks the window to show the account again, which then finds the file.

#include <algorithm>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"

std::atomic<uint8_t> AvatarDownloadFinished { 0 };

namespace {

using DownloadFunction = int (*)(const char*, const char*, void (*)(), void (*)(), int, void*, int);

constexpr int kBadgeMaxWidth = 180;

void IgnoreProgress()
{
}

}  // namespace

void OnAvatarDownloadFinished()
{
    AvatarDownloadFinished = 1;
    if (HWND window = MainWindowHandle)
        ::PostMessage(window, CMainWnd::kMsgRefreshAccount, 0, 0);
}

std::wstring CMainWnd::UpdaterCommandLine() const
{
    // The program is quoted: a program folder with blanks must not split its path.
    return FormatWide(L"\"%svkupdate.exe\" -o=tmqrx -e=Quillmoor.exe -c=Top", m_strAppFolder.c_str());
}

void CMainWnd::StartUpdater()
{
    std::wstring commandLine = UpdaterCommandLine();
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                          &startup, &process))
        return;  // a missing updater is not reported
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

std::wstring CMainWnd::MaskPhoneNumber(const std::wstring& text)
{
    const std::wstring head = text.size() <= 3 ? text : text.substr(0, 3);
    const std::wstring tail = text.size() <= 4 ? text : text.substr(text.size() - 4);
    return head + L"****" + tail;
}

void CMainWnd::ShowSignedInAccount()
{
    if (m_pAccount)
        m_pAccount->GetUserLogon(m_accountInfo);
    SkinUI::CControlUI* badge = m_pm.FindControl(L"AccountBadge");
    if (m_pRegister == nullptr || badge == nullptr) {
        SkinUI::CPaintManagerUI::ReloadSkin();
        return;
    }
    const bool signedIn = m_accountInfo.userId > 0;
    badge->SetVisible(signedIn);
    m_pRegister->SetVisible(!signedIn);

    std::wstring picture = L" file='morentouxiang32.png' dest='0,0,38,38' ";
    int width = 0;
    if (m_accountInfo.avatarUrl.empty()) {
        const std::wstring masked = MaskPhoneNumber(m_accountInfo.displayText);
        badge->SetText(masked.c_str());
        width = SkinUI::CRenderEngine::GetTextSize(m_hWindowDC, &m_pm, masked.c_str(), -1, 0).cx + 2;
        badge->SetAttribute(L"textpadding", L"0,0,0,0");
        badge->SetAttribute(L"endellipsis", L"false");
    } else {
        const std::wstring file = JoinPath(m_strDataFolder, FormatWide(L"Avatar_[%d].png", m_accountInfo.userId));
        const std::wstring twin = JoinPath(m_strDataFolder, FormatWide(L"Avatar_[%d]@.png", m_accountInfo.userId));
        if (!FileExists(file))
            RequestAvatar(file);
        else if (m_nDpi != 96) {
            ::DeleteFileW(twin.c_str());
            ::CopyFileW(file.c_str(), twin.c_str(), TRUE);
        }
        picture = FormatWide(L"file='%s' dest='0,8,32,40' ", file.c_str());
        badge->SetText(m_accountInfo.displayText.c_str());
        const int measured = SkinUI::CRenderEngine::GetTextSize(m_hWindowDC, &m_pm, m_accountInfo.displayText.c_str(), -1, 0).cx;
        width = m_pm.GetDPIObj()->ScaleBack(measured) + 40;
        badge->SetAttribute(L"textpadding", L"40,0,0,0");
    }
    badge->SetFixedWidth(std::min(width, kBadgeMaxWidth));
    badge->SetBkImage(picture.c_str());
    badge->Invalidate();
    SkinUI::CPaintManagerUI::ReloadSkin();
}

void CMainWnd::RequestAvatar(const std::wstring& file)
{
    if (m_nAvatarRequestedFor == m_accountInfo.userId)
        return;  // asked for already this run: a failed download is not retried in a loop
    auto download = reinterpret_cast<DownloadFunction>(HttpFunction("http_download_file"));
    if (download == nullptr)
        return;
    m_nAvatarRequestedFor = m_accountInfo.userId;
    CreateFolderWithParents(m_strDataFolder);
    download(WideToAnsi(m_accountInfo.avatarUrl).c_str(), WideToAnsi(file).c_str(), OnAvatarDownloadFinished,
             IgnoreProgress, 0, this, 0);
}

void* CMainWnd::HttpFunction(const char* name)
{
    if (!m_bHttpLibraryTried) {
        m_bHttpLibraryTried = true;
        if (m_httpLibrary.LoadModule(".\\vellorin.dll")) {
            if (auto init = reinterpret_cast<int (*)()>(m_httpLibrary.FindFunction("http_init")))
                init();
        }
    }
    return m_httpLibrary.FindFunction(name);
}
