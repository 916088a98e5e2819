#pragma once
// Maps a C library error number to the Windows error code the callers of this layer expect.

#include "platform/WinTypes.h"

namespace platform {

DWORD ErrorFromErrno(int error);
// Sets the last error from errno and returns FALSE, so a failing call can end with one line.
BOOL FailWithErrno();
BOOL FailWith(DWORD error);

}  // namespace platform
