#pragma once
// Work files of the exports: the stream files, lists and converted clips a job writes on its way
// to the output. They live in the user's private work folder under names that carry a token drawn
// once per run of the program, so a file left behind by an earlier run that did not end cleanly
// can never pass for one of this run's. A job removes a work file before it writes it and once it
// has used it. Safe to call from any thread.

#include <string>

// "<work folder>/<stem>-<run token>(<number>).<extension>"; empty when there is no work folder.
std::wstring ExportWorkFile(const wchar_t* stem, int number, const wchar_t* extension);
