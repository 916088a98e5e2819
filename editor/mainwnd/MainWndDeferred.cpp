// Deferred tasks of the main window: the layout chores that commands post to the UI thread with a
// delay, so they run once the layout they depend on has settled.

#include <algorithm>

#include "base/StringHelpers.h"
#include "editor/dialogs/ConcealWnd.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

using namespace control_access;

namespace {

constexpr int kSettleDelayMs = 100;
constexpr double kWideAspect = 2.731;
const POINT kCutPreviewOrigin { 24, 130 };  // the cut preview box's client corner, unscaled

// The box's screen rectangle clipped to the picture's own: the crop fields' rectangle inside it,
// or the whole picture when the fields name no area.
RECT CropFrameInside(const RECT& picture, const std::wstring& x, const std::wstring& y, const std::wstring& width,
                     const std::wstring& height)
{
    const long w = std::wcstol(width.c_str(), nullptr, 10), h = std::wcstol(height.c_str(), nullptr, 10);
    if (w <= 0 || h <= 0)
        return picture;
    const long pictureWidth = picture.right - picture.left, pictureHeight = picture.bottom - picture.top;
    const long left = std::clamp(std::wcstol(x.c_str(), nullptr, 10), 0L, pictureWidth);
    const long top = std::clamp(std::wcstol(y.c_str(), nullptr, 10), 0L, pictureHeight);
    RECT frame;
    frame.left = picture.left + left;
    frame.top = picture.top + top;
    frame.right = picture.left + std::min(pictureWidth, left + w);
    frame.bottom = picture.top + std::min(pictureHeight, top + h);
    return frame;
}

}  // namespace

RECT FitCutPicture(double aspect, int boxWidth, int boxHeight, POINT origin)
{
    RECT picture { origin.x, origin.y, origin.x, origin.y };
    if (aspect <= 0 || boxWidth <= 0 || boxHeight <= 0)
        return picture;
    int x = origin.x, y = origin.y, width = boxWidth, height = boxHeight;
    if (aspect > kWideAspect && boxWidth / aspect <= boxHeight) {
        height = static_cast<int>(boxWidth / aspect);
        y = static_cast<int>(origin.y + (boxHeight - boxWidth / aspect) / 2.0);
    } else {
        width = static_cast<int>(boxHeight * aspect);
        x = static_cast<int>(origin.x + (boxWidth - width) / 2.0);
    }
    return { x, y, x + width, y + height };
}

void CMainWnd::EditRefreshTask()
{
    // Written back unchanged, the fields re-apply their rules to the restored layout.
    for (SkinUI::CControlUI* edit : { m_pstartmillsecond, m_pOVermillsecond })
        if (edit)
            edit->SetText(SkinUI::CUIString(edit->GetText()));
}

void CMainWnd::OverlayRelayoutTask()
{
    const double aspect = std::wcstod(m_strCutAspect.c_str(), nullptr);
    if (aspect <= 0 || m_hConceal == nullptr || m_hCover == nullptr)
        return;  // no picture on the cut page: there is nothing to cover
    POINT origin = kCutPreviewOrigin;
    ::ClientToScreen(m_hWnd, &origin);
    const RECT picture = FitCutPicture(aspect, m_nPreviewWidth, m_nPreviewHeight, origin);
    const int width = picture.right - picture.left, height = picture.bottom - picture.top;
    CropCanvasWidth = width;
    CropCanvasHeight = height;
    ::SendMessage(m_hConceal, CConceal::kMsgCropMaximum, static_cast<WPARAM>(width), static_cast<LPARAM>(height));
    ::ShowWindow(m_hCover, SW_SHOW);
    ::ShowWindow(m_hConceal, SW_SHOW);
    ::MoveWindow(m_hCover, picture.left, picture.top, width, height, TRUE);
    CropDragBounds = picture;
    const RECT frame = CropFrameInside(picture, TextOf(m_pXwidth), TextOf(m_pYheight), TextOf(m_pcut_width),
                                       TextOf(m_pcut_height));
    ::MoveWindow(m_hConceal, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, TRUE);
}

void CMainWnd::MarkerLayoutTask(RECT start, RECT end)
{
    if (m_pstart)
        m_pstart->SetPos(start, true);
    if (m_pend)
        m_pend->SetPos(end, true);
}
