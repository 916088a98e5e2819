// The multi-clip page's edit sub-pages on the headless window, driven by control names over real
// clip rows: what each save records, the files it makes, and what the clip-list export then
// makes of it with the real encoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "IncomingFilesFixture.h"
#include "MainWndFixture.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "media/CommandText.h"
#include "platform/CommDlg.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/ProgressUI.h"

namespace {

namespace fs = std::filesystem;

SkinUI::IContainerUI* Items(SkinUI::CControlUI* control)
{
    return static_cast<SkinUI::IContainerUI*>(control->GetInterface(L"IContainer"));
}

SkinUI::CControlUI* At(SkinUI::CControlUI* control, std::initializer_list<int> path)
{
    for (int i : path)
        control = control ? Items(control)->GetItemAt(i) : nullptr;
    return control;
}

std::wstring Text(SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetText().GetData()) : L"<missing>";
}

int Value(SkinUI::CControlUI* control)
{
    return static_cast<SkinUI::CProgressUI*>(control->GetInterface(L"Progress"))->GetValue();
}

std::vector<std::wstring> Texts(std::initializer_list<SkinUI::CControlUI*> controls)
{
    std::vector<std::wstring> texts;
    for (SkinUI::CControlUI* c : controls)
        texts.push_back(Text(c));
    return texts;
}

// Mean volume in dB of the audio between two times of a file, by the encoder's volume detector.
double MeanVolume(const std::wstring& path, double from, double length)
{
    char command[2048];
    std::snprintf(command, sizeof command,
                  "ffmpeg -nostdin -hide_banner -ss %.2f -t %.2f -i '%s' -af volumedetect -f null - 2>&1", from, length,
                  WideToUtf8(EncoderPath(path)).c_str());
    double mean = -1000;
    if (FILE* pipe = popen(command, "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            if (const char* at = std::strstr(line, "mean_volume:"))
                mean = std::atof(at + 12);
        pclose(pipe);
    }
    return mean;
}

// The row the clip-list export drives, standing in for the launcher's view of a list row.
class ExportRow : public ClipRowView {
public:
    explicit ExportRow(std::wstring size) : m_size(std::move(size)) {}
    void ShowProgress(float, const std::wstring&) override {}
    bool IsMute() const override { return false; }
    std::wstring Resolution() const override { return m_size; }
    void FinishRun(const std::wstring& path, bool ok) override
    {
        output = path;
        succeeded = ok;
    }
    std::wstring output;
    bool succeeded = false;

private:
    std::wstring m_size;
};

class ClipSubPages : public incoming::MainWindowFixture {
protected:
    void SetUp() override
    {
        incoming::MainWindowFixture::SetUp();
        window->m_strEncoder = L"ffmpeg.exe";
        incoming::ShowPageOf(*window, window->m_pVideoAddfileL);
    }
    void TearDown() override
    {
        platform::SetDesktopDialogHook(nullptr);
        incoming::MainWindowFixture::TearDown();
    }
    // Rows for the clips, built as adding files builds them.
    std::vector<SkinUI::CControlUI*> AddRows(const std::vector<std::wstring>& clips)
    {
        window->ShowRowList(CMainWnd::RowPage::Clip);
        window->AppendPendingFiles(CMainWnd::RowPage::Clip, clips);
        window->StartRowBuilder(CMainWnd::RowPage::Clip);
        EXPECT_TRUE(Settle(60000));
        std::vector<SkinUI::CControlUI*> rows;
        for (const std::wstring& clip : clips)
            rows.push_back(FindClipRow(window->m_pVideoAddfileL, clip));
        return rows;
    }
    void Click(SkinUI::CControlUI* control)
    {
        ASSERT_NE(control, nullptr);
        window->GetPaintManager().SendNotify(control, L"click");
    }
    void Click(const wchar_t* name) { Click(Named(name)); }
    SkinUI::CControlUI* Named(const wchar_t* name) { return window->GetPaintManager().FindControl(name); }
    // The row's edit button: 0 subtitle, 1 watermark, 2 cover, 3 music.
    static SkinUI::CControlUI* EditButton(SkinUI::CControlUI* row, int kind) { return At(row, { 2, 5, kind }); }
    void SelectItem(const wchar_t* combo, int index)
    {
        static_cast<SkinUI::CComboUI*>(Named(combo)->GetInterface(L"Combo"))->SelectItem(index);
    }
    // "Change video" to `choice` on each of the four sub-pages of the row is refused with the one
    // notice, and the row and the sub-page keep `kept`.
    void ExpectEveryChangeRefused(SkinUI::CControlUI* row, const std::wstring& choice, const std::wstring& notice,
                                  const std::wstring& kept)
    {
        const struct { int kind; const wchar_t* change; } pages[] = {
            { kClipCover, L"ChangeCorverVideo" }, { kClipMusic, L"ChangeMusicVideo" },
            { kClipWatermark, L"ChangeWaterVideo" }, { kClipSubtitles, L"ChangeSubtitleVideo" },
        };
        for (const auto& page : pages) {
            SCOPED_TRACE(WideToUtf8(page.change));
            Click(EditButton(row, page.kind));
            notices.clear();
            AnswerDialogsWith(choice);
            Click(page.change);
            platform::headless::PumpMessages();
            EXPECT_EQ(notices, std::vector<std::wstring> { notice });
            EXPECT_EQ(ReadClipRow(row).path, kept);
            EXPECT_EQ(window->m_strClipFile, kept);
            Click(L"returnMainWnd");
        }
    }
    void AnswerDialogsWith(const std::wstring& path)
    {
        const std::string output = WideToUtf8(path) + "\n";
        platform::SetDesktopDialogHook([output](const std::vector<std::string>&, std::string& out) {
            out = output;
            return 0;
        });
    }
    void Type(std::initializer_list<SkinUI::CControlUI*> group, std::initializer_list<const wchar_t*> texts)
    {
        auto text = texts.begin();
        for (SkinUI::CControlUI* field : group)
            field->SetText(*text++);
    }
    const ClipRecord* RecordOf(const std::wstring& path) const
    {
        for (const ClipRecord& record : window->m_vecClips)
            if (record.path == path.c_str())
                return &record;
        return nullptr;
    }
    // Exports the saved clips through the clip-list job; the outputs in clip order.
    std::vector<std::wstring> ExportSaved(const std::vector<std::wstring>& clips)
    {
        // The cover stage pads a silent clip with the program's short silence.
        const std::string silence = WideToUtf8(window->m_strAppFolder) + "roreravconvert.aac";
        EXPECT_TRUE(fs::exists(silence) || std::system(("ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                                         "anullsrc=r=44100:cl=stereo -t 0.2 -c:a aac '" + silence + "'")
                                                            .c_str())
                        == 0);
        std::vector<std::unique_ptr<ExportRow>> rows;
        for (const std::wstring& clip : clips) {
            const ClipRecord* record = RecordOf(clip);
            EXPECT_NE(record, nullptr);
            if (record == nullptr)
                return {};
            const ClipRowFacts facts = ReadClipRow(FindClipRow(window->m_pVideoAddfileL, clip));
            rows.push_back(std::make_unique<ExportRow>(facts.width + L"x" + facts.height));
            ClipExportEntry entry = MakeClipExportEntry(*record, facts.width, facts.height, L"25");
            entry.row = rows.back().get();
            window->QueueClipExport(entry);
        }
        MediaFileInfo settings;
        settings.folder = AnsiToWide(FreshFolder("clip outputs")).c_str();
        window->m_bClipRunning = 1;  // as the launcher sets it
        window->ExportClipList(1, settings);
        std::vector<std::wstring> outputs;
        for (const auto& row : rows) {
            EXPECT_TRUE(row->succeeded) << WideToUtf8(row->output);
            outputs.push_back(row->output);
        }
        return outputs;
    }
};

// The greyscale brightness of one pixel of a decoded frame at a time.
int PixelAt(const std::wstring& path, double seconds, int x, int y)
{
    char command[2048];
    std::snprintf(command, sizeof command,
                  "ffmpeg -nostdin -loglevel error -ss %.2f -i '%s' -frames:v 1 -vf crop=2:2:%d:%d -f rawvideo "
                  "-pix_fmt gray -",
                  seconds, WideToUtf8(EncoderPath(path)).c_str(), x, y);
    int value = -1;
    if (FILE* pipe = popen(command, "r")) {
        value = std::fgetc(pipe);
        pclose(pipe);
    }
    return value;
}

}  // namespace

TEST(CoverRuns, EachChoiceRunsWhatItNeedsInOrder)
{
    int made = 0;
    const auto newPicture = [&made](const wchar_t* stem) { return FormatWide(L"/w/%s-%d.png", stem, ++made); };
    ClipRecord work;
    CoverChoice picture;
    picture.picture = L"/p/my cover.jpg";
    EXPECT_TRUE(PlanCoverRuns(L"ffmpeg.exe", L"/c/clip.mp4", picture, newPicture, work).empty());
    EXPECT_EQ(work.coverFile, L"/p/my cover.jpg");
    EXPECT_EQ(work.coverSinglePicture, 1);
    EXPECT_EQ(work.coverKeepRatio, 1);

    CoverChoice frame;
    frame.singlePicture = false;
    frame.frameTime = 90.5f;
    frame.tile = true;
    frame.width = L"320";
    frame.height = L"240";
    frame.rotate = true;
    frame.rotation = L"270°";
    const std::vector<CoverRun> runs = PlanCoverRuns(L"ffmpeg.exe", L"/c/clip.mp4", frame, newPicture, work);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].command, L"ffmpeg.exe -ss 90.500000 -y -i \"/c/clip.mp4\"  -vframes 1 -f image2   -preset superfast "
                               L"\"/w/cover-frame-1.png\" ");
    EXPECT_EQ(runs[1].command, L"ffmpeg.exe -y -i \"/w/cover-frame-1.png\"  -vframes 1 -f image2  -s 320x240 -preset "
                               L"superfast \"/w/cover-tiled-2.png\" ");
    EXPECT_EQ(runs[2].command, L"ffmpeg.exe  -y -i \"/w/cover-tiled-2.png\"  -vf \"transpose = 2\"  -preset superfast "
                               L"\"/w/cover-turned-3.png\" ");
    EXPECT_EQ(work.coverFile, runs[2].output);
    EXPECT_FLOAT_EQ(work.coverFrameTime, 90.5f);
    EXPECT_EQ(work.coverKeepRatio, 0);
    EXPECT_EQ(std::wstring(work.coverRotation.GetData()), L"270°");

    // Without the clip's size a stretch cannot be made: the cover keeps its proportions.
    frame.width.clear();
    frame.rotate = false;
    EXPECT_EQ(PlanCoverRuns(L"ffmpeg.exe", L"/c/clip.mp4", frame, newPicture, work).size(), 1u);
    EXPECT_EQ(work.coverKeepRatio, 1);
}

