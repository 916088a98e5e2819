// The edit control on the headless display: its native editor opened by focus and clicks, typing,
// selection, clipboard, the modes, the tip, and the editor's life when the edit moves, hides or goes.

#include "ui/controls/EditUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlFactory.h"

using namespace ctltest;

namespace {

void Type(const std::wstring& text)
{
    for (wchar_t c : text)
        hl::KeyDown(VK_PACKET, std::wstring(1, c));
    SkinHost::Settle();
}

// Ctrl plus a letter, as the keyboard sends it: the key with Ctrl down types the control character.
void CtrlKey(wchar_t letter)
{
    hl::KeyDown(VK_CONTROL);
    hl::KeyDown(letter, std::wstring(1, static_cast<wchar_t>(letter - L'A' + 1)));
    hl::KeyUp(letter);
    hl::KeyUp(VK_CONTROL);
    SkinHost::Settle();
}

HWND Editor(HWND host)
{
    return ::FindWindowEx(host, nullptr, L"EditWnd", nullptr);
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t buffer[256] {};
    ::GetWindowText(hwnd, buffer, 256);
    return buffer;
}

std::pair<DWORD, DWORD> Selection(HWND edit)
{
    DWORD from = 0, to = 0;
    ::SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return { from, to };
}

const std::wstring kTwoEdits = Skin(L"<Edit name=\"a\" height=\"30\" text=\"hello\"/>"
                                    L"<Edit name=\"b\" height=\"30\"/><Control/>");

}  // namespace

TEST_F(ControlTest, EditIsMadeByItsTagAndStartsAsSpecified)
{
    std::unique_ptr<CControlUI> made(CControlFactory::GetInstance()->CreateControl(L"CEditUI"));
    ASSERT_NE(made, nullptr);
    auto* edit = static_cast<CEditUI*>(made->GetInterface(L"Edit"));
    ASSERT_NE(edit, nullptr);
    EXPECT_NE(edit->GetInterface(L"Label"), nullptr);
    EXPECT_EQ(std::wstring(edit->GetClass()), L"EditUI");
    EXPECT_EQ(edit->GetMaxChar(), 255u);
    EXPECT_EQ(edit->GetPasswordChar(), L'*');
    EXPECT_EQ(edit->GetBkColor(), 0xFFFFFFFFu);
    EXPECT_EQ(edit->GetTextPadding().left, 4);
    EXPECT_EQ(edit->GetTipValueColor(), 0xFFBAC0C5u);
    EXPECT_EQ(edit->GetControlFlags(), ControlFlagTabStop | ControlFlagSetCursor);
    edit->ApplyAttributeList(L"readonly=\"true\" numberonly=\"true\" password=\"TRUE\" passwordchar=\"#x\" maxchar=\"7\" "
                             L"tipvalue=\"hint\" tipvaluecolor=\"#FF010203\" nativetextcolor=\"FF00FF00\" "
                             L"nativebkcolor=\"#FF102030\"");
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_TRUE(edit->IsNumberOnly());
    EXPECT_EQ(edit->GetWindowStyls(), static_cast<int>(ES_NUMBER));
    EXPECT_TRUE(edit->IsPasswordMode());
    EXPECT_EQ(edit->GetPasswordChar(), L'#');
    EXPECT_EQ(edit->GetMaxChar(), 7u);
    EXPECT_EQ(edit->GetTipValue(), L"hint");
    EXPECT_EQ(edit->GetTipValueColor(), 0xFF010203u);
    EXPECT_EQ(edit->GetNativeEditTextColor(), 0xFF00FF00u);
    EXPECT_EQ(edit->GetNativeEditBkColor(), 0xFF102030u);
    edit->SetEnabled(false);
    EXPECT_EQ(edit->GetControlFlags(), 0u);
}

