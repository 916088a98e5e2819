// Gdiplus images: decoding (stb_image: PNG, JPEG, BMP, every GIF frame with its delay), the
// encoders (PNG through cairo, JPEG through stb_image_write) and memory streams.

#include "platform/GdiPlus.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/PictureDecoder.h"
#include "platform/gdi/TextEngine.h"

// Private copies of the decoders and encoders, so they cannot clash with another module's.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <unistd.h>

// ---- Memory streams ---------------------------------------------------------------------------

namespace {

class MemoryStream final : public IStream {
public:
    MemoryStream(const BYTE* data, UINT size) : m_bytes(data, data + size) { }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        const size_t take = std::min<size_t>(count, m_bytes.size() - m_position);
        if (take > 0)
            std::memcpy(buffer, m_bytes.data() + m_position, take);
        m_position += take;
        if (read)
            *read = static_cast<ULONG>(take);
        return 0;
    }

private:
    std::vector<BYTE> m_bytes;
    size_t m_position = 0;
    std::atomic<ULONG> m_references { 1 };
};

}  // namespace

IStream* SHCreateMemStream(const BYTE* data, UINT size)
{
    if (!data && size > 0)
        return nullptr;
    return new MemoryStream(data, size);
}

namespace Gdiplus {

const GUID FrameDimensionTime = { 0x6aedbd6d, 0x3fb5, 0x418a, { 0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72 } };
const GUID FrameDimensionPage = { 0x7462dc86, 0x6180, 0x4c7e, { 0x8e, 0x3f, 0xee, 0x73, 0x33, 0xa7, 0xa4, 0x83 } };

namespace {

// The encoders' class ids and formats are the platform's well-known values.
const CLSID kPngEncoder = { 0x557cf406, 0x1a04, 0x11d3, { 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } };
const CLSID kJpegEncoder = { 0x557cf401, 0x1a04, 0x11d3, { 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } };
const GUID kPngFormat = { 0xb96b3caf, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } };
const GUID kJpegFormat = { 0xb96b3cae, 0x0728, 0x11d3, { 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e } };

const ImageCodecInfo kEncoders[] = {
    { kJpegEncoder, kJpegFormat, L"Built-in JPEG Codec", nullptr, L"JPEG", L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"image/jpeg", 0x10007, 1, 0, 0, nullptr, nullptr },
    { kPngEncoder, kPngFormat, L"Built-in PNG Codec", nullptr, L"PNG", L"*.PNG", L"image/png", 0x10007, 1, 0, 0, nullptr, nullptr },
};

std::string PathOf(const WCHAR* path)
{
    std::wstring posix(path);
    std::replace(posix.begin(), posix.end(), L'\\', L'/');
    return platform::WideToUtf8(posix);
}

bool ReadFile(const std::string& path, std::vector<BYTE>* bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// A new transparent ARGB32 image; null when cairo cannot make it.
platform::CairoPtr<cairo_surface_t> NewImageSurface(int width, int height)
{
    platform::CairoPtr<cairo_surface_t> surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return surface;
}

// stb gives straight RGBA; cairo wants premultiplied native-endian ARGB.
platform::CairoPtr<cairo_surface_t> SurfaceFromRgba(const unsigned char* rgba, int width, int height)
{
    platform::CairoPtr<cairo_surface_t> owned = NewImageSurface(width, height);
    if (!owned)
        return nullptr;
    cairo_surface_t* surface = owned.get();
    cairo_surface_flush(surface);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = platform::SurfaceRow(surface, y);
        const unsigned char* in = rgba + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, in += 4) {
            const uint32_t a = in[3];
            const auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
            row[x] = (a << 24) | (pre(in[0]) << 16) | (pre(in[1]) << 8) | pre(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return owned;
}

void AppendToVector(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<BYTE>*>(context);
    const auto* bytes = static_cast<const BYTE*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

cairo_status_t AppendPng(void* context, const unsigned char* data, unsigned int length)
{
    AppendToVector(context, const_cast<unsigned char*>(data), static_cast<int>(length));
    return CAIRO_STATUS_SUCCESS;
}

bool EncodeJpeg(cairo_surface_t* surface, std::vector<BYTE>* out)
{
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = platform::SurfaceRow(surface, y);
        for (int x = 0; x < width; ++x) {  // transparent parts come out black, as over a black page
            unsigned char* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            pixel[0] = static_cast<unsigned char>(row[x] >> 16);
            pixel[1] = static_cast<unsigned char>(row[x] >> 8);
            pixel[2] = static_cast<unsigned char>(row[x]);
        }
    }
    return stbi_write_jpg_to_func(AppendToVector, out, width, height, 3, rgb.data(), 90) != 0;
}

// The new file is written beside the target and renamed over it, so a failed save leaves the
// old file (or none), never half of one.
Status WriteAtomically(const std::string& path, const std::vector<BYTE>& bytes)
{
    const std::string temporary = path + ".part" + std::to_string(getpid());
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return Win32Error;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Win32Error;
    }
    return Ok;
}

}  // namespace

struct Image::Frames {
    std::vector<platform::CairoPtr<cairo_surface_t>> surfaces;
    std::vector<int> delays;  // hundredths of a second, one per frame
    size_t active = 0;
};

Status GetImageEncodersSize(UINT* count, UINT* size)
{
    if (!count || !size)
        return InvalidParameter;
    *count = static_cast<UINT>(std::size(kEncoders));
    *size = static_cast<UINT>(sizeof kEncoders);
    return Ok;
}

Status GetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders)
{
    if (!encoders || count != std::size(kEncoders) || size < sizeof kEncoders)
        return InvalidParameter;
    std::memcpy(encoders, kEncoders, sizeof kEncoders);
    return Ok;
}

