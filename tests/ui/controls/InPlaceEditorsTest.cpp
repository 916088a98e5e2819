// The date-time, IP-address and hot-key controls with their native in-place editors, and the
// windowless IP-address control, driven by injected keys and mouse on the headless display.

#include "ui/controls/DateTimeUI.h"
#include "ui/controls/HotKeyUI.h"
#include "ui/controls/IPAddressExUI.h"
#include "ui/controls/IPAddressUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "platform/CommCtrl.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlFactory.h"

#include <cwchar>

using namespace ctltest;

namespace {

std::wstring Today()
{
    SYSTEMTIME now {};
    ::GetLocalTime(&now);
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    return text;
}

std::wstring Dotted(DWORD address)
{
    return std::to_wstring(address >> 24) + L"." + std::to_wstring((address >> 16) & 0xFF) + L"."
           + std::to_wstring((address >> 8) & 0xFF) + L"." + std::to_wstring(address & 0xFF);
}

HWND Child(HWND host, const wchar_t* className)
{
    return ::FindWindowEx(host, nullptr, className, nullptr);
}

void Type(const std::wstring& text)
{
    for (wchar_t c : text)
        hl::KeyDown(VK_PACKET, std::wstring(1, c));
    SkinHost::Settle();
}

// A box of the four controls, nothing focused after the first paint.
class InPlaceHost : public SkinHost {
public:
    InPlaceHost()
        : SkinHost(Skin(L"<VerticalLayout name=\"box\" height=\"200\">"
                        L"<DateTime name=\"date\" height=\"30\"/><IPAddress name=\"ip\" height=\"30\"/>"
                        L"<HotKey name=\"key\" height=\"30\"/><IPAddressEx name=\"ipx\" height=\"30\" "
                        L"textcolor=\"#FF000000\"/></VerticalLayout><Control name=\"rest\"/>"))
    {
    }
    bool OpenClean()
    {
        if (!Open(400, 300))
            return false;
        GetPaintManager().SetFocus(nullptr);
        Settle();
        log.clear();
        return true;
    }
};

}  // namespace

TEST_F(ControlTest, InPlaceControlsAreMadeByTheirTagsWithTheirNames)
{
    const struct {
        const wchar_t* className;
        const wchar_t* classString;
        const wchar_t* interfaceName;
    } cases[] = {
        { L"CDateTimeUI", L"DateTimeUI", L"DateTime" },
        { L"CIPAddressUI", L"DateTimeUI", L"IPAddress" },  // shares the date control's class name
        { L"CIPAddressExUI", L"IPAddressExUI", L"IPAddress" },
        { L"CHotKeyUI", L"HotKeyUI", L"HotKey" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.className)));
        std::unique_ptr<CControlUI> made(CControlFactory::GetInstance()->CreateControl(c.className));
        ASSERT_NE(made, nullptr);
        EXPECT_STREQ(made->GetClass(), c.classString);
        EXPECT_EQ(made->GetInterface(c.interfaceName), made.get());
        EXPECT_NE(made->GetInterface(L"Label"), nullptr);
        CUIString lowered(c.interfaceName);
        lowered.MakeLower();
        const std::wstring lower = lowered.GetData();
        EXPECT_EQ(made->GetInterface(lower.c_str()), nullptr) << "interface names are compared with case";
    }
    CDateTimeUI date;
    EXPECT_EQ(std::wstring(date.GetText().GetData()), Today());
    CIPAddressUI ip;
    EXPECT_EQ(std::wstring(ip.GetText().GetData()), Dotted(CIPAddressUI::HostAddress()));
    CHotKeyUI key;
    key.SetAttribute(L"NativeBkColor", L"#FF112233");  // keys are compared with case
    EXPECT_EQ(key.GetNativeBkColor(), 0xFFFFFFFFu);
    key.SetAttribute(L"nativebkcolor", L"#FF112233");
    EXPECT_EQ(key.GetNativeBkColor(), 0xFF112233u);
    key.SetHotKey('K', HOTKEYF_CONTROL);  // no window: stored only
    EXPECT_EQ(key.GetHotKey(), static_cast<DWORD>((HOTKEYF_CONTROL << 8) | 'K'));
}

TEST_F(ControlTest, IPAddressExTypesClampsAndParses)
{
    CIPAddressExUI ip;
    struct Case { const wchar_t* text; int octets[4]; };
    const Case cases[] = {
        { L"10.0.0.1", { 10, 0, 0, 1 } },
        { L"10.0.0.1", { 10, 0, 0, 1 } },  // the same again: every call starts at the first octet
        { L"300.1.2.3", { 255, 1, 2, 3 } },
        { L"1.2.3.4.5", { 1, 2, 3, 4 } },  // a fifth number is ignored
        { L"99999999999999999999999.-7..8.9", { 255, 0, 8, 9 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.text)));
        ip.SetIP(c.text);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ip.GetOctet(i), c.octets[i]);
    }
    EXPECT_EQ(ip.GetIP(), L"255.0.8.9");
    EXPECT_EQ(ip.GetText(), L"255.0.8.9");
    EXPECT_TRUE(ip.IsReadOnly());
}

