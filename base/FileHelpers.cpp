#include "base/FileHelpers.h"

#include "base/StringHelpers.h"
#include "platform/WinBase.h"

#include <cwchar>
#include <cwctype>

const wchar_t kVideoFileFilter[] =
    L"Movie Files(*.rmvb,*.mpeg,etc)|*.vep;*.mxf;*.m2ts;*.wmv;*.mkv;*.ogv;*.webm;*.mpg;*.m4v;*.swf;*.flv;*.f4v;"
    L"*.avi;*.3gp;*.mp4;*.wmv;*.mpeg;*.mov;*.mkv;*.mpg;*.rm;*.vob;*.m4v;*.qsv;*.kux;*.qlv;*.mtv;*.ifox;*.mts;*.ts;"
    L"*.dat;*.rmvb;|";

namespace {

constexpr size_t kLongestExtension = 256;

// The extension of the path's last part, dot included; empty when there is none.
std::wstring ExtensionOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            name = at + 1;
    const wchar_t* dot = wcsrchr(name, L'.');
    if (dot == nullptr)
        return {};
    return std::wstring(dot).substr(0, kLongestExtension);
}

bool SameNameIgnoringCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (towlower(static_cast<wint_t>(*a)) != towlower(static_cast<wint_t>(*b)))
            return false;
    return *a == *b;
}

bool PathContains(DWORD processId, const wchar_t* filter)
{
    if (filter == nullptr || *filter == 0)
        return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return false;
    wchar_t path[4096] = {};
    DWORD size = 4096;
    const bool found = QueryFullProcessImageNameW(process, 0, path, &size) && wcsstr(path, filter) != nullptr;
    CloseHandle(process);
    return found;
}

std::vector<DWORD> MatchingProcesses(const wchar_t* name, const wchar_t* pathFilter, bool firstOnly)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (!SameNameIgnoringCase(entry.szExeFile, name) || !PathContains(entry.th32ProcessID, pathFilter))
            continue;
        ids.push_back(entry.th32ProcessID);
        if (firstOnly)
            break;
    }
    CloseHandle(snapshot);
    return ids;
}

void CollectHere(std::vector<std::wstring>& files)
{
    wchar_t current[4096] = {};
    const DWORD length = GetCurrentDirectoryW(4096, current);
    if (length == 0 || length >= 4096)
        return;
    std::wstring folder(current, length);
    // Folders handed back by the platform use "/"; keep to the folder's own separator.
    const wchar_t separator = folder.find(L'\\') != std::wstring::npos ? L'\\' : L'/';
    const std::wstring prefix = folder.back() == separator ? folder : folder + separator;
    WIN32_FIND_DATAW data {};
    HANDLE search = FindFirstFileW(L"*.*", &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(prefix + name);
            continue;
        }
        if (name == L"." || name == L".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (!SetCurrentDirectoryW(name.c_str()))
            continue;  // a folder that cannot be entered is skipped
        CollectHere(files);
        SetCurrentDirectoryW(folder.c_str());  // by its path: ".." could lead elsewhere
    } while (FindNextFileW(search, &data));
    FindClose(search);
}

}  // namespace

bool ExtensionListedIn(const wchar_t* path, const wchar_t* filter)
{
    if (path == nullptr || filter == nullptr)
        return false;
    std::wstring extension = ExtensionOf(path);
    if (extension.empty())
        return false;
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(towlower(static_cast<wint_t>(c)));
    extension += L';';
    return wcsstr(filter, extension.c_str()) != nullptr;
}

bool IsVideoFileName(const wchar_t* path)
{
    return ExtensionListedIn(path, kVideoFileFilter);
}

void CollectFilesRecursively(std::vector<std::wstring>& files)
{
    CollectHere(files);
}

bool CreateFolderWithParents(const std::wstring& folder)
{
    const std::wstring path = JoinPath(folder, L"");
    for (size_t end = path.find(L'/', 1); end != std::wstring::npos; end = path.find(L'/', end + 1)) {
        const std::wstring part = path.substr(0, end);
        if (!::PathIsDirectoryW(part.c_str()))
            ::CreateDirectoryW(part.c_str(), nullptr);  // one that cannot be made shows in the check below
    }
    return !folder.empty() && ::PathIsDirectoryW(path.c_str());
}

bool KillProcessesByName(const wchar_t* name, const wchar_t* pathFilter)
{
    if (name == nullptr || *name == 0)
        return false;
    const std::vector<DWORD> ids = MatchingProcesses(name, pathFilter, false);
    if (!ids.empty()) {
        for (DWORD id : ids)
            TerminateProcessById(id);
        return true;
    }
    const std::vector<DWORD> late = MatchingProcesses(name, pathFilter, true);
    return !late.empty() && TerminateProcessById(late.front());
}

bool TerminateProcessById(DWORD processId)
{
    if (processId == 0)
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (process == nullptr)
        return false;
    const bool terminated = TerminateProcess(process, 0) != FALSE;
    CloseHandle(process);
    return terminated;
}
