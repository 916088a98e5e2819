#include "updater/CommitRecord.h"

#include "updater/ApplyZipUpdate.h"
#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kStateNames[] = { "prepare", "commit", "done" };

std::string FolderPart(const std::string& relative)
{
    const size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash + 1);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool RemoveIfThere(const std::string& path)
{
    if (unlink(path.c_str()) == 0 || errno == ENOENT)
        return true;
    LOG(ERROR) << path << " cannot be removed: " << std::strerror(errno);
    return false;
}

// A name read back from the record must stay inside the installation, like an item's name. It is
// judged whole: a name that is not valid text would be judged by the part before its first bad
// byte only, so it is refused.
bool SafeRelative(const std::string& name)
{
    const std::wstring wide = AnsiToWide(name);
    return WideToAnsi(wide) == name && IsSafeItemName(wide);
}

bool SafeLeaf(const std::string& name)
{
    return name.empty() || (SafeRelative(name) && name.find('/') == std::string::npos);
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool CommitRecord::Write(const std::string& installFolder) const
{
    std::ostringstream text;
    text << kStateNames[static_cast<int>(state)] << "\n";
    for (const std::string& folder : createdFolders)
        text << "D\t" << folder << "\n";
    for (const File& file : files)
        text << "F\t" << file.target << "\t" << file.aside << "\t" << file.fresh << "\n";
    const std::string path = installFolder + "/" + kFileName;
    const std::string temporary = path + ".tmp";
    unlink(temporary.c_str());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, text.str()) && fsync(fd) == 0;
    const int error = errno;
    close(fd);
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        const int failure = written ? errno : error;
        unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    const int folder = open(installFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

bool CommitRecord::Read(const std::string& installFolder, CommitRecord& record)
{
    std::string content;
    const std::string path = installFolder + "/" + kFileName;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid()
        || !ReadWholeFile(path, content))
        return false;
    std::istringstream lines(content);
    std::string line;
    std::getline(lines, line);
    record = CommitRecord {};
    bool known = false;
    for (int state = 0; state < 3; ++state) {
        if (line == kStateNames[state]) {
            record.state = static_cast<State>(state);
            known = true;
        }
    }
    while (known && std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');)
            fields.push_back(field);
        if (line.size() && line.back() == '\t')
            fields.push_back(std::string());
        if (fields.size() == 2 && fields[0] == "D" && SafeRelative(fields[1]))
            record.createdFolders.push_back(fields[1]);
        else if (fields.size() == 4 && fields[0] == "F" && SafeRelative(fields[1]) && SafeLeaf(fields[2]) && SafeLeaf(fields[3]) && !fields[3].empty())
            record.files.push_back({ fields[1], fields[2], fields[3] });
        else
            known = false;
    }
    if (!known)
        LOG(ERROR) << path << " is not a record of an update: left alone";
    return known;
}

bool CommitRecord::Remove(const std::string& installFolder)
{
    const std::string path = installFolder + "/" + kFileName;
    return RemoveIfThere(path + ".tmp") && RemoveIfThere(path);  // the first: a write that was cut short
}

bool CommitRecord::Settle(const std::string& installFolder) const
{
    return state == State::kDone ? Finish(installFolder) : Undo(installFolder);
}

bool CommitRecord::Undo(const std::string& installFolder) const
{
    bool complete = true;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        const std::string folder = installFolder + "/" + FolderPart(it->target);
        const std::string target = installFolder + "/" + it->target, fresh = folder + it->fresh;
        const bool placed = state == State::kCommit && !Exists(fresh);
        if (!it->aside.empty() && Exists(folder + it->aside)) {
            if (rename((folder + it->aside).c_str(), target.c_str()) != 0) {
                LOG(ERROR) << target << " restore fail " << errno << ": the old file is kept as " << folder + it->aside;
                complete = false;
            }
        } else if (it->aside.empty() && placed) {
            complete = RemoveIfThere(target) && complete;
        }
        complete = RemoveIfThere(fresh) && complete;
    }
    for (auto it = createdFolders.rbegin(); it != createdFolders.rend(); ++it)
        rmdir((installFolder + "/" + *it).c_str());
    return complete;
}

bool CommitRecord::Finish(const std::string& installFolder) const
{
    bool complete = true;
    for (const File& file : files) {
        if (!file.aside.empty())
            complete = RemoveIfThere(installFolder + "/" + FolderPart(file.target) + file.aside) && complete;
    }
    return complete;
}
