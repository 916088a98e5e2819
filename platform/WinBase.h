#pragma once
// System services in the Windows vocabulary: errors, handles and waits, threads and
// synchronisation, text encodings and the wide formatter, files and pipes, processes, the file
// system, time, special folders, modules and run-time libraries, and the shell's "open".
//
// Every kernel object (thread, event, process, pipe, file, search, snapshot) is reached through a
// HANDLE from one table (platform/base/HandleTable.h), so CloseHandle and the waits work on any of
// them. Handles are never reused within a run, so a stale handle fails instead of hitting a new
// object.

#include "platform/WinTypes.h"

#include <cstdarg>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// ---- Errors ---------------------------------------------------------------------------------

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_TIMEOUT = 1460;

// The calling thread's last error, as every failing call below leaves it.
DWORD GetLastError();
void SetLastError(DWORD error);

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// ---- Handles and waits ----------------------------------------------------------------------

using PHANDLE = HANDLE*;
using SIZE_T = size_t;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

BOOL CloseHandle(HANDLE handle);

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Waits work on threads (signalled when they end), events and processes (signalled when they
// exit). A time-out is in milliseconds; INFINITE waits without limit.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// ---- Threads --------------------------------------------------------------------------------

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);
constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// Threads start running at once (CREATE_SUSPENDED is refused). The handle stays valid after the
// thread ends, until it is closed; closing it does not stop the thread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
    LPVOID parameter, DWORD flags, LPDWORD threadId);
// The C runtime's thread start: returns the handle as a number, 0 on failure.
uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*), void* argument,
    unsigned flags, unsigned* threadId);
// Ends the calling thread with the code (destructors of its stack frames run).
[[noreturn]] void _endthreadex(unsigned exitCode);
[[noreturn]] void ExitThread(DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// A priority is the thread's own nice value: idle 19, lowest 10, below normal 5, normal 0, above
// normal -5, highest -10, time-critical -20 (other values take the nearest level). Lowering is
// always allowed; raising above the thread's limit fails with ERROR_ACCESS_DENIED and changes
// nothing (an unprivileged user may not raise a thread's priority). A thread that has not begun
// to run yet takes its priority before its body starts.
BOOL SetThreadPriority(HANDLE thread, int priority);
// The level nearest to the thread's nice value; THREAD_PRIORITY_ERROR_RETURN for a bad handle or
// a thread that has ended.
int GetThreadPriority(HANDLE thread);
// A thread cannot be killed safely from outside on Linux: always fails with ERROR_NOT_SUPPORTED.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
// Ids are small numbers given out by this layer, never 0 and never reused within a run.
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
// Pseudo handles of the caller, as on Windows; closing them does nothing.
HANDLE GetCurrentThread();
HANDLE GetCurrentProcess();
// Sleep(0) gives up the rest of the time slice.
void Sleep(DWORD milliseconds);

// ---- Thread-local storage -------------------------------------------------------------------

constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFFu;
DWORD TlsAlloc();
BOOL TlsFree(DWORD index);
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);

// ---- Critical sections ----------------------------------------------------------------------

// A recursive lock. OwningThread holds the id of the owning thread (0 when free), as on Windows,
// so a thread may ask whether it holds the section:
//   reinterpret_cast<uintptr_t>(cs.OwningThread) == GetCurrentThreadId().
// The spin count is kept but not used. Not copyable once initialised.
struct CRITICAL_SECTION {
    void* Lock;  // the lock object of this layer, made by InitializeCriticalSection
    LONG LockCount;
    LONG RecursionCount;
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// ---- Events ---------------------------------------------------------------------------------

// Names are ignored: every event is private to the process.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
inline HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return CreateEventW(attributes, manualReset, initialState, name);
}
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// ---- Clock ----------------------------------------------------------------------------------

// Milliseconds of a monotonic clock; the 32-bit counts wrap after 49.7 days as on Windows.
DWORD timeGetTime();
DWORD GetTickCount();
ULONGLONG GetTickCount64();

// ---- Arithmetic -----------------------------------------------------------------------------

// number * numerator / denominator over 64 bits, rounded to the nearest integer with halves away
// from zero; -1 when the denominator is 0 or the result does not fit in an int.
int MulDiv(int number, int numerator, int denominator);

// ---- Text encodings -------------------------------------------------------------------------

// On Linux the system code page CP_ACP is UTF-8: that is what file names, ffmpeg and every library
// here read. 936 (the simplified-Chinese "chs" code page) is GBK, converted through iconv.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

// As on Windows: a length of -1 means "up to and including the terminator"; an output size of 0
// asks for the needed size. Bytes that are not valid in the code page become U+FFFD (or fail with
// ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS); a character the code page cannot hold
// becomes the default character ("?" unless given) and sets *usedDefaultChar.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int outSize,
    LPCSTR defaultChar, BOOL* usedDefaultChar);
