#include "ui/controls/RichEditUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/controls/TxtWinHost.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/ScrollBarUI.h"

using namespace ctltest;

namespace {

std::wstring Edit(const std::wstring& attributes, const std::wstring& name = L"edit")
{
    return L"<RichEdit name=\"" + name + L"\" height=\"60\" " + attributes + L"/>";
}

int Count(const std::vector<std::wstring>& log, const std::wstring& line)
{
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

// Holds the modifier for the length of a scope, as a user's finger does.
class Held {
public:
    explicit Held(int vk) : m_vk(vk)
    {
        hl::KeyDown(vk);
        SkinHost::Settle();
    }
    ~Held()
    {
        hl::KeyUp(m_vk);
        SkinHost::Settle();
    }

private:
    int m_vk;
};

class RichEditTest : public ControlTest {
protected:
    void TearDown() override
    {
        CTxtWinHost::SetTextServicesFactory(nullptr);
        hl::SetPopupMenuAnswer(nullptr);
    }
    // Opens a window with the body, clicks into the named rich edit and clears the log.
    std::unique_ptr<SkinHost> Open(const std::wstring& body, const wchar_t* focus = L"edit")
    {
        auto host = std::make_unique<SkinHost>(Skin(body));
        EXPECT_TRUE(host->Open(400, 300));
        if (focus)
            host->Click(focus);
        host->log.clear();
        return host;
    }
    static void Type(const std::wstring& text)
    {
        for (wchar_t c : text) {
            hl::KeyDown(0, std::wstring(1, c));
            SkinHost::Settle();
        }
    }
    static void Press(int vk)
    {
        hl::PressKey(vk);
        SkinHost::Settle();
    }
    // Tab as the message loop sees it: the window's manager may take it to move the focus.
    static void PressTab(HWND hwnd)
    {
        MSG msg { hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {} };
        if (!CPaintManagerUI::TranslateMessage(&msg))
            Press(VK_TAB);
        SkinHost::Settle();
    }
};

}  // namespace

TEST_F(RichEditTest, MadeByItsTagWithItsClassAndFlags)
{
    std::unique_ptr<CControlUI> made(CControlFactory::GetInstance()->CreateControl(L"CRichEditUI"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(std::wstring(made->GetClass()), L"RichEditUI");
    EXPECT_EQ(made->GetInterface(L"RichEdit"), made.get());
    EXPECT_NE(made->GetInterface(L"Container"), nullptr);
    EXPECT_EQ(made->GetControlFlags(), ControlFlagTabStop | ControlFlagSetCursor);
    made->SetEnabled(false);
    EXPECT_EQ(made->GetControlFlags(), 0u);
    auto* edit = static_cast<CRichEditUI*>(made.get());
    EXPECT_TRUE(edit->IsWantTab());
    EXPECT_TRUE(edit->IsMultiLine());
    EXPECT_EQ(edit->GetText(), L"");  // no text services before DoInit: empty results
    EXPECT_FALSE(edit->SetDefaultCharFormat(*std::make_unique<CHARFORMAT2W>()));
}

TEST_F(RichEditTest, AttributesSetStyleBitsAndFields)
{
    const struct {
        const wchar_t* key;
        const wchar_t* value;
        DWORD style;
    } cases[] = {
        { L"vscrollbar", L"true", ES_MULTILINE | WS_VSCROLL | ES_DISABLENOSCROLL },
        { L"autohscroll", L"TRUE", ES_MULTILINE | ES_AUTOHSCROLL },
        { L"multiline", L"true", ES_MULTILINE },  // only "false" changes it
        { L"multiline", L"false", 0 },
        { L"readonly", L"true", ES_MULTILINE | ES_READONLY },
        { L"password", L"true", ES_MULTILINE | ES_PASSWORD },
        { L"align", L"left center", ES_MULTILINE | ES_CENTER },  // checked left, center, right
        { L"align", L"right", ES_MULTILINE | ES_RIGHT },
    };
    for (const auto& c : cases) {
        CRichEditUI edit;
        edit.SetAttribute(c.key, c.value);
        EXPECT_EQ(edit.GetWinStyle(), c.style) << std::string(c.key, c.key + wcslen(c.key));
    }
    CRichEditUI edit;
    edit.SetAttribute(L"textpadding", L"0,4");
    EXPECT_EQ(edit.GetTextPadding().top, 4);
    EXPECT_EQ(edit.GetTextPadding().left, 0);
    edit.SetAttribute(L"textcolor", L"  #FF102030");
    EXPECT_EQ(edit.GetTextColor(), 0xFF102030u);
    edit.SetAttribute(L"tipvaluealign", L"left right");
    EXPECT_EQ(edit.GetTipValueAlign(), static_cast<UINT>(DT_SINGLELINE | DT_RIGHT));
    edit.SetAttribute(L"wanttab", L"false");
    EXPECT_FALSE(edit.IsWantTab());
}

TEST_F(RichEditTest, TextChangedOnSetTextAndOnEveryTypedCharacter)
{
    auto host = Open(Edit(L"multiline=\"false\""));
    auto* edit = host->Find<CRichEditUI>(L"edit");
    int during = -1;
    host->onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"textchanged")
            during = static_cast<int>(edit->GetText().GetLength());
    };
    edit->SetText(L"12");
    EXPECT_EQ(Count(host->log, L"textchanged:edit"), 1);  // exactly one, before SetText returns
    EXPECT_EQ(during, 2);
    edit->SetText(L"12");
    EXPECT_EQ(Count(host->log, L"textchanged:edit"), 2);
    host->log.clear();
    edit->SetSelAll();
    Type(L"中😀x");
    EXPECT_EQ(edit->GetText(), L"中😀x");
    EXPECT_EQ(Count(host->log, L"textchanged:edit"), 3);
    hl::CommitText(L"文字");
    SkinHost::Settle();
    EXPECT_EQ(edit->GetText(), L"中😀x文字");  // input-method text arrives once, not twice
    EXPECT_EQ(Count(host->log, L"textchanged:edit"), 5);
}

TEST_F(RichEditTest, LimitReadOnlyPasswordAndTheKeptEventMask)
{
    auto host = Open(Edit(L"maxchar=\"3\"", L"edit") + Edit(L"readonly=\"true\"", L"ro")
                     + Edit(L"password=\"true\"", L"pw"));
    auto* edit = host->Find<CRichEditUI>(L"edit");
    Type(L"abcdef");
    EXPECT_EQ(edit->GetText(), L"def");  // never past the limit: the full field rolls on
    EXPECT_TRUE(edit->SetDropAcceptFile(false) == false);  // the mask held ENM_CHANGE before
    host->log.clear();
    Press(VK_BACK);
    EXPECT_EQ(edit->GetText(), L"de");
    EXPECT_EQ(Count(host->log, L"textchanged:edit"), 1);  // still raised after changing the drop bits
    EXPECT_TRUE(edit->GetEventMask() & ENM_CHANGE);

    auto* ro = host->Find<CRichEditUI>(L"ro");
    ro->SetText(L"log");
    host->Click(L"ro");
    Type(L"x");
    EXPECT_EQ(ro->GetText(), L"log");

    auto* pw = host->Find<CRichEditUI>(L"pw");
    host->Click(L"pw");
    Type(L"secret");
    EXPECT_EQ(pw->GetText(), L"secret");
}

TEST_F(RichEditTest, ReturnAndCtrlReturnFollowTheWantFlags)
{
    const struct {
        const wchar_t* attributes;
        bool ctrl;
        bool notifies;
    } cases[] = {
        { L"wantreturn=\"false\"", false, true },
        { L"wantreturn=\"false\"", true, true },
        { L"", false, false },
        { L"wantctrlreturn=\"false\"", true, true },
        { L"wantctrlreturn=\"false\"", false, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.attributes, c.attributes + wcslen(c.attributes)) << " ctrl " << c.ctrl);
        auto host = Open(Edit(c.attributes));
        auto* edit = host->Find<CRichEditUI>(L"edit");
        edit->SetText(L"ab");
        host->log.clear();
        {
            std::unique_ptr<Held> ctrl = c.ctrl ? std::make_unique<Held>(VK_CONTROL) : nullptr;
            Press(VK_RETURN);
        }
        EXPECT_EQ(Count(host->log, L"return:edit"), c.notifies ? 1 : 0);
        EXPECT_EQ(edit->GetText(), c.notifies ? L"ab" : L"ab\r");  // the caret was after the set text
    }
}

