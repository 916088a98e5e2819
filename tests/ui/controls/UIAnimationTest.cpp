#include "ui/controls/UIAnimation.h"

#include <gtest/gtest.h>

#include <functional>

#include "ControlTestSupport.h"
#include "ui/core/ContainerUI.h"

using namespace ctltest;

namespace {

// A control that animates and writes every callback to a log: "start:id:first", "step:frame",
// "stop:id".
class Animated : public CControlUI, public CUIAnimation {
public:
    Animated() : CUIAnimation(this) {}
    ~Animated() override { StopAnimation(); }
    void DoEvent(TEventUI& event) override
    {
        if (event.Type == UiEventTimer)
            OnAnimationElapse(static_cast<int>(event.wParam));
    }
    void OnAnimationStart(int id, bool first) override
    {
        calls.push_back(L"start:" + std::to_wstring(id) + L":" + (first ? L"first" : L"again"));
    }
    void OnAnimationStep(int, int frame, int) override { calls.push_back(L"step:" + std::to_wstring(frame)); }
    void OnAnimationStop(int id) override
    {
        calls.push_back(L"stop:" + std::to_wstring(id));
        if (onStop)
            onStop();
    }

    std::vector<std::wstring> calls;
    std::function<void()> onStop;
};

class AnimationTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        ASSERT_TRUE(host.Open(200, 100));
        host.Find<CContainerUI>(L"root")->Add(animated);  // the layout owns it
    }
    // Delivers timer ticks of one id as the paint manager would.
    void Tick(int id, int count)
    {
        for (int i = 0; i < count; ++i) {
            TEventUI tick = TimerEvent(static_cast<UINT>(id));
            animated->DoEvent(tick);
        }
    }
    int Count(const std::wstring& prefix) const
    {
        int n = 0;
        for (const auto& call : animated->calls)
            n += call.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    SkinHost host { Skin(L"") };
    Animated* animated = new Animated;
};

}  // namespace

TEST_F(AnimationTest, OneShotRunsFramesZeroToTotalThenDropsItsTimer)
{
    EXPECT_EQ(animated->StartAnimation(10, 30, 5, false), 1);
    EXPECT_EQ(animated->StartAnimation(20, 3, 5, false), 0);  // running id: left alone
    Tick(5, 3);
    EXPECT_EQ(animated->GetCurrentFrame(5), 3);
    EXPECT_EQ(animated->SetCurrentFrame(31, 5), 0);
    EXPECT_EQ(animated->SetCurrentFrame(-1, 5), 0);
    Tick(5, 40);
    EXPECT_EQ(Count(L"step:"), 31);
    EXPECT_EQ(animated->calls.back(), L"stop:5");
    EXPECT_EQ(animated->calls.front(), L"start:5:first");
    EXPECT_EQ(animated->IsAnimationRunning(5), 0);
    EXPECT_EQ(animated->GetCurrentFrame(5), -1);
    EXPECT_FALSE(host.GetPaintManager().KillTimer(animated, 5));  // the timer went with the record

    for (const auto& bad : { std::array<int, 2> { 0, 5 }, std::array<int, 2> { 10, 0 } })
        EXPECT_EQ(animated->StartAnimation(bad[0], bad[1], 6, false), 0);
    CUIAnimation ownerless(nullptr);
    EXPECT_EQ(ownerless.StartAnimation(10, 5, 1, false), 0);
}

TEST_F(AnimationTest, LoopRestartsAtFrameOneAndStartsOnce)
{
    ASSERT_EQ(animated->StartAnimation(10, 3, 7, true), 1);
    Tick(7, 4 + 3 + 3);  // frames 0..3, then 1..3 twice
    const std::vector<std::wstring> want { L"start:7:first", L"step:0", L"step:1", L"step:2", L"step:3", L"stop:7",
                                           L"step:1", L"step:2", L"step:3", L"stop:7", L"step:1", L"step:2",
                                           L"step:3", L"stop:7" };
    EXPECT_EQ(animated->calls, want);
    EXPECT_EQ(animated->IsAnimationRunning(7), 1);
    animated->StopAnimation(0);
    EXPECT_EQ(animated->IsAnimationRunning(7), 0);
}

TEST_F(AnimationTest, StopCallbackMayStopOrRestartItsOwnAnimation)
{
    // Restarting from inside the stop callback takes effect: the new run starts from frame 0.
    animated->onStop = [this] {
        animated->onStop = nullptr;
        animated->StopAnimation(4);
        EXPECT_EQ(animated->StartAnimation(10, 2, 4, false), 1);
    };
    ASSERT_EQ(animated->StartAnimation(10, 1, 4, false), 1);
    Tick(4, 2);
    EXPECT_EQ(animated->IsAnimationRunning(4), 1);
    EXPECT_EQ(animated->GetCurrentFrame(4), 0);
    Tick(4, 5);
    const std::vector<std::wstring> want { L"start:4:first", L"step:0", L"step:1", L"stop:4",
                                           L"start:4:first", L"step:0", L"step:1", L"step:2", L"stop:4" };
    EXPECT_EQ(animated->calls, want);
    EXPECT_EQ(animated->IsAnimationRunning(4), 0);

    // A looping animation stopped from its own stop callback stays stopped.
    animated->calls.clear();
    animated->onStop = [this] { animated->StopAnimation(0); };
    ASSERT_EQ(animated->StartAnimation(10, 1, 3, true), 1);
    Tick(3, 5);
    EXPECT_EQ(animated->IsAnimationRunning(3), 0);
    EXPECT_EQ(Count(L"stop:"), 1);
}
