// The extended list: the cell edit and cell combo over a clicked cell and their write-back, the
// header's and the rows' check boxes kept in step, and cell colours with their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ListTestWindow.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/EditUI.h"
#include "ui/controls/ListExUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

// Columns: 0 name, 1 done (checkable), 2 note (editable), 3 kind (combo-able); 70 px each.
constexpr const wchar_t* kSkin =
    L"<Window><VerticalLayout>"
    L"<ListEx name=\"list\" float=\"true\" pos=\"0,0,280,200\" itemtextpadding=\"4,0,4,0\">"
    L"<ListHeader name=\"header\" height=\"24\">"
    L"<ListContainerHeaderItem name=\"h0\" text=\"Name\" width=\"70\"/>"
    L"<ListContainerHeaderItem name=\"h1\" text=\"Done\" width=\"70\" checkable=\"true\" checkboxwidth=\"12\" checkboxheight=\"12\"/>"
    L"<ListContainerHeaderItem name=\"h2\" text=\"Note\" width=\"70\" editable=\"true\" comboable=\"true\"/>"
    L"<ListContainerHeaderItem name=\"h3\" text=\"Kind\" width=\"70\" comboable=\"true\"/>"
    L"</ListHeader></ListEx>"
    L"</VerticalLayout></Window>";

struct KindChoices : IListComboCallbackUI {
    bool PrepareCellCombo(CComboBoxUI* pCombo, int, int) override
    {
        for (const wchar_t* kind : { L"clip", L"still", L"sound" }) {
            auto* item = new CListLabelElementUI();
            item->SetText(kind);
            pCombo->Add(item);  // the combo owns its items
        }
        return true;
    }
};

struct ExtList : testing::Test {
    SkinWindow window { kSkin };
    CListExUI* list = window.Find<CListExUI>(L"list");
    KindChoices choices;

    void SetUp() override
    {
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 4; ++i) {
            auto* row = new CListTextExtElementUI();
            row->SetName((L"r" + std::to_wstring(i)).c_str());
            row->SetFixedHeight(24);
            row->SetAttribute(L"checkboxwidth", L"12");
            row->SetAttribute(L"checkboxheight", L"12");
            list->Add(row);  // the list owns it
            row->SetText(0, (L"file " + std::to_wstring(i)).c_str());
            if (i == 1)
                row->SetText(2, L"old note");
        }
        list->SetTextArrayCallback(&choices);
        window.Refresh();
        list->SetFocus();
        Pump();
        window.log.clear();
    }
    CListTextExtElementUI* Row(int i) { return static_cast<CListTextExtElementUI*>(list->GetItemAt(i)); }
    CListContainerHeaderItemUI* Header(int i)
    {
        return static_cast<CListContainerHeaderItemUI*>(list->GetHeader()->GetItemAt(i));
    }
    POINT CellCentre(int row, int column) { return Centre(Row(row)->GetColumRect(column)); }
    void Press(POINT pt)
    {
        hl::Advance(1000);
        hl::PressButton(hl::Left, pt.x, pt.y);
        hl::ReleaseButton(hl::Left, pt.x, pt.y);
        Pump();
    }
};

TEST_F(ExtList, EditOpensOverTheCellWritesBackOnKillFocusAndIsNeverARow)
{
    ASSERT_TRUE(list->InitListCtrl());
    list->SetFocus();
    Press(CellCentre(1, 2));
    CEditUI* edit = list->GetEditUI();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->IsVisible()) << "an editable column wins over a combo-able one";
    RECT want = Row(1)->GetColumRect(2);
    ::InflateRect(&want, -2, -2);
    EXPECT_TRUE(::EqualRect(&edit->GetPos(), &want));
    EXPECT_EQ(edit->GetText(), L"old note");
    EXPECT_EQ(list->GetCount(), 4);

    // The window grows: the list lays out again and the open edit follows its cell.
    ::SetWindowPos(window.hwnd, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    window.Refresh();
    want = Row(1)->GetColumRect(2);
    ::InflateRect(&want, -2, -2);
    EXPECT_TRUE(::EqualRect(&edit->GetPos(), &want));

    edit->SetText(L"new note");
    edit->SetFocus();
    list->SetFocus();  // the edit loses the focus
    Pump();
    EXPECT_STREQ(Row(1)->GetText(2), L"new note");
    EXPECT_FALSE(edit->IsVisible());
    window.Refresh();
    EXPECT_EQ(list->GetCount(), 4) << "the edit is never one of the rows";
    EXPECT_FALSE(edit->IsVisible());

    // An unset cell opens an empty edit.
    list->SetFocus();
    Press(CellCentre(3, 2));
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_EQ(edit->GetText(), L"");
}

