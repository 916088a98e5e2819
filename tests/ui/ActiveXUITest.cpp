// The ActiveX, web browser and Flash hosts exist by name and tag, and fail the way their callers
// handle a failure: no object, no "showactivex", E_PENDING, nothing found.
#include "ui/controls/ActiveXUI.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"

using namespace SkinUI;

namespace {

class NotifyLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override { types.emplace_back(msg.sType.GetData()); }
    std::vector<std::wstring> types;
};

class CountedHandler : public CFlashEventHandler {
public:
    ULONG Release() override { return static_cast<ULONG>(--refs); }
    ULONG AddRef() override { return static_cast<ULONG>(++refs); }
    int refs { 1 };
};

}  // namespace

TEST(ActiveXPlaceholders, BuildFromTheirTagsAndFailCleanly)
{
    skintest::UseHeadless();
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    NotifyLog log;
    pm.AddNotifier(&log);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><VerticalLayout>"
        L"<ActiveX name=\"ax\" clsid=\"{11111111-2222-3333-4444-555555555555}\" delaycreate=\"True\" modulename=\"x.dll\"/>"
        L"<WebBrowser name=\"web\" homepage=\"https://example.invalid/\" autonavi=\"true\"/>"
        L"<Flash name=\"flash\"/></VerticalLayout></Window>",
        nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    root->SetPos(RECT { 0, 0, 300, 200 }, false);

    auto* ax = static_cast<CActiveXUI*>(pm.FindControl(L"ax")->GetInterface(L"ActiveX"));
    auto* web = static_cast<CWebBrowserUI*>(pm.FindControl(L"web")->GetInterface(L"webbrowser"));
    auto* flash = static_cast<CFlashUI*>(pm.FindControl(L"flash")->GetInterface(L"FLASH"));
    ASSERT_NE(ax, nullptr);
    ASSERT_NE(web, nullptr);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(pm.FindControl(L"ax")->GetInterface(L"activex"), nullptr) << "the ActiveX name compares with case";
    EXPECT_STREQ(ax->GetClass(), L"ActiveXUI");
    EXPECT_STREQ(web->GetClass(), L"WebBrowserUI");
    EXPECT_STREQ(flash->GetClass(), L"Flash");
    EXPECT_FALSE(ax->IsDelayCreate()) << "only exactly \"true\" delays creation";
    EXPECT_EQ(ax->GetClisd().Data1, 0x11111111u);
    EXPECT_EQ(std::wstring(ax->GetModuleName().GetData()), L"x.dll");
    EXPECT_FALSE(ax->DoCreateControl());
    EXPECT_EQ(ax->GetHostWindow(), nullptr);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(ax->GetControl(IID {}, &object), E_PENDING);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(ax->GetControl(IID {}, nullptr), E_POINTER);
    EXPECT_TRUE(web->IsAutoNavigation());
    EXPECT_EQ(std::wstring(web->GetHomePage().GetData()), L"https://example.invalid/");
    web->NavigateHomePage();
    EXPECT_EQ(web->GetWebBrowser2(), nullptr);
    EXPECT_EQ(CWebBrowserUI::FindId(nullptr, L"anything"), -1);
    EXPECT_EQ(CWebBrowserUI::GetProperty(nullptr, L"anything", nullptr), E_FAIL);
    for (const std::wstring& type : log.types)
        EXPECT_NE(type, L"showactivex");

    CountedHandler first, second;
    flash->SetFlashEventHandler(&first);
    EXPECT_EQ(first.refs, 2);
    flash->SetFlashEventHandler(&second);
    EXPECT_EQ(first.refs, 1);
    EXPECT_EQ(second.refs, 2);
    flash->SetFlashEventHandler(nullptr);
    EXPECT_EQ(second.refs, 1);
    pm.RemoveNotifier(&log);
}
