// Starting the editor maps only what drawing its window needs: the media libraries (FFmpeg,
// libVLC) come in with their module when the preview engine is first used, here by the warm-up
// that follows the first paint.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "MainWndFixture.h"

namespace {

constexpr const char* kMediaNames[] = { "libquillmedia.so", "libavformat.so", "libavcodec.so", "libvlc.so" };

std::string CommandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
            output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

std::string OwnMaps()
{
    std::ifstream in("/proc/self/maps");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The first media library named in `text`, or null.
const char* MediaNameIn(const std::string& text)
{
    for (const char* name : kMediaNames)
        if (text.find(name) != std::string::npos)
            return name;
    return nullptr;
}

}  // namespace

TEST(StartupLibraries, TheProgramLinksNoMediaLibraryAndTheModuleLinksThemAll)
{
    const std::string bin = std::string(QUILL_BINARY_DIR) + "/bin/";
    const std::string program = CommandOutput("ldd '" + bin + "Quillmoor' 2>&1");
    ASSERT_NE(program.find("libSkinUI.so"), std::string::npos) << program;
    EXPECT_EQ(MediaNameIn(program), nullptr) << program;

    const std::string module = CommandOutput("ldd '" + bin + "libquillmedia.so' 2>&1");
    for (const char* name : { "libavformat.so", "libavcodec.so", "libvlc.so" })
        EXPECT_NE(module.find(name), std::string::npos) << name << " in\n" << module;
    EXPECT_EQ(module.find("not found"), std::string::npos) << module;
}

using StartupLibrariesWindow = MainWndFixture;

// In a process of its own, so that nothing run earlier in this one has loaded the module.
TEST_F(StartupLibrariesWindow, MediaLibrariesAreMappedOnlyOnceTheWarmUpFollowsTheFirstPaint)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto* window = new CMainWnd();
            window->m_strAppFolder = AnsiToWide(FreshFolder("program")) + L"/";
            window->m_strDataFolder = AnsiToWide(FreshFolder("data")) + L"/";
            window->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE);
            if (const char* early = MediaNameIn(OwnMaps())) {
                std::fprintf(stderr, "mapped at start-up: %s\n", early);
                std::_Exit(1);
            }
            ::UpdateWindow(window->GetHWND());
            platform::headless::PumpMessages();
            if (!window->WaitForWorkers(30000)) {
                std::fprintf(stderr, "the warm-up did not end\n");
                std::_Exit(2);
            }
            const std::string maps = OwnMaps();
            for (const char* name : kMediaNames) {
                if (maps.find(name) == std::string::npos) {
                    std::fprintf(stderr, "not mapped after the warm-up: %s\n", name);
                    std::_Exit(3);
                }
            }
            std::fprintf(stderr, "media libraries mapped after the first paint\n");
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "media libraries mapped after the first paint");
}
