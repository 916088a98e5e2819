#pragma once
// I/O completion ports: a queue of completion packets that threads take with a time-out.
//
// A port is made by CreateIoCompletionPort with INVALID_HANDLE_VALUE (associating a file handle is
// refused with ERROR_NOT_SUPPORTED: overlapped I/O on handles does not exist here) and closed with
// CloseHandle. Packets come from PostQueuedCompletionStatus, in the order posted, and from
// descriptors watched for readiness: a watch is one request that completes once, when the
// descriptor has bytes to read (bytes = how many) or its other end has closed with nothing left
// (GetQueuedCompletionStatus then fails with ERROR_BROKEN_PIPE and hands out the packet's key and
// overlapped pointer); watching the descriptor again asks for the next one.

#include "platform/WinBase.h"

struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
using PULONG_PTR = ULONG_PTR*;

HANDLE CreateIoCompletionPort(HANDLE file, HANDLE existingPort, ULONG_PTR key, DWORD concurrentThreads);
BOOL PostQueuedCompletionStatus(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped);
// FALSE with *overlapped null and WAIT_TIMEOUT as the last error when nothing came in time; FALSE
// with *overlapped set for a packet that reports a failure (the last error says which).
BOOL GetQueuedCompletionStatus(HANDLE port, LPDWORD bytes, PULONG_PTR key, LPOVERLAPPED* overlapped, DWORD milliseconds);

namespace platform {

// Watches fd once for readiness; ERROR_NOT_SUPPORTED for a descriptor that cannot be watched (a
// regular file). Watching a descriptor again re-arms it with the new key and overlapped pointer.
BOOL WatchDescriptor(HANDLE port, int fd, ULONG_PTR key, LPOVERLAPPED overlapped);
// FALSE (ERROR_INVALID_PARAMETER) when fd was not watched.
BOOL UnwatchDescriptor(HANDLE port, int fd);

}  // namespace platform
