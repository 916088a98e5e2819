#pragma once
// The one reader of an item of the skin archive, shared by skin files, pictures and fonts. It reads
// from the archive the paint manager keeps open, or opens the archive file for this one read, and
// refuses an item whose declared size is over one cap before anything is allocated: the declared
// size comes from the archive, which may be hostile. UI thread, like the paint manager's settings.

#include <vector>

#include "platform/WinTypes.h"

namespace SkinUI {

// Far above any skin file, picture or font; keeps a damaged size field from asking for gigabytes.
constexpr DWORD kMaxSkinItemBytes = 64u << 20;

enum class SkinItemResult { Ok, NoArchive, NotFound, Empty, TooLarge, Damaged };

// The item's bytes (name with "\" or "/"); anything but Ok leaves out empty.
SkinItemResult ReadSkinArchiveItem(const wchar_t* name, std::vector<BYTE>* out);

}  // namespace SkinUI
