#pragma once
#include <functional>
#include <string>

// How a caller of ApplyZipUpdate wants its lines logged (the silent window and the dialog's
// apply job differ only here), and the copy step, which tests may replace to inject a failure.
struct ApplyZipOptions {
    const char* logUnit { "message_wnd" };
    bool logDeleteFailure { true };     // "%s delfile fail %d"
    bool copyFailureWithCode { true };  // "%s copy fail %d" rather than "%s copy fail"
    // Puts the staged file "from" at "to" (it may be moved); false with errno set on failure.
    // Empty: move within one file system, else copy.
    std::function<bool(const std::wstring& from, const std::wstring& to)> copyFile;
};

// Unpacks the downloaded archive over the installation folder without ever losing the
// installed files: every item is first unpacked into a staging folder under the temporary
// folder and checked (an item whose name would land outside the installation is refused);
// then each target is replaced by rename, its old file kept aside until every item is in
// place. Any failure puts every replaced file back and removes what the update added.
// Returns true only when the whole archive was applied.
bool ApplyZipUpdate(const std::wstring& downloadPath, const std::wstring& tempFolder,
                    const std::wstring& installFolder, const ApplyZipOptions& options);

// True for a relative item name that stays inside the folder it is unpacked into: not
// absolute, no drive prefix, no ".." component.
bool IsSafeItemName(const std::wstring& name);