TEST_F(ControlTest, EditOpensOnFocusTypesAndClosesOnFocusLoss)
{
    SkinHost host(kTwoEdits);
    ASSERT_TRUE(host.Open(400, 300));
    auto* a = host.Find<CEditUI>(L"a");
    host.GetPaintManager().SetFocus(a);
    host.Settle();
    HWND editor = Editor(host.GetHWND());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(::GetFocus(), editor);
    EXPECT_EQ(TextOf(editor), L"hello");
    EXPECT_EQ(Selection(editor), (std::pair<DWORD, DWORD> { 0, 5 })) << "focus selects everything";

    // Typing replaces the selection: one "textchanged" per change, the text stored at once.
    Type(L"abc");
    EXPECT_EQ(a->GetText(), L"abc");
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"textchanged:a", L"textchanged:a", L"textchanged:a" }));
    host.log.clear();
    hl::PressKey(VK_RETURN);
    host.Settle();
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"return:a" }));
    EXPECT_EQ(a->GetText(), L"abc") << "Return inserts nothing";

    // A click on the other edit moves the focus there: this editor closes, that one opens.
    host.Click(L"b");
    EXPECT_FALSE(::IsWindow(editor));
    HWND second = Editor(host.GetHWND());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(::GetFocus(), second);
    EXPECT_EQ(a->GetText(), L"abc");
    host.GetPaintManager().SetFocus(nullptr);
    host.Settle();
    EXPECT_EQ(Editor(host.GetHWND()), nullptr);
}

TEST_F(ControlTest, EditSelectionAndClipboardGoThroughTheEditor)
{
    SkinHost host(kTwoEdits);
    ASSERT_TRUE(host.Open(400, 300));
    auto* a = host.Find<CEditUI>(L"a");
    auto* b = host.Find<CEditUI>(L"b");
    a->SetSel(0, 2);  // closed: nothing happens, nothing breaks
    host.GetPaintManager().SetFocus(a);
    host.Settle();
    HWND editor = Editor(host.GetHWND());
    a->SetSel(1, 3);
    EXPECT_EQ(Selection(editor), (std::pair<DWORD, DWORD> { 1, 3 }));
    a->SetReplaceSel(L"EE");
    EXPECT_EQ(a->GetText(), L"hEElo");
    a->SetSelAll();
    EXPECT_EQ(Selection(editor), (std::pair<DWORD, DWORD> { 0, 5 }));

    // Shift+Home from the end selects back to the start; Ctrl+C copies, Ctrl+V pastes elsewhere.
    hl::PressKey(VK_END);
    hl::KeyDown(VK_SHIFT);
    hl::PressKey(VK_LEFT);
    hl::PressKey(VK_LEFT);
    hl::KeyUp(VK_SHIFT);
    host.Settle();
    EXPECT_EQ(Selection(editor), (std::pair<DWORD, DWORD> { 3, 5 }));
    CtrlKey(L'C');
    host.Click(L"b");
    CtrlKey(L'V');
    EXPECT_EQ(b->GetText(), L"lo");
    CtrlKey(L'A');
    CtrlKey(L'X');
    EXPECT_EQ(b->GetText(), L"");
}