TEST(ClipDurationTexts, ComeFromTheNumber)
{
    struct Case { long long ms; const wchar_t* tenths; const wchar_t* clock; };
    const Case cases[] = {
        { 83456, L"4", L"00:01:23" }, { 12345, L"3", L"00:00:12" }, { 999, L"9", L"" },
        { 12, L"0", L"" }, { 0, L"0", L"" }, { 3723900, L"9", L"01:02:03" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(DurationTenthsText(c.ms), c.tenths);
        EXPECT_EQ(DurationClockText(c.ms), c.clock);
    }
    EXPECT_EQ(DurationMsOf(L""), 0);
    EXPECT_EQ(DurationMsOf(L"185000.000"), 185000);
}

TEST(PictureBox, FillsTheWidthOfAWideClipAndTheHeightOfAnyOther)
{
    struct Case { double aspect; int w, h, boxW, boxH; SIZE want; };
    const Case cases[] = {
        { 3.0, 0, 0, 975, 360, { 975, 326 } },      // pad 17 above and below
        { 2.708, 0, 0, 975, 360, { 974, 360 } },    // not wider than the box: full height
        { 1.777, 0, 0, 975, 360, { 639, 360 } },
        { 2.5, 0, 0, 724, 360, { 724, 290 } },      // pad 35
        { 2.011, 0, 0, 724, 360, { 723, 360 } },
        { 0, 640, 360, 724, 360, { 640, 360 } },    // no aspect: the clip's own shape
        { 0, 0, 0, 724, 360, { 724, 360 } },        // nothing known: the whole box
        { 3.0, 0, 0, 1462, 540, { 1462, 488 } },    // the same box at 150 %
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aspect);
        const SIZE got = FitPictureInBox(c.aspect, c.w, c.h, c.boxW, c.boxH);
        EXPECT_EQ(got.cx, c.want.cx);
        EXPECT_EQ(got.cy, c.want.cy);
    }
}

