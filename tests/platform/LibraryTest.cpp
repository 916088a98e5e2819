#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(Library, DllNamesResolveInTheProgramFolder)
{
    for (const wchar_t* name : { L".\\quilltestlib.dll", L"quilltestlib.dll" }) {
        SCOPED_TRACE(testing::Message() << fs::path(name).string());
        HMODULE library = LoadLibraryW(name);
        ASSERT_NE(library, nullptr);
        auto answer = reinterpret_cast<int (*)()>(GetProcAddress(library, "quill_test_answer"));
        ASSERT_NE(answer, nullptr);
        EXPECT_EQ(answer(), 42);
        EXPECT_EQ(GetProcAddress(library, "no_such_function"), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(library, path, MAX_PATH), 0u);
        EXPECT_EQ(fs::path(path).filename(), "libquilltestlib.so");
        EXPECT_TRUE(FreeLibrary(library));
    }
    EXPECT_EQ(LoadLibraryW(L"QUILLTESTLIB.DLL"), nullptr) << "file names keep their case on Linux";
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Library, CurrentFolderIsNeverSearched)
{
    const char* outer = getenv("TMPDIR");
    std::string folder = std::string(outer && *outer ? outer : "/tmp") + "/quill-lib-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).parent_path() / "libquilltestlib.so", fs::path(folder) / "libplanted.so");
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    EXPECT_EQ(LoadLibraryW(L".\\planted.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryA("planted.dll"), nullptr);
    fs::current_path(previous);
    fs::remove_all(folder);
}

TEST(Library, ProgramModuleAndSystemLibraries)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH);
    EXPECT_EQ(length, wcslen(path));
    EXPECT_EQ(fs::path(path).filename(), "platform_tests");
    wchar_t cut[5] = {};
    EXPECT_EQ(GetModuleFileNameW(nullptr, cut, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(wcslen(cut), 4u) << "a long name is cut and still terminated";

    HMODULE zlib = LoadLibraryA("libz.so.1");  // not in the program folder: the system search
    ASSERT_NE(zlib, nullptr);
    EXPECT_NE(GetProcAddress(zlib, "zlibVersion"), nullptr);
    FreeLibrary(zlib);
}
