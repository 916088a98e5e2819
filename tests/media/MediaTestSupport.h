#pragma once
// Shared pieces of the media tests: a private folder that HOME and TMPDIR point to, fixtures made
// there on first use with the real encoder, a libavformat look at an output, and stand-ins for the
// page controls and list rows that the jobs drive.

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "editor/dialogs/MessageWnd.h"
#include "media/ExportPageView.h"

struct AVFrame;

namespace mediatest {

// The test process's own folder (made once, removed at exit), with a trailing slash.
const std::string& Folder();
std::wstring WideFolder();
std::string Narrow(const std::wstring& text);
std::wstring Wide(const std::string& text);

// Runs a shell command line of the test's own (fixture making); true when it exits with 0.
bool Shell(const std::string& command);
// Makes the named fixture on first use and returns its path. Names: "in put.mp4" (4 s 320x240
// H.264/AAC), "silent.mp4" (no sound), "ntsc.mp4" (30000/1001 fps), "[a] b'c.mkv" (with an SRT
// subtitle stream shown from 0 to 1 s), "clip.webm", "tone.m4a", "notmedia.mp4", "long.mp4"
// (40 s 160x120), "twovideo.mkv" (two video streams, 320x240 then 160x120), "small.mp4" (160x120),
// "short.mp4" (2 s 160x120),
// "fast.mp4" (240 fps), "film.mp4" (10 s 160x120 at 24000/1001 fps), "empty.mp4" (no bytes),
// "cover.m4a" (sound with a cover picture), "stream.h264" (a bare video stream with no duration),
// "rgb.mp4" (3 s 160x120: red, green, blue, a second each), "red.mp4" (3 s), "blue.mp4" (6 s, with
// sound), "shortsound.mp4" (4 s picture, 2 s sound), "corner.mp4" (1 s 320x240 black, its top
// left 80x60 red), "timedtext.mp4" (6 s with a timed-text track),
// "red.png" (a 160x120 picture).
std::wstring Fixture(const std::string& name);
// A script that runs the real encoder at the input's own speed, so a run lasts as long as its
// material and can be stopped midway.
std::wstring RealTimeEncoder();
// A script that runs the real encoder with a limit on the size of the files it writes: writes past
// it fail as they would on a full disk.
std::wstring SizeLimitedEncoder(long bytes);

struct Rgb {
    int r = 0, g = 0, b = 0;
};
// The colour at (x, y) of the first picture of a video or picture file; false when unreadable.
bool PixelAt(const std::wstring& path, int x, int y, Rgb& colour);
// Decodes the first picture of `path` and hands it to `use`; false when there is none.
bool WithFirstFrame(const std::wstring& path, const std::function<void(const AVFrame&)>& use);
// Names a clear colour as "red", "green", "blue", "black" or "white"; "other" for the rest.
std::string ColourName(const Rgb& colour);

struct OutputInfo {
    bool opened = false;
    double durationSeconds = 0;
    int width = 0, height = 0;
    std::string videoCodec, audioCodec;  // empty when the stream is missing
    int subtitleStreams = 0;
    long long videoFrames = 0;  // as the container counts them
    double audioSeconds = 0;    // the first audio stream's own length
};
OutputInfo Probe(const std::wstring& path);
bool Exists(const std::wstring& path);
// Children of this test process that are still there (zombies included).
int ChildProcessCount();

class FakeGifRow : public GifRowView {
public:
    void ShowProgress(float percent, const std::wstring& text) override;
    void BeginRun() override;
    void FinishRun(const std::wstring& outputPath, bool succeeded) override;

    std::mutex lock;
    std::vector<float> percents;
    std::wstring lastText;
    int begun = 0, finished = 0;
    bool succeeded = false;
    std::wstring output;
};

class FakePageView : public ExportPageView {
public:
    SkinUI::CUIString FieldText(const wchar_t* controlName) const override;
    int SliderValue(const wchar_t* controlName) const override;
    bool OptionSelected(const wchar_t* controlName) const override { return options.count(controlName) > 0; }
    SIZE WorkAreaSize() const override { return workArea; }
    void ShowCropOverlays(bool show) override { overlaysShown = show; }
    int SplitTaskCount() const override { return static_cast<int>(splitTasks.size()); }
    bool SplitTask(int row, SkinUI::CUIString& task, SkinUI::CUIString& baseName) const override;
    GifRowView* FindGifRow(const SkinUI::CUIString& rowId) override;
    void SetGifListBusy(bool busy) override { busyChanges.push_back(busy); }

    // The cut page with the range start..end (seconds) and an untouched crop rectangle.
    void SetCutRange(double start, double end);

    std::map<std::wstring, std::wstring> fields;
    std::map<std::wstring, int> sliders;
    std::set<std::wstring> options;  // the selected ones
    SIZE workArea { 1920, 1040 };
    bool overlaysShown = false;
    std::vector<std::pair<std::wstring, std::wstring>> splitTasks;  // task, base name
    std::map<std::wstring, FakeGifRow*> gifRows;
    std::vector<bool> busyChanges;
};

// Answers every message dialog of the test with a fixed answer and keeps the messages asked.
class MessageRecorder {
public:
    explicit MessageRecorder(int answer = 2);
    ~MessageRecorder();
    std::vector<std::wstring> Messages();

private:
    std::mutex m_lock;
    std::vector<std::wstring> m_messages;
};

}  // namespace mediatest
