#include "platform/base/LastError.h"

#include "platform/WinBase.h"

#include <cerrno>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}

namespace platform {

DWORD ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_INVALID_FUNCTION;
    }
}

BOOL FailWithErrno()
{
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace platform
