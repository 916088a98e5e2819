// The click dispatch and the window-wide commands: title-bar buttons, the home page's feature
// entries, the way back, and the account buttons. Every button's action is found by the exact
// name of the control that raised "click"; a name bound to nothing does nothing, and the
// framework's own title-bar handling is never used. The pages' own commands live in their files.

#include <unordered_map>

#include "editor/dialogs/HisToryWnd.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/DPI.h"

using namespace control_access;

namespace {

using Command = void (*)(CMainWnd& main, SkinUI::TNotifyUI& msg);

bool IsShown(SkinUI::CControlUI* control)
{
    return control && control->IsVisible();
}

void ResumeWhenPaused(SkinUI::CControlUI* pauseButton, SkinUI::CControlUI* player)
{
    // The pause button shows while the preview was playing when the user left the page.
    if (!IsShown(pauseButton))
        return;
    if (CAVPlayer* av = PlayerOf(player))
        av->ResumePlayback();
}

// The home page's entries: the tab option each selects, and the preview each resumes.
struct FeatureEntry {
    const wchar_t* button;
    SkinUI::CControlUI* CMainWnd::*tab;
    SkinUI::CControlUI* CMainWnd::*pauseButton;  // null: the page has no preview to resume
    SkinUI::CControlUI* CMainWnd::*player;
};

const FeatureEntry kFeatureEntries[] = {
    { L"VideoCut", &CMainWnd::m_ptabVideoCut, &CMainWnd::m_pbtnPause, &CMainWnd::m_pVideoCutPlayer },
    { L"VideoMerge", &CMainWnd::m_ptabmerge, nullptr, nullptr },
    { L"VideoFenge", &CMainWnd::m_ptabFenge, &CMainWnd::m_pSegembtnPause, &CMainWnd::m_pVideoSegmenPlayer },
    { L"Videogif", &CMainWnd::m_ptabGIF, nullptr, nullptr },
    { L"videoAdd", &CMainWnd::m_ptabAdd, nullptr, nullptr },
    { L"videoScreen", &CMainWnd::m_ptabScreen, &CMainWnd::m_pScreenPicPause, &CMainWnd::m_pPicplayer },
    { L"videoadjustment", &CMainWnd::m_ptabAdjust, &CMainWnd::m_pOptimizationbtnPause, &CMainWnd::m_pOptimizationPlayer },
};

void OpenEntry(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    main.OpenFeaturePage(msg.pSender->GetName().GetData());
}

void LaunchFromButton(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    main.LaunchExport(msg.pSender->GetName().GetData());
}

// The range exported is the range the fields show.
void LaunchCut(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    main.SettleCutEnd();
    LaunchFromButton(main, msg);
}

void ListPage(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunListPageCommand(main, msg);
}

void SplitPage(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunSplitPageCommand(main, msg);
}

void ScreenshotPage(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    RunScreenshotPageCommand(main, msg);
}

void StepMusic(CMainWnd& main, SkinUI::TNotifyUI& msg)
{
    main.StepMusicTime(msg.pSender->GetName().GetData());
}

const std::unordered_map<std::wstring, Command>& Commands()
{
    static const std::unordered_map<std::wstring, Command> commands = {
        { L"closeBtn", [](CMainWnd& m, SkinUI::TNotifyUI&) { ::PostMessage(m.GetHWND(), WM_CLOSE, 0, 0); } },
        { L"minbtn", [](CMainWnd& m, SkinUI::TNotifyUI&) { ::SendMessage(m.GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0); } },
        { L"maxbtn", [](CMainWnd&, SkinUI::TNotifyUI&) {} },  // the window is never maximised by its button
        { L"restorebtn", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.RestoreFromMaximised(); } },
        { L"VideoCut", OpenEntry },
        { L"VideoMerge", OpenEntry },
        { L"VideoFenge", OpenEntry },
        { L"Videogif", OpenEntry },
        { L"videoAdd", OpenEntry },
        { L"videoScreen", OpenEntry },
        { L"videoadjustment", OpenEntry },
        { L"returnMainWnd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ReturnFromPage(); } },
        { L"Register", [](CMainWnd& m, SkinUI::TNotifyUI&) { if (m.m_pAccount) m.m_pAccount->ShowLogonWnd(false); } },
        { L"TitleQQ", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ShowAccountPopup(msg.pSender, 1); } },
        { L"menu_BAR", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ShowAccountPopup(msg.pSender, 2); } },
        { L"btnrelate", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.OnRelatedProductButton2(); } },
        { L"btnrelateshuiyin", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.OnRelatedProductButton1(); } },
        { L"CutVideo", LaunchCut },
        { L"CutAdjustVideo", LaunchFromButton },
        // The merge, GIF and multi-clip lists and their rows.
        { L"addFile", ListPage }, { L"AddMergeFile", ListPage }, { L"GIFAddFile", ListPage }, { L"addFolder", ListPage },
        { L"transfrom_Text_pic", ListPage }, { L"clearList", ListPage }, { L"CloseList", ListPage }, { L"Down", ListPage },
        { L"up", ListPage }, { L"CloseGifList", ListPage }, { L"CloseVideoAdd", ListPage }, { L"GifOpen", ListPage },
        { L"Open", ListPage }, { L"AllMerge", ListPage }, { L"VideoGIF", ListPage }, { L"AllGif", ListPage },
        { L"OptimizeStart", ListPage }, { L"AllVideoAddExport", ListPage },
        // The split page.
        { L"SegmenAddFile", SplitPage }, { L"SegmenChangeVideo", SplitPage }, { L"SegembtnPlay", SplitPage },
        { L"SegembtnPause", SplitPage }, { L"CutSegmenTime", SplitPage }, { L"startUpTime", SplitPage },
        { L"startDownTime", SplitPage }, { L"AverageUpTime", SplitPage }, { L"AverageDownTime", SplitPage },
        { L"UpNum", SplitPage }, { L"DownNum", SplitPage }, { L"AddSengenTime", SplitPage }, { L"AddSengenNum", SplitPage },
        { L"AddSengenTimeNum", SplitPage }, { L"TextChange", SplitPage }, { L"VideoClose", SplitPage },
        { L"ClearVideo", SplitPage }, { L"SegmenExport", SplitPage },
        // The screenshot page.
        { L"PicAddfile", ScreenshotPage }, { L"ScreenChange", ScreenshotPage }, { L"ScreenPicPlay", ScreenshotPage },
        { L"ScreenPicPause", ScreenshotPage }, { L"CutOnTime", ScreenshotPage }, { L"Picstart_bu", ScreenshotPage },
        { L"PicOver_bu", ScreenshotPage }, { L"CutOutPic", ScreenshotPage }, { L"screendelete", ScreenshotPage },
        { L"ClearScreen", ScreenshotPage }, { L"ScreenExport", ScreenshotPage },
        // The multi-clip page's edit sub-pages, opened from a clip row's buttons.
        { L"VideoCover", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenCoverPage(RowOfButton(msg.pSender)); } },
        { L"SoundTrackbtnAdd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChooseCoverPicture(); } },
        { L"SoundTrackbtnPlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pSoundTrackbtnPlay, m.m_pSoundTrackbtnPause, m.m_pSoundTrackPlayer, true); } },
        { L"SoundTrackbtnPause", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pSoundTrackbtnPlay, m.m_pSoundTrackbtnPause, m.m_pSoundTrackPlayer, false); } },
        { L"CorverstartUpTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepCoverTime(true, true); } },
        { L"CorverstartDownTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepCoverTime(true, false); } },
        { L"CorverTimerstartUpTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepCoverTime(false, true); } },
        { L"CorverTimerstartDownTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepCoverTime(false, false); } },
        { L"CorverVideoExport", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.SaveCoverPage(); } },
        { L"ChangeCorverVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChangeCoverVideo(); } },
        { L"AddMusic", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenMusicPage(RowOfButton(msg.pSender)); } },
        { L"MusicbtnAdd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChooseMusicFile(); } },
        { L"MusicTrackbtnPlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pMusicTrackbtnPlay, m.m_pMusicTrackbtnPause, m.m_pMusicTrackPlayer, true); } },
        { L"MusicTrackbtnPause", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pMusicTrackbtnPlay, m.m_pMusicTrackbtnPause, m.m_pMusicTrackPlayer, false); } },
        { L"MusicTimeUpTime", StepMusic },
        { L"MusicTimeDownTime", StepMusic },
        { L"VideoTimerstartUpTime", StepMusic },
        { L"VideoTimerstartDownTime", StepMusic },
        { L"VideoOverUpTime", StepMusic },
        { L"VideoOverDownTime", StepMusic },
        { L"VideoSoundAdd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepClipVolume(false, 1); } },
        { L"VideoSoundReduce", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepClipVolume(false, -1); } },
        { L"MusicSoundAdd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepClipVolume(true, 1); } },
        { L"MusicSoundReduce", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepClipVolume(true, -1); } },
        { L"MusicExport", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.SaveMusicPage(); } },
        { L"ChangeMusicVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChangeMusicVideo(); } },
        { L"VideoZimu", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenSubtitlePage(RowOfButton(msg.pSender), msg.pSender); } },
        { L"subtitlePlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_psubtitlePlay, m.m_psubtitlePause, m.m_psubtitlePlayer, true); } },
        { L"subtitlePause", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_psubtitlePlay, m.m_psubtitlePause, m.m_psubtitlePlayer, false); } },
        { L"subtitlelist", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ShowSubtitleList(); } },
        { L"InsertSubtitle", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.InsertSubtitleItem(); } },
        { L"SubtitleAFont", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.LargerSubtitleText(); } },
        { L"Subtitlepalette", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenSubtitlePalette(msg.pSender); } },
        { L"ColorBtn", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenSubtitlePalette(msg.pSender); } },
        { L"subtitleTimerstartUpTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepSubtitleTime(true, true); } },
        { L"subtitleTimerstartDownTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepSubtitleTime(true, false); } },
        { L"subtitleOverUpTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepSubtitleTime(false, true); } },
        { L"subtitleOverDownTime", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.StepSubtitleTime(false, false); } },
        { L"ChangeSubtitleVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChangeSubtitleVideo(); } },
        { L"AddSubtitle", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.TakeSubtitleFile(); } },
        { L"SubtitleExport", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.SaveSubtitlePage(); } },
        { L"VideoWater", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.OpenWatermarkPage(RowOfButton(msg.pSender)); } },
        { L"WaterMakerbtnPlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pWaterMakerbtnPlay, m.m_pWaterMakerbtnPause, m.m_pWaterMakerPlayer, true); } },
        { L"WaterMakerbtnPause", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pWaterMakerbtnPlay, m.m_pWaterMakerbtnPause, m.m_pWaterMakerPlayer, false); } },
        { L"palette", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChooseWatermarkColour(); } },
        { L"AFont", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.LargerWatermarkText(); } },
        { L"WaterAdd", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChooseWatermarkPicture(); } },
        { L"ChangeWaterVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ChangeWatermarkVideo(); } },
        { L"WaterExport", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.SaveWatermarkPage(); } },
        { L"history", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ShowHistoryWindow(); } },
        // Cut page.
        { L"TranAddFile", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.AddCutPageFile(false); } },
        { L"ChangeVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.AddCutPageFile(true); } },
        { L"videoPlayCut", [](CMainWnd&, SkinUI::TNotifyUI&) {} },
        { L"start_bu", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.TakeCutTime(true); } },
        { L"Over_bu", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.TakeCutTime(false); } },
        { L"btnPlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.PlayCutPreview(true); } },
        { L"btnPause", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.PlayCutPreview(false); } },
        { L"videoPlayReturn", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.UndoCutRange(); } },
        { L"videoPlayReset", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.SetCutEndToDuration(); } },
        { L"Reduce", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.StepCutVolume(msg.pSender, -1); } },
        { L"increase", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.StepCutVolume(msg.pSender, 1); } },
        { L"MusicMenu", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ShowVolumeMenu(msg.pSender); } },
        // Adjust page.
        { L"OptimizationAddFile", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.AddAdjustPageFile(false); } },
        { L"ChangeAdjustVideo", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.AddAdjustPageFile(true); } },
        { L"OptimizationbtnPlay", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pOptimizationbtnPlay, m.m_pOptimizationbtnPause, m.m_pOptimizationPlayer, true); } },
        { L"OptimizationbtnPause", [](CMainWnd& m, SkinUI::TNotifyUI&) { PlayPreview(m.m_pOptimizationbtnPlay, m.m_pOptimizationbtnPause, m.m_pOptimizationPlayer, false); } },
        { L"brightReset", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ResetPictureRow(msg.pSender); } },
        { L"duibiReset", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ResetPictureRow(msg.pSender); } },
        { L"saturationReset", [](CMainWnd& m, SkinUI::TNotifyUI& msg) { m.ResetPictureRow(msg.pSender); } },
        { L"AllReset", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.ResetAdjustOptions(); } },
        // Multi-clip page.
        { L"VideoBuAddFile", [](CMainWnd& m, SkinUI::TNotifyUI&) { m.AddClipFiles(); } },
    };
    return commands;
}

}  // namespace

