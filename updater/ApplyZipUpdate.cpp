#include "updater/ApplyZipUpdate.h"

#include "updater/CommitRecord.h"
#include "updater/FileUtil.h"
#include "updater/InstallationLock.h"
#include "updater/UpdaterLog.h"
#include "updater/UpdaterSettings.h"
#include "ui/core/ZipArchiveReader.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <cwctype>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace SkinUI;

namespace {

constexpr DWORD kDirectoryAttribute = 0x10;
// Room left on a file system beyond what the update itself needs (its log, the record).
constexpr uint64_t kSpareBytes = uint64_t(1) << 20;

std::atomic<bool> g_terminationRequested { false };

extern "C" void NoteTermination(int)
{
    g_terminationRequested = true;
}

// While an apply runs, SIGTERM is only noted: the apply stops at its next step, undoes what it
// did, and the process then ends by the same signal.
class TerminationGuard {
public:
    TerminationGuard()
    {
        g_terminationRequested = false;
        struct sigaction action {};
        action.sa_handler = NoteTermination;
        action.sa_flags = SA_RESTART;  // the apply's reads and writes go on to the next step
        sigemptyset(&action.sa_mask);
        sigaction(SIGTERM, &action, &m_previous);
    }
    ~TerminationGuard() { sigaction(SIGTERM, &m_previous, nullptr); }
    TerminationGuard(const TerminationGuard&) = delete;
    TerminationGuard& operator=(const TerminationGuard&) = delete;

    static bool Requested() { return g_terminationRequested; }

    void EndProcessIfRequested()
    {
        if (!Requested())
            return;
        LOG(WARNING) << "ended by SIGTERM: the update was not applied";
        ShutdownUpdaterLog();
        signal(SIGTERM, SIG_DFL);
        raise(SIGTERM);
    }

private:
    struct sigaction m_previous {};
};

struct ArchiveItem {
    int index { 0 };
    std::wstring name;    // "/" separated, no trailing "/"
    bool isFolder { false };
    uint64_t size { 0 };  // as the archive declares it
};

struct PlannedFile {
    std::string staged;
    mode_t mode { 0644 };
    bool existed { false };
};

void LogAs(const char* unit, int line, const std::string& text)
{
    google::LogMessage(unit, line, google::GLOG_INFO).stream() << text;
}

// The reader's text, and what it means where its own text names no cause.
std::string ZipText(DWORD code, int error = 0)
{
    wchar_t text[128];
    FormatZipMessage(code, text, 128);
    std::string line = WideToAnsi(text);
    if (code == kZipFlateError)
        line += " (the item's data is damaged: it does not match its checksum or cannot be inflated)";
    else if ((code == kZipWriteFailed || code == kZipNoFile) && error != 0)
        line += std::string(" (") + std::strerror(error) + ")";
    return line;
}

bool SameDevice(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev;
}

uint64_t FreeBytes(const std::string& folder)
{
    struct statvfs info {};
    if (statvfs(folder.c_str(), &info) != 0)
        return 0;
    return uint64_t(info.f_bavail) * info.f_frsize;
}

// Copies from into a new file to (never through a link); nothing is left at to on failure.
bool CopyNew(const std::string& from, const std::string& to)
{
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        close(in);
        errno = error;
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            ok = put > 0;
            done += ok ? put : 0;
        }
        if (!ok)
            break;
    }
    ok = ok && fsync(out) == 0;
    int error = errno;
    if (close(out) != 0 && ok) {
        ok = false;
        error = errno;
    }
    close(in);
    if (!ok) {
        unlink(to.c_str());
        errno = error;
    }
    return ok;
}

// The staged file is not needed afterwards: moving it is enough where both folders share a file
// system, and copying covers the rest. Neither ever replaces a file at to.
bool MoveOrCopy(const std::wstring& from, const std::wstring& to)
{
    const std::string source = WideToAnsi(from), target = WideToAnsi(to);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    return CopyNew(source, target);
}

// Names that land on one file (case and separators aside) give one key.
std::wstring ItemKey(const std::wstring& name)
{
    std::wstring key = name;
    for (wchar_t& ch : key)
        ch = ch == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(ch));
    return key;
}