TEST_F(ExtList, ComboChoiceIsWrittenIntoTheCellAndAScrollClosesWithoutWriting)
{
    ASSERT_TRUE(list->InitListCtrl());
    list->SetFocus();
    Press(CellCentre(0, 3));
    CComboBoxUI* combo = list->GetComboBoxUI();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->IsVisible());
    ASSERT_EQ(combo->GetCount(), 3) << "the callback filled the emptied combo";
    EXPECT_TRUE(combo->SelectItem(1));
    EXPECT_STREQ(Row(0)->GetText(3), L"still");
    EXPECT_FALSE(combo->IsVisible());

    list->SetFocus();
    Press(CellCentre(2, 3));
    ASSERT_TRUE(combo->IsVisible());
    window.pm.SendNotify(list->GetList(), L"scroll");
    EXPECT_FALSE(combo->IsVisible());
    EXPECT_EQ(Row(2)->GetText(3), nullptr) << "closed without writing";
}

TEST_F(ExtList, CheckBoxesOfHeaderAndRowsFollowEachOtherOnlyOnceRegistered)
{
    const auto clickBox = [&](const RECT& box) { Press(Centre(box)); };
    // Not registered: the header reports, the rows stay as they are.
    clickBox(Header(1)->GetCheckBoxRect());
    EXPECT_EQ(Header(1)->GetCheck(), 1);
    EXPECT_EQ(window.log, (std::vector<std::wstring> { L"listheaderclick:h1:0", L"listheaditemchecked:h1:1" }))
        << "the press on the box pushes the item too";
    EXPECT_EQ(Row(0)->GetCheck(), 0);
    clickBox(Header(1)->GetCheckBoxRect());
    EXPECT_EQ(Header(1)->GetCheck(), 0);

    ASSERT_TRUE(list->InitListCtrl());
    clickBox(Header(1)->GetCheckBoxRect());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Row(i)->GetCheck(), 1) << "row " << i;
    clickBox(Header(1)->GetCheckBoxRect());
    EXPECT_EQ(Row(3)->GetCheck(), 0);

    // Rows one by one: the header of the checkable column follows, not column 0.
    window.log.clear();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Header(1)->GetCheck(), 0) << "before row " << i;
        clickBox(Row(i)->GetCheckBoxRect());
    }
    EXPECT_EQ(Header(1)->GetCheck(), 1);
    EXPECT_EQ(Header(0)->GetCheck(), 0);
    EXPECT_NE(std::find(window.log.begin(), window.log.end(), L"listitemchecked:r3:" + std::to_wstring(MAKEWPARAM(3, 1))),
              window.log.end());
    clickBox(Row(2)->GetCheckBoxRect());
    EXPECT_EQ(Header(1)->GetCheck(), 0);
}

TEST_F(ExtList, CellColoursFillTheirCellAndStayWithinTheColumns)
{
    list->SetColumItemColor(2, 1, 0xFF00FF00);
    list->SetColumItemColor(2, 40, 0xFFFF0000);  // no such column: ignored
    window.Refresh();
    const RECT cell = Row(2)->GetColumRect(1);
    EXPECT_EQ(hl::PixelAt(cell.right - 3, cell.bottom - 3) & 0xFFFFFF, 0x00FF00u);
    const RECT other = Row(2)->GetColumRect(2);
    EXPECT_NE(hl::PixelAt(other.right - 3, other.bottom - 3) & 0xFFFFFF, 0x00FF00u);
    DWORD colour = 0x12345678;
    EXPECT_TRUE(list->GetColumItemColor(2, 1, colour));
    EXPECT_EQ(colour, 0xFF00FF00u);
    colour = 0x12345678;
    EXPECT_FALSE(list->GetColumItemColor(2, 0, colour));
    EXPECT_FALSE(list->GetColumItemColor(2, 40, colour));
    EXPECT_EQ(colour, 0x12345678u) << "the out value is left alone";
}

}  // namespace
