#pragma once
#include "platform/WinTypes.h"

#include <cstddef>
#include <string>

// The updater's entry point: parses the command line, keeps one instance per product, sets up
// the log, obtains and judges the update information, and runs the silent update (with or
// without a display) or the update dialog (only with one, and only for an archive update). The
// run works in a private folder of its own, removed at the end. Returns the process exit code.
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

// The single-instance lock's name for a product code: the updater's GUID and the code, or the GUID
// and a hash of the code when the plain name would be too long for a lock.
inline constexpr size_t kMaxPlainInstanceName = 160;
std::wstring SingleInstanceName(const std::wstring& productCode);

// True when windows can be shown: DISPLAY is set (and the headless backend is not asked for), or
// the X11 backend is asked for.
bool HasDisplay();

// The installed editor named on the command line ("-e"), in the program folder. The editor names
// itself "Quillmoor.exe", as it would on the system it was made for: a name "X.exe" that does not
// exist stands for the executable "X" beside it.
std::wstring EditorPathOf(const std::wstring& programFolder, const std::wstring& name);
