#pragma once
#include "platform/WinUser.h"

// Names and messages shared by the updater's windows and threads.

// One GUID text: the prefix of the single-instance mutex and the update dialog's class name.
inline constexpr const wchar_t* kUpdaterGuid = L"7C3E9A52-1F4B-4D86-A0E2-5B9D3C7F1A64";
inline constexpr const wchar_t* kUpdaterTitle = L"Vornik升级";
inline constexpr const wchar_t* kHideMessageWindowClass = L"HideMessageWindow";

// wParam: download percentage 0..100.
constexpr UINT WM_UPDATE_PROGRESS = WM_USER + 200;
// wParam: 1 applied (or nothing to apply), 0 the archive could not be applied.
constexpr UINT WM_UPDATE_APPLIED = WM_USER + 201;
// The download ended without a checked file (a complete one reports 100 instead).
constexpr UINT WM_UPDATE_DOWNLOAD_FAILED = WM_USER + 202;