TEST_F(ClipSubPages, CoversOfTwoClipsAreTheirOwnAndReachTheExport)
{
    const std::wstring first = incoming::VideoWithSound("cover one.mp4", 2);
    const std::wstring second = incoming::MakeMedia("cover two.mp4", "-f lavfi -i color=c=black:size=320x240:rate=25 "
                                                                     "-f lavfi -i sine -t 2" + incoming::kH264 + " -c:a aac");
    const std::wstring white = incoming::MakeMedia("white cover.png", "-f lavfi -i color=c=white:size=160x120 -frames:v 1");
    ASSERT_FALSE(first.empty() || second.empty() || white.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ first, second });
    ASSERT_TRUE(rows[0] && rows[1]);
    CMainWnd& w = *window;

    // First clip: a frame at 1 s, shown 1 s, stretched to the clip and turned.
    Click(EditButton(rows[0], kClipCover));
    ASSERT_TRUE(w.m_pSoundTrack->IsVisible());
    // The sub-page takes the whole page: the list's work area must not keep a share of it.
    const auto fillsPage = [&] {
        const RECT page = w.m_pSoundTrack->GetParent()->GetPos(), sub = w.m_pSoundTrack->GetPos();
        return sub.top == page.top && sub.bottom == page.bottom;
    };
    EXPECT_TRUE(incoming::PumpUntil(fillsPage, 2000));
    EXPECT_FALSE(w.m_pCorverVideoExport->IsEnabled());  // nothing chosen yet
    SelectItem(L"Corver", 1);
    EXPECT_TRUE(w.m_pCorverPic->IsVisible());
    EXPECT_TRUE(w.m_pCorverVideoExport->IsEnabled());
    Type({ w.m_pCorverHour, w.m_pCorverminute, w.m_pCorversecond, w.m_pCorverMillsecond }, { L"00", L"00", L"01", L"000" });
    Type({ w.m_pCorverTimerHour, w.m_pCorverTimerminute, w.m_pCorverTimersecond, w.m_pCorverTimerMillsecond },
         { L"00", L"00", L"01", L"000" });
    SelectItem(L"CorverType", 1);
    incoming::Select(Named(L"CoverSpin"));
    SelectItem(L"CorverComspin", 1);
    Click(L"CorverVideoExport");
    ASSERT_TRUE(incoming::PumpUntil([&] { return !w.m_pSoundTrack->IsVisible(); }, 20000));
    EXPECT_TRUE(w.m_pVideoAddfileL->IsVisible());

    // Second clip: a chosen picture in proportion, shown 1 s.
    Click(EditButton(rows[1], kClipCover));
    EXPECT_EQ(Text(w.m_pCorverHour), L"00");  // a clip without a record opens with the defaults
    AnswerDialogsWith(white);
    Click(L"SoundTrackbtnAdd");
    EXPECT_EQ(Text(w.m_pCoverPath), white);
    Type({ w.m_pCorverTimerHour, w.m_pCorverTimerminute, w.m_pCorverTimersecond, w.m_pCorverTimerMillsecond },
         { L"00", L"00", L"01", L"000" });
    Click(L"CorverVideoExport");
    EXPECT_FALSE(w.m_pSoundTrack->IsVisible());  // nothing to encode: saved at once

    ASSERT_EQ(w.m_vecClips.size(), 2u);
    ASSERT_TRUE(RecordOf(first) && RecordOf(second));
    const ClipRecord a = *RecordOf(first), b = *RecordOf(second);
    EXPECT_EQ(a.kind, kClipCover);
    EXPECT_EQ(b.coverFile, white);
    EXPECT_NE(a.coverFile, b.coverFile);
    EXPECT_TRUE(fs::exists(WideToUtf8(a.coverFile)));
    EXPECT_FLOAT_EQ(a.coverDuration, 1.0f);
    EXPECT_EQ(std::wstring(a.durationMsText.GetData()), L"2000");
    auto* marked = static_cast<SkinUI::CLabelUI*>(EditButton(rows[0], kClipCover));
    EXPECT_EQ(marked->GetTextColor(), 0xFF347AEBu);
    EXPECT_EQ(static_cast<SkinUI::CLabelUI*>(EditButton(rows[0], kClipMusic))->GetTextColor(), kClipEditPlainColour);

    // Saving again keeps one record per clip, the newest last; reopening restores the page.
    Click(EditButton(rows[0], kClipCover));
    EXPECT_EQ(Texts({ w.m_pCorverHour, w.m_pCorverminute, w.m_pCorversecond, w.m_pCorverMillsecond }),
              (std::vector<std::wstring> { L"00", L"00", L"01", L"000" }));
    EXPECT_EQ(Text(Named(L"CorverComspin")), L"180°");
    Click(L"CorverVideoExport");
    ASSERT_TRUE(incoming::PumpUntil([&] { return !w.m_pSoundTrack->IsVisible(); }, 20000));
    ASSERT_EQ(w.m_vecClips.size(), 2u);
    EXPECT_EQ(std::wstring(w.m_vecClips.back().path.GetData()), first);
    EXPECT_NE(RecordOf(first)->coverFile, a.coverFile);  // a new file for a new save
    EXPECT_TRUE(fs::exists(WideToUtf8(a.coverFile)));    // the earlier one is left alone

    // The export opens each clip with its own still: a white picture before the black clip, a
    // frame of the coloured test picture before the coloured one.
    const std::vector<std::wstring> outputs = ExportSaved({ first, second });
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_GT(PixelAt(outputs[1], 0.3, 80, 60), 200);   // white cover
    EXPECT_LT(PixelAt(outputs[1], 2.0, 80, 60), 40);    // then the black clip
    const int firstCover = PixelAt(outputs[0], 0.3, 160, 120);
    EXPECT_GE(firstCover, 0);
    EXPECT_LT(firstCover, 200);  // not the other clip's white cover
}

// The data folder removed while the program runs (as a brand-new account starts without one): the
// cover export makes its work folder again, succeeds, and the history keeps the export.
TEST_F(ClipSubPages, ACoverExportMakesTheFoldersItWritesInto)
{
    const std::wstring clip = incoming::VideoWithSound("fresh cover.mp4", 1);
    const std::wstring white = incoming::MakeMedia("white cover.png", "-f lavfi -i color=c=white:size=160x120 -frames:v 1");
    ASSERT_FALSE(clip.empty() || white.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipCover));
    AnswerDialogsWith(white);
    Click(L"SoundTrackbtnAdd");
    Type({ w.m_pCorverTimerHour, w.m_pCorverTimerminute, w.m_pCorverTimersecond, w.m_pCorverTimerMillsecond },
         { L"00", L"00", L"01", L"000" });
    Click(L"CorverVideoExport");
    ASSERT_NE(RecordOf(clip), nullptr);

    const std::string data = WideToUtf8(w.m_strDataFolder);
    fs::remove_all(data);
    const std::vector<std::wstring> outputs = ExportSaved({ clip });
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].find(L'\\'), std::wstring::npos) << WideToUtf8(outputs[0]);
    EXPECT_TRUE(fs::exists(WideToUtf8(outputs[0])));
    EXPECT_NE(ReadFileText(data + "/Config/History.xml").find(WideToUtf8(outputs[0])), std::string::npos);
}

TEST_F(ClipSubPages, AFailedFrameGrabSavesNothingAndSaysSo)
{
    const std::wstring clip = incoming::VideoWithSound("vanishing.mp4", 1);
    const std::string copy = EditorScratchFolder() + "/media/gone soon.mp4";
    fs::copy_file(WideToUtf8(clip), copy, fs::copy_options::overwrite_existing);
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ AnsiToWide(copy) });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipCover));
    SelectItem(L"Corver", 1);
    fs::remove(copy);
    Click(L"CorverVideoExport");
    ASSERT_TRUE(incoming::PumpUntil([&] { return !notices.empty(); }, 20000));
    EXPECT_NE(notices.back().find(L"封面"), std::wstring::npos);
    EXPECT_TRUE(w.m_vecClips.empty());
    EXPECT_TRUE(w.m_pSoundTrack->IsVisible());  // the page stays for another try
    EXPECT_TRUE(w.m_pCorverVideoExport->IsEnabled());
}

TEST_F(ClipSubPages, MusicPageOpensWithTheClipsLengthAndItsVolumes)
{
    const std::wstring clip = incoming::VideoWithSound("music clip.mp4", 1);
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    SkinUI::CControlUI* time = At(rows[0], { 2, 0, 1, 1 });
    const std::vector<SkinUI::CControlUI*> end { w.m_pVideoOverHour, w.m_pVideoOverminute, w.m_pVideoOversecond,
                                                 w.m_pVideoOverMillsecond };
    // Durations the row may carry; the short and unreadable ones keep the clock text they had.
    struct Case { const wchar_t* ms; std::vector<std::wstring> end; };
    const Case cases[] = {
        { L"83456", { L"00", L"01", L"23", L"4" } },
        { L"999", { L"00", L"01", L"23", L"9" } },
        { L"12", { L"00", L"01", L"23", L"0" } },
        { L"", { L"00", L"01", L"23", L"0" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.ms));
        time->SetUserData(c.ms);
        static_cast<SkinUI::CProgressUI*>(w.m_pVideoSlider->GetInterface(L"Progress"))->SetValue(7);
        Click(EditButton(rows[0], kClipMusic));
        EXPECT_TRUE(w.m_pMusicTrack->IsVisible());
        EXPECT_FALSE(w.m_pMusicExport->IsEnabled());
        ASSERT_TRUE(incoming::PumpUntil([&] { return Value(w.m_pVideoSlider) == 100; }));
        EXPECT_EQ(Texts({ end[0], end[1], end[2], end[3] }), c.end);
        EXPECT_EQ(Value(w.m_pMusicSlider), 100);
        Click(L"returnMainWnd");
    }
}

