#pragma once
// What the display backends hand over when something is dropped on one of our windows: the data
// the desktop offered, already fetched. Included only inside platform/.

#include "platform/Ole.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct DroppedData {
    std::vector<std::wstring> files;  // local paths, from text/uri-list
    std::wstring text;                // text/plain;charset=utf-8 when no files came
    std::vector<BYTE> bmp;            // image/bmp: a whole .bmp file
};

// Delivers a drop at a screen point on the calling thread, which must own the window there:
// files on a window that accepts them (or whose ancestor does) become WM_DROPFILES; anything else
// goes to the drop target registered for the top-level window. The effect the target chose, or
// DROPEFFECT_NONE when nobody took it.
DWORD DeliverDrop(POINT screen, DWORD keyState, const DroppedData& data);

// The local files named by a text/uri-list: "file:" URIs without a host or naming this machine,
// percent-decoded. Comment lines, other URIs and malformed escapes are left out.
std::vector<std::wstring> FilesFromUriList(std::string_view list);

// A global block in the HDROP layout, wide names, with the point in client coordinates.
HGLOBAL MakeDropFiles(const std::vector<std::wstring>& files, POINT point);

// An uncompressed 24- or 32-bit .bmp file as a 32-bit DIB section; null for anything else.
HBITMAP LoadBmpFile(const wchar_t* path);

}  // namespace platform