// Lists and checks every item without unpacking anything; false when any item is refused.
bool ListItems(ZipHandle* archive, const ApplyZipOptions& options, std::vector<ArchiveItem>& items, uint64_t& total)
{
    ZipItemRecord record {};
    ZipReaderGetItem(archive, -1, &record);
    const int count = record.index;
    std::set<std::wstring> seen;
    total = 0;
    for (int index = 0; index < count; ++index) {
        if (ZipReaderGetItem(archive, index, &record) != kZipOk) {
            LogAs(options.logUnit, __LINE__, "item " + std::to_string(index) + " " + ZipText(kZipLastResult));
            return false;
        }
        ArchiveItem item { index, record.name, (record.attributes & kDirectoryAttribute) != 0, record.uncompressedSize };
        ReplaceAllInPlace(L"\\", L"/", item.name);
        while (!item.name.empty() && item.name.back() == L'/')
            item.name.pop_back();
        if (!IsSafeItemName(item.name)) {
            LogAs(options.logUnit, __LINE__, WideToAnsi(record.name) + " refused: outside the installation folder");
            return false;
        }
        // One target, one item: a second copy would replace the first one's aside file.
        if (!seen.insert(ItemKey(item.name)).second) {
            LogAs(options.logUnit, __LINE__, WideToAnsi(record.name) + " refused: the archive names it twice");
            return false;
        }
        total += item.isFolder ? 0 : item.size;
        items.push_back(std::move(item));
    }
    return true;
}

// The whole update must fit under the limit and into both file systems before it is unpacked.
bool CheckRoom(uint64_t total, const std::string& stage, const std::string& install, const ApplyZipOptions& options)
{
    const int64_t limit = options.maxUnpackedBytes > 0 ? options.maxUnpackedBytes : GetTransferLimits().maxUnpackedBytes;
    if (total > uint64_t(limit)) {
        LOG(ERROR) << "update not applied: the archive unpacks to " << total << " bytes, more than the limit of " << limit;
        return false;
    }
    for (const std::string& folder : { stage, install }) {
        const uint64_t free = FreeBytes(folder);
        if (free < total + kSpareBytes) {
            LOG(ERROR) << "update not applied: it needs " << total << " bytes and " << folder << " has " << free
                       << " free (no space left on the device)";
            return false;
        }
        if (SameDevice(stage, install))
            break;  // staged files are moved, not copied: one file system needs the room once
    }
    return true;
}

