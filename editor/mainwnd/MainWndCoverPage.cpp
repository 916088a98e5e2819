// The cover sub-page of the multi-clip page: a picture file or a frame of the clip becomes the
// clip's cover, shown for a chosen time, kept in proportion or stretched to the clip's size, and
// optionally turned. A save that needs the encoder (frame grab, stretch, rotation) runs it on a
// counted worker while the page is busy; every run writes a new file in the private work folder
// and must leave it behind, or nothing is saved and the user is told. UI thread, except the worker.

#include <algorithm>
#include <cwchar>
#include <filesystem>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "media/CommandText.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/OptionUI.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kPicturePatterns = L"*.png;*.bmp;*.jpeg;*.jpg;";
constexpr const wchar_t* kChooseTitle = L"请选择要添加的文件:";
constexpr const wchar_t* kCoverFailed = L"封面图片生成失败，请检查视频文件后重试。";
constexpr const wchar_t* kAlreadyListed = L"该视频已在列表中，请选择其他视频。";
const wchar_t* const kRotations[] = { L"90°", L"180°", L"270°" };

SkinUI::CComboUI* ComboNamed(SkinUI::CPaintManagerUI& pm, const wchar_t* name)
{
    return ComboOf(pm.FindControl(name));
}

SkinUI::COptionUI* OptionNamed(SkinUI::CPaintManagerUI& pm, const wchar_t* name)
{
    return OptionOf(pm.FindControl(name));
}

void Select(SkinUI::CComboUI* combo, int index)
{
    if (combo)
        combo->SelectItem(index);
}

int Selection(SkinUI::CComboUI* combo)
{
    return combo ? combo->GetCurSel() : -1;
}

float GroupSeconds(const TimeGroup& g)
{
    const auto n = [](SkinUI::CControlUI* c) { return c ? ReadFieldNumber(c->GetText()) : 0; };
    return static_cast<float>(n(g.hours) * 3600 + n(g.minutes) * 60 + n(g.seconds)) + n(g.fraction) * 0.001f;
}

// A time in seconds into a cover group: the clock of its whole seconds and the first three digits
// after the point of its "%f" text.
void WriteGroupSeconds(const TimeGroup& g, float seconds)
{
    const std::wstring text = FormatWide(L"%f", static_cast<double>(seconds));
    const std::vector<std::wstring> parts =
        ClockParts(CMainWnd::FormatDuration(FormatWide(L"%d", static_cast<int>(seconds))));
    if (parts.size() == 3) {
        SetText(g.hours, parts[0]);
        SetText(g.minutes, parts[1]);
        SetText(g.seconds, parts[2]);
    }
    const size_t point = text.find(L'.');
    SetText(g.fraction, point == std::wstring::npos ? L"000" : text.substr(point + 1, 3));
}

void WriteGroupDefaults(const TimeGroup& g)
{
    SetText(g.hours, L"00");
    SetText(g.minutes, L"00");
    SetText(g.seconds, L"00");
    SetText(g.fraction, L"001");
}

std::wstring Arg(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

bool FileHasContent(const std::wstring& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(WideToUtf8(EncoderPath(path)), error);
    return !error && size > 0;
}

}  // namespace

std::vector<CoverRun> PlanCoverRuns(const std::wstring& encoder, const std::wstring& clip, const CoverChoice& choice,
                                    const std::function<std::wstring(const wchar_t*)>& newPicture, ClipRecord& work)
{
    std::vector<CoverRun> runs;
    work.coverSinglePicture = choice.singlePicture ? 1 : 0;
    if (choice.singlePicture) {
        work.coverFile = choice.picture;
        work.coverPictureCopy = choice.picture.c_str();
    } else {
        work.coverFrameTime = choice.frameTime;
        work.coverFile = newPicture(L"cover-frame");
        runs.push_back({ FormatWide(L"%s -ss %f -y -i \"%s\"  -vframes 1 -f image2   -preset superfast \"%s\" ",
                                    encoder.c_str(), static_cast<double>(choice.frameTime), Arg(clip).c_str(),
                                    Arg(work.coverFile).c_str()),
                         work.coverFile });
    }
    // Stretching needs the clip's size; without one the cover keeps its proportions.
    const bool tile = choice.tile && !choice.width.empty() && !choice.height.empty();
    work.coverKeepRatio = tile ? 0 : 1;
    if (tile) {
        const std::wstring output = newPicture(L"cover-tiled");
        runs.push_back({ FormatWide(L"%s -y -i \"%s\"  -vframes 1 -f image2  -s %sx%s -preset superfast \"%s\" ",
                                    encoder.c_str(), Arg(work.coverFile).c_str(), choice.width.c_str(),
                                    choice.height.c_str(), Arg(output).c_str()),
                         output });
        work.coverFile = output;
    }
    work.coverRotate = choice.rotate ? 1 : 0;
    if (!choice.rotate)
        return runs;
    work.coverRotation = choice.rotation.c_str();
    std::wstring command = FormatWide(L"%s  -y -i \"%s\" ", encoder.c_str(), Arg(work.coverFile).c_str());
    if (choice.rotation == L"90°")
        command = FormatWide(L"%s -vf \"transpose = 1\" ", command.c_str());
    else if (choice.rotation == L"180°")
        command = FormatWide(L"%s -vf \"transpose=2,transpose=2\" ", command.c_str());
    else if (choice.rotation == L"270°")
        command = FormatWide(L"%s -vf \"transpose = 2\" ", command.c_str());
    const std::wstring output = newPicture(L"cover-turned");
    runs.push_back({ FormatWide(L"%s -preset superfast \"%s\" ", command.c_str(), Arg(output).c_str()), output });
    work.coverFile = output;
    return runs;
}

