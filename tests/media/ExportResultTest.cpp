// The UI thread's end of a page export, from the job's result alone: what it asks, what goes into
// the history, what is shown in the file manager and whether the crop pair comes back, in order.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "MediaTestSupport.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

using namespace mediatest;

namespace {

// Every step the finisher takes that a user sees, as one line each.
class FinishSteps {
public:
    FinishSteps(CMainWnd& main, FakePageView& view, int answer)
    {
        CMessageWnd::SetAnswerer([this, &main, &view, answer](const CMessageWnd& box) {
            Add(L"ask " + box.GetMessageText() + L" [" + box.GetFourthText() + L"|" + box.GetFifthText() + L"] history="
                + std::to_wstring(main.HistorySnapshot().size()) + (view.overlaysShown ? L" overlays" : L""));
            return answer;
        });
        platform::SetShellCommandHook([this](const std::vector<std::string>& command) {
            std::string joined;
            for (const std::string& part : command)
                joined += part + " ";
            Add(L"show " + std::to_wstring(joined.find("/out/made.mp4") != std::string::npos));
            return true;
        });
    }
    ~FinishSteps()
    {
        platform::SetShellCommandHook(nullptr);
        CMessageWnd::SetAnswerer({});
    }
    std::vector<std::wstring> Lines()
    {
        std::lock_guard lock(m_lock);
        return m_lines;
    }

private:
    void Add(const std::wstring& line)
    {
        std::lock_guard lock(m_lock);
        m_lines.push_back(line);
    }
    std::mutex m_lock;
    std::vector<std::wstring> m_lines;
};

ExportResult WithOverlays(ExportResult result)
{
    result.restoreOverlays = true;
    return result;
}

}  // namespace

TEST(ExportResultTest, TheFinisherAsksRecordsShowsAndRestoresFromTheResultAlone)
{
    const std::wstring out = L"/out/made.mp4", source = L"/in/source.mp4";
    struct Case {
        const char* name;
        ExportResult result;
        int answer;
        std::vector<std::wstring> steps;
        size_t history;
        bool overlays;
    };
    const Case cases[] = {
        { "done, opened, with history", WithOverlays(ExportResult::Succeeded(L"完成", out, source)), 1,
          { L"ask 完成 [取消|打开] history=1", L"show 1" }, 1, true },
        { "done, not opened", ExportResult::Succeeded(L"完成", out, source), 2, { L"ask 完成 [取消|打开] history=1" }, 1,
          false },
        { "done without a source: no history", ExportResult::Succeeded(L"完成", out), 1,
          { L"ask 完成 [取消|打开] history=0", L"show 1" }, 0, false },
        { "failed: contacting support opens nothing", WithOverlays(ExportResult::Failed(L"失败")), 1,
          { L"ask 失败 [不需要|联系客服] history=0" }, 0, true },
        { "refused", ExportResult::Refused(L"不行", L""), 1, { L"ask 不行 [|确定] history=0" }, 0, false },
        { "refused with nothing to say", ExportResult::Refused(L"", L""), 1, {}, 0, false },
        { "cancelled: nothing asked, the overlays back", WithOverlays(ExportResult::Cancelled()), 1, {}, 0, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePageView view;
        CMainWnd main;
        main.m_pPageView = &view;
        main.ClearHistory();
        FinishSteps steps(main, view, c.answer);
        // The page has moved on to another file by the time the job ends.
        main.m_strCutFile = L"/in/loaded later.mp4";

        EXPECT_EQ(main.FinishPageExport(c.result), c.result.outcome);
        EXPECT_EQ(steps.Lines(), c.steps);
        const std::vector<HistoryRecord> history = main.HistorySnapshot();
        ASSERT_EQ(history.size(), c.history);
        if (!history.empty()) {
            EXPECT_EQ(history[0].sourcePath, source);
            EXPECT_EQ(history[0].outputPath, out);
        }
        EXPECT_EQ(view.overlaysShown, c.overlays);
    }
}
