// The tree view: a skin-built tree laid out in pre-order with its indents, expansion and check
// propagation, structural edits that keep the rows and the child arrays in step, and the double
// click that toggles a folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ListTestWindow.h"
#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/TreeViewUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

// a
//   a1
//     a1x
//     a1y
//   a2
// b
constexpr const wchar_t* kTreeSkin =
    L"<Window><VerticalLayout>"
    L"<TreeView name=\"tree\" float=\"true\" pos=\"0,0,300,200\" visiblecheckbtn=\"true\">"
    L"<TreeNode name=\"a\" text=\"a\">"
    L"<TreeNode name=\"a1\" text=\"a1\"><TreeNode name=\"a1x\" text=\"a1x\"/><TreeNode name=\"a1y\" text=\"a1y\"/></TreeNode>"
    L"<TreeNode name=\"a2\" text=\"a2\"/>"
    L"</TreeNode>"
    L"<TreeNode name=\"b\" text=\"b\"/>"
    L"</TreeView>"
    L"</VerticalLayout></Window>";

struct SkinTree : testing::Test {
    SkinWindow window { kTreeSkin };
    CTreeViewUI* tree = window.Find<CTreeViewUI>(L"tree");

    CTreeNodeUI* Node(const wchar_t* name) { return window.Find<CTreeNodeUI>(name); }

    std::vector<std::wstring> Rows() const
    {
        std::vector<std::wstring> names;
        for (int i = 0; i < tree->GetCount(); ++i)
            names.push_back(tree->GetItemAt(i)->GetName().GetData());
        return names;
    }
    // The pre-order walk of the child arrays from the nodes without parent, with every parent
    // link checked on the way.
    std::vector<std::wstring> PreOrder() const
    {
        std::vector<std::wstring> names;
        std::function<void(CTreeNodeUI*)> walk = [&](CTreeNodeUI* node) {
            names.push_back(node->GetName().GetData());
            for (int i = 0; i < node->GetCountChild(); ++i) {
                EXPECT_EQ(node->GetChildNode(i)->GetParentNode(), node);
                walk(node->GetChildNode(i));
            }
        };
        for (int i = 0; i < tree->GetCount(); ++i) {
            auto* node = static_cast<CTreeNodeUI*>(tree->GetItemAt(i)->GetInterface(L"TreeNode"));
            if (node->GetParentNode() == nullptr)
                walk(node);
        }
        return names;
    }
    static CTreeNodeUI* Make(const wchar_t* name)
    {
        auto* node = new CTreeNodeUI();
        node->SetName(name);
        node->SetItemText(name);
        return node;
    }
};

using Names = std::vector<std::wstring>;

TEST_F(SkinTree, RowsArePreOrderAndIndentOneStepPerLevelAtEveryScale)
{
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(Rows(), (Names { L"a", L"a1", L"a1x", L"a1y", L"a2", L"b" }));
    EXPECT_EQ(PreOrder(), Rows());
    EXPECT_FALSE(tree->GetHeader()->IsVisible());
    EXPECT_TRUE(Node(L"a1x")->GetVisibleCheckBtn()) << "visiblecheckbtn reached every row";
    struct Case { UINT dpi; int root, level2, level3; };
    for (const Case& c : { Case { 96, 2, 18, 34 }, Case { 144, 3, 27, 51 } }) {
        SCOPED_TRACE(c.dpi);
        window.pm.SetDPI(c.dpi);
        EXPECT_EQ(Node(L"a")->GetDottedLine()->GetFixedWidth(), c.root);
        EXPECT_EQ(Node(L"a1")->GetDottedLine()->GetFixedWidth(), c.level2);
        EXPECT_EQ(Node(L"a1y")->GetDottedLine()->GetFixedWidth(), c.level3);
    }
    EXPECT_FALSE(Node(L"a")->GetDottedLine()->IsVisible());
    EXPECT_TRUE(Node(L"a1")->GetDottedLine()->IsVisible());
}

TEST_F(SkinTree, FoldersHideTheirSubtreeAndKeepACollapsedChildCollapsed)
{
    // Collapse a1 first, then a, then open a again: a1's children stay hidden.
    Node(L"a1")->GetFolderButton()->Selected(true);
    EXPECT_FALSE(Node(L"a1x")->IsVisible());
    EXPECT_TRUE(Node(L"a2")->IsVisible());
    Node(L"a")->GetFolderButton()->Selected(true);
    for (const wchar_t* hidden : { L"a1", L"a1x", L"a1y", L"a2" })
        EXPECT_FALSE(Node(hidden)->IsVisible()) << hidden;
    EXPECT_FALSE(Node(L"a")->GetVisibleTag());
    Node(L"a")->GetFolderButton()->Selected(false);
    EXPECT_TRUE(Node(L"a1")->IsVisible());
    EXPECT_TRUE(Node(L"a2")->IsVisible());
    EXPECT_FALSE(Node(L"a1x")->IsVisible()) << "a collapsed child keeps its children hidden";
    EXPECT_TRUE(Node(L"b")->IsVisible());
}

