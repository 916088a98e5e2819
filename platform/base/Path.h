#pragma once
// How the Windows path texts of the program meet the POSIX file system.
//
// A path may use "\" or "/" as separators; both become "/". A drive-rooted path, whose second
// character is ":" ("C:\Doziz", or "/:\Doziz" when a drive letter was taken from a POSIX path),
// is rooted at the user's home folder: the drive prefix becomes $HOME. Narrow path texts are UTF-8.

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

namespace platform {

std::string ToPosixPath(std::wstring_view path);
std::string ToPosixPath(LPCWSTR path);  // null gives ""
std::wstring ToWidePath(const std::string& path);
// The path as this desktop writes it, for showing to the user: separators and drive as the file
// functions map them.
std::wstring ToNativePath(std::wstring_view path);

std::string HomeFolder();
// The running executable and its folder (the folder ends with "/").
std::string ProgramPath();
std::string ProgramFolder();

bool IsExecutableFile(const std::string& path);
// Finds the program a command names. "X.exe" stands for the executable "X". A name with a folder
// part is taken as it stands (with or without ".exe"); when nothing is there, and for a bare name,
// the program folder and then PATH are searched. Empty when nothing is found.
std::string FindProgram(std::wstring_view name);

}  // namespace platform
