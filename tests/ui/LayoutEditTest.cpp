// Layout-edit mode on the headless display: a right click selects and deselects, a selected
// control dragged with the left button follows the mouse and its new place lands in the skin file
// in 100 % units, and a double click tells the window which control it was.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "SkinTestSupport.h"
#include "platform/WinBase.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

// A float control "floaty" at (10,10,60,40) inside "panel", which sits at (100,100,500,400).
constexpr char kFloatSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="600,500" showline="true" xmlPath="@PATH@">
  <VerticalLayout name="root" bkcolor="#FFFFFFFF">
    <Control name="top" height="100"/>
    <HorizontalLayout name="row" height="300">
      <Control name="spacer" width="100"/>
      <Container name="panel" width="400" showline="true">
        <Control name="floaty" float="true" pos="10,10,60,40"/>
      </Container>
    </HorizontalLayout>
    <Control name="stranger"/>
  </VerticalLayout>
</Window>
)";

// "second" follows a 30-high "first" in a layout with inset 5 and child padding 5: it starts at (5,40).
constexpr char kLayoutSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="600,500" showline="true" xmlPath="@PATH@">
  <HorizontalLayout>
    <VerticalLayout name="col" width="300" inset="5,5,5,5" childpadding="5">
      <Control name="first" height="30"/>
      <Control name="second" width="100" height="40" showline="true"/>
    </VerticalLayout>
  </HorizontalLayout>
</Window>
)";

std::wstring Widen(const std::string& text)
{
    std::wstring out(text.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) - 1 : 0);
    return out;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager != nullptr && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

class PopwndLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == L"popwnd")
            names.push_back(reinterpret_cast<const CUIString*>(msg.wParam)->GetData());
    }
    std::vector<std::wstring> names;
};

class LayoutEdit : public testing::Test {
protected:
    void SetUp() override
    {
        skintest::UseHeadless();
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        std::string pattern = (std::filesystem::temp_directory_path() / "layout-edit-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_skin = m_folder / "skin.xml";
    }
    void TearDown() override
    {
        Close();
        std::filesystem::remove_all(m_folder);
    }
    void Close()
    {
        if (m_hwnd == nullptr)
            return;
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, 0);
        delete m_manager;  // deletes the attached tree
        ::DestroyWindow(m_hwnd);
        hl::PumpMessages();
        m_hwnd = nullptr;
    }

