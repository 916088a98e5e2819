#pragma once
// A main window built from the real skin on the headless display, for the tests of how files come
// in (page loading, players, list rows, drops), and the small media files they load, made with the
// real encoder in the scratch folder.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/TabLayoutUI.h"

namespace incoming {

// A media file made once per test program from an encoder recipe (the options between "ffmpeg -y"
// and the output). Empty when the encoder failed.
inline std::wstring MakeMedia(const std::string& name, const std::string& recipe)
{
    const std::string folder = EditorScratchFolder() + "/media";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/" + name;
    if (!std::filesystem::exists(path)) {
        std::string quoted;
        for (char c : path)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + recipe + " '" + quoted + "'";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return AnsiToWide(path);
}

inline const std::string kH264 = " -c:v libx264 -preset ultrafast -pix_fmt yuv420p";

inline std::wstring VideoWithSound(const std::string& name = "clip.mp4", double seconds = 2)
{
    return MakeMedia(name, "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine -t " + std::to_string(seconds)
                               + kH264 + " -c:a aac");
}

// Pumps the window's messages until the condition holds or the time is up. The bound is generous: row
// builders and players run the encoder and libVLC, which take many seconds on a loaded sanitizer build.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 60000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        platform::headless::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline void Select(SkinUI::CControlUI* option)
{
    ASSERT_NE(option, nullptr);
    static_cast<SkinUI::COptionUI*>(option->GetInterface(L"Option"))->Selected(true);
}

// Shows the page of "tab_Tran" that holds the control, as selecting its feature tab does.
inline void ShowPageOf(CMainWnd& w, SkinUI::CControlUI* control)
{
    auto* tabs = static_cast<SkinUI::CTabLayoutUI*>(w.m_ptab_Tran->GetInterface(L"TabLayout"));
    while (control && control->GetParent() != w.m_ptab_Tran)
        control = control->GetParent();
    ASSERT_NE(control, nullptr);
    tabs->SelectItem(control);
    w.m_pmainwnd->SetVisible(false);  // the feature area, as a home page entry shows it
    w.m_pctnClient->SetVisible(true);
}

class MainWindowFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::headless::Use());
        HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
        ASSERT_NE(resource, nullptr);
        SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(::LoadResource(nullptr, resource)),
                                                ::SizeofResource(nullptr, resource));
        CMessageWnd::SetAnswerer([this](const CMessageWnd& box) {
            notices.push_back(box.GetMessageText());
            return 1;
        });
        window = new CMainWnd();
        window->m_strAppFolder = AnsiToWide(FreshFolder("program")) + L"/";
        window->m_strDataFolder = AnsiToWide(FreshFolder("data")) + L"/";
        ASSERT_NE(window->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
        platform::headless::PumpMessages();
    }
    void TearDown() override
    {
        if (window && ::IsWindow(window->GetHWND()))
            ::DestroyWindow(window->GetHWND());
        platform::headless::PumpMessages();
        if (window && window->WaitForWorkers(20000))
            delete window;
        CMessageWnd::SetAnswerer({});
        CancelFlag = 0;
    }
    // Waits for the window's workers while its UI tasks keep running.
    bool Settle(int timeoutMs = 20000)
    {
        return PumpUntil([this] { return window->RunningWorkers() == 0; }, timeoutMs)
            && (platform::headless::PumpMessages(), true);
    }

    CMainWnd* window { nullptr };
    std::vector<std::wstring> notices;
};

}  // namespace incoming
