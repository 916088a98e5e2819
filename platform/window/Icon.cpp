#include "platform/window/Icon.h"

#include "platform/Resource.h"
#include "platform/WinUser.h"

#include "platform/gdi/PictureDecoder.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace {

// Icons live until DestroyIcon; a handle is never reused within a run.
struct IconTable {
    std::mutex lock;
    std::map<HICON, std::shared_ptr<const std::vector<unsigned long>>> icons;
    uintptr_t next = 1;
};

IconTable& Icons()
{
    static IconTable table;
    return table;
}

uint32_t Little(const unsigned char* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

// One PNG image of the file appended as width, height and ARGB pixels; false when it does not decode.
bool AppendImage(const unsigned char* png, size_t size, std::vector<unsigned long>& out)
{
    constexpr int kLargestSide = 1024;
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    if (!platform::DecodePicture(png, size, kLargestSide, width, height, rgba))
        return false;
    out.push_back(static_cast<unsigned long>(width));
    out.push_back(static_cast<unsigned long>(height));
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
        out.push_back(static_cast<unsigned long>(rgba[i + 3]) << 24 | static_cast<unsigned long>(rgba[i]) << 16
                      | static_cast<unsigned long>(rgba[i + 1]) << 8 | rgba[i + 2]);
    return true;
}

}  // namespace

namespace platform {

std::vector<unsigned long> DecodeIconFile(const unsigned char* data, size_t size)
{
    constexpr size_t kDirectory = 6, kEntry = 16;
    std::vector<unsigned long> out;
    if (!data || size < kDirectory || Little(data, 2) != 0 || Little(data + 2, 2) != 1)
        return out;
    const size_t count = Little(data + 4, 2);
    if (count > (size - kDirectory) / kEntry)
        return out;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* entry = data + kDirectory + i * kEntry;
        const size_t length = Little(entry + 8, 4), offset = Little(entry + 12, 4);
        if (offset > size || length > size - offset)
            continue;
        AppendImage(data + offset, length, out);
    }
    return out;
}

std::shared_ptr<const std::vector<unsigned long>> IconPixels(HICON icon)
{
    IconTable& table = Icons();
    std::lock_guard guard(table.lock);
    auto it = table.icons.find(icon);
    return it == table.icons.end() ? nullptr : it->second;
}

}  // namespace platform

HICON LoadIcon(HINSTANCE instance, LPCWSTR name)
{
    HRSRC found = FindResource(reinterpret_cast<HMODULE>(instance), name, L"ICON");
    HGLOBAL loaded = found ? LoadResource(reinterpret_cast<HMODULE>(instance), found) : nullptr;
    if (!loaded)
        return nullptr;
    auto pixels = std::make_shared<const std::vector<unsigned long>>(platform::DecodeIconFile(
        static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(reinterpret_cast<HMODULE>(instance), found)));
    if (pixels->empty())
        return nullptr;
    IconTable& table = Icons();
    std::lock_guard guard(table.lock);
    const HICON icon = reinterpret_cast<HICON>(table.next++);
    table.icons.emplace(icon, std::move(pixels));
    return icon;
}

BOOL DestroyIcon(HICON icon)
{
    IconTable& table = Icons();
    std::lock_guard guard(table.lock);
    return table.icons.erase(icon) ? TRUE : FALSE;
}
