// The click dispatch and the window-wide commands: title-bar buttons, the home page's feature
// entries, the way back, and the account buttons. Every button's action is found by the exact
// name of the control that raised "click"; a name bound to nothing does nothing, and the
// framework's own title-bar handling is never used. The pages' own commands live in their files.

#include <unordered_map>

#include "editor/mainwnd/MainWnd.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/DPI.h"

namespace {

using Command = void (*)(CMainWnd& main, SkinUI::TNotifyUI& msg);

CAVPlayer* PlayerOf(SkinUI::CControlUI* control)
{
    auto* player = dynamic_cast<CPlayerUI*>(control);
    return player ? &player->Player() : nullptr;
}

bool IsShown(SkinUI::CControlUI* control)
{
    return control && control->IsVisible();
}

void Show(SkinUI::CControlUI* control, bool show)
{
    if (control)
        control->SetVisible(show);
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
        { L"CutVideo", LaunchFromButton },
        { L"SegmenExport", LaunchFromButton },
        { L"AllMerge", LaunchFromButton },
        { L"CutAdjustVideo", LaunchFromButton },
        { L"ScreenExport", LaunchFromButton },
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

void CMainWnd::ReturnFromPage()
{
    for (SkinUI::CControlUI* control : { m_pMusicTrackPlayer, m_pVideoSegmenPlayer, m_pOptimizationPlayer, m_pPicplayer,
                                         m_pSoundTrackPlayer, m_pVideoCutPlayer, m_pWaterMakerPlayer, m_psubtitlePlayer })
        if (CAVPlayer* player = PlayerOf(control); player && player->IsPlaybackActive())
            player->PausePlayback();

    const auto showClipList = [this] {
        Show(m_pVideoAddfileL, true);
        Show(m_pHorAddfileOut, true);
    };
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
        ResizeForPage(720);
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

void CMainWnd::ShowAccountPopup(SkinUI::CControlUI* sender, int kind)
{
    if (m_pAccount == nullptr || sender == nullptr)
        return;
    const RECT r = sender->GetPos();
    const bool service = kind == 1;
    const POINT at { r.left + (r.right - r.left) / 2 + (service ? 11 : 10), r.bottom + ScaleByDpi(service ? 6 : 12) };
    m_pAccount->ShowTitleWndUI(kind, at, service ? -38 : -49);
}
