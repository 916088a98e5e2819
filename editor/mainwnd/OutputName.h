#pragma once
// Output names the user types (a GIF row's or a split part's name) become file names inside the
// output folder: they must never name another folder or a file the file system refuses.

#include <string>

// The typed name with path separators, characters that file names may not hold (": * ? \" < > |")
// and control characters replaced by '_', and surrounding blanks and dots trimmed; the fallback
// when nothing usable is left.
std::wstring SafeOutputName(const std::wstring& typed, const std::wstring& fallback);
