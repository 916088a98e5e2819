#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MediaTestSupport.h"
#include "media/MediaInfoLibrary.h"

using namespace mediatest;

TEST(MediaInfoLibrary, FileSizeOfFilesWithAnyName)
{
    ASSERT_TRUE(MediaInfoLibrary::IsAvailable());
    const std::wstring source = Fixture("small.mp4");
    const std::wstring named = WideFolder() + L"视频 [1], it's; a:b.mp4";
    std::filesystem::copy_file(Narrow(source), Narrow(named));
    const auto bytes = std::filesystem::file_size(Narrow(named));
    EXPECT_EQ(MediaInfoLibrary::FileSize(named), std::to_wstring(bytes));
    EXPECT_TRUE(MediaInfoLibrary::OutputLooksValid(named, 1024));
    EXPECT_FALSE(MediaInfoLibrary::OutputLooksValid(named, static_cast<long long>(bytes) + 1));
}

TEST(MediaInfoLibrary, MissingAndEmptyFilesFailTheCheck)
{
    const std::wstring empty = WideFolder() + L"empty.mp4";
    std::ofstream(Narrow(empty)).close();
    EXPECT_TRUE(MediaInfoLibrary::FileSize(WideFolder() + L"missing.mp4").empty());
    EXPECT_FALSE(MediaInfoLibrary::OutputLooksValid(WideFolder() + L"missing.mp4"));
    EXPECT_FALSE(MediaInfoLibrary::OutputLooksValid(empty));
}
