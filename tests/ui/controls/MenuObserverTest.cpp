#include "ui/controls/MenuObserver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace SkinUI;

namespace {

// A receiver that logs what it is told and may act on it.
class LoggingReceiver : public MenuReceiverImpl {
public:
    LoggingReceiver(std::string name, std::string& log) : m_name(std::move(name)), m_log(log) { }
    BOOL Receive(ContextMenuParam param) override
    {
        m_log += m_name + std::to_string(param.wParam) + " ";
        if (onReceive)
            onReceive();
        return TRUE;
    }
    std::function<void()> onReceive;

private:
    std::string m_name;
    std::string& m_log;
};

}  // namespace

TEST(MenuObserver, BroadcastsFromTheLastReceiverAndSurvivesRemovalsOnTheWay)
{
    MenuObserverImpl observer;
    std::string log;
    EXPECT_EQ(observer.RBroadcast({ 1, nullptr }), FALSE);  // nobody to tell
    EXPECT_EQ(log, "");

    LoggingReceiver a("a", log), b("b", log), c("c", log);
    observer.AddReceiver(nullptr);
    for (LoggingReceiver* r : { &a, &b, &c })
        observer.AddReceiver(r);
    EXPECT_EQ(observer.Receivers().GetSize(), 3);
    EXPECT_EQ(observer.RBroadcast({ 2, nullptr }), FALSE);
    EXPECT_EQ(log, "c2 b2 a2 ");

    // The last one closes the whole chain: the others leave while the walk is under way and are
    // not told again (nor after they are gone).
    log.clear();
    c.onReceive = [&] {
        a.RemoveObserver();  // each receiver learnt its observer when it was added
        b.RemoveObserver();
    };
    observer.RBroadcast({ 1, nullptr });
    EXPECT_EQ(log, "c1 ");
    EXPECT_EQ(observer.Receivers().GetSize(), 1);
    c.RemoveObserver();
    EXPECT_EQ(observer.Receivers().GetSize(), 0);
}

TEST(MenuObserver, NullManagerKeepsTheOldOne)
{
    MenuObserverImpl observer;
    auto* manager = reinterpret_cast<CPaintManagerUI*>(0x1000);
    observer.SetManger(manager);
    observer.SetManger(nullptr);
    EXPECT_EQ(observer.GetManager(), manager);
    CStdStringPtrMap checks;
    observer.SetMenuCheckInfo(&checks);
    EXPECT_EQ(observer.GetMenuCheckInfo(), &checks);
}
