#include "ui/core/DialogBuilder.h"

#include <gtest/gtest.h>

#include <string>

#include "SkinTestSupport.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/TabLayoutUI.h"

using namespace SkinUI;

namespace {

CContainerUI* AsContainer(CControlUI* control)
{
    return control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
}

std::wstring NameAt(CContainerUI* box, int index)
{
    return box->GetItemAt(index)->GetName().GetData();
}

// Answers "TreeNode" like a tree item, which nothing here can hold.
class LoneNodeUI : public CControlUI {
public:
    void* GetInterface(const wchar_t* name) override
    {
        return CUIString(name) == L"TreeNode" ? this : CControlUI::GetInterface(name);
    }
};

class Callback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* pstrClass) override
    {
        asked += pstrClass;
        asked += L";";
        if (CUIString(pstrClass) == L"Custom")
            return new CContainerUI();
        if (CUIString(pstrClass) == L"LoneNode")
            return new LoneNodeUI();
        return nullptr;
    }
    std::wstring asked;
};

}  // namespace

TEST(DialogBuilder, NestsAsTheDocumentDoesInAnyTagCase)
{
    CDialogBuilder builder;
    Callback callback;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window><VerticalLayout name=\"v\">"
        L"<Unknown><Control name=\"lost\"/></Unknown>"
        L"<TabLayout name=\"t\" selectedid=\"1\"><Control name=\"a\"/><Control name=\"b\"/></TabLayout>"
        L"<control name=\"lower\"/><CONTROL name=\"upper\"/><Custom name=\"own\"/>"
        L"</VerticalLayout><Control name=\"second\"/></Window>",
        nullptr, &callback));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::wstring(root->GetName().GetData()), L"v");
    CContainerUI* box = AsContainer(root.get());
    ASSERT_EQ(box->GetCount(), 4);
    EXPECT_EQ(NameAt(box, 1), L"lower");
    EXPECT_EQ(NameAt(box, 2), L"upper");
    EXPECT_EQ(std::wstring(box->GetItemAt(2)->GetClass()), L"ControlUI");
    EXPECT_EQ(std::wstring(box->GetItemAt(3)->GetClass()), L"ContainerUI");
    // The selection attribute is applied after the pages exist.
    EXPECT_EQ(static_cast<CTabLayoutUI*>(box->GetItemAt(0))->GetCurSel(), 1);
    // Only names nobody else makes reach the callback; the unknown element's children never do.
    EXPECT_EQ(callback.asked, L"Unknown;Custom;");
}

TEST(DialogBuilder, ControlsThatCannotBeAttachedAreDeleted)
{
    // Run under the leak checker: each refused control must be freed, not lost.
    CDialogBuilder builder;
    Callback callback;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window><VerticalLayout>"
        L"<Control name=\"leaf\"><TestButton name=\"in\"/><TestButton name=\"in2\"/></Control>"
        L"<LoneNode name=\"node\"/><Control name=\"after\"/>"
        L"</VerticalLayout></Window>",
        nullptr, &callback));
    CContainerUI* box = AsContainer(root.get());
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 2);
    EXPECT_EQ(NameAt(box, 0), L"leaf");
    EXPECT_EQ(NameAt(box, 1), L"after");
}

TEST(DialogBuilder, LoadFailuresGiveNullAndSayWhy)
{
    CDialogBuilder broken;
    EXPECT_EQ(broken.Create(L"<Window><Control></Window>"), nullptr);
    wchar_t message[100] = {};
    broken.GetLastErrorMessage(message, 100);
    EXPECT_NE(message[0], L'\0');

    CDialogBuilder missing;
    EXPECT_EQ(missing.Create(L"no-such-skin.xml"), nullptr);
    CDialogBuilder empty;
    EXPECT_EQ(empty.Create(L"<Window/>"), nullptr);
}

