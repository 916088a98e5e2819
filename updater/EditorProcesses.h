#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

// Stopping the installed editor before it is started again after an update. The updater never
// stops processes by name: only a process of this user whose executable is the installed
// editor is reached, through a process descriptor taken before it is checked, so a process id
// handed to a new process is never hit. The apply moves the running editor's file aside and
// deletes it, so a running editor is recognised either by its executable's path or by the
// identity (device and inode) that the editor's file had before the apply.

struct FileIdentity {
    dev_t device { 0 };
    ino_t inode { 0 };
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path (links followed); device and inode 0 when there is none.
FileIdentity FileIdentityOf(const std::string& path);

// Asks each such process to end (SIGTERM), and ends those still running after waitMs (SIGKILL).
// formerEditors: identities the editor's file had before it was replaced. Returns how many
// processes were found.
int StopEditorProcesses(const std::string& editorPath, int waitMs, const std::vector<FileIdentity>& formerEditors = {});

// True when the executable link of a process (as /proc shows it) names exactly editorPath: the
// path itself, or the path marked as deleted because an update replaced the file.
bool IsEditorExecutable(const std::string& linkTarget, const std::string& editorPath);
