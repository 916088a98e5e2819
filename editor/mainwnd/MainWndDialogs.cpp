// The main window's side of its dialogs: the jobs' questions and the page export's encoder that
// the progress window stops.

#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

int CMainWnd::AskUser(const std::wstring& message, const std::wstring& fourthText, const std::wstring& fifthText)
{
    return CMessageWnd::Ask(m_hWnd, message, L"", fourthText, fifthText);
}

void CMainWnd::SetPageEncoder(HANDLE process)
{
    std::lock_guard lock(m_pageEncoderLock);
    m_hPageEncoder = process;
}

bool CMainWnd::StopPageEncoder()
{
    // Under the lock the runner has not reaped the process yet, so its id cannot name another.
    std::lock_guard lock(m_pageEncoderLock);
    return m_hPageEncoder && ::TerminateProcess(m_hPageEncoder, 0);
}

void CMainWnd::ClearHistory()
{
    std::lock_guard lock(m_historyLock);
    m_vecHistory.clear();
}
