#pragma once
// A player's time written into a page's time fields. Derived from the number, never from the
// characters of its text, so a short or unreadable time never reads outside its text.

#include <string>
#include <vector>

// The split point's four fields (hours, minutes, seconds, hundredths) for a time in milliseconds;
// the milliseconds digit is dropped. Empty under 100 ms: there is no point to take.
std::vector<std::wstring> SplitPointFields(long long ms);
// Hours, minutes and seconds of the whole seconds of a time in milliseconds (negative reads as 0).
std::vector<std::wstring> WholeSecondFields(long long ms);