UINT GetACP();

namespace platform {

// UTF-8 <-> wide without any locale; invalid input becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// Appends one code point as UTF-8; a surrogate or a value beyond Unicode becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t c);

// The one wide formatter, with the Windows conventions of a wide format: %s and %c take wide
// arguments, %S, %hs, %C and %hc narrow ones (UTF-8), %ls, %ws, %lc and %wc wide ones; %I64d,
// %I64u, %I64x take 64-bit integers, %I32d 32-bit ones, %Id/%Iu pointer-sized ones; %ld and %lu
// take 32-bit integers as on Windows (LONG, DWORD); %lld 64-bit. Widths, precisions, "*", flags
// and the floating-point conversions behave as in C. %n writes nothing. A null string prints
// "(null)".
std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWideArgs(const wchar_t* format, ...);
// Formats into a buffer of the given capacity (terminator included), cutting what does not fit;
// returns the length of the full, uncut text.
int FormatWideInto(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);

}  // namespace platform

// ---- Files and pipes ------------------------------------------------------------------------

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Sharing modes are accepted and not enforced (POSIX has no mandatory sharing locks). Returns
// INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
    DWORD disposition, DWORD flags, HANDLE templateFile);
// On a pipe whose writing ends are all closed, ReadFile fails with ERROR_BROKEN_PIPE; at the end
// of a file it succeeds with 0 bytes. Overlapped I/O is not supported.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
// Both ends are close-on-exec; a child receives an end only as a standard handle (CreateProcess).
BOOL CreatePipe(PHANDLE readEnd, PHANDLE writeEnd, LPSECURITY_ATTRIBUTES attributes, DWORD size);

// ---- Processes ------------------------------------------------------------------------------

constexpr DWORD CREATE_NEW_CONSOLE = 0x10;
constexpr DWORD CREATE_NEW_PROCESS_GROUP = 0x200;
constexpr DWORD CREATE_UNICODE_ENVIRONMENT = 0x400;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;
constexpr DWORD DETACHED_PROCESS = 0x8;
constexpr DWORD STARTF_USESHOWWINDOW = 0x1;
constexpr DWORD STARTF_USESTDHANDLES = 0x100;
constexpr DWORD PROCESS_TERMINATE = 0x1;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x400;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr DWORD SYNCHRONIZE = 0x100000;
constexpr DWORD PROCESS_ALL_ACCESS = 0x1FFFFF;

struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using STARTUPINFO = STARTUPINFOW;
using LPSTARTUPINFOW = STARTUPINFOW*;
using LPSTARTUPINFO = STARTUPINFOW*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;  // a second handle to the process: a Linux process has no separate main thread object
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts a program, never through a shell. The command line is split into arguments by the
// Windows rules (platform::SplitCommandLine); the program is the application name when given,
// else the first argument, found by platform::FindProgram ("X.exe" runs the executable "X" from
// the program folder or PATH). Every child runs hidden: standard input is /dev/null, standard
// output and error go to the STARTF_USESTDHANDLES handles when given and to /dev/null otherwise,
// and no other descriptor reaches it. CREATE_NEW_PROCESS_GROUP and CREATE_NEW_CONSOLE put it in a
// process group of its own. The environment block is not supported (the child gets ours). Every
// child is reaped as soon as it exits, whether or not anyone waits for it.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags, LPVOID environment,
    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation);
inline BOOL CreateProcess(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags, LPVOID environment,
    LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation)
{
    return CreateProcessW(applicationName, commandLine, processAttributes, threadAttributes, inheritHandles, flags,
        environment, currentDirectory, startupInfo, processInformation);
}
void GetStartupInfoW(LPSTARTUPINFOW startupInfo);
// Opens a process of this user by id: one this program started shares its state; any other can be
// terminated and asked whether it still runs. A process that does not exist gives null and
// ERROR_INVALID_PARAMETER; one of another user, null and ERROR_ACCESS_DENIED.
HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);
// Kills the process (SIGKILL); its exit code becomes the given code. Fails with ERROR_ACCESS_DENIED
// when it has already ended. A process id reused after its end is never hit.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// STILL_ACTIVE while it runs; then its exit status, or 128 + the signal that ended it.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
DWORD GetProcessId(HANDLE process);

