#include "platform/WinBase.h"
#include "platform/base/HandleTable.h"
#include "platform/system/System.h"
#include "platform/system/SystemText.h"

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock file stays open (and locked, when we got the lock) for the handle's life.
class NamedLockObject : public platform::KernelObject {
public:
    explicit NamedLockObject(int fd) : m_fd(fd) { }
    ~NamedLockObject() override { close(m_fd); }

private:
    int m_fd;
};

// The user's runtime folder, or else a folder of this user alone under the temporary folder:
// one that another user made first (to block the lock, or to point it elsewhere) is refused,
// and the result is empty.
std::string RuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()
        || (info.st_mode & 077) != 0)
        return std::string();
    return folder;
}

// Names come from a command line: keep them one plain file name.
std::string LockFileName(const std::wstring& name)
{
    std::string file = platform::system_text::ToUtf8(name);
    for (char& ch : file)
        if (ch == '/' || ch == '\\')
            ch = '_';
    return file + ".lock";
}

}  // namespace

HANDLE CreateMutexW(LPVOID, BOOL, LPCWSTR name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string folder = RuntimeFolder();
    if (folder.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const std::string path = folder + "/" + LockFileName(name);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const bool taken = flock(fd, LOCK_EX | LOCK_NB) == 0;
    HANDLE handle = platform::InsertHandle(std::make_shared<NamedLockObject>(fd));
    SetLastError(taken ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    return handle;
}
