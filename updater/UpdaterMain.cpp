#include "updater/UpdaterMain.h"

#include "updater/ApplyZipUpdate.h"
#include "updater/CommandLineOptions.h"
#include "updater/FileUtil.h"
#include "updater/SilentUpdateWindow.h"
#include "updater/TipWnd.h"
#include "updater/UpdateInfo.h"
#include "updater/UpdateWorker.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "platform/WinBase.h"
#include "platform/headless/HeadlessScreen.h"
#include "platform/system/System.h"
#include "ui/core/PaintManagerUI.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

UpdateRecordMap ReadTestRecords(const std::wstring& programFolder, const std::wstring& productCode)
{
    LOG(INFO) << "parse test file";
    UpdateRecordMap records;
    std::string content;
    if (!ReadWholeFile(WideToAnsi(programFolder + productCode + L"_up.json"), content)) {
        LOG(ERROR) << "read test file error";
        return records;
    }
    if (!ParseUpdateInfoText(Utf8ToAnsi(content), records))
        LOG(ERROR) << "parse test file error";
    return records;
}

UpdateRecordMap FetchRecords(const std::wstring& productCode)
{
    LOG(INFO) << "parse cloud file";
    UpdateWorker worker(BuildUpdateInfoUrl(productCode), std::string(), UpdateWorker::kFetch);
    worker.Start();
    worker.WaitUntilIdle();
    return worker.GetRecords();
}

// A folder of this run alone under the temporary folder: made fresh (never one that someone
// prepared, a link included), mode 0700, checked to be ours. Empty when it cannot be made.
std::wstring MakePrivateWorkFolder()
{
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::string pattern = WideToAnsi(buffer) + "vkupdate-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        LOG(ERROR) << "no work folder: " << pattern << " cannot be made (" << std::strerror(errno) << ")";
        return std::wstring();
    }
    struct stat info {};
    if (lstat(pattern.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()
        || (info.st_mode & 0777) != 0700) {
        LOG(ERROR) << "no work folder: " << pattern << " is not a private folder of this user";
        return std::wstring();
    }
    return AnsiToWide(pattern) + L"/";
}

void RemoveWorkFolder(const std::wstring& folder)
{
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::remove_all(std::filesystem::path(WideToAnsi(folder)), ignored);
}

// The URL without its query and fragment: the file's name and kind come from its path alone.
std::string UrlPathOf(const std::string& url)
{
    return url.substr(0, url.find_first_of("?#"));
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& ch : text)
        ch = static_cast<wchar_t>(std::towlower(ch));
    return text;
}

struct SilentRun {
    std::wstring tempFolder, downloadPath, fileName, installFolder, updateType;
};

void RunSilentUpdate(const std::string& url, const SilentRun& run)
{
    auto* window = new SilentUpdateWindow();  // the window owns it from here
    window->SetTempDir(run.tempFolder);
    window->SetDownloadPath(run.downloadPath);
    window->SetFileName(run.fileName);
    window->SetInstallDir(run.installFolder);
    window->SetUpdateType(run.updateType);
    if (!window->GetHWND()) {
        LOG(ERROR) << "silent update: the message window cannot be created";
        delete window;
        return;
    }
    RunSilentDownload(url, run.downloadPath, *window);
    SilentUpdateWindow::PumpMessages();
}

