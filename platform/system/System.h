#pragma once
// System services of the updater that the rest of the platform layer does not cover: the
// single-instance mutex, "*.ini" reading, the version stamped into an executable, and
// registering a file for deletion at the next reboot (which this system cannot do).

#include "platform/WinTypes.h"

#include <string>

// Version information of an executable. An ELF file has no version resource: the build stamps
// a note section (cmake/Version.cmake) that these calls read back as a fixed file info.
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
constexpr DWORD kFixedFileInfoSignature = 0xFEEF04BD;

DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data);
BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length);

// Named mutexes exist for one purpose here: one instance per name. The name is an exclusive lock
// on a file in the user's runtime folder ($XDG_RUNTIME_DIR, else "quill-<uid>" under $TMPDIR or
// /tmp), held until the handle is closed or the process ends. When another holder (in any
// process) has the name, the call returns a handle all the same and leaves ERROR_ALREADY_EXISTS
// as the last error, as on Windows; the initial-owner flag makes no difference.
HANDLE CreateMutexW(LPVOID attributes, BOOL initialOwner, LPCWSTR name);

// "*.ini" files: sections and keys match without regard to case; the file is UTF-8.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue,
                               LPWSTR buffer, DWORD size, LPCWSTR fileName);

namespace platform {

// Name of the note section that carries an executable's version, and its note owner.
constexpr const char* kVersionNoteSection = ".note.quill.version";
constexpr const char* kVersionNoteOwner = "Quill";

// Deleting a file at the next reboot does not exist here: always false, with errno ENOTSUP.
bool ScheduleDeleteAtReboot(const std::wstring& path);

}  // namespace platform