    // Writes the skin file (with its own path in it), builds the window from the same text at
    // `dpi` and paints it once. `withPath` false leaves the file's path out of the skin.
    void Open(const char* skin, UINT dpi = 96, bool withPath = true)
    {
        std::string text = skin;
        text.replace(text.find("@PATH@"), 6, withPath ? m_skin.string() : std::string());
        std::ofstream(m_skin) << text;
        m_original = ReadFile();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = EditProc;
        wc.lpszClassName = L"LayoutEditTestWnd";
        ::RegisterClassEx(&wc);
        m_hwnd = ::CreateWindowEx(0, L"LayoutEditTestWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 900, 750, nullptr,
                                  nullptr, nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_manager = new CPaintManagerUI;
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_manager));
        m_manager->Init(m_hwnd, L"layout-edit");
        m_manager->GetDPIObj()->SetScale(dpi);
        CDialogBuilder builder;
        CControlUI* root = builder.Create(Widen(text).c_str(), nullptr, nullptr, m_manager);
        ASSERT_NE(root, nullptr);
        m_manager->AttachDialog(root);
        m_manager->AddNotifier(&m_popwnd);
        ::SetActiveWindow(m_hwnd);
        hl::PumpMessages();
    }

    std::string ReadFile() const
    {
        std::ifstream in(m_skin);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    // The attribute of the named element in the skin file as it is now; "(none)" when absent.
    std::string FileAttribute(const char* element, const char* attribute) const
    {
        TiXmlDocument document;
        if (!document.LoadFile(m_skin.string().c_str()))
            return "(unreadable)";
        const TiXmlElement* found = Find(document.RootElement(), element);
        const char* value = found != nullptr ? found->Attribute(attribute) : nullptr;
        return value != nullptr ? value : "(none)";
    }
    static const TiXmlElement* Find(const TiXmlElement* parent, const char* name)
    {
        for (const TiXmlElement* e = parent->FirstChildElement(); e != nullptr; e = e->NextSiblingElement()) {
            if (e->Attribute("name") != nullptr && std::string(e->Attribute("name")) == name)
                return e;
            if (const TiXmlElement* below = Find(e, name))
                return below;
        }
        return nullptr;
    }

    CControlUI* Control(const wchar_t* name) { return m_manager->FindControl(name); }

    void RightClick(POINT at)
    {
        hl::Click(at.x, at.y, hl::Right);
        hl::PumpMessages();
        hl::Advance(1000);  // the next click is not a double click
    }
    void Drag(POINT from, POINT to)
    {
        hl::MoveMouse(from.x, from.y);
        hl::PressButton(hl::Left, from.x, from.y);
        hl::PumpMessages();
        hl::MoveMouse(to.x, to.y);
        hl::PumpMessages();
        hl::ReleaseButton(hl::Left, to.x, to.y);
        hl::PumpMessages();
        hl::Advance(1000);
    }

    std::filesystem::path m_folder, m_skin;
    std::string m_original;
    HWND m_hwnd { nullptr };
    CPaintManagerUI* m_manager { nullptr };
    PopwndLog m_popwnd;
};

