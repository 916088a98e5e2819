#pragma once
#include "updater/EditorProcesses.h"
#include "updater/UpdateInfo.h"
#include "ui/core/WindowImplBase.h"

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>

class UpdateWorker;

namespace SkinUI {
class CButtonUI;
class CLabelUI;
class CProgressUI;
class CRichEditUI;
class CVerticalLayoutUI;
}

// The update dialog: the installed and the offered version, the change log, and one action row
// where "update" (download with an UpdateWorker), the progress bar and "reboot" take turns. When
// the download is complete and checked, the dialog waits 3 seconds and applies the archive on a
// job thread; "reboot" then stops the running editor and starts the new one.
//
// Rules: the entry point creates it with new, sets every field before Create and runs it
// modally; OnFinalMessage deletes it. Everything runs on the UI thread except the download
// worker, which the dialog owns and which posts its reports to the dialog, and the apply job,
// which works on copies of what it needs and only posts its result back. While the download runs
// the close button is disabled; while the apply job runs the dialog refuses to close, so the
// installation ends either fully old or fully new. Only an archive ("zip") update is ever
// offered here: installers are not run on this system.
class TipWnd : public SkinUI::WindowImplBase {
public:
    TipWnd();
    ~TipWnd() override;

    void SetUrl(const std::string& url) { m_url = url; }
    void SetTempDir(const std::wstring& folder) { m_tempDir = folder; }
    void SetDownloadPath(const std::wstring& path) { m_downloadPath = path; }
    void SetInstallDir(const std::wstring& folder) { m_installDir = folder; }
    void SetUpdateType(const std::wstring& type) { m_updateType = type; }
    void SetExePath(const std::wstring& path) { m_exePath = path; }
    void SetChangeLog(const std::map<int, std::string>& lines) { m_changeLog = lines; }
    void SetProductCode(const std::wstring& code) { m_productCode = code; }
    void SetCurrentVersion(const std::wstring& version) { m_currentVersion = version; }
    void SetUpdateVersion(const std::wstring& version) { m_updateVersion = version; }

    // The timer that starts the apply job 3 s after the download completed. Control timers take
    // window timer ids 0..239, so this one lies outside that range.
    static constexpr UINT_PTR kApplyTimer = 0x4032;

protected:
    const wchar_t* GetWindowClassName() const override;
    void OnFinalMessage(HWND hWnd) override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    void StartDownload();
    void OnDownloadProgress(int percent);
    void OnDownloadFailed();
    void OnTimer(UINT_PTR id, bool& bHandled);
    void OnApplyResult(bool applied);
    // "reboot" after a success, "update" again after any failure; the worker is let go.
    void ShowResult(bool applied);
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void Reboot();
    void ShowState(bool update, bool progress, bool reboot);
    void DropWorker();
    static void ApplyUpdateJob(HWND dialog, std::wstring archive, std::wstring tempDir, std::wstring installDir,
                               std::wstring updateType);

    std::string m_url;
    std::wstring m_downloadPath, m_tempDir, m_installDir, m_updateType, m_exePath;
    std::map<int, std::string> m_changeLog;
    std::unique_ptr<UpdateWorker> m_worker;  // reports to this window; dropped on the UI thread
    SkinUI::CButtonUI* m_closeButton { nullptr };
    SkinUI::CButtonUI* m_updateButton { nullptr };
    SkinUI::CButtonUI* m_rebootButton { nullptr };
    SkinUI::CRichEditUI* m_content { nullptr };
    SkinUI::CLabelUI* m_currentVersionLabel { nullptr };
    SkinUI::CLabelUI* m_updateVersionLabel { nullptr };
    SkinUI::CLabelUI* m_logo { nullptr };
    SkinUI::CLabelUI* m_productName { nullptr };
    SkinUI::CControlUI* m_progressRow { nullptr };
    SkinUI::CProgressUI* m_progress { nullptr };
    int m_baseDpi { 96 };
    int m_currentDpi { 96 };
    bool m_downloadComplete { false };
    bool m_applying { false };
    std::wstring m_productCode, m_currentVersion, m_updateVersion;
    int32_t m_lastDpiChange { -1 };
    std::thread m_applyJob;
    FileIdentity m_editorBeforeApply;  // the running editor's file, moved aside by the apply
};

// Hands the dialog's skin archive (resource "ZIP" 131) to the framework; false when the program
// has none.
bool LoadUpdaterSkin();
