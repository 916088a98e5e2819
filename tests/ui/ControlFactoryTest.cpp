#include "ui/core/ControlFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/core/ContainerUI.h"

using namespace SkinUI;

namespace {

std::wstring ClassOf(const wchar_t* name)
{
    std::unique_ptr<CControlUI> control(CControlFactory::GetInstance()->CreateControl(name));
    return control ? control->GetClass() : L"(none)";
}

class OwnUI : public CControlUI {
public:
    const wchar_t* GetClass() const override { return L"OwnUI"; }
};
class OtherUI : public CControlUI {
public:
    const wchar_t* GetClass() const override { return L"OtherUI"; }
};
CControlUI* MakeOwn() { return new OwnUI(); }
CControlUI* MakeOther() { return new OtherUI(); }

}  // namespace

TEST(ControlFactory, FindsClassesInAnyLetterCaseAndNothingElse)
{
    const struct {
        const wchar_t* name;
        const wchar_t* cls;
    } cases[] = {
        { L"CVerticalLayoutUI", L"VerticalLayoutUI" },
        { L"cverticallayoutui", L"VerticalLayoutUI" },
        { L"CTABLAYOUTUI", L"TabLayoutUI" },
        { L"CAnimationTabLayoutUI", L"AnimationTabLayoutUI" },
        { L"CTileLayoutUI", L"TileLayoutUI" },
        { L"CChildLayoutUI", L"ChildLayoutUI" },
        { L"CContainerUI", L"ContainerUI" },
        { L"CControlUI", L"ControlUI" },
        { L"CTestButtonUI", L"TestButtonUI" },  // registered by the test program itself
        { L"CTabLayout", L"(none)" },
        { L"TabLayoutUI", L"(none)" },
        { L"", L"(none)" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "name=" << std::wstring(c.name).c_str());
        EXPECT_EQ(ClassOf(c.name), c.cls);
    }
}

TEST(ControlFactory, FirstRegistrationOfANameWins)
{
    CControlFactory* factory = CControlFactory::GetInstance();
    factory->RegistControl(L"COwnUI", &MakeOwn);
    factory->RegistControl(L"cownui", &MakeOther);
    EXPECT_EQ(ClassOf(L"COWNUI"), L"OwnUI");

    factory->RegistControl(L"CVerticalLayoutUI", &MakeOther);  // a built-in class is not replaced
    EXPECT_EQ(ClassOf(L"CVerticalLayoutUI"), L"VerticalLayoutUI");
}