TEST_F(ClipSubPages, VolumeButtonsStayInRangeAndCarryTheirLabel)
{
    CMainWnd& w = *window;
    struct Case { const wchar_t* button; SkinUI::CControlUI* slider; int from, want; SkinUI::CControlUI* label; };
    const Case cases[] = {
        { L"MusicSoundAdd", w.m_pMusicSlider, 200, 200, w.m_pMusicValue },
        { L"VideoSoundReduce", w.m_pVideoSlider, 0, 0, w.m_pVideoValue },
        { L"MusicSoundAdd", w.m_pMusicSlider, 100, 101, w.m_pMusicValue },
        { L"VideoSoundAdd", w.m_pVideoSlider, 100, 101, w.m_pVideoValue },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.button));
        static_cast<SkinUI::CProgressUI*>(c.slider->GetInterface(L"Progress"))->SetValue(c.from);
        Click(c.button);
        EXPECT_EQ(Value(c.slider), c.want);
        EXPECT_EQ(Text(c.label), std::to_wstring(c.want));
    }
    w.m_pMusicTrack->SetVisible(true);
    ::UpdateWindow(w.GetHWND());
    platform::headless::PumpMessages();
    const RECT box = w.m_pMusicValue->GetParent()->GetPos();
    EXPECT_EQ(w.m_pMusicValue->GetPos().left - box.left, 154);
    EXPECT_EQ(w.m_pMusicValue->GetPos().right - w.m_pMusicValue->GetPos().left, 26);
}

TEST_F(ClipSubPages, MusicIsHeardWhereItIsPlacedAndTheClipElsewhere)
{
    // A silent-sounding clip (its track is silence) and a loud tone of 185 s as the music.
    const std::wstring clip = incoming::MakeMedia("quiet clip.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -f lavfi "
                                                                    "-i anullsrc=r=44100:cl=stereo -t 4" + incoming::kH264
                                                                    + " -c:a aac -shortest");
    const std::wstring music = incoming::MakeMedia("long tone.m4a", "-f lavfi -i sine=frequency=440:sample_rate=8000 "
                                                                    "-t 185 -c:a aac -b:a 16k");
    ASSERT_FALSE(clip.empty() || music.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipMusic));
    ASSERT_TRUE(incoming::PumpUntil([&] { return Value(w.m_pVideoSlider) == 100; }));
    AnswerDialogsWith(music);
    Click(L"MusicbtnAdd");
    EXPECT_TRUE(w.m_pMusicExport->IsEnabled());
    EXPECT_EQ(Texts({ w.m_pOverMusicHour, w.m_pOverMusicMinute, w.m_pOverMusicSecond, w.m_pOverMusicMillSecond }),
              (std::vector<std::wstring> { L"00", L"03", L"05", L"0" }));
    // The music sounds from 1 s to 3 s of the clip, taken from its start.
    Type({ w.m_pOverMusicHour, w.m_pOverMusicMinute, w.m_pOverMusicSecond, w.m_pOverMusicMillSecond },
         { L"00", L"00", L"02", L"0" });
    Type({ w.m_pVideoOverHour, w.m_pVideoOverminute, w.m_pVideoOversecond, w.m_pVideoOverMillsecond },
         { L"00", L"00", L"03", L"0" });
    Type({ w.m_pVideoTimerHour, w.m_pVideoTimerminute, w.m_pVideoTimersecond, w.m_pVideoTimerMillsecond },
         { L"00", L"00", L"01", L"0" });
    Click(L"MusicSoundReduce");
    Click(L"MusicExport");
    EXPECT_FALSE(w.m_pMusicTrack->IsVisible());

    const ClipRecord* record = RecordOf(clip);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kClipMusic);
    EXPECT_EQ(std::wstring(record->musicPath.GetData()), music);
    EXPECT_EQ(record->musicVolume, 99);
    EXPECT_EQ(record->videoVolume, 100);
    EXPECT_EQ(record->musicLoop, 0);
    EXPECT_EQ(record->mute, 0);
    const ClipExportEntry entry = MakeClipExportEntry(*record, L"320", L"240", L"25");
    EXPECT_FLOAT_EQ(entry.placeStart, 1.0f);
    EXPECT_FLOAT_EQ(entry.placeEnd, 3.0f);
    EXPECT_FLOAT_EQ(entry.musicEnd, 2.0f);
    EXPECT_EQ(static_cast<SkinUI::CLabelUI*>(EditButton(rows[0], kClipMusic))->GetTextColor(), 0xFF347AEBu);

    const std::vector<std::wstring> outputs = ExportSaved({ clip });
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_GT(MeanVolume(outputs[0], 1.3, 1.4), -40.0);  // the tone
    EXPECT_LT(MeanVolume(outputs[0], 0.0, 0.8), -60.0);  // the clip's own silence
    EXPECT_LT(MeanVolume(outputs[0], 3.3, 0.6), -60.0);
}

namespace {

// The brightest greyscale value of the frame at a time.
int BrightestAt(const std::wstring& path, double seconds)
{
    char command[2048];
    std::snprintf(command, sizeof command,
                  "ffmpeg -nostdin -loglevel error -ss %.2f -i '%s' -frames:v 1 -f rawvideo -pix_fmt gray -", seconds,
                  WideToUtf8(EncoderPath(path)).c_str());
    int brightest = -1;
    if (FILE* pipe = popen(command, "r")) {
        for (int c = 0; (c = std::fgetc(pipe)) != EOF;)
            brightest = std::max(brightest, c);
        pclose(pipe);
    }
    return brightest;
}

// Alpha of a PNG's pixels: the number of opaque ones and the picture's size.
struct PngFacts {
    int width = 0, height = 0, opaque = 0, transparent = 0;
};
PngFacts ReadPng(const std::wstring& path)
{
    PngFacts facts;
    char command[2048];
    std::snprintf(command, sizeof command,
                  "ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 '%s'",
                  WideToUtf8(path).c_str());
    if (FILE* pipe = popen(command, "r")) {
        if (std::fscanf(pipe, "%d,%d", &facts.width, &facts.height) != 2)
            facts.width = facts.height = 0;
        pclose(pipe);
    }
    std::snprintf(command, sizeof command, "ffmpeg -nostdin -loglevel error -i '%s' -f rawvideo -pix_fmt rgba -",
                  WideToUtf8(path).c_str());
    if (FILE* pipe = popen(command, "r")) {
        unsigned char pixel[4];
        while (std::fread(pixel, 1, 4, pipe) == 4)
            (pixel[3] > 128 ? facts.opaque : facts.transparent) += 1;
        pclose(pipe);
    }
    return facts;
}

}  // namespace