// A two-character field as the time editors use it: the editing keys act, and typing into the full
// field overwrites, so a new value can always be typed.
TEST_F(RichEditTest, AFullFieldTakesEditingKeysAndTypingOverwrites)
{
    enum Step { Back, Delete, Home, End, SelectAll };
    const struct {
        const char* name;
        std::vector<Step> keys;
        const wchar_t* typed;
        const wchar_t* want;
    } cases[] = {
        { "backspace then digits", { Back }, L"34", L"34" },  // "5" + "3", then the full field rolls on
        { "select all then digits", { SelectAll }, L"12", L"12" },
        { "home then digits overwrite", { Home }, L"7", L"78" },
        { "home, delete", { Home, Delete }, L"", L"8" },
        { "end then a digit rolls the field", { Home, End }, L"4", L"84" },
        { "typing at the end of a full field", {}, L"96", L"96" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto host = Open(Edit(L"maxchar=\"2\""));
        auto* edit = host->Find<CRichEditUI>(L"edit");
        edit->SetText(L"58");
        for (Step key : c.keys) {
            if (key == SelectAll) {
                Held ctrl(VK_CONTROL);
                Press('A');
                continue;
            }
            Press(key == Back ? VK_BACK : key == Delete ? VK_DELETE : key == Home ? VK_HOME : VK_END);
        }
        Type(c.typed);
        EXPECT_EQ(edit->GetText(), c.want);
    }
}

TEST_F(RichEditTest, TabStaysInAWantTabFieldAndMovesFromOthers)
{
    auto host = Open(Edit(L"", L"edit") + Edit(L"wanttab=\"false\"", L"other") + Edit(L"", L"third"));
    PressTab(host->GetHWND());
    EXPECT_EQ(host->Find<CRichEditUI>(L"edit")->GetText(), L"\t");
    EXPECT_EQ(host->GetPaintManager().GetFocus(), host->Find(L"edit"));
    host->Click(L"other");
    PressTab(host->GetHWND());
    EXPECT_EQ(host->Find<CRichEditUI>(L"other")->GetText(), L"");
    EXPECT_EQ(host->GetPaintManager().GetFocus(), host->Find(L"third"));
}

TEST_F(RichEditTest, HostileRangesAreBounded)
{
    auto host = Open(Edit(L""));
    auto* edit = host->Find<CRichEditUI>(L"edit");
    edit->SetText(L"hello world");
    EXPECT_EQ(edit->GetTextRange(0, -1), L"hello world");
    EXPECT_EQ(edit->GetTextRange(6, 500), L"world");
    EXPECT_EQ(edit->GetTextRange(5, 2), L"");
    EXPECT_EQ(edit->GetLine(0, 0), L"");
    EXPECT_EQ(edit->GetLine(0, -4), L"");
    EXPECT_EQ(edit->GetLine(0, 5), L"hello");
    EXPECT_FALSE(edit->SetZoom(65, 1));
    EXPECT_TRUE(edit->SetZoom(2, 1));
}

TEST_F(RichEditTest, FontsSetAndClearEffectsAndFollowTheDpi)
{
    auto host = Open(Edit(L"font=\"0\""), nullptr);
    auto* edit = host->Find<CRichEditUI>(L"edit");
    CHARFORMAT2W cf {};
    edit->SetFont(L"DejaVu Sans", 12, true, false, false);
    edit->GetDefaultCharFormat(cf);
    EXPECT_EQ(cf.yHeight, 180);
    EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
    edit->SetFont(L"DejaVu Sans", 12, false, false, false);
    edit->GetDefaultCharFormat(cf);
    EXPECT_FALSE(cf.dwEffects & CFE_BOLD);  // a regular font after a bold one is regular

    edit->SetFont(-1);
    edit->GetDefaultCharFormat(cf);
    const LONG before = cf.yHeight;
    host->GetPaintManager().SetDPI(144);
    SkinHost::Settle();
    edit->GetDefaultCharFormat(cf);
    EXPECT_EQ(cf.yHeight, before * 3 / 2);  // the font index was taken again at the new size
}

TEST_F(RichEditTest, TipShowsAgainOnceAnEmptiedFieldLosesFocus)
{
    auto host = Open(Edit(L"tipvalue=\"Type here\" tipvaluecolor=\"#FFFF0000\"", L"edit") + Edit(L"", L"other"));
    auto red = [&] {
        const RECT rc = host->Find(L"edit")->GetPos();
        int count = 0;
        for (uint32_t px : hl::Capture(rc))
            count += ((px >> 16) & 0xFF) > 0x80 && ((px >> 8) & 0xFF) < 0x40;  // reddish ink
        return count;
    };
    EXPECT_EQ(red(), 0);  // focused: no tip
    Type(L"a");
    Press(VK_BACK);
    host->Click(L"other");
    EXPECT_EQ(host->Find<CRichEditUI>(L"edit")->GetText(), L"");
    EXPECT_GT(red(), 0);
}

TEST_F(RichEditTest, ScrollBarShowsOnlyForTallerContent)
{
    auto host = Open(Edit(L"vscrollbar=\"true\" height=\"80\""));
    auto* edit = host->Find<CRichEditUI>(L"edit");
    edit->SetText(L"one");
    SkinHost::Settle();
    ASSERT_NE(edit->GetVerticalScrollBar(), nullptr);
    EXPECT_FALSE(edit->GetVerticalScrollBar()->IsVisible());
    std::wstring lines;
    for (int i = 0; i < 40; ++i)
        lines += L"line " + std::to_wstring(i) + L"\r\n";
    edit->SetText(lines.c_str());
    SkinHost::Settle();
    EXPECT_TRUE(edit->GetVerticalScrollBar()->IsVisible());
    EXPECT_GT(edit->GetVerticalScrollBar()->GetScrollRange(), 0);
    const POINT centre = host->Centre(L"edit");
    hl::Wheel(-120, centre.x, centre.y);
    SkinHost::Settle();
    EXPECT_GT(edit->GetVerticalScrollBar()->GetScrollPos(), 0);  // the wheel without Ctrl scrolls
    int num = 0, den = 0;
    {
        Held ctrl(VK_CONTROL);
        hl::Wheel(120, centre.x, centre.y);
        SkinHost::Settle();
    }
    edit->GetZoom(num, den);
    EXPECT_GT(num * 10, den * 10);  // with Ctrl it zooms
}

TEST_F(RichEditTest, EditMenuGreysByStateAndEachCommandActs)
{
    auto host = Open(Edit(L""));
    auto* edit = host->Find<CRichEditUI>(L"edit");
    std::vector<UINT> greyed;
    UINT answer = 0;
    hl::SetPopupMenuAnswer([&](HMENU menu, POINT) {
        greyed.clear();
        for (UINT id = 101; id <= 107; ++id)
            if (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED)
                greyed.push_back(id);
        EXPECT_EQ(GetMenuItemCount(menu), 9);
        return answer;
    });
    auto rightClick = [&](UINT command) {
        answer = command;
        const POINT pt = host->Centre(L"edit");
        hl::Click(pt.x, pt.y, hl::Right);
        SkinHost::Settle();
    };
    rightClick(0);
    EXPECT_EQ(greyed, (std::vector<UINT> { 101, 102, 103, 105, 107 }));  // Paste stays enabled
    Type(L"abc def");
    rightClick(106);  // select all
    EXPECT_EQ(edit->GetSelText(), L"abc def");
    rightClick(102);  // cut
    EXPECT_EQ(edit->GetText(), L"");
    rightClick(104);  // paste through the real clipboard
    EXPECT_EQ(edit->GetText(), L"abc def");
    rightClick(101);  // undo the paste
    EXPECT_EQ(edit->GetText(), L"");
    EXPECT_EQ(greyed, (std::vector<UINT> { 102, 103, 105, 107 }));
    rightClick(107);  // redo
    EXPECT_EQ(edit->GetText(), L"abc def");
    edit->SetSel(0, 3);
    rightClick(105);  // clear empties everything, not only the selection
    EXPECT_EQ(edit->GetText(), L"");
}

TEST_F(RichEditTest, ReadOnlyMenuAndAsciiFieldKeepTheInputMethodOfOthers)
{
    auto host = Open(Edit(L"readonly=\"true\"", L"edit") + Edit(L"IsAscii=\"true\"", L"ascii"));
    std::vector<UINT> greyed;
    hl::SetPopupMenuAnswer([&](HMENU menu, POINT) {
        for (UINT id = 101; id <= 107; ++id)
            if (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED)
                greyed.push_back(id);
        return 0u;
    });
    host->Find<CRichEditUI>(L"edit")->SetText(L"x");
    host->Find<CRichEditUI>(L"edit")->SetSelAll();
    const POINT pt = host->Centre(L"edit");
    hl::Click(pt.x, pt.y, hl::Right);
    SkinHost::Settle();
    EXPECT_EQ(greyed, (std::vector<UINT> { 101, 102, 104, 105, 107 }));

    HWND hwnd = host->GetHWND();
    EXPECT_NE(ImmGetContext(hwnd), nullptr);
    host->Click(L"ascii");
    EXPECT_EQ(ImmGetContext(hwnd), nullptr);  // off while the ASCII field has the focus
    host->Click(L"edit");
    EXPECT_NE(ImmGetContext(hwnd), nullptr);  // and back for the others
}

TEST_F(RichEditTest, WithoutTextServicesTheControlIsInert)
{
    CTxtWinHost::SetTextServicesFactory([](IUnknown*, ITextHost*, IUnknown** made) -> HRESULT {
        *made = nullptr;
        return E_FAIL;
    });
    auto host = Open(Edit(L"tipvalue=\"tip\""), nullptr);
    auto* edit = host->Find<CRichEditUI>(L"edit");
    edit->SetText(L"abc");
    EXPECT_EQ(edit->GetText(), L"");
    EXPECT_EQ(edit->GetTextRange(0, -1), L"");
    EXPECT_FALSE(edit->CanUndo());
    host->Click(L"edit");
    Type(L"x");
    EXPECT_EQ(edit->GetText(), L"");
    EXPECT_TRUE(host->log.empty());
}
