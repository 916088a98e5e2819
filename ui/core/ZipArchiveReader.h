#pragma once
// Read-only zip archives: the skin archive (a block in memory) and the updater's packages (files).
//
// Plain functions on an opaque handle. Every call on a handle returns a result code and also
// stores it as the process-wide last result; the open functions return the handle (null on
// failure) and leave their code only in the last result. A handle is used by one thread at a
// time. At most one item is open for piecewise unzipping to memory: any other call on the handle
// ends it, so a piecewise unzip runs to its end before the handle is used for anything else.
//
// A memory archive is read in place: the block must stay valid and unchanged until Close.
// Item data is checked against its CRC-32 at the end of every item. Items whose stored name is
// absolute, has a drive prefix or a ".." component are listed but never unzipped to a file.

#include "platform/WinTypes.h"

#include <cstddef>

namespace SkinUI {

class ZipArchiveReader;

// Result codes. The texts are given by FormatZipMessage.
constexpr DWORD kZipOk = 0x00000000;
constexpr DWORD kZipCantDuplicate = 0x00000100;
constexpr DWORD kZipNoFile = 0x00000200;         // cannot open/create a file, or damaged archive at open
constexpr DWORD kZipNoMemory = 0x00000300;
constexpr DWORD kZipWriteFailed = 0x00000400;
constexpr DWORD kZipNotFound = 0x00000500;
constexpr DWORD kZipMore = 0x00000600;           // buffer filled, call again with the same index
constexpr DWORD kZipCorrupt = 0x00000700;
constexpr DWORD kZipReadFailed = 0x00000800;
constexpr DWORD kZipUnsafeName = 0x00000900;     // item name escapes the target or is too long
constexpr DWORD kZipPassword = 0x00001000;
constexpr DWORD kZipBadArguments = 0x00010000;
constexpr DWORD kZipWrongHandleKind = 0x00080000;
constexpr DWORD kZipFlateError = 0x05000000;     // damaged item data, CRC mismatch included

// FormatZipMessage's code for "the last result".
constexpr DWORD kZipLastResult = 1;

struct ZipHandle {
    DWORD kind;                  // 1: an archive opened for reading
    ZipArchiveReader* reader;
};

struct ZipItemRecord {
    int index;                   // for GetItem(-1): the number of items
    wchar_t name[MAX_PATH];      // UTF-8 name decoded, drive and leading separators removed
    DWORD attributes;            // FILE_ATTRIBUTE_* bits: read-only, hidden, system, directory, archive
    FILETIME accessTime;         // UTC
    FILETIME creationTime;
    FILETIME modificationTime;
    DWORD compressedSize;
    DWORD uncompressedSize;
};

// password: narrow (ANSI) text or null; copied.
ZipHandle* ZipReaderOpenMemory(const void* data, size_t size, const char* password);
ZipHandle* ZipReaderOpenFile(const wchar_t* path, const char* password);

DWORD ZipReaderGetItem(ZipHandle* handle, int index, ZipItemRecord* record);
// name: compared with the stored UTF-8 name byte by byte; ignoreCase folds ASCII letters only.
DWORD ZipReaderFindItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index,
                        ZipItemRecord* record);
// Fills at most size bytes: kZipOk when the item's data ended in this call, kZipMore when the
// buffer is full and data remains (call again with the same index and a fresh buffer).
DWORD ZipReaderExtractToMemory(ZipHandle* handle, int index, void* buffer, DWORD size);
// target: "\" or "/" separators; a relative target lies under the current directory at open.
// Missing folders are created. The file is written beside the target and renamed over it only
// when the item unpacked completely, so a failure never harms an existing file.
DWORD ZipReaderExtractToFile(ZipHandle* handle, int index, const wchar_t* target);
DWORD ZipReaderClose(ZipHandle* handle);

DWORD ZipReaderGetLastResult();

// Copies min(length, size - 1) characters of the code's text and a terminator; returns the full
// length. With no buffer or size 0 only the length is returned.
unsigned FormatZipMessage(DWORD code, wchar_t* buffer, unsigned size);

// For std::unique_ptr<ZipHandle, ZipHandleCloser>.
struct ZipHandleCloser {
    void operator()(ZipHandle* handle) const { ZipReaderClose(handle); }
};

}  // namespace SkinUI