Image::Image() : m_frames(std::make_unique<Frames>())
{
}

Image::~Image() = default;

Image::Image(const WCHAR* path, BOOL) : Image()
{
    std::vector<BYTE> bytes;
    if (!path || !*path) {
        m_status = InvalidParameter;
        return;
    }
    if (!ReadFile(PathOf(path), &bytes)) {
        m_status = FileNotFound;
        return;
    }
    Decode(bytes);
}

Image::Image(IStream* stream, BOOL) : Image()
{
    if (!stream) {
        m_status = InvalidParameter;
        return;
    }
    std::vector<BYTE> bytes;
    BYTE chunk[65536];
    ULONG read = 0;
    while (stream->Read(chunk, sizeof chunk, &read) == 0 && read > 0)
        bytes.insert(bytes.end(), chunk, chunk + read);
    Decode(bytes);
}

void Image::Decode(const std::vector<BYTE>& bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX)) {
        m_status = UnknownImageFormat;
        return;
    }
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0, layers = 0;
    if (length > 6 && std::memcmp(bytes.data(), "GIF8", 4) == 0) {
        int* delays = nullptr;
        stbi_uc* pixels = stbi_load_gif_from_memory(bytes.data(), length, &delays, &width, &height, &layers, &channels, 4);
        if (pixels && layers > 0) {
            const size_t frameBytes = static_cast<size_t>(width) * height * 4;
            for (int i = 0; i < layers; ++i) {
                if (auto surface = SurfaceFromRgba(pixels + frameBytes * i, width, height)) {
                    m_frames->surfaces.push_back(std::move(surface));
                    m_frames->delays.push_back(delays ? delays[i] / 10 : 0);  // stb reports milliseconds
                }
            }
            m_animated = true;
        }
        stbi_image_free(pixels);
        stbi_image_free(delays);
    } else if (stbi_uc* pixels = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4)) {
        if (auto surface = SurfaceFromRgba(pixels, width, height)) {
            m_frames->surfaces.push_back(std::move(surface));
            m_frames->delays.push_back(0);
        }
        stbi_image_free(pixels);
    }
    m_status = m_frames->surfaces.empty() ? UnknownImageFormat : Ok;
}

}  // namespace Gdiplus

namespace platform {

bool DecodePicture(const unsigned char* data, size_t size, int largestSide, int& width, int& height,
                   std::vector<unsigned char>& rgba)
{
    int channels = 0;
    if (!data || size > static_cast<size_t>(INT32_MAX)
        || !stbi_info_from_memory(data, static_cast<int>(size), &width, &height, &channels) || width <= 0 || height <= 0
        || width > largestSide || height > largestSide)
        return false;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (!pixels)
        return false;
    rgba.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    stbi_image_free(pixels);
    return true;
}

}  // namespace platform

