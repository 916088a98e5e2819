#include "updater/ApplyZipUpdate.h"

#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"
#include "ui/core/ZipArchiveReader.h"

#include <cerrno>
#include <filesystem>
#include <cwctype>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace SkinUI;

namespace {

constexpr DWORD kDirectoryAttribute = 0x10;

struct StagedItem {
    std::wstring name;    // "/" separated, no trailing "/"
    bool isFolder { false };
};

// What the commit changed so far, undone in reverse order on failure.
class ReplaceTransaction {
public:
    struct Replaced {
        std::string target;
        std::string aside;  // empty when the target did not exist before
    };

    void FolderCreated(std::string folder) { m_createdFolders.push_back(std::move(folder)); }
    void FileReplaced(std::string target, std::string aside) { m_replaced.push_back({ std::move(target), std::move(aside) }); }
    const std::vector<Replaced>& ReplacedFiles() const { return m_replaced; }

    // True only when every replaced file is back and every added file is gone; a file that
    // cannot be put back stays under its aside name, which is logged.
    bool RollBack() const
    {
        bool complete = true;
        for (auto it = m_replaced.rbegin(); it != m_replaced.rend(); ++it) {
            if (it->aside.empty()) {
                if (unlink(it->target.c_str()) != 0 && errno != ENOENT) {
                    LOG(ERROR) << it->target << " remove fail " << errno;
                    complete = false;
                }
            } else if (std::rename(it->aside.c_str(), it->target.c_str()) != 0) {
                LOG(ERROR) << it->target << " restore fail " << errno << ": the old file is kept as " << it->aside;
                complete = false;
            }
        }
        for (auto it = m_createdFolders.rbegin(); it != m_createdFolders.rend(); ++it)
            rmdir(it->c_str());
        return complete;
    }

private:
    std::vector<std::string> m_createdFolders;
    std::vector<Replaced> m_replaced;
};

void LogAs(const char* unit, int line, const std::string& text)
{
    google::LogMessage(unit, line, google::GLOG_INFO).stream() << text;
}

std::string ZipText(DWORD code)
{
    wchar_t text[128];
    FormatZipMessage(code, text, 128);
    return WideToAnsi(text);
}

// The staged file is not needed afterwards: moving it is enough where both folders share a file
// system, and copying covers the rest.
bool MoveOrCopy(const std::wstring& from, const std::wstring& to)
{
    const std::string source = WideToAnsi(from), target = WideToAnsi(to);
    if (std::rename(source.c_str(), target.c_str()) == 0)
        return true;
    std::error_code error;
    fs::copy_file(fs::path(source), fs::path(target), fs::copy_options::overwrite_existing, error);
    errno = error.value();
    return !error;
}

// Creates the missing folders from the installation folder down to folder, remembering each.
bool CreateFolders(const std::string& installFolder, const std::string& folder, ReplaceTransaction& transaction)
{
    std::string path = installFolder;
    size_t start = installFolder.size() + 1;
    while (start <= folder.size()) {
        const size_t end = std::min(folder.find('/', start), folder.size());
        path = folder.substr(0, end);
        struct stat info {};
        if (stat(path.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                errno = ENOTDIR;
                return false;
            }
        } else if (mkdir(path.c_str(), 0755) == 0) {
            transaction.FolderCreated(path);
        } else {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Names that land on one file (case and separators aside) give one key.
std::wstring ItemKey(const std::wstring& name)
{
    std::wstring key = name;
    for (wchar_t& ch : key)
        ch = ch == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(ch));
    return key;
}

// Unpacks every item into the staging folder; false when any item is refused or fails.
bool StageItems(ZipHandle* archive, const std::wstring& stageFolder, const ApplyZipOptions& options,
                std::vector<StagedItem>& items)
{
    ZipItemRecord record {};
    ZipReaderGetItem(archive, -1, &record);
    const int count = record.index;
    bool ok = true;
    std::set<std::wstring> seen;
    for (int index = 0; index < count; ++index) {
        if (ZipReaderGetItem(archive, index, &record) != kZipOk) {
            LogAs(options.logUnit, __LINE__, "item " + std::to_string(index) + " " + ZipText(kZipLastResult));
            ok = false;
            continue;
        }
        StagedItem item { record.name, (record.attributes & kDirectoryAttribute) != 0 };
        ReplaceAllInPlace(L"\\", L"/", item.name);
        while (!item.name.empty() && item.name.back() == L'/')
            item.name.pop_back();
        if (!IsSafeItemName(item.name)) {
            LogAs(options.logUnit, __LINE__, WideToAnsi(record.name) + " refused: outside the installation folder");
            ok = false;
            continue;
        }
        // One target, one item: a second copy would replace the first one's aside file.
        if (!seen.insert(ItemKey(item.name)).second) {
            LogAs(options.logUnit, __LINE__, WideToAnsi(record.name) + " refused: the archive names it twice");
            ok = false;
            continue;
        }
        if (!item.isFolder) {
            const DWORD result = ZipReaderExtractToFile(archive, index, (stageFolder + item.name).c_str());
            if (result != kZipOk) {
                LogAs(options.logUnit, __LINE__, WideToAnsi(item.name) + " " + ZipText(result));
                ok = false;
                continue;
            }
        }
        items.push_back(std::move(item));
    }
    return ok;
}

// "<target>.vkold", or with a number when that name is taken: an aside never overwrites a file.
std::string UniqueAsideName(const std::string& target)
{
    std::string aside = target + ".vkold";
    struct stat info {};
    for (int n = 1; lstat(aside.c_str(), &info) == 0; ++n)
        aside = target + ".vkold" + std::to_string(n);
    return aside;
}

void LogCopyFailure(const ApplyZipOptions& options, const std::wstring& target, int error)
{
    wchar_t line[64];
    if (options.copyFailureWithCode)
        swprintf(line, 64, L" copy fail %d", error);
    else
        swprintf(line, 64, L" copy fail");
    LogWide((target + line).c_str(), kLogInfo);
}

// Puts one staged file in place of its target, keeping the old file aside.
bool ReplaceFile(const std::wstring& staged, const std::wstring& target, const ApplyZipOptions& options,
                 ReplaceTransaction& transaction)
{
    const std::string targetPath = WideToAnsi(target);
    const std::wstring fresh = target + L".vknew";
    struct stat old {};
    const bool existed = lstat(targetPath.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        return false;
    }
    const auto copy = options.copyFile ? options.copyFile : MoveOrCopy;
    if (!copy(staged, fresh))
        return false;
    const std::string freshPath = WideToAnsi(fresh);
    if (existed)  // the new file keeps the installed file's permissions (the editor stays executable)
        chmod(freshPath.c_str(), old.st_mode & 07777);
    const std::string aside = existed ? UniqueAsideName(targetPath) : std::string();
    if (existed && std::rename(targetPath.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        unlink(freshPath.c_str());
        errno = error;
        return false;
    }
    if (std::rename(freshPath.c_str(), targetPath.c_str()) != 0) {
        const int error = errno;
        unlink(freshPath.c_str());
        if (existed)
            std::rename(aside.c_str(), targetPath.c_str());
        errno = error;
        return false;
    }
    transaction.FileReplaced(targetPath, aside);
    return true;
}

bool CommitItems(const std::vector<StagedItem>& items, const std::wstring& stageFolder,
                 const std::wstring& installFolder, const ApplyZipOptions& options, ReplaceTransaction& transaction)
{
    const std::string install = WideToAnsi(installFolder);
    for (const StagedItem& item : items) {
        const std::wstring target = installFolder + L"/" + item.name;
        const std::string targetPath = WideToAnsi(target);
        const std::string folder = item.isFolder ? targetPath : targetPath.substr(0, targetPath.rfind('/'));
        if (!CreateFolders(install, folder, transaction)) {
            LogCopyFailure(options, target, errno);
            return false;
        }
        if (item.isFolder)
            continue;
        if (!ReplaceFile(stageFolder + item.name, target, options, transaction)) {
            LogCopyFailure(options, target, errno);
            return false;
        }
        LogWide((target + L" copy ok").c_str(), kLogInfo);
    }
    return true;
}

// The old files go only once every item is in place.
void DeleteOldFiles(const ReplaceTransaction& transaction, const ApplyZipOptions& options)
{
    for (const ReplaceTransaction::Replaced& file : transaction.ReplacedFiles()) {
        if (file.aside.empty() || DeleteFileOrMoveAside(AnsiToWide(file.aside), true) || !options.logDeleteFailure)
            continue;
        wchar_t code[32];
        swprintf(code, 32, L" delfile fail %d", errno);
        LogWide((AnsiToWide(file.aside) + code).c_str(), kLogInfo);
    }
}

}  // namespace

bool IsSafeItemName(const std::wstring& name)
{
    if (name.empty() || name[0] == L'/' || name[0] == L'\\' || (name.size() >= 2 && name[1] == L':'))
        return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = name.size();
        if (name.compare(start, end - start, L"..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

bool ApplyZipUpdate(const std::wstring& downloadPath, const std::wstring& tempFolder,
                    const std::wstring& installFolder, const ApplyZipOptions& options)
{
    if (!FileExists(installFolder, true))
        mkdir(WideToAnsi(installFolder).c_str(), 0755);
    const std::unique_ptr<ZipHandle, ZipHandleCloser> archive(ZipReaderOpenFile(downloadPath.c_str(), nullptr));
    if (!archive) {
        LOG(ERROR) << WideToAnsi(downloadPath) << " cannot be opened: " << ZipText(kZipLastResult);
        return false;
    }
    // A folder of its own, so that no item can overwrite the archive being read.
    const std::wstring stageFolder = tempFolder + L"unpack/";
    std::error_code ignored;
    fs::remove_all(fs::path(WideToAnsi(stageFolder)), ignored);
    std::vector<StagedItem> items;
    ReplaceTransaction transaction;
    bool ok = StageItems(archive.get(), stageFolder, options, items);
    if (!ok) {
        LOG(ERROR) << "update not applied: the archive has items that cannot be unpacked";
    } else if (!(ok = CommitItems(items, stageFolder, installFolder, options, transaction))) {
        if (transaction.RollBack())
            LOG(ERROR) << "update not applied: every replaced file was put back";
        else
            LOG(ERROR) << "update not applied, and some files could not be put back (see above)";
    } else {
        DeleteOldFiles(transaction, options);
    }
    fs::remove_all(fs::path(WideToAnsi(stageFolder)), ignored);
    return ok;
}
