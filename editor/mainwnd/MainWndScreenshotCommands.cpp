// The screenshot page's buttons: loading and changing the file, play and pause, the player's time
// into the strip's start and end, capturing (one frame, or a strip every few seconds), removing
// and clearing captures, and the export.
//
// A single capture runs its encoder on a counted worker with the page's buttons disabled, so the
// window keeps answering; the row appears only when the encoder wrote its picture. Captures are
// numbered for the life of the program, so no earlier picture is overwritten. "ScreenExport"
// takes input exactly while the list holds rows.

#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/BoundPageView.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/ListRowViews.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/PlayerTimeFields.h"
#include "media/CommandText.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kNoPictureNotice = L"抱歉！此文件没有可截取的画面。";
constexpr const wchar_t* kCaptureFailedNotice = L"截图失败，未能从视频中取出这一帧，请换一个时间再试。";
constexpr const wchar_t* kNothingToExportNotice = L"截图列表是空的，请先截取画面到列表再导出。";

bool OptionSelected(CMainWnd& main, const wchar_t* name)
{
    return IsChecked(main.GetPaintManager().FindControl(name));
}

CAVPlayer* ShotPlayer(CMainWnd& main)
{
    return PlayerOf(main.m_pPicplayer);
}

void PlayShotPreview(CMainWnd& main, bool resume)
{
    PlayPreview(main.m_pScreenPicPlay, main.m_pScreenPicPause, main.m_pPicplayer, resume);
}

// The jobs read the page through the bound view and the capture list; both are taken now.
void PrepareJobViews(CMainWnd& main)
{
    if (main.m_pPageView == nullptr) {
        main.m_boundView = std::make_unique<BoundPageView>(main);
        main.m_pPageView = main.m_boundView.get();
    }
    if (main.m_boundView && main.m_pPageView == main.m_boundView.get())
        main.m_boundView->Capture();
    BoundScreenshotList& captures = main.RowViews().Screenshots();
    captures.Capture();
    if (main.m_pScreenshotList == nullptr)
        main.m_pScreenshotList = &captures;
}

// ---- the file and the player ----

void LoadFile(CMainWnd& main, SkinUI::CControlUI* sender)
{
    const std::wstring path = main.ChooseLoadableVideo();
    if (path.empty())
        return;
    if (sender->GetName() == L"PicAddfile") {
        Show(main.m_pPicVer, false);
        Show(main.m_pPicVerPlayer, true);
    } else {
        if (CAVPlayer* player = ShotPlayer(main))
            player->StopPlayback();
        if (SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen))
            rows->RemoveAll();
        BoundScreenshotList::UpdateExportButton(main);
        Show(main.m_pScreenPicPlay, false);
        Show(main.m_pScreenPicPause, true);
    }
    main.m_strScreenshotSource = path;
    main.LoadScreenshotPageFile(path);
}

void Pause(CMainWnd& main, SkinUI::CControlUI*)
{
    Show(main.m_pScreenPicPlay, true);
    Show(main.m_pScreenPicPause, false);
    if (CAVPlayer* player = ShotPlayer(main))
        player->PausePlayback();
}

// The player's whole seconds into the strip's start or end fields.
void TakePlayerTime(CMainWnd& main, SkinUI::CControlUI* sender)
{
    PlayShotPreview(main, false);
    CAVPlayer* player = ShotPlayer(main);
    const std::vector<std::wstring> parts = WholeSecondFields(player ? player->PlaybackTimeMs() : 0);
    if (parts.empty())
        return;
    const bool start = sender->GetName() == L"Picstart_bu";
    SkinUI::CControlUI* const fields[] = {
        start ? main.m_pstartPicHour : main.m_pOVerPictHour,
        start ? main.m_pstartPicMinute : main.m_pOVerPicMinute,
        start ? main.m_pstartPicsecound : main.m_pOVerPicsecound,
    };
    for (int i = 0; i < 3; ++i)
        if (fields[i])
            fields[i]->SetText(parts[i].c_str());
}

// ---- capturing ----

void SetCaptureButtons(CMainWnd& main, bool usable)
{
    Enable(main.m_pCutOutPic, usable);
    Enable(main.m_pScreenChange, usable);
    if (usable)
        BoundScreenshotList::UpdateExportButton(main);
    else
        Enable(main.m_pScreenExport, false);
}

