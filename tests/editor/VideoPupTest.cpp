// The export settings dialog from its real skin on the headless display: what it stores in the
// main window's export settings, the settings file it writes, and the texts it refuses.
#include "editor/dialogs/VideoPup.h"

#include <gtest/gtest.h>

#include <string>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/CommDlg.h"
#include "ui/controls/ComboUI.h"

namespace hl = platform::headless;

TEST(VideoPupTexts, NamesAreMadeSafeAndSizesEven)
{
    struct NameCase {
        std::wstring typed, stored;
    };
    const NameCase names[] = {
        { L"片段 1", L"片段 1" },
        { L"", L"无名称" },
        { L"../../etc/passwd", L"etcpasswd" },
        { L"a:b*c?d\"e<f>g|h\\i", L"abcdefghi" },
        { L"  ..  ", L"无名称" },
        { L".hidden.", L"hidden" },
        { std::wstring(L"tab\there\n"), L"tabhere" },
        { std::wstring(300, L'y'), std::wstring(200, L'y') },        // a file name holds 255 bytes
        { std::wstring(100, L'长'), std::wstring(66, L'长') },       // three bytes each in UTF-8
        { std::wstring(199, L'y') + L" 长", std::wstring(199, L'y') },  // no blank left at the cut
    };
    for (const NameCase& c : names)
        EXPECT_EQ(CVideoPup::CleanOutputName(c.typed), c.stored) << WideToUtf8(c.typed);

    struct SizeCase {
        std::wstring typed, stored;
    };
    const SizeCase sizes[] = {
        { L"1279", L"1280" }, { L"720", L"720" }, { L"", L"1920" }, { L"0", L"1920" },
        { L"abc", L"1920" }, { L"12ab", L"12" }, { L"0007", L"8" }, { L"9999", L"10000" },
    };
    for (const SizeCase& c : sizes)
        EXPECT_EQ(CVideoPup::EvenSizeText(c.typed, L"1920"), c.stored) << WideToUtf8(c.typed);
}

namespace {

class VideoPupTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        m_data = FreshFolder("pupdata");
        FreshFolder("pupdata/Config");
        m_main.m_strDataFolder = AnsiToWide(m_data) + L"/";
        m_main.m_strOutFolder = L"/old/out";
        m_main.m_exportInfo.name = L"clip";
        platform::SetDesktopDialogHook([this](const std::vector<std::string>& command, std::string& output) {
            m_dialogs.push_back(command);
            output = m_chosenFolder;
            return m_chosenFolder.empty() ? 1 : 0;
        });
    }
    void TearDown() override
    {
        platform::SetDesktopDialogHook(nullptr);
        hl::PumpMessages();
    }
    std::string SettingsFile() const { return m_data + "/Config/VideoConvert.xml"; }

    // Opens the dialog, lets `act` work on it, then runs it modally to its result.
    template <class Act>
    UINT Run(const std::wstring& mode, Act act)
    {
        CVideoPup dialog(&m_main, mode);
        EXPECT_NE(dialog.CreateOwned(nullptr), nullptr);
        hl::PumpMessages();
        act(dialog.GetPaintManager());  // what it queues is handled by the dialog's own loop
        return dialog.ShowModal();
    }
    static void Select(SkinUI::CPaintManagerUI& pm, const wchar_t* combo, int index)
    {
        static_cast<SkinUI::CComboUI*>(pm.FindControl(combo)->GetInterface(L"Combo"))->SelectItem(index);
    }

    CMainWnd m_main;
    std::string m_data;
    std::string m_chosenFolder;
    std::vector<std::vector<std::string>> m_dialogs;
};

}  // namespace

