// Drags out of our own windows: the data object's formats turned into the bytes of the types a
// drop target takes, the drag loop that DoDragDrop runs on the dragging thread, and the transport
// between windows of this process for a display without a drag protocol.
//
// The loop owns the thread's mouse and key input for the drag (the window manager hands it over
// instead of making window messages), asks the drop source after every change whether to go on,
// and keeps dispatching the thread's other messages, so our own windows keep painting and a drop
// on one of them is delivered while the drag winds down.

#include "platform/WinBase.h"
#include "platform/gdi/CairoPtr.h"
#include "platform/window/DragDrop.h"
#include "platform/window/UserInternal.h"

#include <cctype>
#include <cstring>
#include <cwchar>

namespace platform {

WPARAM MouseKeyState(const WindowManager& wm);

namespace {

constexpr int kMostPixels = 1 << 26;

// A bitmap's pixels as 32-bit rows, top-down; false for an unknown handle or an absurd size.
bool BitmapPixels(HBITMAP bitmap, int& width, int& height, std::vector<uint32_t>& pixels)
{
    BITMAP info {};
    if (bitmap == nullptr || !GetObject(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0
        || static_cast<int64_t>(info.bmWidth) * info.bmHeight > kMostPixels)
        return false;
    width = info.bmWidth;
    height = info.bmHeight;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    const LONG bytes = static_cast<LONG>(pixels.size() * 4);
    return GetBitmapBits(bitmap, bytes, pixels.data()) == bytes;
}

template <typename T>
void Put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

// A whole .bmp file: 32 bits per pixel, bottom-up rows, as every reader takes it.
std::string BmpFile(int width, int height, const std::vector<uint32_t>& pixels)
{
    const uint32_t imageBytes = static_cast<uint32_t>(pixels.size() * 4);
    const uint32_t offset = 14 + sizeof(BITMAPINFOHEADER);
    std::string out;
    out.reserve(offset + imageBytes);
    out += "BM";
    Put<uint32_t>(out, offset + imageBytes);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, offset);
    BITMAPINFOHEADER header {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = imageBytes;
    out.append(reinterpret_cast<const char*>(&header), sizeof(header));
    for (int y = height - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char*>(pixels.data() + static_cast<size_t>(y) * width),
                   static_cast<size_t>(width) * 4);
    return out;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// An opaque PNG: a dragged bitmap is a picture of the screen, whose alpha byte GDI leaves at 0.
std::string PngFile(int width, int height, const std::vector<uint32_t>& pixels)
{
    const platform::CairoPtr<cairo_surface_t> owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_surface_t* surface = owned.get();
    std::string out;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < width; ++x)
                row[x] = pixels[static_cast<size_t>(y) * width + x] | 0xFF000000u;
        }
        cairo_surface_mark_dirty(surface);
        if (cairo_surface_write_to_png_stream(surface, AppendBytes, &out) != CAIRO_STATUS_SUCCESS)
            out.clear();
    }
    return out;
}

std::string UriList(const std::vector<std::wstring>& files)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string list;
    for (const std::wstring& file : files) {
        list += "file://";
        for (unsigned char c : WideToUtf8(file)) {
            const bool plain = std::isalnum(c) || std::strchr("/-_.~", c) != nullptr;
            if (plain) {
                list += static_cast<char>(c);
            } else {
                list += '%';
                list += kHex[c >> 4];
                list += kHex[c & 15];
            }
        }
        list += "\r\n";
    }
    return list;
}

// The medium of one format, or false when the data object does not have it.
bool Take(IDataObject* data, CLIPFORMAT format, DWORD tymed, STGMEDIUM& medium)
{
    FORMATETC asked { format, nullptr, DVASPECT_CONTENT, -1, tymed };
    medium = STGMEDIUM {};
    return data->QueryGetData(&asked) == S_OK && data->GetData(&asked, &medium) == S_OK;
}

void OfferBitmap(IDataObject* data, DragOffer& offer)
{
    STGMEDIUM medium;
    if (!Take(data, CF_BITMAP, TYMED_GDI, medium))
        return;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (medium.tymed == TYMED_GDI && BitmapPixels(medium.hBitmap, width, height, pixels)) {
        std::string png = PngFile(width, height, pixels);
        if (!png.empty())
            offer.types.emplace_back("image/png", std::move(png));
        offer.types.emplace_back("image/bmp", BmpFile(width, height, pixels));
    }
    ReleaseStgMedium(&medium);
}