void CMainWnd::OnClick(SkinUI::TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const auto command = Commands().find(msg.pSender->GetName().GetData());
    if (command != Commands().end())
        command->second(*this, msg);
}

bool CMainWnd::HasClickCommand(const std::wstring& name)
{
    return Commands().count(name) != 0;
}

void CMainWnd::OpenFeaturePage(const wchar_t* entryName)
{
    const FeatureEntry* entry = nullptr;
    for (const FeatureEntry& e : kFeatureEntries)
        if (std::wstring_view(e.button) == entryName)
            entry = &e;
    if (entry == nullptr)
        return;
    const bool cut = entry->tab == &CMainWnd::m_ptabVideoCut;
    RECT startMarker {}, endMarker {};
    if (cut) {
        if (m_pstart)
            startMarker = m_pstart->GetPos();
        if (m_pend)
            endMarker = m_pend->GetPos();
        ShowOverlayWindows(true);
        ResumeWhenPaused(m_pbtnPause, m_pVideoCutPlayer);
    }
    Show(m_pmainwnd, false);
    Show(m_pctnClient, true);
    Show(m_pmainkong, false);
    if (auto* tab = this->*entry->tab ? static_cast<SkinUI::COptionUI*>((this->*entry->tab)->GetInterface(L"Option")) : nullptr)
        tab->Selected(true);  // its selection switches the page
    ResizeForPage(675);
    // The page switch may move the range markers; they go back where they were once it settles.
    if (cut)
        PostUiTask(100, [this, startMarker, endMarker] { MarkerLayoutTask(startMarker, endMarker); });
    if (entry->pauseButton)
        ResumeWhenPaused(this->*entry->pauseButton, this->*entry->player);
}