void CMainWnd::OpenCoverPage(SkinUI::CControlUI* row)
{
    const ClipRowFacts facts = TakeRowClip(*this, row, 2);
    SkinUI::CComboUI* source = ComboNamed(m_pm, L"Corver");
    SkinUI::CComboUI* type = ComboNamed(m_pm, L"CorverType");
    SkinUI::CComboUI* rotation = ComboNamed(m_pm, L"CorverComspin");
    SkinUI::COptionUI* rotate = OptionNamed(m_pm, L"CoverSpin");
    const TimeGroup frame { m_pCorverHour, m_pCorverminute, m_pCorversecond, m_pCorverMillsecond };
    const TimeGroup length { m_pCorverTimerHour, m_pCorverTimerminute, m_pCorverTimersecond, m_pCorverTimerMillsecond };
    bool restored = false;
    for (const ClipRecord& record : m_vecClips) {
        if (record.path != facts.path.c_str())
            continue;
        restored = true;
        if (record.coverSinglePicture) {
            Select(source, 0);
            SetText(m_pCoverPath, record.coverPictureCopy.GetData());
            WriteGroupDefaults(frame);
        } else {
            Select(source, 1);
            WriteGroupSeconds(frame, record.coverFrameTime);
        }
        WriteGroupSeconds(length, record.coverDuration);
        Select(type, record.coverKeepRatio ? 0 : 1);
        if (rotate)
            rotate->Selected(record.coverRotate != 0);
        if (record.coverRotate) {
            for (int i = 0; i < 3; ++i)
                if (record.coverRotation == kRotations[i])
                    Select(rotation, i);
        } else {
            Select(rotation, 0);
            if (rotation)
                rotation->SetMouseEnabled(false);
        }
    }
    if (!restored) {
        if (rotation)
            rotation->SetMouseEnabled(false);
        Select(source, 0);
        Select(type, 0);
        Select(rotation, 0);
        if (rotate)
            rotate->Selected(false);
        if (m_pCorverVideoExport)
            m_pCorverVideoExport->SetEnabled(false);
        WriteGroupDefaults(frame);
        WriteGroupDefaults(length);
    }
    OpenPagePlayer(m_pSoundTrackPlayer, facts.path);
    ShowClipList(false);
    Show(m_pSoundTrack, true);
}

void CMainWnd::ChooseCoverPicture()
{
    const std::wstring path = ChooseOneFile(m_hWnd, kChooseTitle, kPicturePatterns);
    if (path.empty())
        return;
    if (m_pCorverVideoExport)
        m_pCorverVideoExport->SetEnabled(true);
    if (m_pCoverPath) {
        m_pCoverPath->SetText(path.c_str());
        m_pCoverPath->SetToolTip(path.c_str());
    }
}

void CMainWnd::StepCoverTime(bool frameGroup, bool up)
{
    const TimeGroup g = frameGroup
        ? TimeGroup { m_pCorverHour, m_pCorverminute, m_pCorversecond, m_pCorverMillsecond }
        : TimeGroup { m_pCorverTimerHour, m_pCorverTimerminute, m_pCorverTimersecond, m_pCorverTimerMillsecond };
    if (g.Holds(m_pCoverFocus))
        StepTimeField(g, m_pCoverFocus, up, kCoverMilliseconds);
}

