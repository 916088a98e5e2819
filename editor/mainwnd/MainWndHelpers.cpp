// Small operations of the main window that pages, jobs and handlers share: folder listings, clock
// texts, font lists, the cut page's end time, the window's size per page and the overlay pair.

#include <chrono>
#include <cwchar>
#include <thread>

#include "base/StringHelpers.h"
#include "base/ThreadRegistry.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/GdiPlus.h"
#include "platform/Windows.h"
#include "ui/core/DPI.h"

namespace {

constexpr int kRefitResetMs = 500;

}  // namespace

std::wstring CMainWnd::FormatDuration(std::wstring seconds)
{
    const long long total = std::wcstoll(seconds.c_str(), nullptr, 10);
    return FormatWide(L"%02lld:%02lld:%02lld", total / 3600, (total % 3600) / 60, total % 60);
}

int CMainWnd::ListFolderFiles(const std::wstring& folder, std::vector<std::wstring>& list, bool folders,
                              bool oneLevelDeeper)
{
    WIN32_FIND_DATAW entry {};
    HANDLE search = ::FindFirstFileW(JoinPath(folder, L"*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return static_cast<int>(list.size());
    do {
        if (::wcscmp(entry.cFileName, L".") == 0 || ::wcscmp(entry.cFileName, L"..") == 0)
            continue;
        const std::wstring path = JoinPath(folder, entry.cFileName);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (folders)
                list.push_back(path);
            if (oneLevelDeeper)
                ListFolderFiles(path, list, folders, false);
        } else if (!folders) {
            list.push_back(path);
        }
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return static_cast<int>(list.size());
}

std::wstring CMainWnd::ListInstalledFonts()
{
    Gdiplus::InstalledFontCollection collection;
    const INT count = collection.GetFamilyCount();
    std::vector<Gdiplus::FontFamily> families(static_cast<size_t>(count));
    INT found = 0;
    collection.GetFamilies(count, families.data(), &found);
    std::wstring names;
    for (INT i = 0; i < found; ++i) {
        WCHAR name[LF_FACESIZE] = {};
        families[static_cast<size_t>(i)].GetFamilyName(name);
        if (i > 0)
            names += L",";
        names += name;
    }
    return names;
}

void CMainWnd::CloseOverlayWindows()
{
    if (m_hConceal)
        ::PostMessage(m_hConceal, WM_CLOSE, 0, 0);
    if (m_hCover)
        ::PostMessage(m_hCover, WM_CLOSE, 0, 0);
}

void CMainWnd::SetCutEndToDuration()
{
    const std::pair<SkinUI::CControlUI*, const wchar_t*> starts[] = {
        { m_pstartHour, L"00" }, { m_pstartMinute, L"00" }, { m_pstartsecound, L"00" }, { m_pstartmillsecond, L"000" } };
    for (const auto& [edit, text] : starts)
        if (edit)
            edit->SetText(text);
    const std::wstring duration = m_strCutDuration.GetData();
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
        const size_t colon = duration.find(L':', start);
        parts.push_back(duration.substr(start, colon == std::wstring::npos ? std::wstring::npos : colon - start));
        if (colon == std::wstring::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() != 3)
        return;
    SkinUI::CControlUI* ends[] = { m_pOVertHour, m_pOVerMinute, m_pOVersecound };
    for (int i = 0; i < 3; ++i)
        if (ends[i])
            ends[i]->SetText(parts[static_cast<size_t>(i)].c_str());
    const std::wstring ms = FormatWide(L"%d", m_nCutDurationMs);
    if (m_pOVermillsecond)
        m_pOVermillsecond->SetText((ms.size() > 3 ? ms.substr(ms.size() - 3) : ms).c_str());
}

BOOL CMainWnd::ResizeForPage(int height)
{
    RECT rc {};
    ::GetWindowRect(m_hWnd, &rc);
    SkinUI::CDPI* dpi = m_pm.GetDPIObj();
    return ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, dpi->Scale(1024), dpi->Scale(height), SWP_SHOWWINDOW);
}

void CMainWnd::ClearRefitFlagLater()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(kRefitResetMs));
    WatermarkRefitFlag = 0;
}
