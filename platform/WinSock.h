#pragma once
// The host lookup of Windows Sockets: WSAStartup/WSACleanup around the Berkeley calls the C
// library already has (gethostname, gethostbyname, ntohl), which Winsock took its names from.
// Only the IPv4 lookup of the computer's own name is used. gethostbyname answers from one static
// record, so it is called on one thread (the UI thread) only.

#include "platform/WinTypes.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using LPWSADATA = WSADATA*;

// Versions 1.0 to 2.2 are served; a higher request gets 2.2. 0 on success, else the error code.
int WSAStartup(WORD versionRequested, LPWSADATA data);
// Ends one WSAStartup; WSANOTINITIALISED (as the result, not through errno) without one.
int WSACleanup();
