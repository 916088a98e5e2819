#pragma once
// Reading and writing the editor's small text files (export history, output folder). Files are
// written as UTF-8 beside their target and renamed over it, so a crash or a full disk never leaves
// a half-written file; files from older versions, written in the GBK code page, are still read.
// Stateless; any thread, but one writer per file at a time (the caller's lock).

#include <string>

// The whole file as bytes; false when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// Writes the bytes to a temporary file in the target's folder and renames it over the target;
// false (with the target untouched and no temporary file left) when any step fails.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);

// The bytes as UTF-8: unchanged when they already are valid UTF-8, else read as GBK and converted.
std::string Utf8FromFileBytes(const std::string& bytes);

// Wide text to UTF-8 and back, for values handed to and read from the XML library.
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
