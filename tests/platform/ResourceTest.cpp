#include "platform/Resource.h"

#include <gtest/gtest.h>

#include <string>

TEST(Resource, EmbeddedZipFoundByTypeAndId)
{
    HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(FindResource(nullptr, L"#132", L"zip"), found) << "type without regard to case, id as text";
    const DWORD size = SizeofResource(nullptr, found);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 22u);
    const std::string archive(bytes, size);
    EXPECT_EQ(archive.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(archive.find("skin.xml"), std::string::npos);
    EXPECT_NE(archive.find("sub/note.txt"), std::string::npos);

    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCE(131), L"ZIP"), nullptr);
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCE(132), L"PNG"), nullptr);
}