TEST_F(LayoutEdit, FloatControlDraggedInsideItsParentWritesItsNewPosAndSelectedAncestors)
{
    Open(kFloatSkin);
    CControlUI* floaty = Control(L"floaty");
    ASSERT_EQ(floaty->GetPos().left, 110);
    ASSERT_EQ(floaty->GetPos().top, 110);

    RightClick({ 120, 120 });
    EXPECT_TRUE(floaty->GetShowLine());
    EXPECT_TRUE(Control(L"panel")->GetShowLine()) << "only the innermost control under the mouse toggles";
    EXPECT_EQ(ReadFile(), m_original) << "selecting writes nothing";

    hl::MoveMouse(120, 120);
    hl::PressButton(hl::Left, 120, 120);
    hl::MoveMouse(150, 120);
    hl::PumpMessages();
    EXPECT_EQ(floaty->GetPos().left, 140) << "the control follows the mouse";
    // While it moves, guide lines cross the whole window through its edges.
    EXPECT_EQ(hl::PixelAt(140, 20) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(hl::PixelAt(20, 110) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(hl::PixelAt(20, 125) & 0xFFFFFF, 0xFFFFFFu);
    hl::ReleaseButton(hl::Left, 150, 120);
    hl::PumpMessages();

    EXPECT_EQ(FileAttribute("floaty", "pos"), "40,10,90,40");
    EXPECT_EQ(FileAttribute("floaty", "showline"), "true");
    EXPECT_EQ(FileAttribute("panel", "showline"), "true");
    EXPECT_EQ(FileAttribute("row", "showline"), "(none)");
}

TEST_F(LayoutEdit, FloatControlStopsFlushWithItsParentsEdges)
{
    Open(kFloatSkin);
    RightClick({ 120, 120 });
    Drag({ 120, 120 }, { 600, 600 });
    EXPECT_EQ(FileAttribute("floaty", "pos"), "350,270,400,300");
    Drag({ 460, 380 }, { 0, 0 });
    EXPECT_EQ(FileAttribute("floaty", "pos"), "0,0,50,30");
}

TEST_F(LayoutEdit, SameDragAtOneHundredAndFiftyPercentWritesOneHundredPercentUnits)
{
    Open(kFloatSkin, 144);
    CControlUI* floaty = Control(L"floaty");
    ASSERT_EQ(floaty->GetPos().left, 165);
    RightClick({ 180, 180 });
    Drag({ 180, 180 }, { 225, 180 });
    EXPECT_EQ(floaty->GetPos().left, 210) << "moved by the mouse's 45 pixels, not by 1.5 times that";
    EXPECT_EQ(FileAttribute("floaty", "pos"), "40,10,90,40");
}

TEST_F(LayoutEdit, SecondRightClickDeselectsAndRemovesShowlineFromTheFile)
{
    Open(kFloatSkin);
    CControlUI* panel = Control(L"panel");
    panel->SetShowLine(false);  // the skin selected it; start from a clean state
    RightClick({ 300, 300 });   // on the panel, away from its child
    EXPECT_TRUE(panel->GetShowLine());
    EXPECT_EQ(ReadFile(), m_original);
    RightClick({ 300, 300 });
    EXPECT_FALSE(panel->GetShowLine());
    EXPECT_EQ(FileAttribute("panel", "showline"), "(none)");
    EXPECT_EQ(FileAttribute("floaty", "pos"), "10,10,60,40") << "the rest of the file is kept";
}

TEST_F(LayoutEdit, WithTheModeOffClicksAndDragsChangeNothing)
{
    Open(kFloatSkin);
    m_manager->SetShowLine(false);
    CControlUI* floaty = Control(L"floaty");
    RightClick({ 120, 120 });
    EXPECT_FALSE(floaty->GetShowLine());
    floaty->SetShowLine(true);
    Drag({ 120, 120 }, { 150, 120 });
    EXPECT_EQ(floaty->GetPos().left, 110);
    EXPECT_EQ(ReadFile(), m_original);
}

TEST_F(LayoutEdit, ControlInAVerticalLayoutMovesByItsPaddingPastTheChildrenBeforeIt)
{
    struct Case {
        POINT to;
        const char* padding;
        LONG left, top;
    };
    const Case cases[] = {
        { { 30, 70 }, "10,20", 15, 60 },  // top = 60 - 0 - 5 - 35
        { { 20, 30 }, "0,0", 5, 40 },     // above where the layout puts it: raised to 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.padding);
        Open(kLayoutSkin);
        CControlUI* second = Control(L"second");
        ASSERT_EQ(second->GetPos().top, 40);
        Drag({ 20, 50 }, c.to);
        EXPECT_EQ(second->GetPos().left, c.left);
        EXPECT_EQ(second->GetPos().top, c.top);
        EXPECT_EQ(FileAttribute("second", "padding"), c.padding);
        Close();
    }
}

TEST_F(LayoutEdit, DoubleClickNamesTheControlAndAControlMissingFromTheFileWritesNothing)
{
    Open(kFloatSkin);
    CControlUI* stranger = Control(L"stranger");
    stranger->SetName(L"notInTheFile");
    stranger->SetShowLine(true);
    const RECT at = stranger->GetPos();
    const POINT inside { at.left + 5, at.top + 5 };
    Drag(inside, { inside.x, inside.y + 10 });
    EXPECT_EQ(ReadFile(), m_original);

    const POINT moved { inside.x, inside.y + 15 };
    ::SendMessage(m_hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(moved.x, moved.y));
    ::SendMessage(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(moved.x, moved.y));
    ASSERT_EQ(m_popwnd.names.size(), 1u);
    EXPECT_EQ(m_popwnd.names[0], L"notInTheFile");
}

TEST_F(LayoutEdit, WithoutASkinPathControlsStillMoveAndNothingIsWritten)
{
    Open(kFloatSkin, 96, false);
    RightClick({ 120, 120 });
    Drag({ 120, 120 }, { 150, 120 });
    hl::PumpMessages();
    EXPECT_EQ(Control(L"floaty")->GetPos().left, 140);
    EXPECT_EQ(ReadFile(), m_original);
}

}  // namespace
