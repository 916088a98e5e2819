#pragma once
// The MediaInfo library, loaded at run time on first use and kept for the life of the process.
// Exports judge their output by its general "FileSize". The file is read by us and fed to the
// library as a buffer: the library's own file opening converts a wide path through the C locale,
// which loses every name outside ASCII. Safe to call from any thread.

#include <string>

class MediaInfoLibrary {
public:
    // True when the library and every function it needs were found.
    static bool IsAvailable();
    // The general stream's "FileSize" of the file, as the library writes it; empty when the
    // library is missing or the file cannot be read.
    static std::wstring FileSize(const std::wstring& path);
    // An export's output passes when its size is present, not "0" and at least minimumBytes.
    static bool OutputLooksValid(const std::wstring& path, long long minimumBytes = 1);
};
