// The virtual list: a fixed set of row controls shows whatever data the scroll position asks for,
// selection follows the data, and the provider is freed once and never called after.
#include <gtest/gtest.h>

#include <string>

#include "ListTestWindow.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/VirtualListUI.h"
#include "ui/core/ScrollBarUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

// Counts its calls; `freed` outlives it so a test can see it go.
struct Calls {
    int fills = 0;
    int afterFree = 0;
    bool freed = false;
};

class CountingProvider : public IVirtualDataProvider {
public:
    CountingProvider(Calls* calls, int count) : m_calls(calls), m_count(count) {}
    ~CountingProvider() override
    {
        EXPECT_FALSE(m_calls->freed) << "freed twice";
        m_calls->freed = true;
    }
    CControlUI* CreateElement() override { return new CListLabelElementUI(); }
    void FillElement(CControlUI* pControl, int iIndex) override
    {
        ++m_calls->fills;
        pControl->SetText(std::to_wstring(iIndex).c_str());
    }
    int GetElementCount() override { return m_count; }

private:
    Calls* m_calls;
    int m_count;
};

struct VirtualFixture {
    SkinWindow window { L"<Window><VerticalLayout>"
                        L"<VirtualList name=\"list\" float=\"true\" pos=\"0,0,300,300\" header=\"hidden\" vscrollbar=\"true\" />"
                        L"</VerticalLayout></Window>" };
    CVirtualListUI* list = window.Find<CVirtualListUI>(L"list");
    Calls calls;

    void Fill(int count, int height = 20, int rows = 15)
    {
        list->SetDataProvider(new CountingProvider(&calls, count));  // the list owns it
        list->SetElementHeight(height);
        list->InitElement(rows);
        list->NeedUpdate();
        window.Refresh();
    }
    std::wstring Shown(int row) { return list->GetVirtualBody()->GetItemAt(row)->GetText().GetData(); }
    bool RowSelected(int row)
    {
        return static_cast<IListItemUI*>(list->GetVirtualBody()->GetItemAt(row)->GetInterface(L"ListItem"))->IsSelected();
    }
};

}  // namespace

TEST(VirtualList, TheSameRowsShowTheDataOfTheScrollPosition)
{
    VirtualFixture f;
    ASSERT_NE(f.list, nullptr);
    f.Fill(1000);
    CControlUI* first = f.list->GetVirtualBody()->GetItemAt(0);
    f.list->SetScrollPos({ 0, 300 });
    EXPECT_EQ(f.list->GetVirtualBody()->GetCount(), 15);
    EXPECT_EQ(f.list->GetVirtualBody()->GetItemAt(0), first);
    EXPECT_EQ(f.Shown(0), L"15");
    EXPECT_EQ(f.Shown(14), L"29");
    EXPECT_EQ(f.list->GetScrollRange().cy, 1001 * 20 - 300) << "room for one row more than the data";
    std::vector<int> shown;
    f.list->GetDisplayCollection(shown);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 15);
}

TEST(VirtualList, AMillionItemsScrolledToTheEndFillOnlyTheVisibleRows)
{
    VirtualFixture f;
    f.Fill(1000000);
    f.calls.fills = 0;
    f.list->EndDown();
    f.window.Refresh();
    EXPECT_EQ(f.list->GetVirtualBody()->GetCount(), 15);
    EXPECT_LE(f.calls.fills, 15 * 4) << "a few arrangements of 15 rows, never the data";
    EXPECT_EQ(f.list->GetScrollRange().cy, 1000001 * 20 - 300);
    const int top = f.list->GetScrollPos().cy / 20;
    EXPECT_EQ(f.Shown(0), std::to_wstring(top));
    EXPECT_GE(top, 1000000 - 15);
}

TEST(VirtualList, SelectionFollowsTheDataIndex)
{
    VirtualFixture f;
    f.Fill(1000);
    EXPECT_FALSE(f.list->SelectItem(40)) << "not on screen";
    f.list->SetScrollPos({ 0, 30 * 20 });
    f.window.log.clear();
    EXPECT_TRUE(f.list->SelectItem(40));
    EXPECT_EQ(f.window.log, std::vector<std::wstring>({ L"itemselect:list:40" }));
    EXPECT_TRUE(f.RowSelected(10));
    f.list->SetScrollPos({ 0, 0 });
    EXPECT_FALSE(f.RowSelected(10)) << "the row now shows data 10";
    f.list->SetScrollPos({ 0, 30 * 20 });
    EXPECT_TRUE(f.RowSelected(10)) << "selected again when data 40 comes back";

    f.list->SetMultiSelect(true);
    f.list->SetScrollPos({ 0, 0 });
    ASSERT_TRUE(f.list->SelectItem(5));
    EXPECT_TRUE(f.list->SelectRange(2));
    EXPECT_EQ(f.list->GetSelectIndex(), std::vector<int>({ 2, 3, 4, 5 }));
    EXPECT_EQ(f.list->GetVirtualBody()->GetCurSel(), 5);
}

TEST(VirtualList, NoDataOrNoHeightArrangesNothing)
{
    VirtualFixture empty;
    empty.Fill(0);
    EXPECT_EQ(empty.list->GetVirtualBody()->GetCount(), 0);

    VirtualFixture flat;
    flat.Fill(100, 0);  // no element height: nothing divides by it
    EXPECT_EQ(flat.list->GetVirtualBody()->GetItemAt(0)->GetText(), L"0");
    std::vector<int> shown;
    flat.list->GetDisplayCollection(shown);
    EXPECT_TRUE(shown.empty());
}

TEST(VirtualList, TheProviderIsFreedOnceAndNeverCalledAfter)
{
    Calls calls;
    {
        VirtualFixture f;
        f.Fill(100);
        f.list->RemoveAll();
        EXPECT_TRUE(f.calls.freed);
        const int fills = f.calls.fills;
        f.list->NeedUpdate();
        f.window.Refresh();
        EXPECT_EQ(f.calls.fills, fills);
        f.list->SetDataProvider(new CountingProvider(&calls, 10));
    }
    EXPECT_TRUE(calls.freed) << "the list frees the provider it holds when it goes";
}
