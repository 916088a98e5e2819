#pragma once
// The editor's helpers around files and processes: video files by extension, every file of a folder
// tree, and ending encoder processes by name or id. They keep no state.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

// The filter of the editor's open-file dialog; its entries are "*.<extension>;".
extern const wchar_t kVideoFileFilter[];

// Whether the path's extension, lower-cased, with its dot and followed by ";", occurs in the filter.
bool ExtensionListedIn(const wchar_t* path, const wchar_t* filter);
bool IsVideoFileName(const wchar_t* path);

// Appends the full path of every file below the current folder. The current folder changes during
// the walk and is back where it was at the end; folders that cannot be entered and linked folders
// (which could lead in a circle) are skipped.
void CollectFilesRecursively(std::vector<std::wstring>& files);

// Makes the folder and every missing folder above it (a brand-new account has no ~/.local). True
// when the folder exists at the end.
bool CreateFolderWithParents(const std::wstring& folder);

// Terminates (exit code 0) every process this program started, directly or not, whose executable
// file name equals the name without regard to case; with a non-empty path filter only those whose
// executable path contains it. True when at least one matched. Processes of other programs are
// never reached: the process list holds only this program's descendants.
bool KillProcessesByName(const wchar_t* name, const wchar_t* pathFilter = L"");
// True only when the process could be opened and terminated.
bool TerminateProcessById(DWORD processId);
