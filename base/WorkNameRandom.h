#pragma once
// The random part of work-file names. One generator for the whole process, seeded once from the
// system's random source: a generator reseeded from the clock on every call gives the same name to
// every call made within one second. Safe to call from any thread.

#include <cstdint>
#include <string>

// A fresh 64-bit draw.
uint64_t WorkNameRandomNumber();
// Decimal digits, each drawn evenly from 0-9; empty for a count below one.
std::wstring WorkNameRandomDigits(int count);
