// The history window from its real skin on the headless display: its rows, the file manager
// asked to show a file, and "Clear" while an export job appends.
#include "editor/dialogs/HisToryWnd.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/ListUI.h"

namespace hl = platform::headless;

namespace {

class HisToryWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        m_folder = FreshFolder("history");
        FreshFolder("history/Config");
        m_main.m_strDataFolder = AnsiToWide(m_folder) + L"/";
        platform::SetShellCommandHook([this](const std::vector<std::string>& command) {
            m_shell.push_back(command);
            return true;
        });
    }
    void TearDown() override
    {
        platform::SetShellCommandHook(nullptr);
        hl::PumpMessages();
    }
    std::wstring MakeFile(const std::string& name)
    {
        WriteFileText(m_folder + "/" + name, "x");
        return AnsiToWide(m_folder + "/" + name);
    }
    template <class Act>
    UINT Run(Act act)
    {
        CHisToryWnd window(&m_main);
        EXPECT_NE(window.CreateOwned(nullptr), nullptr);
        hl::PumpMessages();
        auto* list = static_cast<SkinUI::CListUI*>(window.GetPaintManager().FindControl(L"FileList")->GetInterface(L"List"));
        act(window.GetPaintManager(), list);
        return window.ShowModal();
    }
    // The "Path" cell of a row: 1 the source, 3 the output.
    static SkinUI::CControlUI* Cell(SkinUI::CListUI* list, int row, int cell)
    {
        auto* element = static_cast<SkinUI::CContainerUI*>(list->GetItemAt(row)->GetInterface(L"Container"));
        return element->GetItemAt(cell);
    }

    CMainWnd m_main;
    std::string m_folder;
    std::vector<std::vector<std::string>> m_shell;
};

}  // namespace

TEST_F(HisToryWndTest, RowsShowTheHistoryAndFileNamesOpenTheFileManager)
{
    const std::wstring source = MakeFile("源 a.mp4"), output = MakeFile("out a.mp4");
    m_main.RecordHistoryEntry(source, output);
    m_main.RecordHistoryEntry(MakeFile("b.mkv"), AnsiToWide(m_folder) + L"/gone.mp4");  // output deleted since

    const UINT result = Run([&](SkinUI::CPaintManagerUI&, SkinUI::CListUI* list) {
        ASSERT_EQ(list->GetCount(), 2);
        EXPECT_EQ(std::wstring(Cell(list, 1, 1)->GetText().GetData()), L"源 a.mp4") << "newest first";
        EXPECT_EQ(std::wstring(Cell(list, 1, 3)->GetText().GetData()), L"out a.mp4");
        EXPECT_EQ(std::wstring(Cell(list, 1, 3)->GetUserData().GetData()), output);
        EXPECT_FALSE(std::wstring(Cell(list, 1, 0)->GetText().GetData()).empty()) << "the date";
        ClickControl(Cell(list, 1, 3));
        ClickControl(Cell(list, 0, 3));  // its file is gone: nothing
        hl::PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(result, 2u);
    ASSERT_EQ(m_shell.size(), 1u);
    EXPECT_EQ(m_shell[0].front(), "dbus-send");
    EXPECT_NE(m_shell[0][m_shell[0].size() - 2].find("out%20a.mp4"), std::string::npos) << "the file itself is selected";
}

TEST_F(HisToryWndTest, ClearEmptiesListAndHistoryWhileAJobAppends)
{
    const std::wstring source = MakeFile("s.mp4"), output = MakeFile("o.mp4");
    m_main.RecordHistoryEntry(source, output);
    std::atomic<bool> stop { false };
    std::thread job([&] {
        while (!stop)
            m_main.RecordHistoryEntry(source, output);
    });
    const UINT result = Run([&](SkinUI::CPaintManagerUI& pm, SkinUI::CListUI* list) {
        EXPECT_GE(list->GetCount(), 1);
        for (int i = 0; i < 20; ++i) {
            ClickControl(pm.FindControl(L"Clear"));
            hl::PumpMessages();
            EXPECT_EQ(list->GetCount(), 0);
        }
        ClickControl(pm.FindControl(L"closebtn"));
    });
    stop = true;
    job.join();
    EXPECT_EQ(result, 1u);

    m_main.ClearHistory();
    const UINT again = Run([](SkinUI::CPaintManagerUI& pm, SkinUI::CListUI* list) {
        EXPECT_EQ(list->GetCount(), 0) << "a window opened after Clear is empty too";
        ClickControl(pm.FindControl(L"closebtn"));
    });
    EXPECT_EQ(again, 1u);
}