void OfferDib(IDataObject* data, DragOffer& offer)
{
    STGMEDIUM medium;
    if (offer.Find("image/bmp") != nullptr || !Take(data, CF_DIB, TYMED_HGLOBAL, medium))
        return;
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (medium.tymed == TYMED_HGLOBAL && size >= sizeof(BITMAPINFOHEADER) && size < (SIZE_T { 1 } << 30)) {
        // A .bmp file is the block behind a file header; the pixels' offset is the block's own
        // header and colour table, which a reader of the file works out again.
        std::string file = "BM";
        Put<uint32_t>(file, static_cast<uint32_t>(14 + size));
        Put<uint32_t>(file, 0);
        BITMAPINFOHEADER header;
        std::memcpy(&header, medium.hGlobal, sizeof(header));
        const uint32_t colours = header.biClrUsed != 0 ? header.biClrUsed
            : header.biBitCount <= 8                   ? (1u << header.biBitCount)
                                                       : 0;
        const uint32_t masks = header.biCompression == 3 && header.biSize == sizeof(header) ? 12 : 0;
        Put<uint32_t>(file, 14 + header.biSize + masks + colours * 4);
        file.append(static_cast<const char*>(medium.hGlobal), size);
        offer.types.emplace_back("image/bmp", std::move(file));
    }
    ReleaseStgMedium(&medium);
}

void OfferFilesAndText(IDataObject* data, DragOffer& offer)
{
    STGMEDIUM medium;
    if (Take(data, CF_HDROP, TYMED_HGLOBAL, medium)) {
        auto drop = static_cast<HDROP>(medium.hGlobal);
        std::vector<std::wstring> files(DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0));
        for (UINT i = 0; i < files.size(); ++i) {
            files[i].resize(DragQueryFileW(drop, i, nullptr, 0));
            DragQueryFileW(drop, i, files[i].data(), static_cast<UINT>(files[i].size() + 1));
        }
        if (!files.empty())
            offer.types.insert(offer.types.begin(), { "text/uri-list", UriList(files) });
        ReleaseStgMedium(&medium);
    }
    if (Take(data, CF_UNICODETEXT, TYMED_HGLOBAL, medium)) {
        const auto* text = static_cast<const wchar_t*>(medium.hGlobal);
        const size_t chars = GlobalSize(medium.hGlobal) / sizeof(wchar_t);
        const std::string utf8 = WideToUtf8(std::wstring_view(text, wcsnlen(text, chars)));
        offer.types.emplace_back("text/plain;charset=utf-8", utf8);
        offer.types.emplace_back("UTF8_STRING", utf8);
        ReleaseStgMedium(&medium);
    }
}

// Between our own windows: the window under the pointer takes the drop on its own thread.
class LocalDragTransport final : public DragTransport {
public:
    explicit LocalDragTransport(std::shared_ptr<const DragOffer> offer) : m_offer(std::move(offer))
    {
        for (const auto& [type, bytes] : m_offer->types) {
            if (!m_dropped.Empty())
                break;
            m_dropped = DroppedFromBytes(type, bytes);
        }
    }
    void Move(POINT screen, DWORD) override
    {
        m_at = screen;
        m_receiver = m_dropped.Empty() ? nullptr : DropReceiverAt(screen, m_dropped);
    }
    void Drop() override
    {
        m_status.ended = true;
        if (m_receiver == nullptr)
            return;
        WindowManager::Get().DeliverDropped(m_receiver, m_at, std::make_shared<DroppedData>(m_dropped));
        m_status.dropped = true;
        m_status.effect = DROPEFFECT_COPY;
    }
    void Cancel() override { m_status.ended = true; }
    State Poll() override
    {
        if (!m_status.ended)
            m_status.effect = m_receiver != nullptr ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return m_status;
    }

private:
    std::shared_ptr<const DragOffer> m_offer;
    DroppedData m_dropped;
    POINT m_at {};
    HWND m_receiver = nullptr;
    State m_status;
};

// The drag's hold on the calling thread's input, from start to end.
class DragLoop {
public:
    DragLoop() = default;
    DragLoop(const DragLoop&) = delete;
    DragLoop& operator=(const DragLoop&) = delete;
    ~DragLoop()
    {
        m_transport.reset();
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        if (m_holding) {
            wm.dragThread = 0;
            wm.dragInput.clear();
        }
    }