TEST_F(ControlTest, EditModesLimitTypingButNotSetText)
{
    struct Case {
        const wchar_t* attributes;
        const wchar_t* typed;
        const wchar_t* stored;
    };
    const Case cases[] = {
        { L"numberonly=\"true\"", L"a1b2", L"12" },
        { L"maxchar=\"3\"", L"abcdef", L"abc" },
        { L"password=\"true\"", L"secret", L"secret" },
        { L"readonly=\"true\"", L"abc", L"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "attributes " << testing::PrintToString(std::wstring(c.attributes)));
        SkinHost host(Skin(L"<Edit name=\"e\" height=\"30\" " + std::wstring(c.attributes) + L"/><Control/>"));
        ASSERT_TRUE(host.Open(400, 300));
        auto* edit = host.Find<CEditUI>(L"e");
        host.Click(L"e");
        ASSERT_NE(Editor(host.GetHWND()), nullptr);
        Type(c.typed);
        EXPECT_EQ(edit->GetText(), c.stored);
        edit->SetText(L"x9");  // code may store anything, also into the open editor
        EXPECT_EQ(edit->GetText(), L"x9");
        EXPECT_EQ(TextOf(Editor(host.GetHWND())), L"x9");
    }
}

TEST_F(ControlTest, EditPaintsPasswordCharactersAndTheTip)
{
    // Each pair must paint the same pixels: a password edit and its stars; a tip shown for an
    // empty text and for a text equal to the tip.
    SkinHost host(Skin(L"<Edit name=\"pw\" height=\"30\" password=\"true\" text=\"abcd\" textcolor=\"#FF000000\"/>"
                       L"<Edit name=\"stars\" height=\"30\" text=\"****\" textcolor=\"#FF000000\"/>"
                       L"<Edit name=\"empty\" height=\"30\" tipvalue=\"type here\"/>"
                       L"<Edit name=\"same\" height=\"30\" tipvalue=\"type here\" text=\"type here\" textcolor=\"#FF000000\"/>"
                       L"<Edit name=\"plain\" height=\"30\" text=\"type here\" textcolor=\"#FF000000\"/><Control/>"));
    ASSERT_TRUE(host.Open(400, 300));
    host.GetPaintManager().SetFocus(nullptr);  // the first paint focused the first edit
    host.Settle();
    auto capture = [&](const wchar_t* name) {
        RECT rc = host.Find(name)->GetPos();
        return hl::Capture(rc);
    };
    EXPECT_EQ(capture(L"pw"), capture(L"stars"));
    EXPECT_EQ(capture(L"empty"), capture(L"same"));
    EXPECT_NE(capture(L"same"), capture(L"plain")) << "the tip has its own colour";
    // Open, the password edit's editor hides the text too.
    host.Click(L"pw");
    HWND editor = Editor(host.GetHWND());
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(::GetWindowLongPtr(editor, GWL_STYLE) & ES_PASSWORD, 0);
}

TEST_F(ControlTest, EditorClosesWhenTheEditIsHiddenOrDeleted)
{
    SkinHost host(Skin(L"<VerticalLayout name=\"box\" height=\"100\"><Edit name=\"a\" height=\"30\"/>"
                       L"<Edit name=\"b\" height=\"30\"/></VerticalLayout><Control/>"));
    ASSERT_TRUE(host.Open(400, 300));
    host.Click(L"a");
    ASSERT_NE(Editor(host.GetHWND()), nullptr);
    host.Find(L"box")->SetVisible(false);
    host.Settle();
    EXPECT_EQ(Editor(host.GetHWND()), nullptr) << "hiding the container closes the editor";

    host.Find(L"box")->SetVisible(true);
    host.Settle();
    host.Click(L"b");
    HWND editor = Editor(host.GetHWND());
    ASSERT_NE(editor, nullptr);
    auto* box = host.Find<CContainerUI>(L"box");
    box->SetDelayedDestroy(false);
    ASSERT_TRUE(box->Remove(host.Find(L"b")));  // deleted at once, editor still open
    Type(L"late keys");  // reach the editor before it closes: it must not touch the deleted edit
    host.Settle();
    EXPECT_FALSE(::IsWindow(editor));
    for (const std::wstring& line : host.log)
        EXPECT_EQ(line.find(L":b"), std::wstring::npos) << "a deleted edit notified " << testing::PrintToString(line);
}

TEST_F(ControlTest, LayeredEditorLiesOverTheEditInScreenCoordinatesAfterAMove)
{
    SkinHost host(L"<Window size=\"400,300\" layered=\"true\"><VerticalLayout name=\"root\" bkcolor=\"#FF000000\">"
                  L"<Control height=\"40\"/><Edit name=\"e\" height=\"30\" textpadding=\"0,0,0,0\"/><Control/>"
                  L"</VerticalLayout></Window>");
    ASSERT_TRUE(host.Open(400, 300));
    host.GetPaintManager().SetFocus(nullptr);  // the first paint opened an editor at the old place
    host.Settle();
    ::SetWindowPos(host.GetHWND(), nullptr, 100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    host.Settle();
    auto* edit = host.Find<CEditUI>(L"e");
    host.GetPaintManager().SetFocus(edit);
    host.Settle();
    HWND editor = ::GetFocus();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(::GetWindowLongPtr(editor, GWL_STYLE) & WS_POPUP, static_cast<LONG_PTR>(WS_POPUP));
    auto expectOver = [&](const char* when) {
        SCOPED_TRACE(when);
        RECT placed {};
        ::GetWindowRect(editor, &placed);
        const RECT rc = edit->GetPos();
        EXPECT_EQ(placed.left, 100 + rc.left);
        EXPECT_GE(placed.top, 50 + rc.top - 1);
        EXPECT_LE(placed.bottom, 50 + rc.bottom);
    };
    expectOver("opened");
    edit->Move({ 20, 10 });
    expectOver("moved");
    RECT rc = edit->GetPos();
    ::OffsetRect(&rc, 5, 5);
    edit->SetPos(rc);
    expectOver("placed");
}