TEST(DialogBuilder, RegistersSharedResourcesAndWindowAttributes)
{
    skintest::UseHeadless();
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    pm.SetDPI(144);
    const DWORD fontsBefore = pm.GetCustomFontCount();
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Window size=\"800,600\" mininfo=\"800,600\" maxinfo=\"1000,900\" caption=\"1,2,3,40\" "
        L"sizebox=\"4,5,6,7\" roundcorner=\"8,9\" Unknown=\"1\">"
        L"<Font id=\"3\" name=\"DejaVu Sans\" size=\"14\"/><Font name=\"DejaVu Sans\" size=\"20\" default=\"true\"/>"
        L"<Default name=\"Control\" value=\"height=&quot;34&quot;\"/>"
        L"<Style name=\"tall\" value=\"height=&quot;44&quot;\"/>"
        L"<VerticalLayout><Control name=\"d\"/><Control name=\"s\" style=\"tall\"/></VerticalLayout></Window>",
        nullptr, nullptr, &pm));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(pm.GetInitSize().cx, 1200);  // size is scaled by the DPI, the other pairs are not
    EXPECT_EQ(pm.GetInitSize().cy, 900);
    EXPECT_EQ(pm.GetMinInfo().cx, 800);
    EXPECT_EQ(pm.GetMaxInfo().cy, 900);
    const RECT caption = pm.GetCaptionRect(), box = pm.GetSizeBox();
    EXPECT_EQ(caption.left + caption.top + caption.right + caption.bottom, 1 + 2 + 3 + 40);
    EXPECT_EQ(box.bottom, 7);
    EXPECT_EQ(pm.GetRoundCorner().cy, 9);
    EXPECT_EQ(pm.GetCustomFontCount(), fontsBefore + 1);  // the font without an id registers nothing
    // Default lists and styles are read in skin units; the manager was handed back afterwards.
    CContainerUI* layout = AsContainer(root.get());
    root->SetManager(&pm, nullptr, false);
    layout->SetManager(&pm, nullptr, false);
    EXPECT_EQ(layout->GetItemAt(0)->GetFixedHeight(), 51);
    EXPECT_EQ(layout->GetItemAt(1)->GetFixedHeight(), 66);
    layout->SetManager(nullptr, nullptr, false);
}

TEST(DialogBuilder, OtherRootsRegisterResourcesButLeaveTheWindowAlone)
{
    skintest::UseHeadless();
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        L"<Dialog size=\"800,600\" mininfo=\"300,200\"><Default name=\"Control\" value=\"width=&quot;5&quot;\"/>"
        L"<Control/></Dialog>",
        nullptr, nullptr, &pm));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(pm.GetMinInfo().cx, 0);
    EXPECT_EQ(pm.GetInitSize().cx, 0);
    EXPECT_NE(pm.GetDefaultAttributeList(L"Control"), nullptr);
}

TEST(DialogBuilder, IncludeAddsTheIncludedControlsCountTimes)
{
    ASSERT_TRUE(skintest::InstallSkinArchive());
    const struct {
        const wchar_t* include;
        int children;
    } cases[] = {
        { L"<Include source=\"row.xml\" count=\"3\"/>", 6 },
        { L"<Include source=\"row.xml\"/>", 2 },
        { L"<Include source=\"row.xml\" count=\"0\"/>", 0 },
        { L"<Include count=\"2\"/>", 0 },
        { L"<Include source=\"missing.xml\" count=\"2\"/>", 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.include).size());
        CDialogBuilder builder;
        const std::wstring xml = L"<Window><HorizontalLayout>" + std::wstring(c.include) + L"</HorizontalLayout></Window>";
        std::unique_ptr<CControlUI> root(builder.Create(xml.c_str()));
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(AsContainer(root.get())->GetCount(), c.children);
    }
}

TEST(DialogBuilder, OneParseBuildsManyTrees)
{
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> first(builder.Create(L"<Window><HorizontalLayout><Control/></HorizontalLayout></Window>"));
    ASSERT_TRUE(builder.GetMarkup()->IsValid());
    std::unique_ptr<CControlUI> second(builder.Create(static_cast<IDialogBuilderCallback*>(nullptr)));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(AsContainer(second.get())->GetCount(), 1);
}

TEST(DialogBuilder, ChildLayoutBuildsItsOwnSkinFileWhenInitialised)
{
    skintest::UseHeadless();
    ASSERT_TRUE(skintest::InstallSkinArchive());
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><VerticalLayout><ChildLayout name=\"found\" xmlfile=\"child.xml\"/>"
                                      L"<ChildLayout name=\"lost\" xmlfile=\"missing.xml\"/></VerticalLayout></Window>",
                                      nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);  // the manager owns the tree and initialises it
    auto* found = static_cast<CContainerUI*>(pm.FindControl(L"found"));
    ASSERT_EQ(found->GetCount(), 1);
    EXPECT_EQ(std::wstring(found->GetItemAt(0)->GetName().GetData()), L"childroot");
    EXPECT_EQ(static_cast<CContainerUI*>(pm.FindControl(L"lost"))->GetCount(), 0);
    EXPECT_EQ(found->GetInterface(L"IContainer"), nullptr);  // not a container to the outside
}
