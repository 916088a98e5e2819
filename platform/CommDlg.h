#pragma once
// The desktop's own dialogs in the Windows vocabulary: open a file (one or several, with
// filters), browse for a folder, choose a colour.
//
// Rules: each call runs modally on the calling thread, like MessageBox: the owner is disabled
// meanwhile, the thread's other windows keep being served, and the call returns what the Windows
// call returns. The dialog itself is the desktop's (zenity, GTK); paths come back as POSIX paths
// and the working directory is never changed. Nothing here places the desktop's window: a colour
// dialog hook (CC_ENABLEHOOK) is never called. A folder browser's callback gets BFFM_INITIALIZED
// once, with a window that takes BFFM_SETSELECTIONW, and that selection is where the browser opens.
//
// Tests answer instead of the desktop: with a hook set, every dialog goes to the hook as the
// zenity command it would run, and the hook gives the exit code (0 chosen, 1 cancelled) and what
// zenity would print. Without a hook, on the headless display, every dialog is cancelled.

#include "platform/WinUser.h"

#include <functional>
#include <string>
#include <vector>

// ---- Open-file dialog -------------------------------------------------------------------------

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;  // pairs "display\0pattern;pattern\0", ending with an empty display
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;     // in: the start file or empty; out: the choice
    DWORD nMaxFile;       // in characters
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;     // out: where the (first) file name starts in lpstrFile
    WORD nFileExtension;  // out: where its extension starts (0 when it has none)
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using OPENFILENAME = OPENFILENAMEW;
using LPOPENFILENAMEW = OPENFILENAMEW*;

// TRUE when a file was chosen. One file: lpstrFile holds its path. With OFN_ALLOWMULTISELECT
// and several files: "folder\0name\0name\0\0" (the files' deepest common folder, "/" at least,
// and names relative to it). FALSE on cancel (CommDlgExtendedError 0) or failure (the error code;
// with FNERR_BUFFERTOOSMALL the first character of lpstrFile holds the size needed).
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
inline BOOL GetOpenFileName(LPOPENFILENAMEW ofn) { return GetOpenFileNameW(ofn); }

constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
// The reason of the calling thread's last failed dialog; 0 after a chosen or cancelled one.
DWORD CommDlgExtendedError();

// ---- Colour dialog ----------------------------------------------------------------------------

constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD CC_ENABLEHOOK = 0x00000010;
constexpr DWORD CC_ANYCOLOR = 0x00000100;

using LPCCHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSECOLORW {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;     // in with CC_RGBINIT: the start colour; out: the choice
    COLORREF* lpCustColors; // 16 colours, kept as they are
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
};
using CHOOSECOLOR = CHOOSECOLORW;
using LPCHOOSECOLORW = CHOOSECOLORW*;

// TRUE with rgbResult set when a colour was chosen; FALSE on cancel or failure.
BOOL ChooseColorW(LPCHOOSECOLORW cc);
inline BOOL ChooseColor(LPCHOOSECOLORW cc) { return ChooseColorW(cc); }

// ---- Folder browser ---------------------------------------------------------------------------

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;

// A chosen folder. The caller frees it with CoTaskMemFree.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using BFFCALLBACK = int (*)(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

struct BROWSEINFOW {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;
    LPWSTR pszDisplayName;  // out: the chosen folder's own name (MAX_PATH characters)
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
using BROWSEINFO = BROWSEINFOW;
using LPBROWSEINFOW = BROWSEINFOW*;

// The chosen folder, or null on cancel.
LPITEMIDLIST SHBrowseForFolderW(LPBROWSEINFOW info);
inline LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFOW info) { return SHBrowseForFolderW(info); }
// Copies the folder's path (MAX_PATH characters at most) to `path`; FALSE for null or a path
// that does not fit.
BOOL SHGetPathFromIDListW(LPCITEMIDLIST item, LPWSTR path);
inline BOOL SHGetPathFromIDList(LPCITEMIDLIST item, LPWSTR path) { return SHGetPathFromIDListW(item, path); }
void CoTaskMemFree(void* block);

namespace platform {

// Answers desktop dialogs in tests (see the top of this file): gets the zenity command, fills
// `output` with what zenity would print and returns its exit code. Null removes the hook.
using DesktopDialogHook = std::function<int(const std::vector<std::string>& command, std::string& output)>;
void SetDesktopDialogHook(DesktopDialogHook hook);

}  // namespace platform
