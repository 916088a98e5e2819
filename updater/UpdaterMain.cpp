#include "updater/UpdaterMain.h"

#include "updater/CommandLineOptions.h"
#include "updater/FileUtil.h"
#include "updater/SilentUpdateWindow.h"
#include "updater/UpdateInfo.h"
#include "updater/UpdateWorker.h"
#include "updater/UpdaterIds.h"
#include "updater/UpdaterLog.h"
#include "platform/WinBase.h"
#include "platform/system/System.h"
#include "ui/core/PaintManagerUI.h"

#include <cwctype>
#include <thread>

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
    while (worker.IsBusy())
        Sleep(10);
    return worker.GetRecords();
}

// "$TMPDIR/vkupdate/", created when missing; empty when there is no temporary folder.
std::wstring UpdaterTempFolder()
{
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    const std::wstring folder = std::wstring(buffer) + L"vkupdate/";
    if (!PathIsDirectoryW(folder.c_str()))
        CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
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
    const HWND hwnd = window->GetHWND();
    if (!hwnd) {
        LOG(ERROR) << "silent update: the message window cannot be created";
        delete window;
        return;
    }
    std::thread(RunSilentDownload, hwnd, std::cref(url), std::cref(run.downloadPath), std::ref(*window)).detach();
    SilentUpdateWindow::PumpMessages();
}

}  // namespace

int wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    const CommandLineOptions options(commandLine ? commandLine : L"");
    if (options.HasOption(L"o") == 0)
        return 1;
    const std::wstring productCode = options.GetValue(L"o");
    if (productCode.empty())
        return 0;
    // Held until the process ends.
    CreateMutexW(nullptr, TRUE, (std::wstring(kUpdaterGuid) + productCode).c_str());
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
    const bool testMode = GetPrivateProfileIntW(L"test", L"on", 0, (programFolder + L"test.ini").c_str()) == 1;
    const UpdateRecordMap records = testMode ? ReadTestRecords(programFolder, productCode) : FetchRecords(productCode);
    if (records.empty()) {
        LOG(INFO) << "upinfo 0";
        ShutdownUpdaterLog();
        return 0;
    }

    const bool manualAllowed = options.GetValue(L"m") == L"1";
    const std::wstring editorPath = programFolder + options.GetValue(L"e");
    const std::string installedVersion = GetFileVersionString(editorPath);
    const UpdateDecision decision = DecideUpdate(records, installedVersion);
    if (decision.url.empty()) {
        LOG(INFO) << "up_url 0";
        ShutdownUpdaterLog();
        return 0;
    }

    SilentRun run;
    run.tempFolder = UpdaterTempFolder();
    run.fileName = FileNameOf(AnsiToWide(decision.url));
    run.downloadPath = run.tempFolder + run.fileName;
    DeleteFileOrMoveAside(run.downloadPath, true);
    run.updateType = Lower(FileExtensionOf(run.fileName));
    run.installFolder = FolderOf(editorPath);

    if (!decision.notify) {
        RunSilentUpdate(decision.url, run);
    } else if (decision.manual && !manualAllowed) {
        LOG(INFO) << "only_manual but 0";
        ShutdownUpdaterLog();
        return 0;
    } else {
        // The update dialog is not part of this build: a notified update is left to a later run.
        LOG(INFO) << "update dialog not available: " << WideToAnsi(decision.updateVersion) << " not offered";
        ShutdownUpdaterLog();
        return 0;
    }
    LOG(INFO) << "APP Exit!";
    ShutdownUpdaterLog();
    return 1;
}