void CMainWnd::ShowClipList(bool shown)
{
    // The list and its footer stand in a work area with the page's header; a sub-page takes the
    // page only when that whole area goes, else the two split the height between them.
    Show(m_pVideoAddfileL, shown);
    Show(m_pHorAddfileOut, shown);
    if (m_pVideoAddfileL && m_pVideoAddfileL->GetParent())
        m_pVideoAddfileL->GetParent()->SetVisible(shown);
}

void CMainWnd::ReturnFromPage()
{
    for (SkinUI::CControlUI* control : { m_pMusicTrackPlayer, m_pVideoSegmenPlayer, m_pOptimizationPlayer, m_pPicplayer,
                                         m_pSoundTrackPlayer, m_pVideoCutPlayer, m_pWaterMakerPlayer, m_psubtitlePlayer })
        if (CAVPlayer* player = PlayerOf(control); player && player->IsPlaybackActive())
            player->PausePlayback();

    const auto showClipList = [this] { ShowClipList(true); };
    if (IsShown(m_pWaterMaker)) {
        showClipList();
        Show(m_pWaterMaker, false);
        if (m_pWatermarkWnd && ::IsWindow(m_pWatermarkWnd->GetHWND()))
            m_pWatermarkWnd->Close(1);
        m_pWatermarkWnd = nullptr;
    } else if (IsShown(m_pMusicTrack)) {
        Show(m_pMusicTrack, false);
        showClipList();
    } else if (IsShown(m_pSoundTrack)) {
        Show(m_pSoundTrack, false);
        showClipList();
    } else if (IsShown(m_psubtitleVer)) {
        Show(m_psubtitleVer, false);
        showClipList();
        m_vecTextItems.clear();
        m_textItem.text.clear();
        if (m_pTextLayerWnd && ::IsWindow(m_pTextLayerWnd->GetHWND()))
            m_pTextLayerWnd->Close(1);
        m_pTextLayerWnd = nullptr;
        EnableSubtitleSave(false);
    } else {
        Show(m_pmainwnd, true);
        Show(m_pctnClient, false);
        Show(m_pmainkong, true);
        ResizeForPage(kTallestWindow.cy);
    }
    ShowOverlayWindows(false);
}

