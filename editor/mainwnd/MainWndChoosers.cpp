// The main window's file and folder choosers over the desktop's dialogs; a chosen folder's videos
// go to the row builder of the list page whose tab is selected. The process's working
// folder is never changed: other threads (row builders, jobs) resolve relative paths against it,
// so the chosen folder is walked by absolute paths instead.

#include <cstdlib>
#include <cwchar>
#include <vector>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/CommDlg.h"
#include "platform/Windows.h"

using control_access::IsChecked;

namespace {

constexpr DWORD kFileBufferChars = 52000;
constexpr DWORD kSingleChoiceFlags = 0x00081808;
constexpr DWORD kMultipleChoiceFlags = 0x0208DA0C;
constexpr UINT kFolderDialogFlags = 0x50;
constexpr const wchar_t* kChooseTitle = L"请选择要添加的文件:";
constexpr wchar_t kVideoPatterns[] =
    L"*.vep;*.mxf;*.m2ts;*.wmv;*.mkv;*.ogv;*.webm;*.mpg;*.m4v;*.swf;*.flv;*.f4v;*.avi;*.3gp;*.mp4;*.wmv;*.mpeg;*.mov;"
    L"*.mkv;*.mpg;*.rm;*.vob;*.m4v;*.mtv;*.ifox;*.mts;*.ts;*.dat;*.rmvb;";

bool EndsWithSeparator(const std::wstring& folder)
{
    return !folder.empty() && (folder.back() == L'/' || folder.back() == L'\\');
}

// Every file below the folder, sub-folders first met first, by absolute paths.
void CollectFilesBelow(const std::wstring& folder, std::vector<SkinUI::CUIString>& files)
{
    const std::wstring base = EndsWithSeparator(folder) ? folder : folder + L"/";
    WIN32_FIND_DATAW entry {};
    HANDLE search = ::FindFirstFileW((base + L"*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (::wcscmp(entry.cFileName, L".") == 0 || ::wcscmp(entry.cFileName, L"..") == 0)
            continue;
        const std::wstring path = base + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFilesBelow(path, files);
        else
            files.emplace_back(path.c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

// The open-file dialog over `owner`, its one filter the patterns. What it wrote comes back (one
// path, or "folder\0name\0name\0\0" for several), with where the first name starts; nothing
// when it was cancelled.
std::vector<wchar_t> RunFileDialog(HWND owner, const wchar_t* title, const wchar_t* patterns, DWORD flags, WORD* fileOffset)
{
    std::vector<wchar_t> buffer(kFileBufferChars, L'\0');
    const std::wstring filter = std::wstring(patterns) + L'\0' + patterns + L'\0' + L'\0';
    OPENFILENAMEW ofn {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kFileBufferChars;
    ofn.lpstrTitle = title;
    ofn.Flags = flags;
    if (!::GetOpenFileNameW(&ofn))
        return {};
    if (fileOffset)
        *fileOffset = ofn.nFileOffset;
    return buffer;
}

int FolderBrowseCallback(HWND window, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED)
        ::SendMessage(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

void CMainWnd::ChooseFolder()
{
    // The desktop's home stands for the drive root the browser starts at.
    const char* home = std::getenv("HOME");
    const std::wstring from = home && *home ? AnsiToWide(home) : L"/";
    std::wstring name(MAX_PATH, L'\0');
    BROWSEINFOW info {};
    info.hwndOwner = m_hWnd;
    info.pszDisplayName = name.data();
    info.lpszTitle = L"请选择目录";
    info.ulFlags = kFolderDialogFlags;
    info.lpfn = FolderBrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(from.c_str());
    LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
    if (chosen == nullptr)
        return;
    wchar_t path[MAX_PATH] = {};
    const BOOL gotPath = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!gotPath || path[0] == L'\0')
        return;
    std::vector<SkinUI::CUIString> found;
    CollectFilesBelow(path, found);
    m_vecChosenFiles.insert(m_vecChosenFiles.end(), found.begin(), found.end());
    // The list page whose tab is selected builds rows for the videos among them.
    std::vector<std::wstring> videos;
    for (const SkinUI::CUIString& file : found)
        if (IsVideoFileName(file.GetData()))
            videos.emplace_back(file.GetData());
    const RowPage page = IsChecked(m_ptabGIF) ? RowPage::Gif : IsChecked(m_ptabAdd) ? RowPage::Clip : RowPage::Merge;
    AppendPendingFiles(page, videos);
    StartRowBuilder(page);
}

std::wstring ChooseOneFile(HWND owner, const wchar_t* title, const wchar_t* patterns)
{
    const std::vector<wchar_t> buffer = RunFileDialog(owner, title, patterns, kSingleChoiceFlags, nullptr);
    return buffer.empty() ? std::wstring() : std::wstring(buffer.data());
}

SkinUI::CUIString CMainWnd::ChooseMediaFiles(bool multiple)
{
    if (!multiple)
        return ChooseOneFile(m_hWnd, kChooseTitle, kVideoPatterns).c_str();
    WORD fileOffset = 0;
    const std::vector<wchar_t> buffer = RunFileDialog(m_hWnd, kChooseTitle, kVideoPatterns, kMultipleChoiceFlags, &fileOffset);
    if (buffer.empty())
        return SkinUI::CUIString();
    // One file: its path, split at the name. Several: "folder\0name\0name\0\0".
    std::wstring folder(buffer.data(), std::min<size_t>(fileOffset, ::wcslen(buffer.data())));
    if (!EndsWithSeparator(folder))
        folder += L'/';
    SkinUI::CUIString last;
    for (const wchar_t* name = buffer.data() + fileOffset; *name; name += ::wcslen(name) + 1) {
        last = (folder + name).c_str();
        m_vecChosenFiles.push_back(last);
    }
    return last;
}
