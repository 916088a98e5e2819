// Files and pipes over file descriptors.

#include "platform/base/FileObject.h"

#include "platform/WinBase.h"
#include "platform/base/LastError.h"
#include "platform/base/Path.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileObject::~FileObject()
{
    close(m_fd);
}

}  // namespace platform

namespace {

using platform::FileObject;

int OpenFlags(DWORD access, DWORD disposition)
{
    int flags = O_CLOEXEC;
    const bool reads = access & GENERIC_READ, writes = access & GENERIC_WRITE;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW: return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS: return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS: return flags | O_CREAT;
    case TRUNCATE_EXISTING: return flags | O_TRUNC;
    default: return flags;
    }
}

// Writing to a pipe whose reader is gone must fail, not raise SIGPIPE and end the program.
class SigpipeBlocker {
public:
    SigpipeBlocker()
    {
        sigset_t pipeOnly;
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeOnly, &m_previous);
    }
    ~SigpipeBlocker()
    {
        sigset_t pipeOnly;
        sigemptyset(&pipeOnly);
        sigaddset(&pipeOnly, SIGPIPE);
        const timespec none {};
        while (sigtimedwait(&pipeOnly, nullptr, &none) > 0) { }  // drop the one our write raised
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeBlocker(const SigpipeBlocker&) = delete;
    SigpipeBlocker& operator=(const SigpipeBlocker&) = delete;

private:
    sigset_t m_previous;
};

bool FileSize(HANDLE file, LONGLONG* size)
{
    auto object = platform::LookupHandleAs<FileObject>(file);
    struct stat info {};
    if (!object || fstat(object->Fd(), &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *size = info.st_size;
    return true;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE)
{
    const std::string posix = platform::ToPosixPath(path);
    if (posix.empty() || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
        SetLastError(posix.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = open(posix.c_str(), OpenFlags(access, disposition), 0666);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : platform::ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::InsertHandle(std::make_shared<FileObject>(fd, false));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (read)
        *read = 0;
    if (overlapped)
        return platform::FailWith(ERROR_NOT_SUPPORTED);
    auto object = platform::LookupHandleAs<FileObject>(file);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    ssize_t got;
    do
        got = ::read(object->Fd(), buffer, size);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return platform::FailWithErrno();
    if (got == 0 && size > 0 && object->IsPipe())
        return platform::FailWith(ERROR_BROKEN_PIPE);
    if (read)
        *read = static_cast<DWORD>(got);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (written)
        *written = 0;
    if (overlapped)
        return platform::FailWith(ERROR_NOT_SUPPORTED);
    auto object = platform::LookupHandleAs<FileObject>(file);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    SigpipeBlocker blocker;
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < size) {
        const ssize_t put = ::write(object->Fd(), bytes + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return platform::FailWithErrno();
        done += static_cast<DWORD>(put);
        if (written)
            *written = done;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh)
{
    LONGLONG size = 0;
    if (!FileSize(file, &size))
        return INVALID_FILE_SIZE;
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    LONGLONG value = 0;
    if (size == nullptr || !FileSize(file, &value))
        return FALSE;
    size->QuadPart = value;
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    auto object = platform::LookupHandleAs<FileObject>(file);
    if (!object || object->IsPipe()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    const off_t offset = distanceHigh
        ? static_cast<off_t>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) | static_cast<DWORD>(distance))
        : static_cast<off_t>(distance);
    const int whence = method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : SEEK_SET;
    const off_t position = lseek(object->Fd(), offset, whence);
    if (position < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<ULONGLONG>(position) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

BOOL CreatePipe(PHANDLE readEnd, PHANDLE writeEnd, LPSECURITY_ATTRIBUTES, DWORD)
{
    if (readEnd == nullptr || writeEnd == nullptr)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return platform::FailWithErrno();
    *readEnd = platform::InsertHandle(std::make_shared<FileObject>(fds[0], true));
    *writeEnd = platform::InsertHandle(std::make_shared<FileObject>(fds[1], true));
    return TRUE;
}
