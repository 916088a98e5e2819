// Files dropped on the main window: the single-file pages load the first suitable file, the list
// pages queue every suitable file for their row builder. Names are read at their full length.
// A single-file page refuses a file that is no readable video before it lets go of its own.

#include "base/FileHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/PlayerUI.h"
#include "platform/Windows.h"

using namespace control_access;

namespace {

void StopPreview(SkinUI::CControlUI* control)
{
    if (auto* player = dynamic_cast<CPlayerUI*>(control))
        player->Player().StopPlayback();
}

std::wstring DroppedName(HDROP drop, UINT index)
{
    const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop, index, name.data(), length + 1);
    name.resize(copied);
    return name;
}

// Releases the drop on every way out of the handler.
struct DropReleaser {
    HDROP drop;
    ~DropReleaser() { ::DragFinish(drop); }
};

}  // namespace

LRESULT CMainWnd::OnDropFiles(HDROP drop)
{
    DropReleaser releaser { drop };
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const std::wstring name = DroppedName(drop, i);
        const DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (IsChecked(m_ptabVideoCut))
                return 1;
            continue;
        }
        if (!IsVideoFileName(name.c_str()))
            return 0;
        if (IsRefusedVideoFormat(name)) {
            CMessageWnd::Ask(m_hWnd, L"抱歉！此视频文件格式暂不支持。", L"", L"", L"确定");
            return 0;
        }
        bool endHandling = false;
        if (!DropOnPage(name, endHandling))
            continue;
        if (endHandling)
            return 0;
    }
    if (IsChecked(m_ptabmerge))
        StartRowBuilder(RowPage::Merge);
    else if (IsChecked(m_ptabGIF))
        StartRowBuilder(RowPage::Gif);
    else if (IsChecked(m_ptabAdd))
        StartRowBuilder(RowPage::Clip);
    return 0;
}

// Acts on one suitable file by the selected tab; false when no tab takes files.
bool CMainWnd::DropOnPage(const std::wstring& name, bool& endHandling)
{
    endHandling = true;
    if (IsChecked(m_ptabVideoCut)) {
        if (RefuseUnreadableVideo(name))
            return true;
        CloseOverlayWindows();
        m_strCutFile = name;
        LoadCutPageFile(name);
    } else if (IsChecked(m_ptabFenge)) {
        if (RefuseUnreadableVideo(name))
            return true;
        StopPreview(m_pVideoSegmenPlayer);
        m_strSplitFile = name;
        LoadSplitPageFile(name);
    } else if (IsChecked(m_ptabmerge) || IsChecked(m_ptabGIF) || IsChecked(m_ptabAdd)) {
        const RowPage page = IsChecked(m_ptabmerge) ? RowPage::Merge : IsChecked(m_ptabGIF) ? RowPage::Gif : RowPage::Clip;
        ShowRowList(page);
        AppendPendingFiles(page, { name });
        endHandling = false;
    } else if (IsChecked(m_ptabAdjust)) {
        if (m_pOptimization && m_pOptimization->IsVisible()) {
            if (RefuseUnreadableVideo(name))
                return true;
            StopPreview(m_pOptimizationPlayer);
            m_pOptimization->SetVisible(false);
            if (m_pOptimizationSet)
                m_pOptimizationSet->SetVisible(true);
            m_strAdjustSourcePath = name;
            LoadAdjustPageFile(name);
            ResetAdjustOptions();
            for (SkinUI::CControlUI* level : { m_pduibiRich, m_pbrighRich, m_psaturationRich })
                if (level)
                    level->SetText(L"100");
        }
    } else if (IsChecked(m_ptabScreen)) {
        if (m_pPicVerPlayer && !m_pPicVerPlayer->IsVisible()) {
            if (RefuseUnreadableVideo(name))
                return true;
            if (m_pPicVer)
                m_pPicVer->SetVisible(false);
            m_pPicVerPlayer->SetVisible(true);
            m_strScreenshotSource = name;
            LoadScreenshotPageFile(name);
        }
    } else {
        endHandling = false;
        return false;
    }
    return true;
}
