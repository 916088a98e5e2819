// Loading a file into one of the four single-file pages: its media details, the page thumbnail,
// the page's preview, the page's members and time fields, and the cut page's crop overlay place.
// The libraries are asked on the calling thread; the encoder and the player run on workers.

#include <cstdio>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/dialogs/ConcealWnd.h"
#include "editor/dialogs/CoverWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/MediaProbe.h"
#include "platform/Windows.h"

using namespace control_access;

namespace {

void SetTexts(SkinUI::CControlUI* const* edits, const std::vector<std::wstring>& texts)
{
    for (size_t i = 0; i < texts.size(); ++i)
        if (edits[i])
            edits[i]->SetText(texts[i].c_str());
}

// The clock parts ("hh", "mm", "ss") of whole seconds.
std::vector<std::wstring> SecondsParts(long long seconds)
{
    return ClockParts(CMainWnd::FormatDuration(FormatWide(L"%lld", seconds)));
}

long long Milliseconds(const MediaDetails& details)
{
    return std::wcstoll(details.durationMs.c_str(), nullptr, 10);
}

}  // namespace

MediaDetails CMainWnd::ReadMediaDetails(const std::wstring& path, bool startThumbnail, const std::wstring& picture)
{
    MediaProbe probe;  // its own: loaders and row builders read files on different threads at once
    ProbeFacts facts;
    int width = 0, height = 0;
    facts.result = probe.Open(WideToUtf8(EncoderPath(path)).c_str(), facts.frameRate, facts.hasSubtitles,
                              facts.durationMs, width, height);
    if (facts.result != MediaProbe::kOpenFailed)
        probe.Close();
    MediaDetails details = ComposeMediaDetails(path, facts, MediaInfoLibrary::Details(path));
    if (startThumbnail) {
        const int w = std::wcstol(details.width.c_str(), nullptr, 10);
        const int h = std::wcstol(details.height.c_str(), nullptr, 10);
        StartWorker([this, w, h, path, made = picture]() mutable { MakeFirstFrameThumbnail(w, h, path, made, false); });
    }
    return details;
}

bool CMainWnd::MakeFirstFrameThumbnail(int width, int height, const std::wstring& source, std::wstring& picture,
                                       bool listRow, ThumbnailSize* fitted)
{
    ThumbnailSize size;
    if (!FitThumbnail(width, height, listRow, size))
        return false;
    std::wstring copy;
    if (listRow || picture.empty()) {
        // A fresh name in the private work folder: the shared temporary folder is open to other
        // users and instances, and a row keeps showing its picture while others are made.
        picture = NewWorkPicturePath(L"VkFile", L".jpg");
        if (picture.empty())
            return false;
        copy = picture.substr(0, picture.size() - 4) + L"@.jpg";
    }
    ::DeleteFileW(picture.c_str());
    if (!copy.empty())
        ::DeleteFileW(copy.c_str());
    // Both paths go inside quotes escaped as arguments: a name holding a quote stays one argument.
    const std::wstring command = FormatWide(
        L"%s -ss 0.0001 -y -i  \"%s\"  -vframes 1 -f image2 -s %dx%d -preset ultrafast  \"%s\" ",
        m_strEncoder.GetData(), QuoteInsideArgument(EncoderPath(source)).c_str(), size.width, size.height,
        QuoteInsideArgument(EncoderPath(picture)).c_str());
    printf("%s\n", WideToAnsi(command).c_str());
    RunEncoderAndWait(command);
    if (!copy.empty())
        ::CopyFileW(picture.c_str(), copy.c_str(), TRUE);
    if (fitted)
        *fitted = size;
    return FileExists(picture);
}

void CMainWnd::NoteSourceName(const std::wstring& path)
{
    std::wstring name = path;
    SkinUI::CUIString extension;
    SplitFileNameW(name, extension);
    m_exportInfo.name = name;
    m_exportInfo.format = extension;
    m_strSourceExt = extension.GetData();
}

