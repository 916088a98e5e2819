#pragma once
#include <cstdint>
#include <functional>
#include <string>

// How a caller of ApplyZipUpdate wants its lines logged (the silent window and the dialog's
// apply job differ only here), and hooks that tests use to inject failures and kills.
struct ApplyZipOptions {
    const char* logUnit { "message_wnd" };
    bool logDeleteFailure { true };     // "%s delfile fail %d"
    bool copyFailureWithCode { true };  // "%s copy fail %d" rather than "%s copy fail"
    // Puts the staged file "from" at "to", which does not exist yet (the staged file may be
    // moved); false with errno set on failure, leaving nothing at "to". Empty: move within one
    // file system, else copy.
    std::function<bool(const std::wstring& from, const std::wstring& to)> copyFile;
    // Called after each change the commit makes to the installation (1, 2, ...). Empty: the
    // test build's stop from the environment, if any.
    std::function<void(int step)> afterCommitStep;
    // The most that the archive's items may unpack to, all together.
    int64_t maxUnpackedBytes { 0 };  // 0: the program's limit
};

// Unpacks the downloaded archive over the installation folder without ever losing the
// installed files. Only one updater works on an installation at a time (the other one leaves
// it alone). Before anything is unpacked the items are checked: a name that would land outside
// the installation, a name given twice, a total size over the limit or over the free space of
// the work or the installation's file system refuses the whole archive. Every item is unpacked
// into a staging folder under the temporary folder (the first failure ends the apply), then
// written beside its target without following any link in the installation, and only then are
// the targets replaced by rename, each old file kept aside until every item is in place. A
// record of the commit inside the installation lets the next run finish or undo a commit that
// was killed; a SIGTERM during the apply undoes it and then ends the process. Any failure puts
// every replaced file back and removes what the update added and the work files.
// Returns true only when the whole archive was applied.
bool ApplyZipUpdate(const std::wstring& downloadPath, const std::wstring& tempFolder,
                    const std::wstring& installFolder, const ApplyZipOptions& options);

// Finishes or undoes an apply of installFolder that was killed in its commit, before the
// updater looks at the installation. True when the installation is whole (nothing to do
// included); false when another updater holds it or what was left could not be settled.
bool RecoverInterruptedUpdate(const std::wstring& installFolder);

// True for a relative item name that stays inside the folder it is unpacked into: not
// absolute, no drive prefix, no ".." component, no control character.
bool IsSafeItemName(const std::wstring& name);
