// Winsock start-up bookkeeping; the lookups themselves are the C library's.

#include "platform/WinSock.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<int> g_startups { 0 };

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data)
{
    const BYTE major = LOBYTE(versionRequested), minor = HIBYTE(versionRequested);
    if (major < 1)
        return WSAVERNOTSUPPORTED;
    const WORD highest = MAKEWORD(2, 2);
    const bool above = major > 2 || (major == 2 && minor > 2);
    if (data) {
        std::memset(data, 0, sizeof(*data));
        data->wVersion = above ? highest : versionRequested;
        data->wHighVersion = highest;
        std::strncpy(data->szDescription, "Berkeley sockets of the C library", WSADESCRIPTION_LEN);
        std::strncpy(data->szSystemStatus, "Running", WSASYS_STATUS_LEN);
    }
    ++g_startups;
    return 0;
}

int WSACleanup()
{
    int count = g_startups.load();
    while (count > 0 && !g_startups.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0 ? 0 : WSANOTINITIALISED;
}
