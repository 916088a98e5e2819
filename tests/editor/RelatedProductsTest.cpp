// The related-products buttons against a per-user registry store the test writes.
#include <gtest/gtest.h>

#include "IncomingFilesFixture.h"
#include "platform/Registry.h"

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class RelatedProducts : public incoming::MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        const std::string config = FreshFolder("config");
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        std::filesystem::create_directories(config + "/Quillmoor");
        m_store = config + "/Quillmoor/registry.txt";
        platform::SetShellCommandHook([this](const std::vector<std::string>& command) {
            commands.push_back(command);
            return true;
        });
    }
    void TearDown() override
    {
        platform::SetShellCommandHook(nullptr);
        ::unsetenv("XDG_CONFIG_HOME");
        MainWindowFixture::TearDown();
    }
    void Store(const std::string& lines) { WriteFileText(m_store, lines); }
    std::string Last() const
    {
        std::string joined;
        for (const std::string& part : commands.back())
            joined += part + " ";
        return joined;
    }

    std::string m_store;
    std::vector<std::vector<std::string>> commands;
};

}  // namespace

TEST_F(RelatedProducts, InstalledProductOpensItselfElseItsPage)
{
    const std::string program = EditorScratchFolder() + "/compressor";
    WriteFileText(program, "#!/bin/sh\n");
    Store("# products\n" + kKey + "tessaly file compressor\\DisplayIcon=" + program + ",0\n");

    window->OnRelatedProductButton2();  // the key matches without regard to case; ",0" is cut
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_NE(Last().find(program), std::string::npos);
    EXPECT_EQ(Last().find(",0"), std::string::npos);

    window->OnRelatedProductButton1();  // not installed: its page in the browser, no download
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_NE(Last().find("xdg-open"), std::string::npos);
    EXPECT_NE(Last().find("https://www.tessaly.cn/convert/"), std::string::npos);

    Store(kKey + "Tessaly Video Converter\\DisplayIcon=/no/such/program,0\n"
          + kKey + "Tessaly File Compressor\\Publisher=Tessaly\n");
    window->OnRelatedProductButton1();  // installed, but its program is gone
    window->OnRelatedProductButton2();  // installed, without a program
    EXPECT_EQ(commands.size(), 2u);
}

TEST(Registry, ReadsStringValuesAndReportsSizes)
{
    const std::string config = FreshFolder("registry");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    std::filesystem::create_directories(config + "/Quillmoor");
    WriteFileText(config + "/Quillmoor/registry.txt", "HKEY_CURRENT_USER\\Software\\A\\Name=值 value\r\n");
    HKEY key = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\B", 0, KEY_READ, &key), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\A", 0, KEY_READ, &key), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"software\\a", 0, KEY_READ, &key), static_cast<LONG>(ERROR_SUCCESS));
    DWORD size = 0, type = 0;
    EXPECT_EQ(::RegQueryValueExW(key, L"Name", nullptr, &type, nullptr, &size), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(size, 8 * sizeof(wchar_t));  // seven characters and the terminator
    wchar_t small[4] = {};
    size = sizeof(small);
    EXPECT_EQ(::RegQueryValueExW(key, L"Name", nullptr, &type, reinterpret_cast<LPBYTE>(small), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(small[0], L'\0');
    wchar_t value[16] = {};
    size = sizeof(value);
    ASSERT_EQ(::RegQueryValueExW(key, L"Name", nullptr, &type, reinterpret_cast<LPBYTE>(value), &size),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(std::wstring(value), L"值 value");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(::RegQueryValueExW(key, L"Other", nullptr, &type, nullptr, &size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(::RegCloseKey(key), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(::RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));
    ::unsetenv("XDG_CONFIG_HOME");
}
