#pragma once
// The editor's skins travel inside the program as the resource ZIP 132: the windows' markup and
// images are read from that archive once it is handed to the paint manager. The program, its
// benchmarks and its tests install it the same way.

#include "platform/Windows.h"

constexpr WORD kSkinArchiveId = 132;

// Hands the archive embedded in `instance` (null: the program itself) to the paint manager; false,
// with nothing changed, when there is none.
bool InstallSkinArchive(HINSTANCE instance);