TEST_F(ControlTest, IPAddressExTakesKeysClicksAndTheWheel)
{
    InPlaceHost host;
    ASSERT_TRUE(host.OpenClean());
    auto* ip = host.Find<CIPAddressExUI>(L"ipx");
    const RECT rc = ip->GetPos();
    const int quarter = (rc.right - rc.left) / 4;
    // Only the dots while every octet is 0 and none is active: the first octet's place is blank.
    auto inkIn = [&](int fromX, int toX) {
        for (const uint32_t pixel : hl::Capture({ fromX, rc.top + 4, toX, rc.bottom - 4 }))
            if (Rgb(pixel) != 0xFFFFFFu)
                return true;
        return false;
    };
    const int firstOctet = rc.left + 4 + (quarter - 2) / 2;
    EXPECT_FALSE(inkIn(firstOctet + 1, firstOctet + quarter / 2 - 2));
    EXPECT_TRUE(inkIn(rc.left + 4 + quarter - 8, rc.left + 4 + quarter + 8)) << "the first dot";

    host.ClickAt({ rc.left + 5, (rc.top + rc.bottom) / 2 });
    EXPECT_EQ(ip->GetActiveSection(), 1);
    EXPECT_EQ(Child(host.GetHWND(), L"EditWnd"), nullptr) << "never the edit's native editor";
    for (int key : { '1', '9', '2' })
        hl::PressKey(key);
    host.Settle();
    EXPECT_EQ(ip->GetOctet(0), 192);
    EXPECT_EQ(ip->GetActiveSection(), 2);
    for (int key : { VK_NUMPAD9, int('9'), int('9') })
        hl::PressKey(key);
    host.Settle();
    EXPECT_EQ(ip->GetOctet(1), 255);
    EXPECT_TRUE(inkIn(firstOctet + 1, firstOctet + quarter / 2 - 2));

    hl::PressKey(VK_UP);  // the third octet is active now
    hl::PressKey(VK_UP);
    hl::PressKey(VK_DOWN);
    hl::PressKey(VK_LEFT);
    hl::PressKey(VK_DOWN);  // 255 - 1
    hl::PressKey(VK_OEM_PERIOD);
    hl::PressKey(VK_OEM_PERIOD);
    for (int key : { '7', '7', '7', '7' })  // the last octet never grows past three digits
        hl::PressKey(key);
    host.Settle();
    EXPECT_EQ(ip->GetText(), L"192.254.1.7");
    hl::Wheel(120, rc.right - 5, (rc.top + rc.bottom) / 2);
    host.Settle();
    EXPECT_EQ(ip->GetOctet(3), 8);
    hl::PressKey(VK_BACK);
    host.Settle();
    EXPECT_EQ(ip->GetIP(), L"192.254.1.0");
}

TEST_F(ControlTest, DateTimePickerWritesBackAndEscapeRestores)
{
    InPlaceHost host;
    ASSERT_TRUE(host.OpenClean());
    auto* date = host.Find<CDateTimeUI>(L"date");
    EXPECT_EQ(std::wstring(date->GetText().GetData()), Today());
    SYSTEMTIME start { 2024, 2, 0, 29, 0, 0, 0, 0 };
    date->SetTime(&start);
    EXPECT_EQ(date->GetText(), L"2024-02-29");

    host.Click(L"date");
    HWND picker = Child(host.GetHWND(), L"DateTimeWnd");
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(::GetFocus(), picker);
    hl::PressKey(VK_UP);  // year up: 29 February becomes the 28th
    host.Settle();
    EXPECT_EQ(date->GetText(), L"2025-02-28");
    EXPECT_EQ(date->GetTime().wYear, 2025);
    hl::PressKey(VK_ESCAPE);
    host.Settle();
    EXPECT_EQ(date->GetText(), L"2024-02-29");
    EXPECT_FALSE(::IsWindow(picker));

    // A typed date stays when the focus leaves.
    host.Click(L"date");
    picker = Child(host.GetHWND(), L"DateTimeWnd");
    ASSERT_NE(picker, nullptr);
    Type(L"2031");
    host.Click(L"rest");
    EXPECT_EQ(date->GetText(), L"2031-02-28");
    EXPECT_FALSE(::IsWindow(picker));
    EXPECT_TRUE(host.log.empty()) << "the date control sends no notifications";
}

