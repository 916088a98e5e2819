// What every export job shares besides the runner: output names that never overwrite a file, the
// history entry of a finished export, random digits for temporary names, and showing a result.

#include <ctime>

#include "base/StringHelpers.h"
#include "base/WorkNameRandom.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "platform/Windows.h"

std::wstring CMainWnd::MakeUniqueOutputPath(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? path : path.substr(0, separator);
    const std::wstring fileName = separator == std::wstring::npos ? path : path.substr(separator + 1);
    const size_t dot = fileName.rfind(L'.');
    const std::wstring name = dot == std::wstring::npos ? fileName : fileName.substr(0, dot);
    const std::wstring extension = dot == std::wstring::npos ? L"" : fileName.substr(dot);
    std::wstring candidate = path;
    for (int n = 1; FileExists(candidate); ++n)
        candidate = JoinPath(folder, FormatWide(L"%s(%d)%s", name.c_str(), n, extension.c_str()));
    return candidate;
}

SkinUI::CUIString CMainWnd::MakeUniqueOutputPathUI(const SkinUI::CUIString& path)
{
    return SkinUI::CUIString(MakeUniqueOutputPath(path.GetData()).c_str());
}

void CMainWnd::RecordHistoryEntry(const std::wstring& sourcePath, const std::wstring& outputPath)
{
    const std::time_t seconds = std::time(nullptr);
    std::tm now {};
    localtime_r(&seconds, &now);
    std::wstring sourceName = sourcePath, sourceExt, outputName = outputPath, outputExt;
    SplitFileNameW(sourceName, sourceExt);
    SplitFileNameW(outputName, outputExt);

    {
        std::lock_guard lock(m_historyLock);
        m_historyItem.date = FormatWide(L"%d-%d-%d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
        m_historyItem.sourceName = FormatWide(L"%s.%s", sourceName.c_str(), sourceExt.c_str());
        m_historyItem.outputName = FormatWide(L"%s.%s", outputName.c_str(), outputExt.c_str());
        m_historyItem.sourcePath = sourcePath;
        m_historyItem.outputPath = outputPath;
        m_vecHistory.insert(m_vecHistory.begin(), m_historyItem);  // newest first
    }
    SaveHistory();  // at once: a crash later in the run keeps this export in the history
}

SkinUI::CUIString CMainWnd::RandomDigits(int count)
{
    return SkinUI::CUIString(WorkNameRandomDigits(count).c_str());
}

void CMainWnd::ShowOutputInFileManager(const std::wstring& path)
{
    const std::wstring parameters = L" /select, \"" + EncoderPath(path) + L"\"";
    ::ShellExecute(nullptr, L"open", L"explorer", parameters.c_str(), nullptr, SW_SHOWDEFAULT);
}