// Unpacks every file item into the staging folder; the first failure ends it.
bool StageItems(ZipHandle* archive, const std::wstring& stageFolder, const ApplyZipOptions& options,
                const std::vector<ArchiveItem>& items)
{
    for (const ArchiveItem& item : items) {
        if (TerminationGuard::Requested())
            return false;
        if (item.isFolder)
            continue;
        errno = 0;
        const DWORD result = ZipReaderExtractToFile(archive, item.index, (stageFolder + item.name).c_str());
        const int error = errno;
        if (result != kZipOk) {
            LogAs(options.logUnit, __LINE__, WideToAnsi(item.name) + " " + ZipText(result, error));
            return false;
        }
    }
    return true;
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// "<leaf><suffix>", or with a number when that name is taken or planned: never an existing file.
std::string UniqueName(const std::string& folder, const std::string& leaf, const char* suffix, std::set<std::string>& taken)
{
    std::string name = leaf + suffix;
    for (int n = 1; Exists(folder + name) || taken.count(folder + name); ++n)
        name = leaf + suffix + std::to_string(n);
    taken.insert(folder + name);
    return name;
}

// The folders between the installation and an item must be real folders (never links, which
// would carry the item elsewhere); missing ones are planned for creation.
bool PlanFolders(const std::string& install, const std::string& relative, CommitRecord& record, std::set<std::string>& planned)
{
    size_t start = 0;
    while (start < relative.size()) {
        const size_t end = std::min(relative.find('/', start), relative.size());
        const std::string folder = relative.substr(0, end);
        start = end + 1;
        if (planned.count(folder))
            continue;
        struct stat info {};
        if (lstat((install + "/" + folder).c_str(), &info) != 0) {
            planned.insert(folder);
            record.createdFolders.push_back(folder);
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            LOG(ERROR) << "update not applied: " << install << "/" << folder
                       << (S_ISLNK(info.st_mode) ? " is a link, which the update does not follow" : " is not a folder");
            return false;
        }
    }
    return true;
}

// The mode a new file gets: the installed file's (a link's target's, without write for others),
// or for a file new to the installation 0755 or 0644 by its executable bit.
bool PlanMode(const std::string& target, const std::string& staged, PlannedFile& planned)
{
    struct stat old {}, pointed {}, fresh {};
    const mode_t byDefault = stat(staged.c_str(), &fresh) == 0 && (fresh.st_mode & 0100) ? 0755 : 0644;
    planned.existed = lstat(target.c_str(), &old) == 0;
    if (!planned.existed) {
        planned.mode = byDefault;
        return true;
    }
    if (S_ISDIR(old.st_mode)) {
        LOG(ERROR) << "update not applied: " << target << " is a folder";
        return false;
    }
    if (S_ISLNK(old.st_mode))
        planned.mode = stat(target.c_str(), &pointed) == 0 && S_ISREG(pointed.st_mode) ? (pointed.st_mode & 0755) : byDefault;
    else
        planned.mode = old.st_mode & 0777;
    return true;
}

bool PlanCommit(const std::string& install, const std::string& stage, const std::vector<ArchiveItem>& items,
                CommitRecord& record, std::vector<PlannedFile>& plans)
{
    std::set<std::string> plannedFolders, takenNames;
    for (const ArchiveItem& item : items)
        takenNames.insert(install + "/" + WideToAnsi(item.name));
    for (const ArchiveItem& item : items) {
        const std::string name = WideToAnsi(item.name);
        const size_t slash = name.rfind('/');
        const std::string folder = item.isFolder ? name : (slash == std::string::npos ? "" : name.substr(0, slash));
        if (!PlanFolders(install, folder, record, plannedFolders))
            return false;
        if (item.isFolder)
            continue;
        PlannedFile plan { stage + name };
        if (!PlanMode(install + "/" + name, plan.staged, plan))
            return false;
        const std::string prefix = install + "/" + (folder.empty() ? "" : folder + "/");
        const std::string leaf = name.substr(slash + 1);
        CommitRecord::File file { name, plan.existed ? UniqueName(prefix, leaf, ".vkold", takenNames) : "",
                                  UniqueName(prefix, leaf, ".vknew", takenNames) };
        record.files.push_back(std::move(file));
        plans.push_back(std::move(plan));
    }
    return true;
}

void LogCopyFailure(const ApplyZipOptions& options, const std::wstring& target, int error)
{
    wchar_t line[64];
    if (options.copyFailureWithCode)
        swprintf(line, 64, L" copy fail %d", error);
    else
        swprintf(line, 64, L" copy fail");
    LogWide((target + line).c_str(), kLogInfo);
    LOG(ERROR) << WideToAnsi(target) << " not written: " << std::strerror(error);
}

// Counts the commit's changes to the installation for the hooks; false once a SIGTERM came.
class CommitSteps {
public:
    explicit CommitSteps(const ApplyZipOptions& options) : m_options(options), m_stop(GetCommitStop()) { }

    bool Next()
    {
        ++m_step;
        if (m_options.afterCommitStep)
            m_options.afterCommitStep(m_step);
        else if (m_stop.step == m_step)
            kill(getpid(), m_stop.signal);
        return !TerminationGuard::Requested();
    }

private:
    const ApplyZipOptions& m_options;
    const CommitStop m_stop;
    int m_step { 0 };
};

// Writes every new file beside its target; nothing installed is touched yet.
bool PrepareFiles(const std::string& install, const CommitRecord& record, const std::vector<PlannedFile>& plans,
                  const ApplyZipOptions& options, CommitSteps& steps)
{
    for (const std::string& folder : record.createdFolders) {
        if (mkdir((install + "/" + folder).c_str(), 0755) != 0) {
            LogCopyFailure(options, AnsiToWide(install + "/" + folder), errno);
            return false;
        }
        if (!steps.Next())
            return false;
    }
    const auto copy = options.copyFile ? options.copyFile : MoveOrCopy;
    for (size_t i = 0; i < plans.size(); ++i) {
        const CommitRecord::File& file = record.files[i];
        const std::string prefix = install + "/" + file.target.substr(0, file.target.rfind('/') + 1);
        const std::string fresh = prefix + file.fresh;
        if (!copy(AnsiToWide(plans[i].staged), AnsiToWide(fresh)) || chmod(fresh.c_str(), plans[i].mode) != 0) {
            const int error = errno;
            unlink(fresh.c_str());
            LogCopyFailure(options, AnsiToWide(install + "/" + file.target), error);
            return false;
        }
        if (!steps.Next())
            return false;
    }
    return true;
}

// Moves each old file aside and its new file into place; never replaces a file it did not plan.
bool SwapFiles(const std::string& install, const CommitRecord& record, const ApplyZipOptions& options, CommitSteps& steps)
{
    for (const CommitRecord::File& file : record.files) {
        const std::string prefix = install + "/" + file.target.substr(0, file.target.rfind('/') + 1);
        const std::string target = install + "/" + file.target;
        if (!file.aside.empty()) {
            if (renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, (prefix + file.aside).c_str(), RENAME_NOREPLACE) != 0) {
                LogCopyFailure(options, AnsiToWide(target), errno);
                return false;
            }
            if (!steps.Next())
                return false;
        }
        if (renameat2(AT_FDCWD, (prefix + file.fresh).c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            LogCopyFailure(options, AnsiToWide(target), errno);
            return false;
        }
        LogWide((AnsiToWide(target) + L" copy ok").c_str(), kLogInfo);
        if (!steps.Next())
            return false;
    }
    return true;
}

// The old files go only once every item is in place.
void DeleteOldFiles(const std::string& install, const CommitRecord& record, const ApplyZipOptions& options, CommitSteps& steps)
{
    for (const CommitRecord::File& file : record.files) {
        if (file.aside.empty())
            continue;
        const std::wstring aside = AnsiToWide(install + "/" + file.target.substr(0, file.target.rfind('/') + 1) + file.aside);
        const bool deleted = DeleteFileOrMoveAside(aside, true);
        steps.Next();
        if (deleted || !options.logDeleteFailure)
            continue;
        wchar_t code[32];
        swprintf(code, 32, L" delfile fail %d", errno);
        LogWide((aside + code).c_str(), kLogInfo);
    }
}

bool WriteRecord(const std::string& install, CommitRecord& record, CommitRecord::State state)
{
    const CommitRecord::State before = record.state;
    record.state = state;
    if (record.Write(install))
        return true;
    record.state = before;  // what the record on disk still says
    LOG(ERROR) << "update not applied: the record of the commit cannot be written in " << install << ": "
               << std::strerror(errno);
    return false;
}

void UndoCommit(const std::string& install, const CommitRecord& record)
{
    if (!record.Settle(install)) {
        LOG(ERROR) << "update not applied, and some files could not be put back (see above)";
        return;  // the record stays for the next run to try again
    }
    CommitRecord::Remove(install);
    LOG(ERROR) << "update not applied: every replaced file was put back";
}

// Settles what a killed run left, with the installation's lock held.
bool SettleLeftovers(const std::string& install)
{
    CommitRecord record;
    if (!Exists(install + "/" + CommitRecord::kFileName))
        return CommitRecord::Remove(install);  // at most a record cut short while it was written
    if (!CommitRecord::Read(install, record))
        return false;
    const bool finish = record.state == CommitRecord::State::kDone;
    LOG(WARNING) << "an update of " << install << " was interrupted: "
                 << (finish ? "removing the old files it replaced" : "putting the old files back");
    if (!record.Settle(install)) {
        LOG(ERROR) << "the interrupted update of " << install << " could not be settled; the next run tries again";
        return false;
    }
    CommitRecord::Remove(install);
    LOG(INFO) << "the installation " << install << " is whole again";
    return true;
}

bool CommitItems(const std::string& install, const std::string& stage, const std::vector<ArchiveItem>& items,
                 const ApplyZipOptions& options)
{
    CommitRecord record;
    std::vector<PlannedFile> plans;
    if (!PlanCommit(install, stage, items, record, plans) || !WriteRecord(install, record, CommitRecord::State::kPrepare))
        return false;
    CommitSteps steps(options);
    if (!steps.Next() || !PrepareFiles(install, record, plans, options, steps)
        || !WriteRecord(install, record, CommitRecord::State::kCommit) || !steps.Next()
        || !SwapFiles(install, record, options, steps)) {
        UndoCommit(install, record);
        return false;
    }
    if (!WriteRecord(install, record, CommitRecord::State::kDone)) {
        UndoCommit(install, record);
        return false;
    }
    steps.Next();
    DeleteOldFiles(install, record, options, steps);
    CommitRecord::Remove(install);
    return true;
}

bool ApplyLocked(ZipHandle* archive, const std::wstring& stageFolder, const std::string& install,
                 const ApplyZipOptions& options)
{
    if (!SettleLeftovers(install))
        return false;
    std::vector<ArchiveItem> items;
    uint64_t total = 0;
    if (!ListItems(archive, options, items, total)) {
        LOG(ERROR) << "update not applied: the archive has items that cannot be unpacked";
        return false;
    }
    const std::string stage = WideToAnsi(stageFolder);
    const std::string work = fs::path(stage).parent_path().parent_path().string();  // the folder holding "unpack/"
    if (!CheckRoom(total, work, install, options))
        return false;
    if (!StageItems(archive, stageFolder, options, items)) {
        LOG(ERROR) << "update not applied: the archive has items that cannot be unpacked";
        return false;
    }
    return CommitItems(install, stage, items, options);
}

}  // namespace