TEST_F(ControlTest, IPAddressFieldHidesOnFocusLossAndBackspaceClears)
{
    InPlaceHost host;
    ASSERT_TRUE(host.OpenClean());
    auto* ip = host.Find<CIPAddressUI>(L"ip");
    ip->SetIP(0x0A000001);
    EXPECT_EQ(ip->GetText(), L"10.0.0.1");
    host.Click(L"ip");
    HWND field = Child(host.GetHWND(), L"IPAddressWnd");
    ASSERT_NE(field, nullptr);
    DWORD shown = 0;
    ::SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown, 0x0A000001u);

    Type(L"192.168.7.9");
    host.Click(L"rest");
    EXPECT_EQ(ip->GetText(), L"192.168.7.9");
    EXPECT_EQ(ip->GetIP(), 0xC0A80709u);
    EXPECT_TRUE(::IsWindow(field)) << "hidden, kept for the next opening";
    EXPECT_FALSE(::IsWindowVisible(field));

    host.Click(L"ip");
    EXPECT_TRUE(::IsWindowVisible(field));
    hl::PressKey(VK_BACK);
    host.Settle();
    EXPECT_EQ(ip->GetText(), L"");
    EXPECT_FALSE(::IsWindow(field));
    // Opening an empty control starts from the computer's own address.
    host.Click(L"ip");
    field = Child(host.GetHWND(), L"IPAddressWnd");
    ASSERT_NE(field, nullptr);
    ::SendMessage(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown, CIPAddressUI::HostAddress());
    hl::PressKey(VK_ESCAPE);  // cancelled: nothing taken back, the text stays empty
    host.Settle();
    EXPECT_EQ(ip->GetText(), L"");
}

TEST_F(ControlTest, HotKeyShowsTheLayoutNamesAndClosesOnFocusLoss)
{
    InPlaceHost host;
    ASSERT_TRUE(host.OpenClean());
    auto* key = host.Find<CHotKeyUI>(L"key");
    host.Click(L"key");
    HWND field = Child(host.GetHWND(), L"HotKeyClass");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(::GetFocus(), field);
    hl::KeyDown(VK_CONTROL);
    hl::KeyDown(VK_SHIFT);
    hl::PressKey('A');
    hl::KeyUp(VK_SHIFT);
    hl::KeyUp(VK_CONTROL);
    host.Settle();
    EXPECT_EQ(key->GetText(), L"Ctrl + Shift + A");
    EXPECT_EQ(key->GetHotKey(), static_cast<DWORD>(((HOTKEYF_CONTROL | HOTKEYF_SHIFT) << 8) | 'A'));
    hl::PressKey(VK_F7);
    hl::PressKey(VK_BACK);
    hl::PressKey(VK_RETURN);
    host.Settle();
    EXPECT_EQ(key->GetText(), L"无");
    EXPECT_EQ(key->GetHotKey(), 0u);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"textchanged:key", L"textchanged:key", L"textchanged:key",
                                                     L"return:key" }));
    host.Click(L"rest");
    EXPECT_FALSE(::IsWindow(field)) << "closed and deleted from inside its own focus loss";
    EXPECT_EQ(Child(host.GetHWND(), L"HotKeyClass"), nullptr);

    // Code setting a key opens the field with the key's name.
    key->SetHotKey(VK_HOME, HOTKEYF_ALT);
    host.Settle();
    EXPECT_EQ(key->GetText(), L"Alt + Home");
    EXPECT_NE(Child(host.GetHWND(), L"HotKeyClass"), nullptr);
}

TEST_F(ControlTest, InPlaceControlsDeletedWithTheirEditorOpen)
{
    for (const wchar_t* name : { L"date", L"ip", L"key" }) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(name)));
        InPlaceHost host;
        ASSERT_TRUE(host.OpenClean());
        host.Click(name);
        HWND editor = ::GetFocus();
        ASSERT_NE(editor, host.GetHWND());
        auto* box = host.Find<CContainerUI>(L"box");
        box->SetDelayedDestroy(false);
        ASSERT_TRUE(box->Remove(host.Find(name)));  // deleted at once, its editor still open
        hl::PressKey(VK_UP);
        hl::PressKey('5');
        hl::PressKey(VK_RETURN);
        hl::PressKey(VK_BACK);
        host.Settle();
        host.Click(L"rest");
        EXPECT_FALSE(::IsWindow(editor));
        for (const std::wstring& line : host.log)
            EXPECT_EQ(line.find(name), std::wstring::npos) << "a deleted control notified " << testing::PrintToString(line);
    }
}
