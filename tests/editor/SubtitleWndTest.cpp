// The subtitle list from its real skins on the headless display, over a real text layer: rows,
// selection with the time edits, rename in place, and deletions that leave nothing pointing at a
// deleted item.
#include "editor/dialogs/SubtitleWnd.h"

#include <gtest/gtest.h>

#include <memory>

#include "DialogTestSupport.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListUI.h"

namespace hl = platform::headless;

TEST(SubtitleWndLabel, WidthIsTextPlus25UpTo160)
{
    const int cases[][2] = { { 0, 25 }, { 40, 65 }, { 135, 160 }, { 136, 160 }, { 900, 160 } };
    for (const auto& c : cases)
        EXPECT_EQ(CSubtitleWnd::LabelWidthFor(c[0]), c[1]) << c[0];
}

namespace {

const wchar_t* const kNames[] = { L"Index1001", L"Index1002", L"Index1003" };

class SubtitleWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        m_main = std::make_unique<CMainWnd>();  // no window: the records, edits and layer pointer
        ASSERT_NE(m_layer.Create(nullptr, L"", WS_VISIBLE | WS_POPUP, 0), nullptr);
        ::MoveWindow(m_layer.GetHWND(), 0, 0, 600, 300, TRUE);
        hl::PumpMessages();
        m_main->m_pTextLayerWnd = &m_layer;
        const wchar_t* const texts[] = { L"短", L"一段很长很长的字幕文字，长到标签放不下它的全部内容", L"第三条" };
        for (int i = 0; i < 3; ++i) {
            m_layer.AddItem(kNames[i], texts[i], L"DejaVu Sans", 20, 0xFFFFFF, false);
            TextItem record;
            record.name = kNames[i];
            record.text = texts[i];
            record.startText = L"00:01:0" + std::to_wstring(i) + L".5";
            record.endText = L"00:02:0" + std::to_wstring(i) + L".0";
            m_main->m_vecTextItems.push_back(record);
        }
        SkinUI::CControlUI** edits[8] = { &m_main->m_psubtitleTimerHour, &m_main->m_psubtitleTimerminute,
                                          &m_main->m_psubtitleTimersecond, &m_main->m_psubtitleTimerMillsecond,
                                          &m_main->m_psubtitleOverHour, &m_main->m_psubtitleOverminute,
                                          &m_main->m_psubtitleOversecond, &m_main->m_psubtitleOverMillsecond };
        for (int i = 0; i < 8; ++i)
            *edits[i] = &m_edits[i];
        m_main->m_pSubtitleExport = &m_exportButton;
        hl::PumpMessages();
    }
    void TearDown() override
    {
        if (::IsWindow(m_layer.GetHWND()))
            ::DestroyWindow(m_layer.GetHWND());
        hl::PumpMessages();
        m_main.reset();
    }
    template <class Act>
    void Run(Act act)
    {
        CSubtitleWnd window(m_main.get());
        ASSERT_NE(window.CreateOwned(nullptr), nullptr);
        hl::PumpMessages();
        auto* list = static_cast<SkinUI::CListUI*>(window.GetPaintManager().FindControl(L"subtitleList")->GetInterface(L"List"));
        ASSERT_NE(list, nullptr);
        act(window, list);
        ClickControl(window.GetPaintManager().FindControl(L"closebtn"));
        EXPECT_EQ(window.ShowModal(), 1u);
    }
    static SkinUI::CControlUI* Part(SkinUI::CListUI* list, int row, int cell, const wchar_t* name = nullptr)
    {
        auto* element = static_cast<SkinUI::CContainerUI*>(list->GetItemAt(row)->GetInterface(L"Container"));
        auto* box = static_cast<SkinUI::CContainerUI*>(element->GetItemAt(cell)->GetInterface(L"Container"));
        return name ? box->FindSubControl(name) : box->GetItemAt(0);
    }
    static std::wstring Text(SkinUI::CControlUI* control) { return control->GetText().GetData(); }
    std::wstring Current() const { return m_layer.m_strCurrentName.GetData(); }

    std::unique_ptr<CMainWnd> m_main;
    CWaterFloatWnd m_layer;
    SkinUI::CLabelUI m_edits[8];
    SkinUI::CButtonUI m_exportButton;
};

}  // namespace