    bool Start(std::shared_ptr<const DragOffer> offer)
    {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        if (wm.dragThread != 0)
            return false;  // one drag at a time, as the desktop has one pointer
        wm.dragThread = GetCurrentThreadId();
        wm.dragInput.clear();
        m_holding = true;
        m_pointer = wm.cursor;
        m_keyState = static_cast<DWORD>(MouseKeyState(wm));
        Window* from = wm.Find(wm.lastMouseWindow);
        Window* top = from != nullptr ? wm.TopLevelOf(from) : wm.Find(wm.active);
        if (top != nullptr && wm.backend)
            m_transport = wm.backend->StartDrag(*top, offer);
        if (!m_transport)
            m_transport = MakeLocalDragTransport(std::move(offer));
        return true;
    }

    HRESULT Run(IDropSource* source, DWORD okEffects, DWORD* effect)
    {
        m_transport->Move(m_pointer, m_keyState);
        bool decided = false, dropAsked = false;
        DWORD shown = ~DWORD { 0 };
        for (;;) {
            bool busy = PumpOtherMessages(decided);
            for (const auto& [input, keyState] : TakeInput()) {
                busy = true;
                if (decided)
                    continue;
                m_keyState = keyState;
                const bool escape = input.kind == RawInput::KeyDown && input.vk == VK_ESCAPE;
                if (input.kind <= RawInput::Wheel)
                    m_transport->Move(input.screen, m_keyState);
                const HRESULT answer = source->QueryContinueDrag(escape, m_keyState);
                if (answer == DRAGDROP_S_CANCEL)
                    m_transport->Cancel();
                dropAsked = answer == DRAGDROP_S_DROP;
                decided = dropAsked || answer == DRAGDROP_S_CANCEL;
            }
            DragTransport::State status = m_transport->Poll();
            if (dropAsked && !status.waiting && !status.ended) {
                // Released over a target that has answered where the pointer is now.
                (status.effect & okEffects) != 0 ? m_transport->Drop() : m_transport->Cancel();
                dropAsked = false;
                status = m_transport->Poll();
            }
            if (status.ended) {
                *effect = status.dropped ? status.effect & okEffects : DROPEFFECT_NONE;
                return status.dropped ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
            }
            if (!decided && (status.effect & okEffects) != shown) {
                shown = status.effect & okEffects;
                source->GiveFeedback(shown);
            }
            if (!busy)
                MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    void RepostQuit() const
    {
        if (m_quit)
            PostQuitMessage(m_quitCode);
    }

private:
    // Dispatches what else the thread has to do; a quit request cancels the drag and is kept
    // for the thread's own loop.
    bool PumpOtherMessages(bool& decided)
    {
        bool any = false;
        MSG msg {};
        while (!m_quit && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            if (msg.message == WM_QUIT) {
                m_quit = true;
                m_quitCode = static_cast<int>(msg.wParam);
                if (!decided)
                    m_transport->Cancel();
                decided = true;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        return any;
    }

    std::vector<std::pair<RawInput, DWORD>> TakeInput()
    {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        std::vector<std::pair<RawInput, DWORD>> taken;
        taken.swap(wm.dragInput);
        return taken;
    }

    std::unique_ptr<DragTransport> m_transport;
    bool m_holding = false;
    bool m_quit = false;
    int m_quitCode = 0;
    POINT m_pointer {};
    DWORD m_keyState = 0;
};

}  // namespace

const std::string* DragOffer::Find(std::string_view type) const
{
    for (const auto& [name, bytes] : types)
        if (name == type)
            return &bytes;
    return nullptr;
}

std::shared_ptr<const DragOffer> MakeDragOffer(IDataObject* data)
{
    auto offer = std::make_shared<DragOffer>();
    OfferBitmap(data, *offer);
    OfferDib(data, *offer);
    OfferFilesAndText(data, *offer);
    return offer;
}

std::unique_ptr<DragTransport> MakeLocalDragTransport(std::shared_ptr<const DragOffer> offer)
{
    return std::make_unique<LocalDragTransport>(std::move(offer));
}

}  // namespace platform

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)
{
    if (data == nullptr || source == nullptr || effect == nullptr)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    std::shared_ptr<const platform::DragOffer> offer = platform::MakeDragOffer(data);
    if (offer->types.empty())
        return E_UNEXPECTED;
    platform::DragLoop loop;
    if (!loop.Start(offer))
        return E_UNEXPECTED;
    const HRESULT result = loop.Run(source, okEffects, effect);
    loop.RepostQuit();
    return result;
}
