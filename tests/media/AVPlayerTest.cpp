// The preview player on the headless display with the real libVLC: events in the parent's queue,
// times, seeking, speed, picture adjustment, subtitles, two players at once, files that cannot
// play, and the output window showing (and turning) the picture.

#include "MediaTestSupport.h"
#include "media/AVPlayer.h"
#include "media/PlayerLog.h"
#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace hl = platform::headless;
using Clock = std::chrono::steady_clock;

namespace {

// Bound of every wait for libVLC: a first open loads its plug-ins, which takes long under the
// sanitizers on a busy machine. Waits end as soon as the answer is there.
constexpr int kLibVlcMs = 60000;

struct PlayerMessage {
    UINT message;
    WPARAM player;
    Clock::time_point when;
};
std::vector<PlayerMessage> g_messages;  // dispatched on the test thread only

LRESULT HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= CPlayerUI::kMsgPlaying && msg <= CPlayerUI::kMsgEndReached)
        g_messages.push_back({ msg, wParam, Clock::now() });
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A clip made once per test process: `filter` is a lavfi video source graph.
std::string MakeClip(const std::string& name, const std::string& filter, double seconds)
{
    const std::string path = mediatest::Folder() + name;
    if (!mediatest::Exists(mediatest::Wide(path))) {
        const bool made = mediatest::Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i '" + filter + "' -t "
                                           + std::to_string(seconds)
                                           + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + path + "'");
        EXPECT_TRUE(made) << "could not make " << name;
    }
    return path;
}

// 4 s of one known colour.
std::string ColourClip()
{
    return MakeClip("colour.mp4", "color=c=0x3060C0:size=320x240:rate=25", 4);
}

// Red over blue, so a turn of the picture shows.
std::string HalvesClip()
{
    return MakeClip("halves.mp4", "color=c=red:size=320x240:rate=25,drawbox=x=0:y=120:w=320:h=120:color=blue:t=fill", 3);
}

bool Near(uint32_t argb, uint32_t rgb, int tolerance = 24)
{
    for (int shift : { 0, 8, 16 }) {
        const int got = (argb >> shift) & 0xFF, want = (rgb >> shift) & 0xFF;
        if (std::abs(got - want) > tolerance)
            return false;
    }
    return true;
}

template <class Done>
bool PumpUntil(Done done, int ms)
{
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        hl::PumpMessages();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    hl::PumpMessages();
    return done();
}

int Count(UINT message, const CAVPlayer* player)
{
    int n = 0;
    for (const PlayerMessage& m : g_messages)
        n += m.message == message && m.player == reinterpret_cast<WPARAM>(player);
    return n;
}

class PlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        mediatest::Folder();  // HOME and TMPDIR point into the test's folder from here on
        g_messages.clear();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.lpszClassName = L"PlayerTestHost";
        RegisterClassEx(&wc);
        m_host = CreateWindowEx(0, L"PlayerTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 300, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(m_host, nullptr);
    }
    void TearDown() override
    {
        m_players.clear();  // players first: their libVLC threads post to the host
        DestroyWindow(m_host);
        hl::PumpMessages();
    }

    // A player control bound to a new output window at `area` of the host.
    CPlayerUI& AddPlayer(RECT area = { 0, 0, 320, 240 })
    {
        HWND output = PlayerOutputWindow::Create(m_host);
        EXPECT_NE(output, nullptr);
        auto control = std::make_unique<CPlayerUI>();
        EXPECT_EQ(control->BindOutputWindow(output), 1);
        control->SetPos(area, false);
        control->SetVisible(true);
        m_players.push_back(std::move(control));
        return *m_players.back();
    }

    static bool Played(const CAVPlayer& player) { return Count(CPlayerUI::kMsgPlaying, &player) > 0; }
    static bool Ended(const CAVPlayer& player) { return Count(CPlayerUI::kMsgEndReached, &player) > 0; }

    HWND m_host { nullptr };
    std::vector<std::unique_ptr<CPlayerUI>> m_players;
};