// The process snapshot is limited to this program's own descendants (read from /proc), so no
// search by name can reach another program's process. szExeFile is the executable's file name with
// ".exe" added, the way the callers name programs ("ffmpeg.exe").
constexpr DWORD TH32CS_SNAPPROCESS = 0x2;
struct PROCESSENTRY32W {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];
};
using PROCESSENTRY32 = PROCESSENTRY32W;
using LPPROCESSENTRY32W = PROCESSENTRY32W*;
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);
inline BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32W entry) { return Process32FirstW(snapshot, entry); }
inline BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32W entry) { return Process32NextW(snapshot, entry); }

namespace platform {

// Splits a command line by the Windows rules: blanks and tabs separate arguments outside quotes;
// 2n backslashes before a quote give n backslashes and the quote opens or closes quoting; 2n+1
// give n backslashes and a literal quote; other backslashes are literal; "" inside quotes is a
// literal quote; "" alone is an empty argument. The first argument (the program) ends at the next
// blank, or at the closing quote when it starts with one, and takes no backslash rules.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

}  // namespace platform

// ---- File system --------------------------------------------------------------------------------

// Every path below may use "\" or "/"; a drive-rooted path ("C:\Doziz", or "/:\Doziz" when the
// drive letter was taken from a POSIX path) lives in the user's home folder: the drive prefix
// stands for $HOME. Paths handed back use "/".
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
using WIN32_FIND_DATA = WIN32_FIND_DATAW;
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// A folder is FILE_ATTRIBUTE_DIRECTORY; a file without write permission is read-only; a name
// starting with "." is hidden; a symbolic link is a reparse point (with the attributes of its
// target otherwise); a plain file is FILE_ATTRIBUTE_NORMAL. The creation time is the
// status-change time (the nearest POSIX has).
DWORD GetFileAttributesW(LPCWSTR path);
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data);
// Only FILE_ATTRIBUTE_READONLY has an effect: it removes or restores the write permissions.
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL DeleteFileW(LPCWSTR path);
// Copies through a temporary file beside the target and renames it into place, so a failed copy
// never leaves a half-written target.
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
// MOVEFILE_DELAY_UNTIL_REBOOT cannot be honoured (nothing runs a move at boot) and fails with
// ERROR_NOT_SUPPORTED; a file in use can simply be deleted or replaced on Linux.
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL PathFileExistsW(LPCWSTR path);
BOOL PathIsDirectoryW(LPCWSTR path);

// Patterns: "*" and "?" in the last part, matched without regard to case ("*.*" matches every
// name); a pattern without wildcards finds that one entry. "." and ".." are listed as on Windows.
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW data);
BOOL FindClose(HANDLE search);

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR path);
// $TMPDIR or /tmp, ending with "/".
DWORD GetTempPathW(DWORD size, LPWSTR buffer);

namespace platform {

// The user's private work folder for temporary pictures and clips: "quillmoor-<uid>" in the
// temporary folder, made with mode 0700 on first use. A folder of that name that is not a real
// folder of this user closed to everyone else (a squatter in a shared /tmp) is never used: a fresh
// private folder takes its place for the rest of the run. No trailing separator; empty when no
// folder can be made.
std::wstring PrivateWorkFolder();

}  // namespace platform

inline DWORD GetFileAttributes(LPCWSTR path) { return GetFileAttributesW(path); }
inline BOOL CreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES attributes) { return CreateDirectoryW(path, attributes); }
inline BOOL DeleteFile(LPCWSTR path) { return DeleteFileW(path); }
inline BOOL CopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists) { return CopyFileW(from, to, failIfExists); }
inline BOOL MoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) { return MoveFileExW(from, to, flags); }
inline HANDLE FindFirstFile(LPCWSTR pattern, LPWIN32_FIND_DATAW data) { return FindFirstFileW(pattern, data); }
inline BOOL FindNextFile(HANDLE search, LPWIN32_FIND_DATAW data) { return FindNextFileW(search, data); }
inline DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer) { return GetCurrentDirectoryW(size, buffer); }
inline BOOL SetCurrentDirectory(LPCWSTR path) { return SetCurrentDirectoryW(path); }
inline DWORD GetTempPath(DWORD size, LPWSTR buffer) { return GetTempPathW(size, buffer); }
inline HANDLE CreateFile(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
    DWORD disposition, DWORD flags, HANDLE templateFile)
{
    return CreateFileW(path, access, shareMode, attributes, disposition, flags, templateFile);
}

// ---- Time ---------------------------------------------------------------------------------------