TEST_F(VideoPupTest, AutomaticSizeSurvivesFolderChangeEmptyNameAndTyping)
{
    m_chosenFolder = "/home/u/Видео 🎬/出口\n";  // outside GBK
    const UINT result = Run(L"", [](SkinUI::CPaintManagerUI& pm) {
        pm.FindControl(L"FileName")->SetText(L"");
        pm.FindControl(L"FileName")->SetText(L"新名");
        ClickControl(pm.FindControl(L"Change"));
        hl::PumpMessages();
        pm.FindControl(L"FileName")->SetText(L"");
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(result, 0u);
    const MediaFileInfo& info = m_main.m_exportInfo;
    EXPECT_EQ(std::wstring(info.width.GetData()), L"") << "automatic: the source's size";
    EXPECT_EQ(std::wstring(info.height.GetData()), L"");
    EXPECT_EQ(std::wstring(info.format.GetData()), L"mp4");
    EXPECT_EQ(info.name, L"无名称");
    EXPECT_EQ(std::wstring(info.folder.GetData()), L"/home/u/Видео 🎬/出口");
    ASSERT_EQ(m_dialogs.size(), 1u);
    EXPECT_EQ(std::count(m_dialogs[0].begin(), m_dialogs[0].end(), "--filename=/old/out/"), 1) << "opens at the current folder";

    const std::string file = ReadFileText(SettingsFile());
    EXPECT_EQ(file.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u) << file;
    m_main.m_strOutFolder.clear();
    m_main.LoadOutputFolder();
    EXPECT_EQ(m_main.m_strOutFolder, L"/home/u/Видео 🎬/出口") << "the folder survives a write and a read";
}

TEST_F(VideoPupTest, SizesFromPresetsAndCustomEdits)
{
    struct Case {
        const char* name;
        int firstChoice, secondChoice;  // Resolution items; -1: none
        std::wstring width, height;     // typed into the custom edits
        std::wstring storedWidth, storedHeight;
    };
    const Case cases[] = {
        { "custom odd sizes", 1, -1, L"1279", L"719", L"1280", L"720" },
        { "custom cleared", 1, -1, L"", L"", L"1920", L"1080" },
        { "custom nonsense", 1, -1, L"abc", L"0", L"1920", L"1080" },
        { "preset after custom", 1, 3, L"1279", L"719", L"1280", L"720" },
        { "automatic after preset", 2, 0, L"", L"", L"", L"" },
        { "preset", 4, -1, L"", L"", L"854", L"480" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const UINT result = Run(L"", [&](SkinUI::CPaintManagerUI& pm) {
            Select(pm, L"Resolution", c.firstChoice);
            pm.FindControl(L"Width")->SetText(c.width.c_str());
            pm.FindControl(L"Height")->SetText(c.height.c_str());
            if (c.secondChoice >= 0)
                Select(pm, L"Resolution", c.secondChoice);
            EXPECT_EQ(pm.FindControl(L"Width")->IsVisible(), (c.secondChoice < 0 ? c.firstChoice : c.secondChoice) == 1);
            ClickControl(pm.FindControl(L"Open"));
        });
        EXPECT_EQ(result, 0u);
        EXPECT_EQ(std::wstring(m_main.m_exportInfo.width.GetData()), c.storedWidth);
        EXPECT_EQ(std::wstring(m_main.m_exportInfo.height.GetData()), c.storedHeight);
    }
}

TEST_F(VideoPupTest, FormatHostileNameAndTheTrimmedGifMode)
{
    UINT result = Run(L"", [](SkinUI::CPaintManagerUI& pm) {
        Select(pm, L"VideoFormat", 2);
        pm.FindControl(L"FileName")->SetText(L"../out:put?");
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(std::wstring(m_main.m_exportInfo.format.GetData()), L"mkv");
    EXPECT_EQ(m_main.m_exportInfo.name, L"output");

    result = Run(L"gif", [](SkinUI::CPaintManagerUI& pm) {
        EXPECT_FALSE(pm.FindControl(L"Hor1")->IsVisible());
        EXPECT_FALSE(pm.FindControl(L"Hor2")->IsVisible());
        EXPECT_TRUE(pm.FindControl(L"Open")->IsVisible());
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(m_main.m_exportInfo.name, L"output") << "the previous name is copied again";
    EXPECT_EQ(std::wstring(m_main.m_exportInfo.folder.GetData()), L"/old/out");
}

// The split export pads the format label down (its name field is hidden): in every mode the label
// stays whole in its row, level with its combo.
TEST_F(VideoPupTest, TheFormatLabelStandsBesideItsComboInEveryMode)
{
    for (const wchar_t* mode : { L"", L"SengVideo" }) {
        SCOPED_TRACE(WideToUtf8(mode));
        Run(mode, [](SkinUI::CPaintManagerUI& pm) {
            ::UpdateWindow(pm.GetPaintWindow());
            const RECT label = pm.FindControl(L"ExportFormat")->GetPos();
            const RECT combo = pm.FindControl(L"VideoFormat")->GetPos();
            const RECT row = pm.FindControl(L"Hor1")->GetPos();
            EXPECT_GE(label.top, row.top);
            EXPECT_LE(label.bottom, row.bottom);
            EXPECT_EQ(label.top + label.bottom, combo.top + combo.bottom);
            ClickControl(pm.FindControl(L"Open"));
        });
    }
}

TEST_F(VideoPupTest, CancelledBrowserCloseAndEscapeChangeNothingAndStopNoEncoder)
{
    WriteFileText(SettingsFile(), "<root><Element1 attribute1=\"/old/out\"/></root>");
    STARTUPINFO startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION rowEncoder {};
    std::wstring command = L"sleep 30";  // a GIF row's encoder running in the background
    ASSERT_TRUE(::CreateProcess(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &rowEncoder));

    m_chosenFolder.clear();  // the user cancels the folder browser
    const UINT closed = Run(L"", [](SkinUI::CPaintManagerUI& pm) {
        ClickControl(pm.FindControl(L"Change"));
        hl::PumpMessages();
        ClickControl(pm.FindControl(L"closebtn"));
    });
    EXPECT_EQ(closed, 1u);
    EXPECT_EQ(m_main.m_strOutFolder, L"/old/out");
    EXPECT_EQ(ReadFileText(SettingsFile()), "<root><Element1 attribute1=\"/old/out\"/></root>");
    EXPECT_EQ(::WaitForSingleObject(rowEncoder.hProcess, 200), static_cast<DWORD>(WAIT_TIMEOUT)) << "closing stops no encoder";

    const UINT escaped = Run(L"", [](SkinUI::CPaintManagerUI&) { hl::PressKey(VK_ESCAPE); });
    EXPECT_EQ(escaped, 2u);

    ::TerminateProcess(rowEncoder.hProcess, 0);
    ::WaitForSingleObject(rowEncoder.hProcess, 5000);
    ::CloseHandle(rowEncoder.hProcess);
    ::CloseHandle(rowEncoder.hThread);
}

TEST_F(VideoPupTest, SizeEditsTakeDigitsOnlyAndTheNameTakesAnything)
{
    const UINT result = Run(L"", [](SkinUI::CPaintManagerUI& pm) {
        Select(pm, L"Resolution", 1);
        SkinUI::CControlUI* width = pm.FindControl(L"Width");
        width->SetText(L"");
        pm.SetFocus(width);
        for (int key : { int('A'), int('6'), VK_DELETE, int('4') })
            hl::PressKey(key);
        hl::PumpMessages();
        EXPECT_EQ(std::wstring(width->GetText().GetData()), L"64");
        SkinUI::CControlUI* name = pm.FindControl(L"FileName");
        name->SetText(L"");
        pm.SetFocus(name);
        for (int key : { int('A'), int('6') })
            hl::PressKey(key);
        hl::PumpMessages();
        EXPECT_EQ(std::wstring(name->GetText().GetData()), L"a6");
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(std::wstring(m_main.m_exportInfo.width.GetData()), L"64");
}

TEST_F(VideoPupTest, DefaultFolderIsShownAsANativePathAndMadeOnOpening)
{
    // Start-up forms "<desktop>/Tessaly"; a saved folder may be drive-rooted. The box shows the
    // desktop's own path, and that is what the export gets.
    m_main.m_strOutFolder.clear();
    m_main.LoadOutputFolder();
    const std::wstring stored = m_main.m_strOutFolder;
    const std::wstring home = AnsiToWide(std::getenv("HOME"));
    const std::wstring shown = home + L"/Desktop/Tessaly";
    EXPECT_EQ(stored, shown);
    std::wstring box;
    const UINT result = Run(L"", [&](SkinUI::CPaintManagerUI& pm) {
        box = pm.FindControl(L"Dircte")->GetText().GetData();
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(box, shown);
    EXPECT_EQ(std::wstring(m_main.m_exportInfo.folder.GetData()), shown);
    EXPECT_TRUE(::PathIsDirectoryW(shown.c_str())) << "the default folder is made when the dialog opens";
    EXPECT_EQ(m_main.m_strOutFolder, stored) << "what is stored keeps its form";

    m_main.m_strOutFolder = L"C:\\Clips\\出口";
    Run(L"", [&](SkinUI::CPaintManagerUI& pm) {
        box = pm.FindControl(L"Dircte")->GetText().GetData();
        ClickControl(pm.FindControl(L"Open"));
    });
    EXPECT_EQ(box, home + L"/Clips/出口");
}
