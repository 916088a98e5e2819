// The main window's start-up hook: it runs once, inside the window's creation, after the skin is
// built and before the window is first shown. No step reports a failure or stops the steps after it.
// Programs and libraries beside the editor are found in the program folder (never the current
// folder, which dialogs change); files the editor writes go to the per-user data folder.
// Two costly steps wait so that the window shows sooner: the warm-up of the preview engine starts
// once the window has been painted, and the HTTP helper library is loaded when a download first
// needs it.

#include <tinyxml.h>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/TextFile.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "platform/system/System.h"
#include "ui/core/DPI.h"

namespace {

constexpr UINT kIconResource = 108;
constexpr int kDesktopFolder = 0x10;  // CSIDL_DESKTOPDIRECTORY
constexpr int kWarmUpMs = 100;

std::wstring SpecialFolder(int csidl)
{
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
        return {};
    return buffer;
}

std::wstring WithSeparator(const std::wstring& folder)
{
    return folder.empty() ? folder : JoinPath(folder, L"");
}

// The attribute "attribute1" of the document's first node's last child, or empty.
std::wstring SavedOutputFolder(const std::wstring& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return {};
    TiXmlDocument document;
    document.Parse(Utf8FromFileBytes(bytes).c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error())
        return {};
    const TiXmlNode* first = document.FirstChild();
    while (first && first->ToDeclaration())
        first = first->NextSibling();
    if (first == nullptr)
        return {};
    const char* value = nullptr;
    for (const TiXmlNode* child = first->FirstChild(); child; child = child->NextSibling()) {
        const TiXmlElement* element = child->ToElement();
        value = element ? element->Attribute("attribute1") : nullptr;
    }
    return value ? WideFromUtf8(value) : std::wstring();
}

}  // namespace

void CMainWnd::InitWindow()
{
    KillProcessesByName(L"ffmpeg.exe", L"");
    if (m_strAppFolder.empty())
        m_strAppFolder = WithSeparator(FolderOfOwnCode());
    if (m_strDataFolder.empty())
        m_strDataFolder = WithSeparator(JoinPath(SpecialFolder(CSIDL_LOCAL_APPDATA), L"Quillmoor"));
    if (GetOsVersionClass() == 1) {
        m_strEncoder = L"ffmpeg.exe";
        m_bLegacyEncoder = 1;
    } else {
        m_bLegacyEncoder = 0;
        // Quoted: the program folder may hold blanks, and command lines start with the encoder.
        m_strEncoder = (L"\"" + JoinPath(JoinPath(m_strAppFolder, L"Encoder"), L"ffmpeg.exe") + L"\"").c_str();
        m_strEncoderExtra = L" -max_muxing_queue_size 34500 ";
    }
    m_hWindowDC = ::GetDC(m_hWnd);
    SetIcon(kIconResource);
    ::SetWindowLong(m_hWnd, GWL_STYLE, ::GetWindowLong(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    MainWindowHandle = m_hWnd;
    BindControls();

    m_nDpi = static_cast<int>(SkinUI::CDPI::GetMainMonitorDPI());
    m_pm.SetDPI(m_nDpi);
    m_nPreviewHeight = m_pm.GetDPIObj()->Scale(360);
    m_nPreviewWidth = m_pm.GetDPIObj()->Scale(977);
    ::DragAcceptFiles(m_hWnd, TRUE);
    MediaProbe::RegisterFormats();

    m_account = std::make_unique<AccountClient>(m_hWnd, false);
    m_pAccount = m_account.get();
    m_pAccount->Init("tmqrx");
    std::wstring version = AnsiToWide(GetExeVersion(m_strAppFolder + L"Quillmoor.exe"));
    if (version.empty())  // the program file has no ".exe" here
        version = AnsiToWide(GetExeVersion(m_strAppFolder + L"Quillmoor"));
    m_pAccount->SetVersionInfo(version);
    if (SkinUI::CControlUI* label = m_pm.FindControl(L"VideoVersion"))
        label->SetText(FormatWide(L"当前版本：%s", version.c_str()).c_str());

    CreateWorkFolders();
    CenterWindow();
    LoadHistory();
    SIZE workArea {};
    GetWorkAreaSize(workArea);
    ScreenScale = static_cast<float>((workArea.cx - 416) / 608.0);
    LoadOutputFolder();
}

void CMainWnd::CreateWorkFolders()
{
    // The work folders sit on the desktop's drive, which is the home folder here.
    const std::wstring drive = SpecialFolder(kDesktopFolder).substr(0, 1) + L":";
    m_strTempFolder = JoinPath(drive, L"ZaDaro");
    const std::wstring logFolder = JoinPath(drive, L"Doziz");
    // A folder that cannot be made is not fatal here: each writer makes its folder again first.
    CreateFolderWithParents(m_strTempFolder);
    CreateFolderWithParents(logFolder);
    m_pAccount->SetLogPath(logFolder);
    CreateFolderWithParents(JoinPath(UserTempFolder(), L"RoRerav"));
    // The data folder stands in for the program folder for every file the editor writes.
    CreateFolderWithParents(JoinPath(m_strDataFolder, L"TempMerge"));
    CreateFolderWithParents(ConfigFolder());
}

LRESULT CMainWnd::PaintThenWarmUp(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = WindowImplBase::HandleMessage(WM_PAINT, wParam, lParam);
    m_bWarmUpStarted = true;
    if (!m_bShutDown)
        StartWorker([this] { WarmUpPlayer(); });
    return result;
}

void CMainWnd::WarmUpPlayer()
{
    auto* player = dynamic_cast<CPlayerUI*>(m_pVideoCutPlayer);
    if (player == nullptr || m_bClosing)
        return;
    // The clip stands in only while no file has been asked of the cut preview, so that a file
    // dropped or loaded meanwhile is never replaced or stopped by it.
    const std::string clip = WideToUtf8(m_strAppFolder + L"Loading.mp4");
    if (!RunWhilePlayerUnasked(m_pVideoCutPlayer, [&] { player->Player().OpenAndPlay(clip, 0, "", ""); }))
        return;
    SleepUnlessClosing(kWarmUpMs);
    RunWhilePlayerUnasked(m_pVideoCutPlayer, [&] { player->Player().StopPlayback(); });
}

void CMainWnd::LoadOutputFolder()
{
    m_strOutFolder = SavedOutputFolder(OutputFolderSettingsPath());
    if (m_strOutFolder.empty())
        m_strOutFolder = JoinPath(SpecialFolder(kDesktopFolder), L"Tessaly");
}

std::wstring CMainWnd::ConfigFolder() const
{
    return JoinPath(m_strDataFolder, L"Config");
}

std::wstring CMainWnd::OutputFolderSettingsPath() const
{
    return JoinPath(ConfigFolder(), L"VideoConvert.xml");
}

std::string CMainWnd::GetExeVersion(const std::wstring& path)
{
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<unsigned char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(path.c_str(), handle, size, block.data())
        || !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<LPVOID*>(&info), &length) || info == nullptr)
        return {};
    return WideToAnsi(FormatWide(L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                                 HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)));
}
