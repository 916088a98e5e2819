#pragma once
// The registry reads the editor makes, answered from a small per-user store: a UTF-8 text file
// "$XDG_CONFIG_HOME/Quillmoor/registry.txt" (default "~/.config/..."), one value per line as
// "<root>\<key path>\<value name>=<text>", for example
//   HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly Convert\DisplayIcon=/opt/tc/tc,0
// Key paths compare without regard to ASCII case, as the registry's do. Only string values exist;
// nothing here writes. An absent file is an empty registry. Any thread.

#include "platform/WinTypes.h"

using REGSAM = DWORD;
using PHKEY = HKEY*;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u)))
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;
constexpr DWORD ERROR_MORE_DATA = 234;

// ERROR_SUCCESS with a key when some value lies under root\subKey, else ERROR_FILE_NOT_FOUND.
LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
// The value as a terminated wide string (type REG_SZ); *size is in bytes both ways. A buffer too
// small gets nothing and ERROR_MORE_DATA (234) with the size needed.
LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegCloseKey(HKEY key);
