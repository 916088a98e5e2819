#pragma once
// What the display backends hand over when something is dropped on one of our windows: the data
// the desktop offered, already fetched. Included only inside platform/.

#include "platform/Ole.h"

#include <memory>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

namespace platform {

struct DroppedData {
    std::vector<std::wstring> files;  // local paths, from text/uri-list
    std::wstring text;                // text/plain;charset=utf-8 when no files came
    std::vector<BYTE> bmp;            // image/bmp: a whole .bmp file

    bool Empty() const { return files.empty() && text.empty() && bmp.empty(); }
};

// What arrived in one of the types a drop target takes ("text/uri-list", "image/bmp", text).
DroppedData DroppedFromBytes(std::string_view type, std::string_view bytes);

// What a drag out of one of our windows offers: each type (a MIME name) with its bytes, best
// first, made once when the drag starts so a display can serve them from any thread.
struct DragOffer {
    std::vector<std::pair<std::string, std::string>> types;
    const std::string* Find(std::string_view type) const;
};

// The offer of a data object: a bitmap (CF_BITMAP) as "image/png" and "image/bmp", a device-
// independent bitmap as "image/bmp", a file list as "text/uri-list", text as UTF-8 text.
std::shared_ptr<const DragOffer> MakeDragOffer(IDataObject* data);

// How a display carries one drag to drop targets, driven by the drag loop on the dragging
// thread. Every call returns at once: answers from other programs come in later and show in
// Poll. A transport always ends, even when the target never answers or goes away.
class DragTransport {
public:
    struct State {
        DWORD effect = DROPEFFECT_NONE;  // what the target under the pointer accepts
        bool waiting = false;  // the target has not answered the pointer's last move yet
        bool ended = false;
        bool dropped = false;  // ended with the data taken by a target
    };
    virtual ~DragTransport() = default;
    virtual void Move(POINT screen, DWORD keyState) = 0;
    virtual void Drop() = 0;
    virtual void Cancel() = 0;
    virtual State Poll() = 0;
};

// The transport between windows of this process, for displays without a drag protocol: the
// drop reaches the window under the pointer on its own thread, as a drop from another program.
std::unique_ptr<DragTransport> MakeLocalDragTransport(std::shared_ptr<const DragOffer> offer);

// The top-level window of ours at a screen point that would take a drop of `data`, or null.
HWND DropReceiverAt(POINT screen, const DroppedData& data);

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
