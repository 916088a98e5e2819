#include "editor/mainwnd/AccountClient.h"

#include <mutex>

#include "platform/WinUser.h"

namespace {

std::mutex& SignedInLock()
{
    static std::mutex lock;
    return lock;
}

AccountLogonInfo& SignedInUser()
{
    static AccountLogonInfo user;
    return user;
}

}  // namespace

AccountClient::AccountClient(HWND owner, bool)
    : m_owner(owner)
{
}

void AccountClient::Init(const std::string& productCode)
{
    m_productCode = productCode;
}

void AccountClient::SetVersionInfo(const std::wstring& version)
{
    m_version = version;
}

void AccountClient::SetLogPath(const std::wstring& folder)
{
    m_logPath = folder;
}

int AccountClient::ShowLogonWnd(bool)
{
    return 0;
}

void AccountClient::ShowTitleWndUI(int, POINT, int)
{
}

int AccountClient::MessageWndUI(int kind, bool)
{
    if (kind != kExitConfirmation)
        return 0;
    const int answer = ::MessageBox(m_owner, L"确定要退出吗？正在进行的导出将被取消。", L"Quillmoor",
                                    MB_OKCANCEL | MB_ICONQUESTION);
    return answer == IDOK ? kAnswerClose : 0;
}

void AccountClient::GetUserLogon(AccountLogonInfo& info) const
{
    std::lock_guard lock(SignedInLock());
    info = SignedInUser();
}

void AccountClient::SetSignedInUserForTesting(const AccountLogonInfo& info)
{
    std::lock_guard lock(SignedInLock());
    SignedInUser() = info;
}
