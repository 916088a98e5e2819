#pragma once
#include "platform/WinTypes.h"

// The updater's entry point: parses the command line, keeps one instance per product, sets up
// the log, obtains and judges the update information and runs the silent update. Returns the
// process exit code.
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
