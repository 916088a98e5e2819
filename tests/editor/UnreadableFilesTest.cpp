// Files named like videos that hold no readable video (a renamed text file, an empty file), chosen
// or dropped on the pages: refused with the damaged-file notice, and every page stays as it was;
// a real clip still loads by the same ways.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "PageCommandsFixture.h"

namespace hl = platform::headless;

namespace {

// What the pages hold that a load would change.
struct PagesState {
    std::wstring cut, split, adjust, screenshot;
    bool cutShown = false, splitShown = false;
    int cutLoaded = 0, cutDurationMs = 0, gifRows = 0, mergeRows = 0;
    bool operator==(const PagesState&) const = default;
};

std::string Describe(const PagesState& s)
{
    return "cut='" + WideToUtf8(s.cut) + "' split='" + WideToUtf8(s.split) + "' adjust='" + WideToUtf8(s.adjust)
        + "' screenshot='" + WideToUtf8(s.screenshot) + "' cutShown=" + std::to_string(s.cutShown)
        + " splitShown=" + std::to_string(s.splitShown) + " cutLoaded=" + std::to_string(s.cutLoaded)
        + " cutMs=" + std::to_string(s.cutDurationMs) + " gifRows=" + std::to_string(s.gifRows)
        + " mergeRows=" + std::to_string(s.mergeRows);
}

class UnreadableFiles : public pagecmd::PageCommandsFixture {
protected:
    PagesState State()
    {
        CMainWnd& w = *window;
        return { w.m_strCutFile,
                 w.m_strSplitFile,
                 w.m_strAdjustSourcePath,
                 w.m_strScreenshotSource,
                 w.m_pVideoCutShow->IsVisible(),
                 w.m_pSegmentationHor->IsVisible(),
                 w.m_bCutLoaded,
                 w.m_nCutDurationMs,
                 Count(w.m_pVideoGif),
                 Count(w.m_pVideoMergeL) };
    }
    void ForgetNotices()
    {
        std::lock_guard lock(m_lock);
        notices.clear();
    }
    void Drop(const std::wstring& file)
    {
        RECT rc {};
        ::GetWindowRect(window->GetHWND(), &rc);
        hl::DropFiles((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, { file });
    }
    // Selects the feature tab and shows its page, which holds `onPage`.
    void Open(SkinUI::CControlUI* tab, SkinUI::CControlUI* onPage)
    {
        incoming::Select(tab);
        incoming::ShowPageOf(*window, onPage);
        hl::PumpMessages();
    }
    void Choose(const wchar_t* button, const std::wstring& file)
    {
        AnswerChooser({ file });
        Click(button);
    }
};

// One way a file comes in: the tab and a control of its page, how the file is brought, the tail
// of the name its notice shows (after the stem of the file's name), and whether a good file took.
struct Loader {
    const char* name;
    SkinUI::CControlUI* CMainWnd::*tab;
    SkinUI::CControlUI* CMainWnd::*onPage;
    std::function<void(const std::wstring& file)> bring;
    std::wstring shownTail;
    std::function<bool(const PagesState& before, const PagesState& after, const std::wstring& file)> took;
};

}  // namespace

TEST_F(UnreadableFiles, AreRefusedByEveryLoaderAndLeaveThePagesAsTheyWere)
{
    const std::wstring clip = incoming::VideoWithSound("loaded first.mp4", 2);
    const std::wstring original = incoming::VideoWithSound("good clip.mp4", 1);
    ASSERT_FALSE(clip.empty());
    ASSERT_FALSE(original.empty());
    const std::string folder = EditorScratchFolder() + "/media";
    WriteFileText(folder + "/note.mp4", "this is a note, not a video\n");
    WriteFileText(folder + "/empty.mp4", "");
    CMainWnd& w = *window;
    Open(w.m_ptabVideoCut, w.m_pVideoCutShow);
    Choose(L"TranAddFile", clip);  // the cut page holds a clip: it must keep it
    ASSERT_EQ(w.m_strCutFile, clip);
    ASSERT_NEAR(w.m_nCutDurationMs, 2000, 100);

    const auto choose = [this](const wchar_t* button) { return [this, button](const std::wstring& f) { Choose(button, f); }; };
    const auto dropAndSettle = [this](const std::wstring& f) {
        Drop(f);
        ASSERT_TRUE(Settle(60000));
    };
    using P = PagesState;
    const Loader loaders[] = {
        { "cut chooser", &CMainWnd::m_ptabVideoCut, &CMainWnd::m_pVideoCutShow, choose(L"ChangeVideo"), L".mp4",
          [](const P&, const P& a, const std::wstring& f) { return a.cut == f && a.cutShown; } },
        { "split chooser", &CMainWnd::m_ptabFenge, &CMainWnd::m_pSegmentationHor, choose(L"SegmenAddFile"), L".mp4",
          [](const P&, const P& a, const std::wstring& f) { return a.split == f && a.splitShown; } },
        { "adjust chooser", &CMainWnd::m_ptabAdjust, &CMainWnd::m_pOptimization, choose(L"OptimizationAddFile"), L".mp4",
          [](const P&, const P& a, const std::wstring& f) { return a.adjust == f; } },
        { "screenshot chooser", &CMainWnd::m_ptabScreen, &CMainWnd::m_pPicVer, choose(L"PicAddfile"), L".mp4",
          [](const P&, const P& a, const std::wstring& f) { return a.screenshot == f; } },
        { "GIF add button", &CMainWnd::m_ptabGIF, &CMainWnd::m_pVideoGif,
          [&](const std::wstring& f) {
              Choose(L"GIFAddFile", f);
              ASSERT_TRUE(Settle(60000));
          },
          L"",  // the GIF list names a file without its extension
          [](const P& b, const P& a, const std::wstring&) { return a.gifRows == b.gifRows + 1; } },
        { "cut drop", &CMainWnd::m_ptabVideoCut, &CMainWnd::m_pVideoCutShow, [this](const std::wstring& f) { Drop(f); },
          L".mp4", [](const P&, const P& a, const std::wstring& f) { return a.cut == f && a.cutShown; } },
        { "split drop", &CMainWnd::m_ptabFenge, &CMainWnd::m_pSegmentationHor, [this](const std::wstring& f) { Drop(f); },
          L".mp4", [](const P&, const P& a, const std::wstring& f) { return a.split == f; } },
        { "merge drop", &CMainWnd::m_ptabmerge, &CMainWnd::m_pVideoMergeL, dropAndSettle, L".mp4",
          [](const P& b, const P& a, const std::wstring&) { return a.mergeRows == b.mergeRows + 1; } },
    };
    for (const Loader& loader : loaders) {
        for (const char* stem : { "note", "empty" }) {
            SCOPED_TRACE(std::string(loader.name) + ", " + stem + ".mp4");
            Open(w.*loader.tab, w.*loader.onPage);
            const PagesState before = State();
            ForgetNotices();
            loader.bring(AnsiToWide(folder + "/" + stem + ".mp4"));
            const PagesState after = State();
            EXPECT_TRUE(after == before) << "before: " << Describe(before) << "\nafter:  " << Describe(after);
            EXPECT_EQ(Notices(), std::vector<std::wstring> { L"抱歉！此文件可能为损坏文件！\n" + AnsiToWide(stem)
                                                             + loader.shownTail });
        }
    }

    // The same ways still take a real clip, and say nothing. Each gets a copy of its own, so that
    // a page taking it shows.
    int copies = 0;
    for (const Loader& loader : loaders) {
        SCOPED_TRACE(loader.name);
        const std::wstring good = AnsiToWide(folder + "/good " + std::to_string(++copies) + ".mp4");
        std::filesystem::copy_file(WideToUtf8(original), WideToUtf8(good),
                                   std::filesystem::copy_options::overwrite_existing);
        Open(w.*loader.tab, w.*loader.onPage);
        const PagesState before = State();
        ForgetNotices();
        loader.bring(good);
        EXPECT_TRUE(loader.took(before, State(), good)) << Describe(State());
        EXPECT_TRUE(Notices().empty());
    }
    EXPECT_NEAR(w.m_nCutDurationMs, 1000, 100);  // the clip's own length, not an assumed hour
    ASSERT_TRUE(Settle());
}