TEST(PalettePlace, OpensBelowUnlessNearTheWorkAreasBottomOrRight)
{
    const RECT work { 0, 0, 1600, 960 };
    struct Case { POINT button; bool swatch; POINT want; };
    const Case cases[] = {
        { { 800, 500 }, false, { 800, 530 } },     // room below
        { { 800, 739 }, false, { 800, 518 } },     // 221 from the bottom: above
        { { 800, 738 }, false, { 800, 768 } },     // clamped: the popup stays inside
        { { 800, 500 }, true, { 747, 530 } },      // a swatch's button opens to the left
        { { 1300, 500 }, true, { 937, 279 } },     // near the right edge: above
        { { 10, 900 }, true, { 0, 679 } },         // never left of the work area
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button.x << "," << c.button.y);
        const POINT at = PlacePalette(c.button, work, c.swatch, { 360, 190 });
        EXPECT_EQ(at.x, c.want.x);
        EXPECT_EQ(at.y, c.want.y);
    }
}

// A typed subtitle stays where the user can see and reach it, typed key by key and inserted (which
// pins every item's place and lays the layer out again): at the default size it lies on the
// picture; a text wider than the picture starts at its left edge, in the picture's height.
TEST_F(ClipSubPages, TypedSubtitlesStayOnThePicture)
{
    const std::wstring clip = incoming::MakeMedia("wide clip.mp4", "-f lavfi -i color=c=black:size=640x360:rate=25 -t 1"
                                                                   + incoming::kH264);
    ASSERT_FALSE(clip.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipSubtitles));
    auto* layer = dynamic_cast<CWaterFloatWnd*>(w.m_pTextLayerWnd);
    ASSERT_NE(layer, nullptr);
    RECT client {};
    ::GetClientRect(layer->GetHWND(), &client);
    ASSERT_GT(client.right, 0);
    EXPECT_EQ(Text(w.m_pSubtitleFontSize), L"28");

    struct Case { const wchar_t* text; const wchar_t* size; bool wider; };
    const Case cases[] = { { L"Hello subtitles", nullptr, false },
                           { L"Hello subtitles, a line wider than the whole picture", L"90", true } };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        if (c.size != nullptr) {
            auto* sizes = static_cast<SkinUI::CComboUI*>(w.m_pSubtitleFontSize->GetInterface(L"Combo"));
            for (int i = 0; i < sizes->GetCount(); ++i)
                if (Text(sizes->GetItemAt(i)) == c.size)
                    sizes->SelectItem(i);
            ASSERT_EQ(Text(w.m_pSubtitleFontSize), c.size);
        }
        const std::wstring name = w.m_textItem.name;
        std::wstring typed;
        for (const wchar_t* key = c.text; *key != L'\0'; ++key) {
            typed += *key;
            w.m_psubtitleText->SetText(typed.c_str());
            platform::headless::PumpMessages();
        }
        Click(L"InsertSubtitle");
        ::UpdateWindow(layer->GetHWND());
        platform::headless::PumpMessages();
        CWaterTextUI* item = layer->FindItem(name.c_str());
        ASSERT_NE(item, nullptr);
        const RECT rc = item->GetPos();
        EXPECT_GE(rc.left, client.left);
        EXPECT_GE(rc.top, client.top);
        EXPECT_LE(rc.bottom, client.bottom);
        EXPECT_EQ(rc.right > client.right, c.wider);
        if (c.wider) {
            EXPECT_EQ(rc.left, client.left);
        }
    }
    // Another tab hides the layer with the page it lies on; the multi-clip tab shows it again.
    incoming::Select(w.m_ptabFenge);
    EXPECT_FALSE(::IsWindowVisible(layer->GetHWND()));
    incoming::Select(w.m_ptabAdd);
    EXPECT_TRUE(::IsWindowVisible(layer->GetHWND()));
}