bool IsSafeItemName(const std::wstring& name)
{
    if (name.empty() || name[0] == L'/' || name[0] == L'\\' || (name.size() >= 2 && name[1] == L':'))
        return false;
    for (wchar_t ch : name) {
        if (ch < 0x20 || ch == 0x7f)
            return false;
    }
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

bool RecoverInterruptedUpdate(const std::wstring& installFolder)
{
    const std::string install = WideToAnsi(installFolder);
    // A lock file alone is what a run killed before its commit leaves: taking and releasing the
    // lock removes it.
    if (!Exists(install + "/" + CommitRecord::kFileName) && !Exists(install + "/" + InstallationLock::kFileName))
        return true;
    InstallationLock lock(install);
    if (!lock.Held()) {
        LOG(WARNING) << "the installation is not checked for an interrupted update: " << lock.Reason();
        return false;
    }
    return SettleLeftovers(install);
}

bool ApplyZipUpdate(const std::wstring& downloadPath, const std::wstring& tempFolder,
                    const std::wstring& installFolder, const ApplyZipOptions& options)
{
    const std::string install = WideToAnsi(installFolder);
    if (!FileExists(installFolder, true))
        mkdir(install.c_str(), 0755);
    const std::unique_ptr<ZipHandle, ZipHandleCloser> archive(ZipReaderOpenFile(downloadPath.c_str(), nullptr));
    if (!archive) {
        LOG(ERROR) << WideToAnsi(downloadPath) << " cannot be opened: " << ZipText(kZipLastResult);
        return false;
    }
    TerminationGuard termination;
    // A folder of its own, so that no item can overwrite the archive being read.
    const std::wstring stageFolder = tempFolder + L"unpack/";
    std::error_code ignored;
    fs::remove_all(fs::path(WideToAnsi(stageFolder)), ignored);
    bool ok = false;
    {
        InstallationLock lock(install);
        if (!lock.Held())
            LOG(ERROR) << "update not applied: " << lock.Reason();
        else
            ok = ApplyLocked(archive.get(), stageFolder, install, options);
    }
    fs::remove_all(fs::path(WideToAnsi(stageFolder)), ignored);
    termination.EndProcessIfRequested();
    return ok;
}
