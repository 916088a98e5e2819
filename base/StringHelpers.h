#pragma once
// Small stateless helpers on the standard wide and narrow strings: formatting, code page
// conversions, replacement, ASCII lower-casing and the folders of paths, modules and the program.
// All may be called from any thread.
//
// The "ANSI" code page of these helpers is the system's: UTF-8 on Linux, so narrow paths and list
// files reach ffmpeg and the libraries as they expect. Paths handed back by the platform use "/";
// the helpers accept "\" and "/" alike.

#include "platform/WinTypes.h"

#include <string>

// printf-style formatting with the Windows conventions of a wide format (%s wide, %S narrow,
// %I64d ...). Empty when the text would reach 33,554,432 characters.
std::wstring FormatWide(const wchar_t* format, ...);

// Conversions that stop at the first character the target cannot hold (keeping what came before),
// and at an embedded terminator.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// Through the platform converter; empty when the conversion gives nothing.
std::string WideToCodePage(const std::wstring& text, UINT codePage);
std::string WideToUtf8(const std::wstring& text);

// Replaces every occurrence of the pattern, left to right and without overlap; returns how many.
// Nothing happens for an empty pattern or text.
size_t ReplaceAllInPlace(const std::wstring& pattern, const std::wstring& replacement, std::wstring& text);
void ToLowerAsciiInPlace(std::wstring& text);
std::wstring ToLowerAsciiCopy(const std::wstring& text);

// folder = drive + directories, ending with a separator; fileName = name + extension. False for an
// empty path. A bare file name gives an empty folder (the current one), not a root "\".
bool SplitFolderAndFileName(const std::wstring& path, std::wstring& folder, std::wstring& fileName);
// The folder part of a path including its last separator (the first character is not looked at);
// false when there is none.
bool FolderPartOfPath(const std::wstring& path, std::wstring& folder);
std::wstring PathOfModule(HMODULE module);
std::wstring FolderOfModule(HMODULE module);
// The folder of the program file, ending with a separator. These helpers are linked into the
// program itself, so the module of their code is the program.
std::wstring FolderOfOwnCode();
// The user's temporary folder, ending with a separator.
std::wstring UserTempFolder();

// The one way the editor forms a path: the folder as the file functions see it (every separator
// "/", a drive-rooted folder under the home folder), one "/", then the name. An empty folder gives
// the name alone.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
