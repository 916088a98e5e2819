#pragma once
#include <string>

// Stopping the installed editor before it is started again after an update. The updater never
// stops processes by name: only a process of this user whose executable is exactly the editor's
// path (also when that file has been replaced since the process started) is reached, through a
// process descriptor taken before it is checked, so a process id handed to a new process is
// never hit.

// Asks each such process to end (SIGTERM), and ends those still running after waitMs (SIGKILL).
// Returns how many processes were found.
int StopEditorProcesses(const std::string& editorPath, int waitMs);

// True when the executable link of a process (as /proc shows it) names exactly editorPath: the
// path itself, or the path marked as deleted because an update replaced the file.
bool IsEditorExecutable(const std::string& linkTarget, const std::string& editorPath);