namespace Gdiplus {

Image* Image::FromFile(const WCHAR* path, BOOL useEmbeddedColorManagement)
{
    return new Image(path, useEmbeddedColorManagement);
}

Image* Image::FromStream(IStream* stream, BOOL useEmbeddedColorManagement)
{
    return new Image(stream, useEmbeddedColorManagement);
}

void* Image::Surface() const
{
    return m_frames->surfaces.empty() ? nullptr : m_frames->surfaces[m_frames->active].get();
}

UINT Image::GetWidth() const
{
    auto* surface = static_cast<cairo_surface_t*>(Surface());
    return surface ? static_cast<UINT>(cairo_image_surface_get_width(surface)) : 0;
}

UINT Image::GetHeight() const
{
    auto* surface = static_cast<cairo_surface_t*>(Surface());
    return surface ? static_cast<UINT>(cairo_image_surface_get_height(surface)) : 0;
}

Status Image::GetFrameDimensionsList(GUID* dimensions, UINT count) const
{
    if (!dimensions || count < 1)
        return InvalidParameter;
    dimensions[0] = m_animated ? FrameDimensionTime : FrameDimensionPage;
    return Ok;
}

UINT Image::GetFrameCount(const GUID* dimension) const
{
    if (!dimension)
        return 0;
    const GUID& own = m_animated ? FrameDimensionTime : FrameDimensionPage;
    return *dimension == own ? static_cast<UINT>(m_frames->surfaces.size()) : 0;
}

Status Image::SelectActiveFrame(const GUID* dimension, UINT index)
{
    if (!dimension || index >= GetFrameCount(dimension))
        return InvalidParameter;
    m_frames->active = index;
    return Ok;
}

UINT Image::GetPropertyCount() const
{
    return m_animated ? 1 : 0;
}

UINT Image::GetPropertyItemSize(PROPID id) const
{
    if (id != PropertyTagFrameDelay || !m_animated)
        return 0;
    return static_cast<UINT>(sizeof(PropertyItem) + m_frames->delays.size() * sizeof(LONG));
}

// The value follows the record in the caller's buffer: one 32-bit delay per frame.
Status Image::GetPropertyItem(PROPID id, UINT size, PropertyItem* buffer) const
{
    const UINT needed = GetPropertyItemSize(id);
    if (needed == 0)
        return PropertyNotFound;
    if (!buffer || size < needed)
        return InvalidParameter;
    auto* values = reinterpret_cast<LONG*>(reinterpret_cast<BYTE*>(buffer) + sizeof(PropertyItem));
    for (size_t i = 0; i < m_frames->delays.size(); ++i)
        values[i] = m_frames->delays[i];
    buffer->id = PropertyTagFrameDelay;
    buffer->length = static_cast<ULONG>(m_frames->delays.size() * sizeof(LONG));
    buffer->type = PropertyTagTypeLong;
    buffer->value = values;
    return Ok;
}

Status Image::Save(const WCHAR* path, const CLSID* encoder, const EncoderParameters*)
{
    auto* surface = static_cast<cairo_surface_t*>(Surface());
    if (!path || !*path || !encoder || !surface)
        return InvalidParameter;
    cairo_surface_flush(surface);
    std::vector<BYTE> bytes;
    if (*encoder == kPngEncoder) {
        if (cairo_surface_write_to_png_stream(surface, AppendPng, &bytes) != CAIRO_STATUS_SUCCESS)
            return GenericError;
    } else if (*encoder == kJpegEncoder) {
        if (!EncodeJpeg(surface, &bytes))
            return GenericError;
    } else {
        return UnknownImageFormat;
    }
    return WriteAtomically(PathOf(path), bytes);
}

Bitmap::Bitmap(INT width, INT height, PixelFormat)
{
    if (width <= 0 || height <= 0) {
        m_status = InvalidParameter;
        return;
    }
    platform::CairoPtr<cairo_surface_t> surface = NewImageSurface(width, height);
    if (!surface) {
        m_status = OutOfMemory;
        return;
    }
    m_frames->surfaces.push_back(std::move(surface));
    m_frames->delays.push_back(0);
}

Bitmap::Bitmap(INT width, INT height, Graphics*) : Bitmap(width, height, PixelFormat32bppARGB)
{
}

Bitmap* Bitmap::FromFile(const WCHAR* path, BOOL useEmbeddedColorManagement)
{
    return new Bitmap(path, useEmbeddedColorManagement);
}

Bitmap* Bitmap::FromStream(IStream* stream, BOOL useEmbeddedColorManagement)
{
    return new Bitmap(stream, useEmbeddedColorManagement);
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) const
{
    auto* surface = static_cast<cairo_surface_t*>(Surface());
    if (!surface || !color || x < 0 || y < 0 || x >= static_cast<INT>(GetWidth()) || y >= static_cast<INT>(GetHeight()))
        return InvalidParameter;
    cairo_surface_flush(surface);
    const uint32_t pixel = platform::SurfaceRow(surface, y)[x];
    const uint32_t a = pixel >> 24;
    const auto straight = [a](uint32_t c) { return static_cast<BYTE>(a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0); };
    *color = Color(static_cast<BYTE>(a), straight((pixel >> 16) & 0xFF), straight((pixel >> 8) & 0xFF), straight(pixel & 0xFF));
    return Ok;
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color)
{
    auto* surface = static_cast<cairo_surface_t*>(Surface());
    if (!surface || x < 0 || y < 0 || x >= static_cast<INT>(GetWidth()) || y >= static_cast<INT>(GetHeight()))
        return InvalidParameter;
    cairo_surface_flush(surface);
    const uint32_t a = color.GetA();
    const auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };
    platform::SurfaceRow(surface, y)[x] = (a << 24) | (pre(color.GetR()) << 16) | (pre(color.GetG()) << 8) | pre(color.GetB());
    cairo_surface_mark_dirty_rectangle(surface, x, y, 1, 1);
    return Ok;
}

}  // namespace Gdiplus