TEST_F(ClipSubPages, TypedSubtitlesAreRenderedSavedAndShownInTheirTimes)
{
    const std::wstring clip = incoming::MakeMedia("dark clip.mp4", "-f lavfi -i color=c=black:size=320x240:rate=25 "
                                                                   "-f lavfi -i sine -t 3" + incoming::kH264 + " -c:a aac");
    ASSERT_FALSE(clip.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipSubtitles));
    ASSERT_TRUE(w.m_psubtitleVer->IsVisible());
    ASSERT_NE(w.m_pTextLayerWnd, nullptr);
    EXPECT_EQ(Texts({ w.m_psubtitleOverHour, w.m_psubtitleOverminute, w.m_psubtitleOversecond, w.m_psubtitleOverMillsecond }),
              (std::vector<std::wstring> { L"00", L"00", L"03", L"0" }));
    const std::wstring first = w.m_textItem.name;
    EXPECT_EQ(first.rfind(L"Index", 0), 0u);
    // The layer lies on the picture: a 4:3 clip fills the preview's height, centred.
    const RECT player = w.m_psubtitlePlayer->GetPos();
    RECT layer {};
    ::GetWindowRect(w.m_pTextLayerWnd->GetHWND(), &layer);
    POINT origin { player.left, player.top };
    ::ClientToScreen(w.GetHWND(), &origin);
    EXPECT_EQ(layer.bottom - layer.top, player.bottom - player.top);
    EXPECT_EQ(layer.left - origin.x, (player.right - player.left - (layer.right - layer.left)) / 2);

    Click(L"InsertSubtitle");  // nothing typed: refused with its message
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.back(), L"您还未填写字幕内容，请先添加字幕内容。");
    notices.clear();
    EXPECT_TRUE(w.m_vecTextItems.empty());

    // Two items: "AAAA" from 0.5 s to 1.2 s, "BBBB" from 2.0 s to 2.6 s.
    struct Item { const wchar_t* text; const wchar_t* start[4]; const wchar_t* end[4]; };
    const Item items[] = { { L"AAAA", { L"00", L"00", L"00", L"5" }, { L"00", L"00", L"01", L"2" } },
                           { L"BBBB", { L"00", L"00", L"02", L"0" }, { L"00", L"00", L"02", L"6" } } };
    static_cast<SkinUI::CProgressUI*>(w.m_pSubtitleMarkSlider->GetInterface(L"Progress"))->SetValue(55);
    for (const Item& item : items) {
        w.m_psubtitleText->SetText(item.text);
        Type({ w.m_psubtitleOverHour, w.m_psubtitleOverminute, w.m_psubtitleOversecond, w.m_psubtitleOverMillsecond },
             { item.end[0], item.end[1], item.end[2], item.end[3] });
        Type({ w.m_psubtitleTimerHour, w.m_psubtitleTimerminute, w.m_psubtitleTimersecond, w.m_psubtitleTimerMillsecond },
             { item.start[0], item.start[1], item.start[2], item.start[3] });
        Click(L"InsertSubtitle");
    }
    ASSERT_EQ(w.m_vecTextItems.size(), 2u);
    EXPECT_EQ(w.m_vecTextItems[0].name, first);
    EXPECT_NE(w.m_textItem.name, w.m_vecTextItems[1].name);  // the next item is under way
    EXPECT_FLOAT_EQ(w.m_vecTextItems[0].startSeconds, 0.5f);
    EXPECT_FLOAT_EQ(w.m_vecTextItems[1].endSeconds, 2.6f);
    EXPECT_EQ(w.m_vecTextItems[0].alpha, 200);
    EXPECT_EQ(w.m_vecTextItems[0].colorText, L"ffffff");
    EXPECT_TRUE(w.m_pSubtitleExport->IsEnabled());
    EXPECT_NE(w.m_vecTextItems[0].pngPath, w.m_vecTextItems[1].pngPath);

    Click(L"SubtitleExport");
    for (const std::wstring& n : notices) ADD_FAILURE() << WideToUtf8(n);
    EXPECT_FALSE(w.m_psubtitleVer->IsVisible());
    EXPECT_EQ(w.m_pTextLayerWnd, nullptr);
    ::SetWindowPos(w.GetHWND(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // no layer to carry
    platform::headless::PumpMessages();
    ASSERT_EQ(w.m_vecClips.size(), 1u);
    const ClipRecord record = w.m_vecClips.back();
    EXPECT_EQ(record.kind, kClipSubtitles);
    EXPECT_EQ(record.hasSubtitleFile, 0);
    ASSERT_EQ(record.textItems.size(), 2u);
    for (const TextItem& item : record.textItems) {
        SCOPED_TRACE(WideToUtf8(item.pngPath));
        const PngFacts png = ReadPng(item.pngPath);
        EXPECT_EQ(png.width, layer.right - layer.left);
        EXPECT_EQ(png.height, layer.bottom - layer.top);
        EXPECT_GT(png.opaque, 20);
        EXPECT_GT(png.transparent, png.opaque);
    }
    EXPECT_EQ(static_cast<SkinUI::CLabelUI*>(EditButton(rows[0], kClipSubtitles))->GetTextColor(), 0xFF347AEBu);

    const std::vector<std::wstring> outputs = ExportSaved({ clip });
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_LT(BrightestAt(outputs[0], 0.2), 60);   // before the first item: the black clip
    EXPECT_GT(BrightestAt(outputs[0], 0.8), 150);  // the first item's text
    EXPECT_LT(BrightestAt(outputs[0], 1.6), 60);
    EXPECT_GT(BrightestAt(outputs[0], 2.3), 150);  // the second
}

TEST_F(ClipSubPages, ASubtitleFileReplacesTheItemsAndTypingComesBackOnReopening)
{
    const std::wstring clip = incoming::VideoWithSound("file subtitles.mp4", 2);
    const std::string srt = EditorScratchFolder() + "/media/words.srt";
    WriteFileText(srt, "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    CMainWnd& w = *window;
    Click(EditButton(rows[0], kClipSubtitles));
    w.m_psubtitleText->SetText(L"typed");
    Click(L"InsertSubtitle");
    AnswerDialogsWith(AnsiToWide(srt));
    Click(L"AddSubtitle");
    EXPECT_TRUE(w.m_vecTextItems.empty());
    EXPECT_FALSE(w.m_pInsertSubtitle->IsEnabled());
    EXPECT_FALSE(w.m_psubtitleText->IsEnabled());
    Click(L"SubtitleExport");
    ASSERT_EQ(w.m_vecClips.size(), 1u);
    EXPECT_EQ(w.m_vecClips[0].hasSubtitleFile, 1);
    EXPECT_EQ(w.m_vecClips[0].subtitleFile, AnsiToWide(srt));
    EXPECT_TRUE(w.m_vecClips[0].textItems.empty());

    // Reopened: typing works again, and a save without a file records none.
    Click(EditButton(rows[0], kClipSubtitles));
    EXPECT_TRUE(w.m_pInsertSubtitle->IsEnabled());
    EXPECT_TRUE(w.m_psubtitleText->IsEnabled());
    EXPECT_EQ(Text(w.m_pSubTitlePath), L"");
    Click(L"SubtitleExport");
    ASSERT_EQ(w.m_vecClips.size(), 1u);
    EXPECT_EQ(w.m_vecClips[0].hasSubtitleFile, 0);
}

TEST(WatermarkPictureFit, TheLongerSideIsAtMost200)
{
    struct Case { int w, h; SIZE want; };
    const Case cases[] = { { 300, 150, { 200, 100 } }, { 150, 300, { 100, 200 } }, { 200, 200, { 200, 200 } },
                           { 201, 50, { 200, 49 } },   { 500, 500, { 200, 200 } }, { 120, 80, { 120, 80 } } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const SIZE got = FitWatermarkPicture(c.w, c.h);
        EXPECT_EQ(got.cx, c.want.cx);
        EXPECT_EQ(got.cy, c.want.cy);
    }
}

TEST_F(ClipSubPages, WatermarksOfTwoClipsAreTheirOwnAndReachTheExport)
{
    const std::wstring textClip = incoming::MakeMedia("text mark.mp4", "-f lavfi -i color=c=black:size=320x240:rate=25 "
                                                                       "-f lavfi -i sine -t 2" + incoming::kH264 + " -c:a aac");
    const std::wstring pictureClip = incoming::MakeMedia("picture mark.mp4", "-f lavfi -i color=c=black:size=320x180:"
                                                                             "rate=25 -f lavfi -i sine -t 2" + incoming::kH264
                                                                             + " -c:a aac");
    const std::wstring mark = incoming::MakeMedia("mark.png", "-f lavfi -i color=c=white:size=300x150 -frames:v 1");
    ASSERT_FALSE(textClip.empty() || pictureClip.empty() || mark.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ textClip, pictureClip });
    ASSERT_TRUE(rows[0] && rows[1]);
    CMainWnd& w = *window;
    auto overlayShown = [&w] { return w.m_pWatermarkWnd && ::IsWindowVisible(w.m_pWatermarkWnd->GetHWND()); };

    // A text watermark at half opacity; "AFont" stops at the largest size.
    Click(EditButton(rows[0], kClipWatermark));
    ASSERT_TRUE(w.m_pWaterMaker->IsVisible());
    ASSERT_TRUE(overlayShown());
    EXPECT_FALSE(w.m_pWaterExport->IsEnabled());
    EXPECT_EQ(Text(w.m_pwaterFontSize), L"28");
    EXPECT_EQ(Text(w.m_pWaterFont), L"WenQuanYi Micro Hei");  // the face the default is drawn with
    w.m_pWaterTextRich->SetText(L"QUILL");
    EXPECT_TRUE(w.m_pWaterExport->IsEnabled());
    SelectItem(L"waterFontSize", 11);
    Click(L"AFont");
    EXPECT_EQ(Text(w.m_pwaterFontSize), L"72");
    // "Blod" repaints the text at once: the white text on the black clip lights more of the screen.
    auto lit = [&w] {
        RECT box {};
        ::GetWindowRect(w.m_pWatermarkWnd->GetHWND(), &box);
        int count = 0;
        for (uint32_t pixel : platform::headless::Capture(box))
            count += (pixel & 0xFF) > 200;
        return count;
    };
    Settle();
    const int regular = lit();
    EXPECT_GT(regular, 0);
    incoming::Select(Named(L"Blod"));
    Settle();
    EXPECT_GT(lit(), regular * 11 / 10);
    static_cast<SkinUI::COptionUI*>(Named(L"Blod")->GetInterface(L"Option"))->Selected(false);
    static_cast<SkinUI::CProgressUI*>(w.m_pMarkSlider->GetInterface(L"Progress"))->SetValue(128);
    // Another tab hides the overlay, the multi-clip tab shows it again.
    incoming::Select(w.m_ptabmerge);
    EXPECT_FALSE(overlayShown());
    incoming::Select(w.m_ptabAdd);
    EXPECT_TRUE(overlayShown());
    Click(L"WaterExport");
    EXPECT_EQ(w.m_pWatermarkWnd, nullptr);
    EXPECT_FALSE(w.m_pWaterMaker->IsVisible());

    // A picture watermark, fitted to 200 x 100 on the overlay.
    Click(EditButton(rows[1], kClipWatermark));
    EXPECT_EQ(Text(w.m_pWaterTextRich), L"");  // no record: the defaults
    incoming::Select(w.m_pPicWater);
    AnswerDialogsWith(mark);
    Click(L"WaterAdd");
    EXPECT_EQ(Text(w.m_pWaterPath), mark);
    ASSERT_NE(w.WatermarkOverlay(), nullptr);
    EXPECT_EQ(w.WatermarkOverlay()->GetPictureWidth(), 200);
    Click(L"WaterExport");

    // The text clip once more: its page comes back as it was saved.
    Click(EditButton(rows[0], kClipWatermark));
    EXPECT_TRUE(static_cast<SkinUI::COptionUI*>(w.m_pTextWater->GetInterface(L"Option"))->IsSelected());
    EXPECT_EQ(Text(w.m_pWaterTextRich), L"QUILL");
    EXPECT_EQ(Text(w.m_pMaskInfo), L"50%");
    EXPECT_EQ(Text(w.m_pwaterFontSize), L"72");
    const std::wstring firstPng = RecordOf(textClip)->watermarkPng;
    Click(L"WaterExport");

    ASSERT_EQ(w.m_vecClips.size(), 2u);
    const ClipRecord text = *RecordOf(textClip), picture = *RecordOf(pictureClip);
    EXPECT_EQ(text.kind, kClipWatermark);
    EXPECT_EQ(picture.kind, kClipWatermark);
    EXPECT_EQ(text.watermarkAlpha, 128);
    EXPECT_EQ(picture.watermarkIsText, 0);
    for (const std::wstring& png : { firstPng, text.watermarkPng, picture.watermarkPng })
        EXPECT_TRUE(fs::exists(WideToUtf8(png))) << WideToUtf8(png);
    EXPECT_NE(firstPng, text.watermarkPng);
    EXPECT_NE(text.watermarkPng, picture.watermarkPng);
    EXPECT_EQ(static_cast<SkinUI::CLabelUI*>(EditButton(rows[1], kClipWatermark))->GetTextColor(), 0xFF347AEBu);

    const std::vector<std::wstring> outputs = ExportSaved({ textClip, pictureClip });
    ASSERT_EQ(outputs.size(), 2u);
    EXPECT_GT(BrightestAt(outputs[0], 1.0), 60);          // the half-opaque text on the black clip
    EXPECT_GT(PixelAt(outputs[1], 1.0, 160, 90), 200);     // the white picture in the middle
    EXPECT_LT(PixelAt(outputs[1], 1.0, 4, 4), 40);         // and black around it
}

class WatermarkAtHighDpi : public MainWndFixture {};

TEST_F(WatermarkAtHighDpi, TheOverlayLiesOnThePreviewsPicture)
{
    const std::wstring clip = incoming::VideoWithSound("dpi clip.mp4", 1);
    ASSERT_FALSE(clip.empty());
    CMainWnd& w = Open(144);
    incoming::ShowPageOf(w, w.m_pVideoAddfileL);
    w.ShowRowList(CMainWnd::RowPage::Clip);
    w.AppendPendingFiles(CMainWnd::RowPage::Clip, { clip });
    w.StartRowBuilder(CMainWnd::RowPage::Clip);
    ASSERT_TRUE(incoming::PumpUntil([&] { return FindClipRow(w.m_pVideoAddfileL, clip) != nullptr; }, 30000));
    SkinUI::CControlUI* row = FindClipRow(w.m_pVideoAddfileL, clip);
    w.GetPaintManager().SendNotify(At(row, { 2, 5, kClipWatermark }), L"click");
    ASSERT_NE(w.m_pWatermarkWnd, nullptr);
    Settle();
    RECT overlay {};
    ::GetWindowRect(w.m_pWatermarkWnd->GetHWND(), &overlay);
    const RECT player = w.m_pWaterMakerPlayer->GetPos();
    POINT origin { player.left, player.top };
    ::ClientToScreen(w.GetHWND(), &origin);
    EXPECT_GT(player.bottom - player.top, 500);  // the preview at 150 %
    // A 4:3 clip fills the preview's height and is centred across it.
    EXPECT_EQ(overlay.top, origin.y);
    EXPECT_EQ(overlay.bottom - overlay.top, player.bottom - player.top);
    EXPECT_NEAR(overlay.right - overlay.left, (player.bottom - player.top) * 4 / 3, 1);
    EXPECT_EQ(overlay.left - origin.x, (player.right - player.left - (overlay.right - overlay.left)) / 2);
    EXPECT_EQ(VideoRectangle[0], overlay.left);
    EXPECT_EQ(VideoRectangle[3], overlay.bottom);
}

namespace {

// The window rectangle lies on the preview control's picture: centred on it, filling its height,
// or its width for a picture wider than the preview.
void ExpectOnPicture(CMainWnd& w, HWND overlay, SkinUI::CControlUI* player, double aspect)
{
    RECT rc {};
    ASSERT_TRUE(::GetWindowRect(overlay, &rc));
    const RECT box = player->GetPos();
    POINT origin { box.left, box.top };
    ::ClientToScreen(w.GetHWND(), &origin);
    const SIZE want = FitPictureInBox(aspect, 0, 0, box.right - box.left, box.bottom - box.top);
    EXPECT_EQ(rc.right - rc.left, want.cx);
    EXPECT_EQ(rc.bottom - rc.top, want.cy);
    EXPECT_EQ(rc.left - origin.x, (box.right - box.left - want.cx) / 2);
    EXPECT_EQ(rc.top - origin.y, (box.bottom - box.top - want.cy) / 2);
}

}  // namespace

TEST_F(ClipSubPages, ChangingTheVideoOnEachSubPageCarriesTheNewFilesFactsToRowRecordAndPage)
{
    // A silent 4:3 clip of 1 s and a 16:9 clip of 3 s at 30 fps with sound take turns in the one row.
    struct Clip { std::wstring path; const wchar_t* ms; const wchar_t* width; const wchar_t* height; double aspect; bool mute; };
    const Clip square { incoming::MakeMedia("change square.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -t 1" + incoming::kH264),
                        L"1000", L"320", L"240", 4.0 / 3, true };
    const Clip wide { incoming::MakeMedia("change wide.mp4", "-f lavfi -i testsrc=size=320x180:rate=30 -f lavfi -i sine -t 3"
                                                             + incoming::kH264 + " -c:a aac"),
                      L"3000", L"320", L"180", 16.0 / 9, false };
    ASSERT_FALSE(square.path.empty() || wide.path.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ wide.path });
    ASSERT_TRUE(rows[0]);
    SkinUI::CControlUI* row = rows[0];
    CMainWnd& w = *window;
    // A saved record, which the changes must carry along.
    Click(EditButton(row, kClipMusic));
    Click(L"MusicExport");
    ASSERT_NE(RecordOf(wide.path), nullptr);
    const std::wstring firstThumbnail = At(row, { 1, 0 })->GetForeImage().GetData();

    struct Step { int kind; const wchar_t* change; const Clip* from; const Clip* to; };
    const Step steps[] = { { kClipCover, L"ChangeCorverVideo", &wide, &square },
                           { kClipMusic, L"ChangeMusicVideo", &square, &wide },
                           { kClipWatermark, L"ChangeWaterVideo", &wide, &square },
                           { kClipSubtitles, L"ChangeSubtitleVideo", &square, &wide } };
    for (const Step& step : steps) {
        SCOPED_TRACE(WideToUtf8(step.change));
        const Clip& to = *step.to;
        Click(EditButton(row, step.kind));
        AnswerDialogsWith(to.path);
        Click(step.change);
        platform::headless::PumpMessages();

        const ClipRowFacts facts = ReadClipRow(row);
        EXPECT_EQ(facts.path, to.path);
        EXPECT_EQ(facts.durationMs, to.ms);
        EXPECT_EQ(facts.width, to.width);
        EXPECT_EQ(facts.height, to.height);
        EXPECT_NEAR(facts.aspect, to.aspect, 0.01);
        EXPECT_EQ(facts.mute, to.mute);
        const std::wstring name = fs::path(WideToUtf8(to.path)).stem().wstring();
        EXPECT_EQ(Text(At(row, { 2, 0, 0, 0 })), name) << "the row still names the old file";
        EXPECT_EQ(Text(At(row, { 2, 0, 2, 1 })), std::wstring(L"分辨率:") + to.width + L"x" + to.height);
        EXPECT_EQ(w.m_strClipFile, to.path);
        EXPECT_EQ(w.m_strClipWidth, to.width);
        EXPECT_EQ(w.m_strClipHeight, to.height);
        EXPECT_EQ(RecordOf(step.from->path), nullptr);
        ASSERT_NE(RecordOf(to.path), nullptr);
        EXPECT_EQ(std::wstring(RecordOf(to.path)->durationMsText.GetData()), to.ms);

        const std::vector<std::wstring> endOfClip { L"00", L"00", to.ms[0] == L'1' ? L"01" : L"03", L"0" };
        if (step.kind == kClipMusic) {
            // The placement fill the opening schedules (200 ms) must not bring the old file's end back.
            incoming::PumpUntil([] { return false; }, 300);
            EXPECT_EQ(Texts({ w.m_pVideoOverHour, w.m_pVideoOverminute, w.m_pVideoOversecond, w.m_pVideoOverMillsecond }),
                      endOfClip);
        }
        if (step.kind == kClipWatermark) {
            ASSERT_NE(w.m_pWatermarkWnd, nullptr);
            ExpectOnPicture(w, w.m_pWatermarkWnd->GetHWND(), w.m_pWaterMakerPlayer, facts.aspect);
            RECT overlay {};
            ::GetWindowRect(w.m_pWatermarkWnd->GetHWND(), &overlay);
            EXPECT_EQ(VideoRectangle[0], overlay.left);
            EXPECT_EQ(VideoRectangle[3], overlay.bottom);
        }
        if (step.kind == kClipSubtitles) {
            ASSERT_NE(w.m_pTextLayerWnd, nullptr);
            ExpectOnPicture(w, w.m_pTextLayerWnd->GetHWND(), w.m_psubtitlePlayer, facts.aspect);
            EXPECT_EQ(Texts({ w.m_psubtitleOverHour, w.m_psubtitleOverminute, w.m_psubtitleOversecond,
                              w.m_psubtitleOverMillsecond }),
                      endOfClip);
            EXPECT_FLOAT_EQ(w.m_textItem.videoScale, TextLayerScale(320, 180));
        }
        Click(L"returnMainWnd");
    }

    // The row's export takes the file now in it, with that file's size and frame rate.
    std::vector<ClipExportEntry> queued;
    CMainWnd::SetSettingsDialogHook([&queued](CMainWnd& main, const std::wstring&) {
        queued = main.m_vecExportQueue;
        return 1;
    });
    Click(At(row, { 2, 6, 1 }));
    CMainWnd::SetSettingsDialogHook(nullptr);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].clipPath, wide.path);
    EXPECT_EQ(queued[0].durationMsText, L"3000");
    EXPECT_EQ(queued[0].videoHeight, L"180");
    EXPECT_EQ(queued[0].frameRate, L"30");
    ASSERT_NE(queued[0].row, nullptr);
    EXPECT_FALSE(queued[0].row->IsMute());
    // The row's thumbnail is made anew for the file in it.
    ASSERT_TRUE(Settle());
    const std::wstring thumbnail = At(row, { 1, 0 })->GetForeImage().GetData();
    EXPECT_NE(thumbnail, firstThumbnail);
}