void CMainWnd::RestoreFromMaximised()
{
    ::SendMessage(m_hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    for (HWND overlay : { m_hCover, m_hConceal })
        if (overlay)
            ::ShowWindow(overlay, SW_HIDE);
    const std::pair<SkinUI::CControlUI*, int> widths[] = {
        { m_pprogress, 608 }, { m_plabel, 608 }, { m_psliderPlay, 620 }, { m_pCaijianButtonHor, 625 } };
    for (const auto& [control, width] : widths)
        if (control)
            control->SetFixedWidth(width);
    PostUiTask(100, [this] { EditRefreshTask(); });
    PostUiTask(100, [this] { OverlayRelayoutTask(); });
}

void CMainWnd::ShowHistoryWindow()
{
    CHisToryWnd history(this);
    if (!history.CreateOwned(m_hWnd))
        return;
    history.CenterWindow();
    history.ShowModal();
}

void CMainWnd::ShowAccountPopup(SkinUI::CControlUI* sender, int kind)
{
    if (m_pAccount == nullptr || sender == nullptr)
        return;
    const RECT r = sender->GetPos();
    const bool service = kind == 1;
    const POINT at { r.left + (r.right - r.left) / 2 + (service ? 11 : 10), r.bottom + ScaleByDpi(service ? 6 : 12) };
    m_pAccount->ShowTitleWndUI(kind, at, service ? -38 : -49);
}
