#pragma once
#include "base/StringHelpers.h"

#include <cstdint>
#include <string>

// Small file, path and text helpers of the updater. Paths use this system's separator "/";
// narrow text is in the system code page, which is UTF-8 here, so a narrow path opens directly.
// Failures leave the reason in errno, which the callers log as the system error code.
// AnsiToWide, WideToAnsi and ReplaceAllInPlace are the editor's own (base/StringHelpers.h): the
// updater converts exactly as the editor does.

bool DeleteFileOrMoveAside(const std::wstring& path, bool retry);
bool MoveAsideForDeletion(const std::wstring& path);
bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath);
bool SplitPath(std::wstring path, std::wstring& folder, std::wstring& fileName);
bool FileExists(const std::wstring& path, bool folderTest);
int64_t GetFileSizeOf(std::string path);
bool ReadWholeFile(const std::string& path, std::string& content);

// A malformed byte becomes U+FFFD, the rest is kept.
std::string Utf8ToAnsi(const std::string& utf8);
std::string WideToAcp(const std::wstring& text);

// A path that opens the very file behind an open descriptor of this process, whatever has
// happened to the file's own path since it was opened.
std::wstring HeldFilePath(int fd);

std::wstring FileExtensionOf(std::wstring text);
std::wstring FileNameOf(std::wstring text);
std::wstring FolderOf(std::wstring text);
