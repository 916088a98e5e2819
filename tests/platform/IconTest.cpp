// Icons: the program's icon file, linked in as ("ICON", 108), loads as one icon holding every size
// the skin-image script draws, in the shape of the desktop's icon property; damaged icon files
// give nothing or only their sound images.

#include "platform/Resource.h"
#include "platform/WinUser.h"
#include "platform/window/Icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<unsigned long, unsigned long>> SizesOf(const std::vector<unsigned long>& property)
{
    std::vector<std::pair<unsigned long, unsigned long>> sizes;
    for (size_t at = 0; at + 2 <= property.size();) {
        const unsigned long width = property[at], height = property[at + 1];
        sizes.emplace_back(width, height);
        at += 2 + width * height;
    }
    return sizes;
}

std::vector<unsigned char> IconFileBytes()
{
    HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(108), L"ICON");
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    return bytes ? std::vector<unsigned char>(bytes, bytes + SizeofResource(nullptr, found)) : std::vector<unsigned char> {};
}

TEST(Icon, TheProgramsIconHoldsTheLogoAtTheSizesDesktopsShow)
{
    const HICON icon = LoadIcon(nullptr, MAKEINTRESOURCE(108));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(LoadImage(nullptr, MAKEINTRESOURCE(108), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR), nullptr);
    const auto pixels = platform::IconPixels(icon);
    ASSERT_NE(pixels, nullptr);
    const std::vector<std::pair<unsigned long, unsigned long>> expected {
        { 16, 16 }, { 24, 24 }, { 32, 32 }, { 48, 48 }, { 64, 64 }, { 128, 128 }, { 256, 256 }
    };
    EXPECT_EQ(SizesOf(*pixels), expected);
    // At 32 x 32 (after the 16 and 24 images): a transparent corner, the violet tile, the white mark.
    const size_t at32 = 2 + 16 * 16 + 2 + 24 * 24 + 2;
    EXPECT_EQ((*pixels)[at32] >> 24, 0u);
    EXPECT_EQ((*pixels)[at32 + 5 * 32 + 5], 0xFF5E5CE6ul);
    EXPECT_EQ((*pixels)[at32 + 16 * 32 + 14], 0xFFFFFFFFul);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(platform::IconPixels(icon), nullptr);
    EXPECT_FALSE(DestroyIcon(icon));
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(109)), nullptr) << "no such resource";
}

TEST(Icon, DamagedIconFilesGiveOnlyTheirSoundImages)
{
    const std::vector<unsigned char> file = IconFileBytes();
    ASSERT_GT(file.size(), 6u + 7 * 16);
    const size_t whole = platform::DecodeIconFile(file.data(), file.size()).size();
    EXPECT_GT(whole, 0u);
    EXPECT_TRUE(platform::DecodeIconFile(file.data(), 5).empty()) << "shorter than its directory";
    EXPECT_TRUE(platform::DecodeIconFile(nullptr, 0).empty());
    std::vector<unsigned char> cursor = file;
    cursor[2] = 2;  // a cursor file, not an icon file
    EXPECT_TRUE(platform::DecodeIconFile(cursor.data(), cursor.size()).empty());
    std::vector<unsigned char> tooMany = file;
    tooMany[4] = tooMany[5] = 0xFF;  // more entries than the file holds
    EXPECT_TRUE(platform::DecodeIconFile(tooMany.data(), tooMany.size()).empty());
    std::vector<unsigned char> pastTheEnd = file;
    const uint32_t beyond = 0xFFFFFFF0u;
    std::memcpy(pastTheEnd.data() + 6 + 12, &beyond, 4);  // the first image's offset
    EXPECT_EQ(platform::DecodeIconFile(pastTheEnd.data(), pastTheEnd.size()).size(), whole - (2 + 16 * 16));
    std::vector<unsigned char> garbled = file;
    uint32_t offset = 0;
    std::memcpy(&offset, garbled.data() + 6 + 12, 4);
    garbled[offset + 1] = 'X';  // the first image is no PNG any more
    EXPECT_EQ(platform::DecodeIconFile(garbled.data(), garbled.size()).size(), whole - (2 + 16 * 16));
}

}  // namespace