// Shows the dialog modally; false (logged) when it cannot be shown at all.
bool RunUpdateDialog(const UpdateDecision& decision, const SilentRun& run, const std::wstring& editorPath,
                     const std::wstring& productCode, const std::string& installedVersion)
{
    if (run.updateType != L"zip") {
        // An installer would run elevated on the system it was made for; here it is never offered.
        LOG(INFO) << WideToAnsi(run.fileName) << " is an installer: installer updates are not offered on this system";
        return false;
    }
    if (!HasDisplay()) {
        LOG(ERROR) << "update dialog not shown: it needs a display, and DISPLAY is not set";
        return false;
    }
    if (!LoadUpdaterSkin()) {
        LOG(ERROR) << "update dialog not shown: the program has no dialog skin (resource ZIP 131)";
        return false;
    }
    auto* dialog = new TipWnd();  // deletes itself when its window is gone
    dialog->SetUrl(decision.url);
    dialog->SetTempDir(run.tempFolder);
    dialog->SetDownloadPath(run.downloadPath);
    dialog->SetInstallDir(run.installFolder);
    dialog->SetUpdateType(run.updateType);
    dialog->SetExePath(editorPath);
    dialog->SetChangeLog(decision.changeLog);
    dialog->SetProductCode(productCode);
    dialog->SetCurrentVersion(AnsiToWide(installedVersion));
    dialog->SetUpdateVersion(decision.updateVersion);
    if (!dialog->Create(nullptr, kUpdaterTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 400, 446, nullptr)) {
        LOG(ERROR) << "update dialog not shown: its window cannot be created";
        delete dialog;
        return false;
    }
    dialog->CenterWindow();
    SetWindowPos(dialog->GetHWND(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    dialog->ShowModal();
    return true;
}

// The run once the log exists: every ending returns here, so the log is shut down in one place.
int RunLoggedUpdate(const CommandLineOptions& options, const std::wstring& programFolder, const std::wstring& productCode)
{
    const std::wstring editorPath = EditorPathOf(programFolder, options.GetValue(L"e"));
    // An apply killed in the middle is finished or undone before the installed version is read.
    RecoverInterruptedUpdate(FolderOf(editorPath));
    const bool testMode = GetPrivateProfileIntW(L"test", L"on", 0, (programFolder + L"test.ini").c_str()) == 1;
    const UpdateRecordMap records = testMode ? ReadTestRecords(programFolder, productCode) : FetchRecords(productCode);
    if (records.empty()) {
        LOG(INFO) << "upinfo 0";
        return 0;
    }
    const bool manualAllowed = options.GetValue(L"m") == L"1";
    const std::string installedVersion = GetFileVersionString(editorPath);
    const UpdateDecision decision = DecideUpdate(records, installedVersion);
    if (decision.url.empty()) {
        LOG(INFO) << "up_url 0";
        return 0;
    }
    if (decision.notify && decision.manual && !manualAllowed) {
        LOG(INFO) << "only_manual but 0";
        return 0;
    }
    SilentRun run;
    run.tempFolder = MakePrivateWorkFolder();
    if (run.tempFolder.empty())
        return 0;
    run.fileName = FileNameOf(AnsiToWide(UrlPathOf(decision.url)));
    run.downloadPath = run.tempFolder + run.fileName;
    run.updateType = Lower(FileExtensionOf(run.fileName));
    run.installFolder = FolderOf(editorPath);
    bool ran = true;
    if (!decision.notify)
        RunSilentUpdate(decision.url, run);
    else
        ran = RunUpdateDialog(decision, run, editorPath, productCode, installedVersion);
    RemoveWorkFolder(run.tempFolder);
    if (!ran)
        return 0;
    LOG(INFO) << "APP Exit!";
    return 1;
}

}  // namespace

std::wstring EditorPathOf(const std::wstring& programFolder, const std::wstring& name)
{
    const std::wstring path = programFolder + name;
    constexpr size_t kSuffix = 4;
    if (FileExists(path, false) || name.size() <= kSuffix)
        return path;
    const std::wstring suffix = Lower(name.substr(name.size() - kSuffix));
    const std::wstring bare = path.substr(0, path.size() - kSuffix);
    return suffix == L".exe" && FileExists(bare, false) ? bare : path;
}

bool HasDisplay()
{
    const char* backend = std::getenv("QUILL_BACKEND");
    const std::string choice = backend ? backend : "";
    const char* display = std::getenv("DISPLAY");
    return choice == "x11" || (choice != "headless" && display && *display);
}

std::wstring SingleInstanceName(const std::wstring& productCode)
{
    const std::wstring name = std::wstring(kUpdaterGuid) + productCode;
    if (name.size() <= kMaxPlainInstanceName)
        return name;
    // A long code would make a lock name the system refuses: name the lock by a hash instead
    // (FNV-1a over the UTF-8 text; any two runs with one code get one name).
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char byte : WideToAnsi(productCode))
        hash = (hash ^ byte) * 1099511628211ull;
    wchar_t text[24];
    swprintf(text, 24, L"#%016llx", static_cast<unsigned long long>(hash));
    return std::wstring(kUpdaterGuid) + text;
}

int wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    const CommandLineOptions options(commandLine ? commandLine : L"");
    if (options.HasOption(L"o") == 0)
        return 1;
    const std::wstring productCode = options.GetValue(L"o");
    if (productCode.empty())
        return 0;
    // The silent update is a background job: without a display its windows (and the search for
    // a running dialog) live on the headless backend.
    if (!HasDisplay())
        platform::headless::Use();
    // Held until the process ends. A lock that cannot be had at all ends the run too: two
    // updaters must never work on one installation at once.
    const HANDLE instanceLock = CreateMutexW(nullptr, TRUE, SingleInstanceName(productCode).c_str());
    if (!instanceLock) {
        // Before the log exists: say it where the one who started us can see it.
        std::fprintf(stderr, "vkupdate: no update: the single-instance lock cannot be taken (its folder, "
                             "$XDG_RUNTIME_DIR or $TMPDIR/quill-<uid>, must be this user's own, mode 0700)\n");
        return 0;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND other = FindWindowW(kUpdaterGuid, kUpdaterTitle)) {
            ShowWindow(other, SW_SHOWNA);
            SetForegroundWindow(other);
        }
        return 0;
    }

    SkinUI::CPaintManagerUI::SetInstance(instance);
    const std::wstring programFolder = SkinUI::CPaintManagerUI::GetInstancePath().GetData();
    InitUpdaterLog("vkupdate", WideToAnsi(programFolder), kLogInfo, 10);
    const int exitCode = RunLoggedUpdate(options, programFolder, productCode);
    ShutdownUpdaterLog();
    return exitCode;
}