TEST_F(ClipSubPages, ChangingTheVideoToAFileOfAnotherRowIsRefusedOnEverySubPage)
{
    // Records are kept by path: a second row of one file would share and overwrite the other's.
    const std::wstring first = incoming::MakeMedia("listed first.mp4", "-f lavfi -i testsrc=size=320x240:rate=25 -t 1" + incoming::kH264);
    const std::wstring second = incoming::MakeMedia("listed second.mp4", "-f lavfi -i testsrc=size=320x180:rate=25 -t 2" + incoming::kH264);
    ASSERT_FALSE(first.empty() || second.empty());
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ first, second });
    ASSERT_TRUE(rows[0] && rows[1]);
    CMainWnd& w = *window;
    Click(EditButton(rows[1], kClipMusic));
    Click(L"MusicExport");
    ASSERT_NE(RecordOf(second), nullptr);

    ExpectEveryChangeRefused(rows[0], second, L"该视频已在列表中，请选择其他视频。", first);
    EXPECT_EQ(ReadClipRow(rows[1]).path, second);
    ASSERT_NE(RecordOf(second), nullptr);
    EXPECT_EQ(std::wstring(RecordOf(second)->durationMsText.GetData()), L"2000");
    EXPECT_EQ(w.m_vecClips.size(), 1u);
    // The row's own file is no duplicate: choosing it again goes through.
    notices.clear();
    Click(EditButton(rows[0], kClipCover));
    AnswerDialogsWith(first);
    Click(L"ChangeCorverVideo");
    platform::headless::PumpMessages();
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(ReadClipRow(rows[0]).path, first);
    Click(L"returnMainWnd");
}

TEST_F(ClipSubPages, AFileThatIsNoVideoLeavesEachSubPagesClipInPlace)
{
    const std::wstring clip = incoming::VideoWithSound("stays.mp4", 1);
    const std::string note = EditorScratchFolder() + "/media/note.mp4";
    WriteFileText(note, "this is a note, not a video\n");
    const std::vector<SkinUI::CControlUI*> rows = AddRows({ clip });
    ASSERT_TRUE(rows[0]);
    ExpectEveryChangeRefused(rows[0], AnsiToWide(note), L"抱歉！此文件可能为损坏文件！\nnote.mp4", clip);
    EXPECT_EQ(ReadClipRow(rows[0]).durationMs, L"1000");
}