TEST_F(SkinTree, CheckingANodeChecksItsSubtreeOnly)
{
    Node(L"a")->GetCheckBox()->Selected(true);
    for (const wchar_t* checked : { L"a", L"a1", L"a1x", L"a1y", L"a2" })
        EXPECT_TRUE(Node(checked)->IsCheckBoxSelected()) << checked;
    EXPECT_FALSE(Node(L"b")->IsCheckBoxSelected());
    Node(L"a1x")->GetCheckBox()->Selected(false);
    EXPECT_FALSE(Node(L"a1x")->IsCheckBoxSelected());
    EXPECT_TRUE(Node(L"a1")->IsCheckBoxSelected()) << "unchecking a child leaves its parent checked";
    EXPECT_TRUE(tree->SetItemCheckBox(false));
    EXPECT_FALSE(Node(L"a1y")->IsCheckBoxSelected());
}

TEST_F(SkinTree, StructuralEditsKeepRowsAndChildArraysInStep)
{
    struct Case { const char* what; std::function<bool()> edit; Names rows; };
    const Case cases[] = {
        { "child appended under a1", [&] { return Node(L"a1")->AddChildNode(Make(L"a1z")); },
          { L"a", L"a1", L"a1x", L"a1y", L"a1z", L"a2", L"b" } },
        { "AddAt past the children appends after the subtree", [&] { return Node(L"a")->AddAt(Make(L"a3"), 9); },
          { L"a", L"a1", L"a1x", L"a1y", L"a1z", L"a2", L"a3", L"b" } },
        { "AddAt in the middle goes before the node it pushes along", [&] { return Node(L"a")->AddAt(Make(L"a0"), 0); },
          { L"a", L"a0", L"a1", L"a1x", L"a1y", L"a1z", L"a2", L"a3", L"b" } },
        { "a node with children brings its whole subtree",
          [&] {
              CTreeNodeUI* c = Make(L"c");
              c->AddChildNode(Make(L"c1"));
              c->AddChildNode(Make(L"c2"));
              return tree->AddAt(c, tree->GetCount()) == tree->GetCount();
          },
          { L"a", L"a0", L"a1", L"a1x", L"a1y", L"a1z", L"a2", L"a3", L"b", L"c", L"c1", L"c2" } },
        { "removing a middle node takes its subtree and unlinks it", [&] { return tree->Remove(Node(L"a1")); },
          { L"a", L"a0", L"a2", L"a3", L"b", L"c", L"c1", L"c2" } },
        { "RemoveAt of a leaf row removes it", [&] { return tree->RemoveAt(2); },
          { L"a", L"a0", L"a3", L"b", L"c", L"c1", L"c2" } },
        { "RemoveAt without a row changes nothing", [&] { return !tree->RemoveAt(40); },
          { L"a", L"a0", L"a3", L"b", L"c", L"c1", L"c2" } },
        { "removing through the container interface unlinks too",
          [&] { return static_cast<IContainerUI*>(tree)->Remove(Node(L"c")); },
          { L"a", L"a0", L"a3", L"b" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(c.edit());
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(PreOrder(), c.rows);
    }
    EXPECT_EQ(Node(L"a")->GetCountChild(), 2);
    EXPECT_EQ(Node(L"a3")->GetNodeIndex(), 1);
    EXPECT_EQ(Node(L"a3")->GetTreeIndex(), 2);
    EXPECT_EQ(Node(L"a0")->GetDottedLine()->GetFixedWidth(), 18);
}

TEST_F(SkinTree, DoubleClickActivatesThenTogglesTheFolder)
{
    window.Refresh();
    const POINT at = Centre(Node(L"a1")->GetPos());
    hl::Advance(1000);
    hl::HeldClock held;  // a slow first click must not make the pair two single clicks
    hl::Click(at.x, at.y);
    hl::Click(at.x, at.y);
    Pump();
    std::vector<std::wstring> activation;
    for (const std::wstring& line : window.log) {
        if (line.rfind(L"itemactivate", 0) == 0 || line.rfind(L"treeitemdbclick", 0) == 0)
            activation.push_back(line);
    }
    EXPECT_EQ(activation, (Names { L"itemactivate:a1:0", L"treeitemdbclick:a1:0" }));
    EXPECT_TRUE(Node(L"a1")->GetFolderButton()->IsSelected());
    EXPECT_FALSE(Node(L"a1x")->IsVisible());
    EXPECT_TRUE(Node(L"a2")->IsVisible());
}

TEST(TreeNode, AParentThatIsNoNodeLeavesTheRowEmpty)
{
    CControlUI notANode;
    CTreeNodeUI orphan(&notANode);
    EXPECT_EQ(orphan.GetCount(), 0);
    EXPECT_EQ(orphan.GetParentNode(), nullptr);
    CTreeNodeUI parent;
    auto* child = new CTreeNodeUI(&parent);
    EXPECT_EQ(child->GetParentNode(), &parent);
    EXPECT_EQ(child->GetDottedLine()->GetFixedWidth(), 18);
    EXPECT_TRUE(parent.AddChildNode(child));  // a node outside any tree frees its children
    EXPECT_FALSE(parent.AddChildNode(nullptr));
}

}  // namespace
