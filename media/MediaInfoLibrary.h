#pragma once
// The MediaInfo library, loaded at run time on first use and kept for the life of the process.
// Exports judge their output by its general "FileSize"; the page loaders and list rows read a
// file's duration, picture size, display aspect, bit rates and the full text report. The file is read by us and fed to the
// library as a buffer: the library's own file opening converts a wide path through the C locale,
// which loses every name outside ASCII. Safe to call from any thread.

#include <string>

// What the library says about one file; every field is empty when the library is missing or the
// file cannot be read. Texts are as the library writes them ("93456.789", "1.778").
struct MediaInfoDetails {
    std::wstring duration;      // general stream, milliseconds
    std::wstring width;         // first video stream, pixels
    std::wstring height;
    std::wstring aspect;        // first video stream's "DisplayAspectRatio"
    std::wstring videoBitRate;  // bits per second
    std::wstring audioBitRate;
    std::wstring report;        // the full text report ("Inform")
};

class MediaInfoLibrary {
public:
    // True when the library and every function it needs were found.
    static bool IsAvailable();
    // The general stream's "FileSize" of the file, as the library writes it; empty when the
    // library is missing or the file cannot be read.
    static std::wstring FileSize(const std::wstring& path);
    // One reading of the file for everything a page loader needs.
    static MediaInfoDetails Details(const std::wstring& path);
    // An export's output passes when its size is present, not "0" and at least minimumBytes.
    static bool OutputLooksValid(const std::wstring& path, long long minimumBytes = 1);
};
