#include "editor/dialogs/ShowProgress.h"

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"

CShowProgress::CShowProgress(CMainWnd* mainWnd)
    : m_pMainWnd(mainWnd)
{
}

int CShowProgress::BarValue() const
{
    return static_cast<int>(m_pMainWnd->m_fJobPercent.load());
}

std::wstring CShowProgress::PercentText() const
{
    return FormatWide(L"%.2f%%", static_cast<double>(m_pMainWnd->m_fJobPercent.load()));
}

void CShowProgress::Cancel()
{
    CancelFlag = 1;
    KillProcessesByName(L"ffmpeg.exe");
}