void CMainWnd::SaveCoverPage()
{
    if (m_bCoverSaving)
        return;
    ClipRecord work = m_clipItem;
    work.path = m_strClipFile.c_str();
    work.kind = kClipCover;
    work.coverDuration = GroupSeconds({ m_pCorverTimerHour, m_pCorverTimerminute, m_pCorverTimersecond,
                                        m_pCorverTimerMillsecond });
    SkinUI::COptionUI* rotate = OptionNamed(m_pm, L"CoverSpin");
    CoverChoice choice;
    choice.singlePicture = Selection(ComboNamed(m_pm, L"Corver")) != 1;
    choice.picture = m_pCoverPath ? m_pCoverPath->GetText().GetData() : L"";
    choice.frameTime = GroupSeconds({ m_pCorverHour, m_pCorverminute, m_pCorversecond, m_pCorverMillsecond });
    choice.tile = Selection(ComboNamed(m_pm, L"CorverType")) == 1;
    choice.width = m_strClipWidth;
    choice.height = m_strClipHeight;
    choice.rotate = rotate && rotate->IsSelected();
    if (SkinUI::CComboUI* rotation = ComboNamed(m_pm, L"CorverComspin"); rotation && rotation->GetCurSel() >= 0)
        choice.rotation = kRotations[std::min(rotation->GetCurSel(), 2)];
    std::vector<CoverRun> runs = PlanCoverRuns(m_strEncoder.GetData(), m_strClipFile, choice,
                                               [](const wchar_t* stem) { return NewWorkPicturePath(stem, L".png"); }, work);
    if (CAVPlayer* player = PlayerOf(m_pSoundTrackPlayer))
        player->StopPlayback();
    if (runs.empty()) {
        KeepSubPageSave(*this, work, kClipCover, m_pSoundTrack);
        return;
    }
    m_bCoverSaving = true;
    if (m_pSoundTrack)
        m_pSoundTrack->SetEnabled(false);
    StartWorker([this, work, runs = std::move(runs)] {
        bool made = true;
        for (const CoverRun& run : runs) {
            if (m_bClosing)
                return;
            RunEncoderAndWait(run.command);
            made = FileHasContent(run.output);
            if (!made)
                break;
        }
        PostUiTask([this, work, made] {
            m_bCoverSaving = false;
            if (m_pSoundTrack)
                m_pSoundTrack->SetEnabled(true);
            if (made) {
                KeepSubPageSave(*this, work, kClipCover, m_pSoundTrack);
                return;
            }
            CMessageWnd::Ask(m_hWnd, kCoverFailed, L"", L"", L"确定");
        });
    });
}

void CMainWnd::ChangeCoverVideo()
{
    std::wstring path;
    if (!ChooseReplacementVideo(path))
        return;
    Show(m_pSoundTrackbtnPlay, false);
    Show(m_pSoundTrackbtnPause, true);
    if (CAVPlayer* player = PlayerOf(m_pSoundTrackPlayer))
        player->StopPlayback();
    ReplaceClipVideo(m_pSoundTrackPlayer, path);
}

bool CMainWnd::ChooseReplacementVideo(std::wstring& path)
{
    path = ChooseLoadableVideo();
    if (path.empty())
        return false;
    // The list holds a file once and its records are kept by path: a second row of the same file
    // would share, and overwrite, the other row's record.
    const SkinUI::CControlUI* listed = FindClipRow(m_pVideoAddfileL, path);
    if (listed && listed != m_pEditedClipRow) {
        CMessageWnd::Ask(m_hWnd, kAlreadyListed, L"", L"", L"确定");
        return false;
    }
    return true;
}

ClipRowFacts CMainWnd::ReplaceClipVideo(SkinUI::CControlUI* player, const std::wstring& path)
{
    const MediaDetails details = ReadMediaDetails(path, false);
    for (ClipRecord& record : m_vecClips)
        if (record.path == m_strClipFile.c_str()) {
            record.path = path.c_str();
            record.durationMsText = details.durationMs.c_str();
            break;
        }
    OpenPagePlayer(player, path);
    ResetClipRowState();  // an output of the old file is no longer this row's
    RefillClipRow(m_pEditedClipRow, path, details);
    ClipRowFacts facts;
    facts.path = path;
    facts.durationMs = details.durationMs;
    facts.width = details.width;
    facts.height = details.height;
    facts.aspect = std::wcstod(details.aspect.c_str(), nullptr);
    facts.mute = details.noAudio != 0;
    m_nClipDuration = static_cast<int>(DurationMsOf(facts.durationMs));
    m_strClipWidth = facts.width;
    m_strClipHeight = facts.height;
    m_strClipFile = path;
    return facts;
}