void CaptureStrip(CMainWnd& main)
{
    Enable(main.m_pCutOutPic, false);  // one strip at a time; the strip enables it again
    PrepareJobViews(main);
    main.StartWorker([w = &main] { w->BuildScreenshotStrip(); });
}

// One frame at the player's time, 232 pixels wide, on a worker; the row follows on the UI thread.
void CaptureFrame(CMainWnd& main)
{
    const int height = ScreenshotThumbnailHeight(main.m_strScreenshotWidth, main.m_strScreenshotHeight);
    if (height <= 0) {
        main.ShowNotice(kNoPictureNotice);
        return;
    }
    SetCaptureButtons(main, false);
    CAVPlayer* player = ShotPlayer(main);
    const float seconds = static_cast<float>((player ? player->PlaybackTimeMs() : 0) * 1.0 / 1000.0);
    const int number = ++main.m_nScreenshotCounter;
    const std::wstring picture = JoinPath(main.m_strTempFolder, FormatWide(L"temp%d.png", number));
    const std::wstring command = FormatWide(
        L"%s -ss %f -y -i \"%s\"  -vframes 1 -f image2 -update 1 -s 232x%d -preset superfast \"%s\" ",
        main.m_strEncoder.GetData(), static_cast<double>(seconds),
        QuoteInsideArgument(EncoderPath(main.m_strScreenshotSource)).c_str(), height,
        QuoteInsideArgument(EncoderPath(picture)).c_str());
    const bool longPicture = OptionSelected(main, L"LongPic");
    main.StartWorker([w = &main, command, picture, seconds, height, longPicture] {
        ::DeleteFile(picture.c_str());  // only a picture written by this run counts
        CreateFolderWithParents(w->m_strTempFolder);
        w->RunEncoderAndWait(command);
        const bool made = CMainWnd::FileExists(picture);
        w->PostUiTask([w, picture, seconds, height, longPicture, made] {
            if (made)
                BoundScreenshotList::AddRow(*w, FormatWide(L"%.2f", static_cast<double>(seconds)), picture, height, longPicture);
            SetCaptureButtons(*w, true);
            if (!made)
                w->ShowNotice(kCaptureFailedNotice);
        });
    });
}

void Capture(CMainWnd& main, SkinUI::CControlUI*)
{
    if (OptionSelected(main, L"SingleScreen"))
        CaptureFrame(main);
    else
        CaptureStrip(main);
}

void RemoveRow(CMainWnd& main, SkinUI::CControlUI* sender)
{
    if (SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen))
        rows->Remove(RowOfButton(sender));
    BoundScreenshotList::UpdateExportButton(main);
}

void ClearRows(CMainWnd& main, SkinUI::CControlUI*)
{
    if (SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen))
        rows->RemoveAll();
    BoundScreenshotList::UpdateExportButton(main);
}

void Export(CMainWnd& main, SkinUI::CControlUI*)
{
    SkinUI::IContainerUI* rows = RowsOf(main.m_pListScreen);
    if (rows == nullptr || rows->GetCount() == 0) {
        main.ShowNotice(kNothingToExportNotice);
        return;
    }
    PrepareJobViews(main);
    main.LaunchExport(L"ScreenExport");
}

const PageCommandTable& Commands()
{
    static const PageCommandTable commands = {
        { L"PicAddfile", LoadFile },
        { L"ScreenChange", LoadFile },
        { L"ScreenPicPlay", [](CMainWnd& m, SkinUI::CControlUI*) { PlayShotPreview(m, true); } },
        { L"ScreenPicPause", Pause },
        { L"CutOnTime", [](CMainWnd& m, SkinUI::CControlUI*) { PlayShotPreview(m, false); } },
        { L"Picstart_bu", TakePlayerTime },
        { L"PicOver_bu", TakePlayerTime },
        { L"CutOutPic", Capture },
        { L"screendelete", RemoveRow },
        { L"ClearScreen", ClearRows },
        { L"ScreenExport", Export },
    };
    return commands;
}

}  // namespace

void RunScreenshotPageCommand(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunPageCommand(Commands(), main, msg);
}