// FILETIME counts 100 ns since 1601-01-01 UTC. Local time follows the TZ setting of the process.
void FileTimeFromUnix(int64_t seconds, long nanoseconds, FILETIME* out);
int64_t UnixSecondsFromFileTime(const FILETIME& time);
void GetSystemTime(SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTimeAsFileTime(FILETIME* time);
// Fail (FALSE, ERROR_INVALID_PARAMETER) for a date out of range or a field out of its range.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime);

// ---- Special folders ----------------------------------------------------------------------------

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_MYMUSIC = 0x000d;
constexpr int CSIDL_MYVIDEO = 0x000e;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_APPDATA = 0x001a;
constexpr int CSIDL_LOCAL_APPDATA = 0x001c;
constexpr int CSIDL_MYPICTURES = 0x0027;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// Desktop: $XDG_DESKTOP_DIR, else $HOME/Desktop. Documents, music, videos and pictures are the
// matching folders of $HOME; application data is $XDG_CONFIG_HOME (else $HOME/.config), local
// application data $XDG_DATA_HOME (else $HOME/.local/share); the profile is $HOME. The buffer holds
// MAX_PATH characters. Without "create" a missing folder is still reported (its path is known).
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
HRESULT SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path);

// ---- Modules and run-time libraries -------------------------------------------------------------

// The running program is the module GetModuleHandleW(nullptr); its file name is the executable's
// path. A library name is resolved against the program folder, never the current folder: "X.dll"
// (also ".\X.dll") is looked for there as "libX.so", then "X.so", then "X.dll"; another relative
// name is looked for there as written; a bare name that is not there ("libz.so.1") is left to the
// system's library search. An absolute path is taken as it stands (".dll" mapped the same way).
HMODULE GetModuleHandleW(LPCWSTR name);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
HMODULE LoadLibraryW(LPCWSTR name);
HMODULE LoadLibraryA(LPCSTR name);  // the name is UTF-8
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
inline HMODULE GetModuleHandle(LPCWSTR name) { return GetModuleHandleW(name); }
inline DWORD GetModuleFileName(HMODULE module, LPWSTR buffer, DWORD size) { return GetModuleFileNameW(module, buffer, size); }
inline HMODULE LoadLibrary(LPCWSTR name) { return LoadLibraryW(name); }

// ---- System information -------------------------------------------------------------------------

struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
using LPSYSTEM_INFO = SYSTEM_INFO*;
void GetSystemInfo(LPSYSTEM_INFO info);

// ---- Shell --------------------------------------------------------------------------------------

constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_NOASSOC = 31;
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x40;

struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};
using LPSHELLEXECUTEINFOW = SHELLEXECUTEINFOW*;

// The desktop's shell, as far as Linux has one. The verb "open" (or none):
// - on "explorer" with " /select, <path>" asks the file manager to show the path selected
//   (org.freedesktop.FileManager1 over D-Bus through dbus-send) and, when that fails, opens the
//   path's folder; "explorer" with a folder opens it;
// - on an executable program (or "X.exe" naming one) starts it with the parameters, hidden stdio;
// - on anything else (a document, a folder, a URL) runs xdg-open.
// "runas" (elevation) does not exist here and fails with SE_ERR_ACCESSDENIED. ShellExecuteW
// returns a value above 32 on success and an SE_ERR_* code otherwise; the show state is ignored.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);
inline HINSTANCE ShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show)
{
    return ShellExecuteW(owner, verb, file, parameters, directory, show);
}
// hProcess is filled (SEE_MASK_NOCLOSEPROCESS) only when a program was started.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFOW info);

namespace platform {

// Tests answer the shell instead of the desktop: with a hook set, every command the shell would
// run (dbus-send, xdg-open, a program) goes to the hook as its argument list, and the hook's answer
// (true = it worked) stands for the command's success. Null removes the hook.
using ShellCommandHook = std::function<bool(const std::vector<std::string>& command)>;
void SetShellCommandHook(ShellCommandHook hook);

}  // namespace platform
BOOL QueryFullProcessImageNameW(HANDLE process, DWORD flags, LPWSTR name, LPDWORD size);

// ---- URL-download progress sinks ----------------------------------------------------------------

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using CLSID = GUID;
inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
using IID = GUID;
using REFIID = const IID&;

// The COM-style interfaces a URL download reports to, in their slot order. Objects are owned by
// whoever made them; nothing here deletes through these interfaces.
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IBinding;
struct BINDINFO;
struct FORMATETC;
struct STGMEDIUM;

struct IBindStatusCallback : IUnknown {
    virtual HRESULT OnStartBinding(DWORD reserved, IBinding* binding) = 0;
    virtual HRESULT GetPriority(LONG* priority) = 0;
    virtual HRESULT OnLowResource(DWORD reserved) = 0;
    virtual HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) = 0;
    virtual HRESULT OnStopBinding(HRESULT result, LPCWSTR error) = 0;
    virtual HRESULT GetBindInfo(DWORD* flags, BINDINFO* info) = 0;
    virtual HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT OnObjectAvailable(REFIID iid, IUnknown* object) = 0;

protected:
    ~IBindStatusCallback() = default;
};