TEST_F(SubtitleWndTest, RowsShowEachItemAndASelectedRowFillsTheTimeEdits)
{
    Run([&](CSubtitleWnd&, SkinUI::CListUI* list) {
        ASSERT_EQ(list->GetCount(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(std::wstring(list->GetItemAt(i)->GetUserData().GetData()), kNames[i]);
            EXPECT_EQ(Text(Part(list, i, 0, L"FileName")), m_main->m_vecTextItems[i].text);
            EXPECT_EQ(Text(Part(list, i, 1)), m_main->m_vecTextItems[i].startText);
            EXPECT_EQ(Text(Part(list, i, 2)), m_main->m_vecTextItems[i].endText);
        }
        const int shortWidth = Part(list, 0, 0, L"FileName")->GetFixedWidth();
        EXPECT_GT(shortWidth, 25);
        EXPECT_LT(shortWidth, 160);
        EXPECT_EQ(Part(list, 1, 0, L"FileName")->GetFixedWidth(), 160) << "a long text is cut at 160";

        ClickControl(Part(list, 1, 1));
        hl::PumpMessages();
        EXPECT_EQ(Current(), L"Index1002");
        EXPECT_EQ(m_layer.m_pCurrentItem, m_layer.FindItem(L"Index1002"));
        const wchar_t* const want[8] = { L"00", L"01", L"01", L"5", L"00", L"02", L"01", L"0" };
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(Text(&m_edits[i]), want[i]) << i;
        EXPECT_EQ(m_main->m_bSubtitleClampOff, 0);
    });
}

TEST_F(SubtitleWndTest, RenameChangesTheItemAtOnceAndTheLabelWhenTheEditEnds)
{
    Run([&](CSubtitleWnd&, SkinUI::CListUI* list) {
        SkinUI::CControlUI* label = Part(list, 2, 0, L"FileName");
        SkinUI::CControlUI* edit = Part(list, 2, 0, L"changefilename");
        ClickControl(Part(list, 2, 0, L"changeName"));
        hl::PumpMessages();
        ASSERT_TRUE(edit->IsVisible());
        EXPECT_FALSE(label->IsVisible());
        EXPECT_EQ(Text(edit), L"第三条");
        edit->SetText(L"新的字幕");
        EXPECT_EQ(m_main->m_vecTextItems[2].text, L"新的字幕");
        EXPECT_EQ(std::wstring(m_layer.FindItem(L"Index1003")->GetItemText().GetData()), L"新的字幕");
        EXPECT_EQ(Current(), L"Index1003");
        EXPECT_EQ(Text(label), L"第三条") << "the label waits for the edit to end";
        ClickControl(Part(list, 0, 1));  // elsewhere in the window
        hl::PumpMessages();
        EXPECT_TRUE(label->IsVisible());
        EXPECT_FALSE(edit->IsVisible());
        EXPECT_EQ(Text(label), L"新的字幕");
    });
}

// The pencil's edit opens with the keyboard focus and its text selected; Return or a click elsewhere
// keeps the typed text, Escape puts the old text back on the label, the record and the item.
TEST_F(SubtitleWndTest, RenameTakesTheFocusAndEndsOnReturnEscapeOrAClickElsewhere)
{
    enum class End { Return, Escape, ClickElsewhere };
    const struct { End end; const wchar_t* typed; const wchar_t* want; } cases[] = {
        { End::Return, L"回车", L"回车" }, { End::Escape, L"作废", L"回车" }, { End::ClickElsewhere, L"点开", L"点开" },
    };
    Run([&](CSubtitleWnd& window, SkinUI::CListUI* list) {
        SkinUI::CControlUI* label = Part(list, 2, 0, L"FileName");
        SkinUI::CControlUI* edit = Part(list, 2, 0, L"changefilename");
        for (const auto& c : cases) {
            SCOPED_TRACE(static_cast<int>(c.end));
            ClickControl(Part(list, 2, 0, L"changeName"));
            hl::PumpMessages();
            ASSERT_TRUE(edit->IsVisible());
            EXPECT_EQ(window.GetPaintManager().GetFocus(), edit);
            hl::CommitText(c.typed);  // replaces the selected old text
            hl::PumpMessages();
            EXPECT_EQ(m_main->m_vecTextItems[2].text, c.typed);
            if (c.end == End::ClickElsewhere) {
                ClickControl(Part(list, 0, 1));
            } else {
                MSG msg { window.GetHWND(), WM_KEYDOWN, static_cast<WPARAM>(c.end == End::Return ? VK_RETURN : VK_ESCAPE), 0, 0, {} };
                SkinUI::CPaintManagerUI::TranslateMessage(&msg);  // as the modal loop hands keys to the window first
            }
            hl::PumpMessages();
            EXPECT_FALSE(edit->IsVisible());
            EXPECT_EQ(Text(label), c.want);
            EXPECT_EQ(m_main->m_vecTextItems[2].text, c.want);
            EXPECT_EQ(std::wstring(m_layer.FindItem(L"Index1003")->GetItemText().GetData()), c.want);
        }
    });
}

TEST_F(SubtitleWndTest, DeletingLeavesNoPointerToTheDeletedItem)
{
    Run([&](CSubtitleWnd&, SkinUI::CListUI* list) {
        ClickControl(Part(list, 2, 1));  // select the last item
        hl::PumpMessages();
        ASSERT_EQ(Current(), L"Index1003");
        ClickControl(Part(list, 2, 0, L"changeName"));  // and start renaming it
        hl::PumpMessages();
        ClickControl(Part(list, 2, 3, L"delete"));
        hl::PumpMessages();
        EXPECT_EQ(list->GetCount(), 2);
        EXPECT_EQ(Current(), L"Index1002") << "the last remaining item becomes the selection";
        EXPECT_EQ(m_layer.m_pCurrentItem, m_layer.FindItem(L"Index1002"));
        ClickControl(Part(list, 0, 1));  // would end the rename of the deleted row
        hl::PumpMessages();

        ClickControl(Part(list, 0, 3, L"delete"));  // not the selected one: the selection stays
        hl::PumpMessages();
        EXPECT_EQ(Current(), L"Index1002");
        EXPECT_TRUE(m_exportButton.IsEnabled());
        ClickControl(Part(list, 0, 3, L"delete"));  // the selected and last one
        hl::PumpMessages();
        EXPECT_EQ(list->GetCount(), 0);
        EXPECT_EQ(Current(), L"");
        EXPECT_EQ(m_layer.m_pCurrentItem, nullptr);
        EXPECT_EQ(m_layer.FindItem(L"Index1002"), nullptr);
        EXPECT_TRUE(m_main->m_vecTextItems.empty());
        EXPECT_FALSE(m_exportButton.IsEnabled()) << "nothing left to export";
    });
}
// However long the text, its label ends in an ellipsis and the rename pencil stays whole in the
// text column beside it.
TEST_F(SubtitleWndTest, TheRenamePencilStaysInsideTheTextColumn)
{
    m_main->m_vecTextItems[0].text = L"Hello subtitle ON";
    Run([&](CSubtitleWnd& window, SkinUI::CListUI* list) {
        ::UpdateWindow(window.GetHWND());
        hl::PumpMessages();
        for (int row = 0; row < list->GetCount(); ++row) {
            SCOPED_TRACE(row);
            const RECT cell = Part(list, row, 0, L"FileName")->GetParent()->GetPos();
            const RECT label = Part(list, row, 0, L"FileName")->GetPos();
            const RECT pencil = Part(list, row, 0, L"changeName")->GetPos();
            EXPECT_LE(label.right, pencil.left);
            EXPECT_GE(pencil.left, cell.left);
            EXPECT_LE(pencil.right, cell.right);
        }
    });
}