void CMainWnd::LoadCutPageFile(const std::wstring& path)
{
    Show(m_pVideoCutShow, true);
    Show(m_pVideoCutAddFile, false);
    const MediaDetails details = ReadMediaDetails(path, true);
    m_strCutInfo = details.frameRate;
    m_strCutAspect = details.aspect;
    m_bCutInfo1 = details.hasSubtitles;
    m_bCutInfo2 = details.noAudio;
    m_strCutHeight = details.height;
    m_strCutWidth = details.width;
    m_strCropMaxWidth = details.width;
    m_strCropMaxHeight = details.height;
    OpenPagePlayer(m_pVideoCutPlayer, path);
    m_nCutLength = m_nCutDurationMs = static_cast<int>(Milliseconds(details));
    m_strCutDuration = details.clockText.c_str();
    m_strCutDurationMs = details.durationMs.c_str();
    NoteSourceName(path);
    LayCutOverlay();

    SkinUI::CControlUI* const starts[] = { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond };
    SetTexts(starts, { L"00", L"00", L"00", L"000" });
    const std::vector<std::wstring> parts = SecondsParts(Milliseconds(details) / 1000);
    SkinUI::CControlUI* const ends[] = { m_pOVertHour, m_pOVerMinute, m_pOVersecound };
    SetTexts(ends, parts);
    const std::wstring& ms = details.durationMs;
    if (m_pOVermillsecond)
        m_pOVermillsecond->SetText(ms.size() >= 3 ? ms.substr(ms.size() - 3).c_str() : L"");
    m_bCutLoaded = 1;
}

void CMainWnd::LayCutOverlay()
{
    POINT origin { ScaleByDpi(24), ScaleByDpi(130) };
    ::ClientToScreen(m_hWnd, &origin);
    const OverlayPlace place = PlaceCutOverlay(std::wcstod(m_strCutAspect.c_str(), nullptr), m_nPreviewWidth,
                                               m_nPreviewHeight, origin.x, origin.y);
    CropCanvasWidth = place.width;
    CropCanvasHeight = place.height;
    // Both windows delete themselves with their native windows. The frame is owned by the mask,
    // so that whoever closes the mask (the page, the window's own end) closes the frame first: the
    // frame speaks to its mask until its very last message.
    auto* cover = new CCover(place.width, place.height, m_pXwidth, m_pYheight, m_pcut_width, m_pcut_height);
    m_hCover = cover->Create(m_hWnd, L"", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE);
    m_hConceal = nullptr;
    if (m_hCover) {
        ::MoveWindow(m_hCover, place.x, place.y, place.width, place.height, TRUE);
        auto* frame = new CConceal(cover, this, place.width, place.height, m_pXwidth, m_pYheight, m_pcut_width,
                                   m_pcut_height);
        m_hConceal = frame->Create(m_hCover, L"", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE);
    }
    m_strCutViewWidth = FormatWide(L"%d", place.width);
    m_strCutViewHeight = FormatWide(L"%d", place.height);
    if (m_hConceal)
        ::MoveWindow(m_hConceal, place.x, place.y, place.width, place.height, TRUE);
    m_rcCropOverlay = { place.x, place.y, place.x + place.width, place.y + place.height };
    CropDragBounds = m_rcCropOverlay;
}

void CMainWnd::LoadSplitPageFile(const std::wstring& path)
{
    Show(m_pSegmentationAddfile, false);
    Show(m_pSegmentationHor, true);
    m_strSplitThumbnail = NewWorkPicturePath(L"split-thumbnail", L".jpg");
    const MediaDetails details = ReadMediaDetails(path, !m_strSplitThumbnail.empty(), m_strSplitThumbnail);
    m_strSplitInfo = details.frameRate;
    OpenPagePlayer(m_pVideoSegmenPlayer, path);
    m_nSplitDuration = static_cast<int>(Milliseconds(details));
    SkinUI::CControlUI* const point[] = { m_pstartSegmenHour, m_pstartSegmenminute, m_pstartSegmensecond };
    SetTexts(point, SecondsParts(Milliseconds(details) / 1000 / 2));
    if (m_pstartSegmenMillsecond)
        m_pstartSegmenMillsecond->SetText(L"50");
}

void CMainWnd::LoadAdjustPageFile(const std::wstring& path)
{
    const MediaDetails details = ReadMediaDetails(path, true);
    m_strAdjustHeight = details.height;
    m_strAdjustWidth = details.width;
    OpenPagePlayer(m_pOptimizationPlayer, path);
    m_nAdjustDuration = m_nAdjustSourceMs = static_cast<int>(Milliseconds(details));
    m_strAspect = details.width + L":" + details.height;
    NoteSourceName(path);
}

void CMainWnd::LoadScreenshotPageFile(const std::wstring& path)
{
    const MediaDetails details = ReadMediaDetails(path, true);
    m_strScreenshotHeight = details.height;
    m_strScreenshotWidth = details.width;
    OpenPagePlayer(m_pPicplayer, path);
    m_nShotDuration = static_cast<int>(Milliseconds(details));
    m_strShotDuration = details.clockText.c_str();
    NoteSourceName(path);
    SkinUI::CControlUI* const ends[] = { m_pOVerPictHour, m_pOVerPicMinute, m_pOVerPicsecound };
    SetTexts(ends, SecondsParts(Milliseconds(details) / 1000));
}
