#include "editor/mainwnd/MainWnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"

TEST(MainWndUtilities, FormatDurationGivesAClockText)
{
    struct Case { const wchar_t* seconds; const wchar_t* want; };
    const Case cases[] = {
        { L"3725", L"01:02:05" }, { L"46800", L"13:00:00" }, { L"360000", L"100:00:00" },
        { L"0", L"00:00:00" }, { L"abc", L"00:00:00" }, { L"43199", L"11:59:59" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMainWnd::FormatDuration(c.seconds), c.want) << c.seconds;
}

TEST(MainWndUtilities, MakeEvenSizeLowersOddValues)
{
    struct Case { const wchar_t* in; const wchar_t* want; };
    const Case cases[] = { { L"1081", L"1080" }, { L"-3", L"-4" }, { L"1080", L"1080" }, { L"abc", L"abc" } };
    for (const Case& c : cases) {
        std::wstring width = c.in, height = c.in;
        CMainWnd::MakeEvenSizeW(width, height);
        EXPECT_EQ(width, c.want);
        SkinUI::CUIString w = c.in, h = c.in;
        CMainWnd::MakeEvenSize(w, h);
        EXPECT_EQ(std::wstring(h.GetData()), c.want);
    }
}

TEST(MainWndUtilities, SplitFileNameKeepsTheBareName)
{
    struct Case { const wchar_t* path; const wchar_t* name; const wchar_t* ext; };
    const Case cases[] = {
        { L"D:\\v\\Clip.MP4", L"Clip", L"mp4" },
        { L"C:\\a.b\\movie", L"movie", L"" },
        { L"/home/u/two.dots.mkv", L"two.dots", L"mkv" },
    };
    for (const Case& c : cases) {
        std::wstring path = c.path;
        SkinUI::CUIString ext;
        CMainWnd::SplitFileNameW(path, ext);
        EXPECT_EQ(path, c.name);
        EXPECT_EQ(std::wstring(ext.GetData()), c.ext);
    }
}

TEST(MainWndUtilities, ListFolderFilesByFlags)
{
    const std::string root = FreshFolder("listing");
    std::filesystem::create_directories(root + "/sub/deeper");
    WriteFileText(root + "/a.mp4", "a");
    WriteFileText(root + "/sub/b.mp4", "b");
    WriteFileText(root + "/sub/deeper/c.mp4", "c");
    const std::wstring folder = AnsiToWide(root);
    struct Case { bool folders, deeper; std::vector<std::wstring> want; };
    const Case cases[] = {
        { false, false, { folder + L"/a.mp4" } },
        { false, true, { folder + L"/a.mp4", folder + L"/sub/b.mp4" } },
        { true, false, { folder + L"/sub" } },
        { true, true, { folder + L"/sub", folder + L"/sub/deeper" } },
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> list { L"kept" };
        const int count = CMainWnd::ListFolderFiles(folder, list, c.folders, c.deeper);
        std::vector<std::wstring> got(list.begin() + 1, list.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.want) << c.folders << c.deeper;
        EXPECT_EQ(count, static_cast<int>(list.size()));
    }
    std::vector<std::wstring> list { L"x" };
    EXPECT_EQ(CMainWnd::ListFolderFiles(folder + L"\\missing", list, false, true), 1);
}

TEST(MainWndUtilities, InstalledFontsAreJoinedByCommas)
{
    const std::wstring fonts = CMainWnd::ListInstalledFonts();
    ASSERT_FALSE(fonts.empty());
    EXPECT_NE(fonts.back(), L',');
    EXPECT_NE(fonts.front(), L',');
    EXPECT_EQ(fonts.find(L",,"), std::wstring::npos);
}

TEST(AccountArea, PhoneNumbersAreMasked)
{
    struct Case { const wchar_t* text; const wchar_t* want; };
    const Case cases[] = {
        { L"13812345678", L"138****5678" }, { L"1234", L"123****1234" }, { L"12", L"12****12" }, { L"", L"****" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMainWnd::MaskPhoneNumber(c.text), c.want);
}

// The updater is started from the program folder even when the folder's path holds blanks.
TEST(AccountArea, UpdaterCommandLineIsQuotedAndRuns)
{
    const std::string folder = FreshFolder("program folder with blanks");
    const std::string argsFile = folder + "/args.txt";
    WriteFileText(folder + "/vkupdate", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" + argsFile + ".tmp\"\nmv \""
                                            + argsFile + ".tmp\" \"" + argsFile + "\"\n");
    std::filesystem::permissions(folder + "/vkupdate", std::filesystem::perms::owner_all);
    CMainWnd main;
    main.m_strAppFolder = AnsiToWide(folder) + L"\\";
    EXPECT_EQ(main.UpdaterCommandLine(),
              L"\"" + main.m_strAppFolder + L"vkupdate.exe\" -o=tmqrx -e=Quillmoor.exe -c=Top");
    main.StartUpdater();
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         !std::filesystem::exists(argsFile) && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFileText(argsFile), "-o=tmqrx\n-e=Quillmoor.exe\n-c=Top\n");
}