TEST_F(PlayerTest, PlayingThenPositionsThenEndReachedInTheParentsQueue)
{
    CAVPlayer& player = AddPlayer().Player();
    ASSERT_TRUE(player.OpenAndPlay(ColourClip(), 0, "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return Played(player); }, kLibVlcMs)) << "no playing message";
    ASSERT_TRUE(PumpUntil([&] { return Count(CPlayerUI::kMsgPosition, &player) >= 2; }, kLibVlcMs));
    EXPECT_TRUE(player.IsValid());
    EXPECT_TRUE(player.IsPlaybackActive());
    EXPECT_NEAR(player.MediaLengthMs(), 4000, 40);  // one frame at 25 fps
    const int64_t time = player.PlaybackTimeMs();
    EXPECT_GT(time, 0);
    EXPECT_NEAR(player.PositionPermille(), time * 1000 / 4000, 20);
    ASSERT_TRUE(PumpUntil([&] { return Ended(player); }, kLibVlcMs)) << "no end reached message";

    // In the order the events happen, all carrying this player.
    ASSERT_GE(g_messages.size(), 4u);
    EXPECT_EQ(g_messages.front().message, CPlayerUI::kMsgPlaying);
    EXPECT_EQ(g_messages.back().message, CPlayerUI::kMsgEndReached);
    EXPECT_GE(Count(CPlayerUI::kMsgPosition, &player), 3);
    EXPECT_EQ(Count(CPlayerUI::kMsgEndReached, &player), 1);
    for (const PlayerMessage& m : g_messages)
        EXPECT_EQ(m.player, reinterpret_cast<WPARAM>(&player));
    // Once the media has ended every query answers 0.
    EXPECT_FALSE(player.IsValid());
    EXPECT_EQ(player.PositionPermille(), 0);
    EXPECT_EQ(player.PlaybackTimeMs(), 0);
    EXPECT_EQ(player.MediaLengthMs(), 0);
}

TEST_F(PlayerTest, SeeksByPerMilleAndByTimeAndStartsFromAGivenPlace)
{
    CAVPlayer& player = AddPlayer().Player();
    // Reopened at the middle, as a preview turned to a new rotation keeps its place.
    ASSERT_TRUE(player.OpenAndPlay(ColourClip(), 500, "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return player.PlaybackTimeMs() > 0; }, kLibVlcMs));
    EXPECT_GE(player.PlaybackTimeMs(), 1900);

    player.PausePlayback();
    player.PausePlayback();  // pause is a state, not a toggle
    ASSERT_TRUE(PumpUntil([&] { return !player.IsPlaybackActive(); }, kLibVlcMs));
    player.SetPositionPermille(250);
    EXPECT_TRUE(PumpUntil([&] { return std::abs(player.PlaybackTimeMs() - 1000) <= 100; }, kLibVlcMs))
        << player.PlaybackTimeMs();
    player.SetPlaybackTimeMs(3000);
    EXPECT_TRUE(PumpUntil([&] { return std::abs(player.PlaybackTimeMs() - 3000) <= 100; }, kLibVlcMs))
        << player.PlaybackTimeMs();
    for (float outside : { -1.0f, 1001.0f }) {
        player.SetPositionPermille(outside);
        PumpUntil([] { return false; }, 150);
        EXPECT_NEAR(player.PlaybackTimeMs(), 3000, 100) << "seek to " << outside;
    }
    player.ResumePlayback();
    player.ResumePlayback();
    EXPECT_TRUE(PumpUntil([&] { return Ended(player); }, kLibVlcMs));
}

// The media's own time against the wall clock over a stretch after the rate took hold: at normal
// speed it never gains on the clock, at double speed it gains a second each second. Start-up and
// the end's report are left out, so a slow machine changes neither side of the comparison.
TEST_F(PlayerTest, DoubleRateRunsTheMediaAtTwiceTheClock)
{
    CAVPlayer& player = AddPlayer().Player();
    ASSERT_TRUE(player.OpenAndPlay(MakeClip("twenty seconds.mp4", "color=c=0x3060C0:size=320x240:rate=25", 20), 0,
                                   "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return Played(player); }, kLibVlcMs));
    player.SetPlaybackRate(2.0f);
    PumpUntil([] { return false; }, 500);
    const int64_t mediaFrom = player.PlaybackTimeMs();
    const auto wallFrom = Clock::now();
    PumpUntil([] { return false; }, 2000);
    const int64_t media = player.PlaybackTimeMs() - mediaFrom;
    const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - wallFrom).count();
    EXPECT_FALSE(Ended(player)) << "the stretch ran past the end of the media";
    EXPECT_GT(media, wall * 3 / 2) << media << " ms of media in " << wall << " ms";
}

TEST_F(PlayerTest, SubtitleFileIsTakenOnlyByAnOpenPlayerAndOnlyWhenItExists)
{
    const std::string srt = mediatest::Folder() + "words.srt";
    std::ofstream(srt) << "1\n00:00:00,000 --> 00:00:04,000\nHELLO\n\n";
    CAVPlayer& player = AddPlayer().Player();
    EXPECT_FALSE(player.SetSubtitleFile(srt));
    ASSERT_TRUE(player.OpenAndPlay(ColourClip(), 0, "--no-audio", ""));
    EXPECT_TRUE(player.SetSubtitleFile(srt));
    EXPECT_FALSE(player.SetSubtitleFile(mediatest::Folder() + "missing.srt"));
    EXPECT_TRUE(PumpUntil([&] { return Played(player); }, kLibVlcMs));
}

TEST_F(PlayerTest, EndingOnePlayerLeavesTheOtherValidAndPlaying)
{
    CAVPlayer& shortOne = AddPlayer({ 0, 0, 320, 240 }).Player();
    CAVPlayer& longOne = AddPlayer({ 340, 0, 660, 240 }).Player();
    ASSERT_TRUE(shortOne.OpenAndPlay(MakeClip("short.mp4", "color=c=green:size=160x120:rate=25", 1), 0, "--no-audio", ""));
    // Long enough that a slow start on a busy machine can't let it end with the short one.
    ASSERT_TRUE(longOne.OpenAndPlay(MakeClip("long.mp4", "color=c=blue:size=160x120:rate=25", 30), 0, "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return Ended(shortOne); }, kLibVlcMs));
    EXPECT_FALSE(shortOne.IsValid());
    EXPECT_EQ(shortOne.PlaybackTimeMs(), 0);
    EXPECT_TRUE(PumpUntil([&] { return longOne.PlaybackTimeMs() > 0; }, kLibVlcMs));
    EXPECT_FALSE(Ended(longOne));
    EXPECT_TRUE(longOne.IsValid());
    EXPECT_TRUE(longOne.IsPlaybackActive());
    EXPECT_EQ(longOne.MediaLengthMs() / 100, 300);
}

TEST_F(PlayerTest, FilesThatCannotPlayFailCleanlyWithoutEvents)
{
    const std::string note = mediatest::Folder() + "note.mp4";
    std::ofstream(note) << "this is a note, not a video\n";
    CAVPlayer& player = AddPlayer().Player();
    EXPECT_FALSE(player.OpenAndPlay("", 0, "--no-audio", ""));
    EXPECT_FALSE(player.OpenAndPlay(mediatest::Folder() + "missing.mp4", 0, "--no-audio", ""));
    EXPECT_FALSE(player.IsValid());
    player.OpenAndPlay(note, 0, "--no-audio", "");
    PumpUntil([] { return false; }, 1500);
    EXPECT_TRUE(g_messages.empty()) << g_messages.size() << " messages, the first " << g_messages.front().message;
    EXPECT_FALSE(player.IsPlaybackActive());
    EXPECT_EQ(player.PlaybackTimeMs(), 0);
}

// Standard output or error taken into a file while the object lives, then given back.
class CapturedStream {
public:
    CapturedStream(int fd, const std::string& path) : m_fd(fd), m_path(path)
    {
        std::fflush(nullptr);
        m_saved = ::dup(fd);
        const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, fd);
        ::close(file);
    }
    ~CapturedStream() { Release(); }
    std::string Release()
    {
        if (m_saved >= 0) {
            std::fflush(nullptr);
            ::dup2(m_saved, m_fd);
            ::close(m_saved);
            m_saved = -1;
        }
        std::ifstream in(m_path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    int m_fd;
    std::string m_path;
    int m_saved { -1 };
};

size_t Occurrences(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++count;
    return count;
}

// The libraries' messages while files open and play go to standard error, each line once, and
// never to standard output.
TEST_F(PlayerTest, LibraryMessagesReachStandardErrorOnceAndNeverStandardOutput)
{
    const std::string note = mediatest::Folder() + "log note.mp4";
    std::ofstream(note) << "this is a note, not a video\n";
    CapturedStream out(STDOUT_FILENO, mediatest::Folder() + "player-stdout.txt");
    CapturedStream err(STDERR_FILENO, mediatest::Folder() + "player-stderr.txt");
    for (int i = 0; i < 3; ++i) {
        CAVPlayer& player = AddPlayer().Player();
        player.OpenAndPlay(note, 0, "--no-audio", "");
        PumpUntil([] { return false; }, 500);
    }
    CAVPlayer& playing = AddPlayer().Player();
    ASSERT_TRUE(playing.OpenAndPlay(ColourClip(), 0, "--no-audio", ""));
    PumpUntil([&] { return Played(playing); }, kLibVlcMs);
    const std::string written = out.Release(), reported = err.Release();
    EXPECT_EQ(written, "") << "standard output";
    // Once per process: an earlier test may have written it already.
    EXPECT_LE(Occurrences(reported, "moov atom not found"), 1u) << reported;
}

TEST(PlayerLog, EachLineIsWrittenOnce)
{
    CapturedStream err(STDERR_FILENO, mediatest::Folder() + "log-once.txt");
    EXPECT_TRUE(player_log::WriteOnce("libVLC", "a unique warning 1"));
    EXPECT_FALSE(player_log::WriteOnce("libVLC", "a unique warning 1"));
    EXPECT_TRUE(player_log::WriteOnce("FFmpeg", "a unique warning 1")) << "another library's line";
    EXPECT_FALSE(player_log::WriteOnce("libVLC", ""));
    EXPECT_EQ(err.Release(), "libVLC: a unique warning 1\nFFmpeg: a unique warning 1\n");
}

TEST_F(PlayerTest, DestroyedPlayerIsNoLongerAliveAndGetsNoEvents)
{
    auto player = std::make_unique<CAVPlayer>();
    const void* address = player.get();
    EXPECT_TRUE(CAVPlayer::IsAlive(address));
    player->SetPositionHandler([](CAVPlayer* p) { EXPECT_TRUE(CAVPlayer::IsAlive(p)); });
    ASSERT_TRUE(player->OpenAndPlay(ColourClip(), 0, "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return player->PlaybackTimeMs() > 200; }, kLibVlcMs));
    player.reset();  // while libVLC still plays and sends position events
    EXPECT_FALSE(CAVPlayer::IsAlive(address));
}

// libVLC 3.0 loses a few bytes of filter options each time it sets up the "transform" filter; in a
// sanitizer build that would fail the whole test program at exit. The turned cases therefore run
// in a child process of their own (this program again) with leak detection off there only.
bool RunTurnedCasesInAChild(const char* filter)
{
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0)
        return false;
    const char* asan = std::getenv("ASAN_OPTIONS");
    return mediatest::Shell(std::string("QUILL_PLAYER_TURNED_CHILD=1 ASAN_OPTIONS='") + (asan ? asan : "")
                            + ":detect_leaks=0' '" + std::string(self, length) + "' --gtest_filter=" + filter
                            + " > /dev/null");
}

TEST_F(PlayerTest, OutputWindowShowsTheFrame)
{
    CAVPlayer& player = AddPlayer({ 0, 0, 320, 240 }).Player();
    ASSERT_TRUE(player.OpenAndPlay(HalvesClip(), 0, "--no-audio", ""));
    ASSERT_TRUE(PumpUntil([&] { return player.Frames()->FramesPublished() >= 3; }, kLibVlcMs));
    for (const auto& [probe, want] : { std::pair { POINT { 160, 60 }, 0xFF0000u }, std::pair { POINT { 160, 180 }, 0x0000FFu },
                                        std::pair { POINT { 5, 5 }, 0xFF0000u } }) {  // no bars: the same shape
        EXPECT_TRUE(PumpUntil([&] { return Near(hl::PixelAt(probe.x, probe.y), want); }, kLibVlcMs))
            << std::hex << hl::PixelAt(probe.x, probe.y) << " at " << std::dec << probe.x << "," << probe.y;
    }
}

TEST_F(PlayerTest, RotationOptionTurnsTheFrame)
{
    if (!std::getenv("QUILL_PLAYER_TURNED_CHILD")) {
        EXPECT_TRUE(RunTurnedCasesInAChild("PlayerTest.RotationOptionTurnsTheFrame")) << "the turned cases failed";
        return;
    }
    // Quarter turns make the picture 240x320: shown 180x240 in the middle with black bars beside it,
    // the old top (red) on the right for a clockwise turn, on the left for the other way.
    const struct {
        const char* filter;
        uint32_t right;
        uint32_t left;
    } cases[] = {
        { "transform{type=90}", 0xFF0000, 0x0000FF },
        { "transform{type=270}", 0x0000FF, 0xFF0000 },
    };
    CAVPlayer& player = AddPlayer({ 0, 0, 320, 240 }).Player();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        // The two options exactly as the main window passes them.
        ASSERT_TRUE(player.OpenAndPlay(HalvesClip(), 0, "--video-filter", c.filter));
        const uint64_t frames = player.Frames()->FramesPublished();
        ASSERT_TRUE(PumpUntil([&] { return player.Frames()->FramesPublished() >= frames + 3; }, kLibVlcMs));
        const struct {
            POINT probe;
            uint32_t want;
        } probes[] = { { { 215, 30 }, c.right }, { { 215, 210 }, c.right }, { { 105, 30 }, c.left },
                       { { 105, 210 }, c.left }, { { 30, 120 }, 0 }, { { 290, 120 }, 0 } };
        for (const auto& p : probes)
            EXPECT_TRUE(PumpUntil([&] { return Near(hl::PixelAt(p.probe.x, p.probe.y), p.want); }, kLibVlcMs))
                << std::hex << hl::PixelAt(p.probe.x, p.probe.y) << " at " << std::dec << p.probe.x << "," << p.probe.y;
    }
}

TEST_F(PlayerTest, BrightnessContrastAndSaturationSwitchTheAdjustFilterOn)
{
    // The clip is 0x3060C0; each setting changes the picture in its own way.
    const struct {
        const char* name;
        void (CAVPlayer::*set)(float);
        float value;
        bool (*changed)(uint32_t before, uint32_t after);
    } cases[] = {
        { "brightness", &CAVPlayer::SetBrightnessLevel, 1.8f,
          [](uint32_t b, uint32_t a) { return (a & 0xFF) > (b & 0xFF) + 20 && ((a >> 16) & 0xFF) > ((b >> 16) & 0xFF) + 20; } },
        { "contrast", &CAVPlayer::SetContrastLevel, 2.0f,
          [](uint32_t b, uint32_t a) { return ((a >> 16) & 0xFF) + 20 < ((b >> 16) & 0xFF); } },  // dark red darker
        { "saturation", &CAVPlayer::SetSaturationLevel, 0.0f,
          [](uint32_t, uint32_t a) { return std::abs(static_cast<int>(a & 0xFF) - static_cast<int>((a >> 16) & 0xFF)) < 16; } },
    };
    CAVPlayer& player = AddPlayer().Player();
    player.SetBrightnessLevel(1.8f);  // nothing open: nothing happens
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(player.OpenAndPlay(ColourClip(), 0, "--no-audio", ""));
        ASSERT_TRUE(PumpUntil([&] { return Near(hl::PixelAt(160, 120), 0x3060C0); }, kLibVlcMs))
            << std::hex << hl::PixelAt(160, 120);
        const uint32_t before = hl::PixelAt(160, 120);
        (player.*c.set)(c.value);
        EXPECT_TRUE(PumpUntil([&] { return c.changed(before, hl::PixelAt(160, 120)); }, kLibVlcMs))
            << std::hex << before << " then " << hl::PixelAt(160, 120);
    }
}

}  // namespace

// The editor opens a preview on a worker while its start-up warm-up opens the same player on
// another: neither may release the libVLC instance the other is still building on.
TEST_F(PlayerTest, OpensOfOnePlayerFromTwoThreadsTakeTurns)
{
    CAVPlayer& player = AddPlayer().Player();
    const std::string clip = ColourClip(), missing = mediatest::Folder() + "missing.mp4";
    for (int round = 0; round < 8; ++round) {
        std::thread other([&] { player.OpenAndPlay(missing, 0, "--no-audio", ""); });
        EXPECT_TRUE(player.OpenAndPlay(clip, 0, "--no-audio", "")) << "round " << round;
        other.join();
    }
    ASSERT_TRUE(player.OpenAndPlay(clip, 0, "--no-audio", ""));
    EXPECT_TRUE(PumpUntil([&] { return Played(player); }, kLibVlcMs));
}
