#pragma once
#include <string>
#include <vector>

// What an apply is about to change in an installation, written into the installation (as
// ".vkupdate-commit") before the first installed file is touched, so that a run killed in the
// middle leaves enough behind for the next run to put the installation back whole.
//
// Names are relative to the installation folder, "/" separated. Each new file is first written
// beside its target under a fresh name; only then (state kCommit) is the old file renamed to its
// aside name and the fresh file renamed over the target; once every file is in place (state
// kDone) the aside files are deleted. Undoing a record of state kPrepare or kCommit brings every
// old file back and removes whatever the apply added; a record of state kDone is finished by
// deleting the aside files. Either way the installation ends all old or all new.
class CommitRecord {
public:
    enum class State { kPrepare, kCommit, kDone };
    struct File {
        std::string target;  // relative path of the installed file
        std::string aside;   // file name (same folder) the old file moves to; empty for a new file
        std::string fresh;   // file name (same folder) the new content is written to first
    };

    static constexpr const char* kFileName = ".vkupdate-commit";

    State state { State::kPrepare };
    std::vector<File> files;
    std::vector<std::string> createdFolders;  // relative, parents before children

    // Writes the record beside its final name and renames it there, synced: the record on disk
    // is always a whole one. False with errno set.
    bool Write(const std::string& installFolder) const;
    // Reads the record of installFolder; false when there is none or it is not one of ours.
    static bool Read(const std::string& installFolder, CommitRecord& record);
    static bool Remove(const std::string& installFolder);

    // Puts the installation back as it was before the record (kPrepare, kCommit) or finishes it
    // (kDone). True when that is complete; what could not be done is logged.
    bool Settle(const std::string& installFolder) const;

private:
    bool Undo(const std::string& installFolder) const;
    bool Finish(const std::string& installFolder) const;
};
