#pragma once
// The account client of the main window's title bar. The maker's account library does not exist
// here; this stand-in offers the four calls the main window makes, with what each caller relies
// on: nobody is ever signed in (tests put a user in with SetSignedInUserForTesting), the log-on
// and title-bar popups are not available, and the exit confirmation is the platform's message box.
// UI thread only; the main window keeps one for its life.

#include <string>

#include "editor/mainwnd/EditingRecords.h"
#include "platform/WinTypes.h"

class AccountClient {
public:
    static constexpr int kExitConfirmation = 2;
    static constexpr int kAnswerClose = 1;

    AccountClient(HWND owner, bool flag);

    void Init(const std::string& productCode);
    void SetVersionInfo(const std::wstring& version);
    void SetLogPath(const std::wstring& folder);

    // The log-on window: not available here, so nothing is shown; 0.
    int ShowLogonWnd(bool flag);
    // A title-bar popup (1 customer service, 2 menu): not available here; nothing is shown.
    void ShowTitleWndUI(int kind, POINT at, int offset);
    // Kind 2 asks whether to close the editor: 1 means close, anything else stay.
    int MessageWndUI(int kind, bool flag);
    // Fills `info` with the signed-in account, or a user id of 0 when nobody is signed in.
    void GetUserLogon(AccountLogonInfo& info) const;

    const std::string& ProductCode() const { return m_productCode; }
    const std::wstring& Version() const { return m_version; }
    const std::wstring& LogPath() const { return m_logPath; }

    // Every later GetUserLogon reports this account; a user id of 0 signs out.
    static void SetSignedInUserForTesting(const AccountLogonInfo& info);

private:
    HWND m_owner;
    std::string m_productCode;
    std::wstring m_version;
    std::wstring m_logPath;
};
