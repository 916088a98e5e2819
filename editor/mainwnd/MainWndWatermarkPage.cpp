// The watermark sub-page of the multi-clip page: a text or picture watermark styled on the page and
// placed on an overlay window that lies exactly over the preview's picture. The save renders the
// watermark into a new PNG in the private work folder (never a name another clip's record uses),
// records the style and place in the clip's record and closes the overlay. UI thread.

#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/ClipSubPage.h"
#include "editor/mainwnd/ControlAccess.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ClipListExport.h"
#include "media/PlayerUI.h"
#include "platform/CommDlg.h"
#include "platform/Windows.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/ProgressUI.h"

using namespace control_access;

namespace {

constexpr const wchar_t* kPicturePatterns = L"*.png;*.bmp;*.jpeg;*.jpg;";
constexpr const wchar_t* kChooseTitle = L"请选择要添加的文件:";
constexpr const wchar_t* kDamagedPicture = L"抱歉！此图片可能已损坏。";
constexpr const wchar_t* kRenderFailed = L"水印图片生成失败，请重试。";
constexpr int kDefaultSizeItem = 8;  // "28"
const wchar_t* const kCells[] = { L"TopLeft", L"TopCenter", L"TopRight", L"CenterLeft", L"CenterCenter",
                                  L"CenterRight", L"BottomLeft", L"BottomCenter", L"BottomRight" };

void SelectText(SkinUI::CControlUI* control, const std::wstring& text)
{
    SkinUI::CComboUI* combo = ComboOf(control);
    for (int i = 0; combo && i < combo->GetCount(); ++i)
        if (TextOf(combo->GetItemAt(i)) == text) {
            combo->SelectItem(i, false);
            return;
        }
}

// A slider with its bar and its label: "%d°" for angles, the opacity percent, or the size percent.
enum class Unit { Degrees, Opacity, Percent };
void SetSlider(SkinUI::CControlUI* slider, SkinUI::CControlUI* bar, SkinUI::CControlUI* label, int value, Unit unit)
{
    SetBarValue(slider, value);
    SetBarValue(bar, value);
    if (unit == Unit::Degrees)
        SetText(label, FormatWide(L"%d°", value));
    else
        SetText(label, FormatWide(L"%d%%", unit == Unit::Opacity ? static_cast<int>(value / 2.55) : value));
}

DWORD ForeColour(SkinUI::CControlUI* control)
{
    auto* label = control ? static_cast<SkinUI::CLabelUI*>(control->GetInterface(L"Label")) : nullptr;
    return label ? label->GetTextColor() : 0xFFFFFFFF;
}

RECT RectOf(const int (&r)[4])
{
    return { r[0], r[1], r[2], r[3] };
}

void Store(int (&to)[4], const RECT& r)
{
    to[0] = r.left;
    to[1] = r.top;
    to[2] = r.right;
    to[3] = r.bottom;
}

void ResetWatermarkSettings()
{
    WatermarkSettings.text = L"";
    WatermarkSettings.picture = L"";
    WatermarkSettings.font = L"微软雅黑";
    WatermarkSettings.textColor = -1;
    WatermarkSettings.size = 28;
    WatermarkSettings.textAngle = 0;
    WatermarkSettings.textAlpha = 255;
    WatermarkSettings.pictureAngle = 0;
    WatermarkSettings.pictureAlpha = 255;
    WatermarkSettings.fontStyle = 0;
}

}  // namespace

SIZE FitWatermarkPicture(int width, int height)
{
    if (height >= width) {
        if (height < 201)
            return { width, height };
        const float f = static_cast<float>(height) / 200;
        return { static_cast<int>(width / f), 200 };
    }
    if (width < 201)
        return { width, height };
    const float f = static_cast<float>(width) / 200;
    return { 200, static_cast<int>(height / f) };
}

namespace {

// Where a picture of `size` starts in cell column (or row) `index` of a `span` wide video: flush
// with the near edge, flush with the far edge, or centred; too large to centre, it stays put.
int CellStart(int index, int from, int size, int span)
{
    if (index == 0)
        return 0;
    if (index == 2)
        return span - size;
    return size < span ? (span - size) / 2 : from;
}

}  // namespace

RECT WatermarkCellRect(int cell, const RECT& from, int videoWidth, int videoHeight)
{
    const int w = from.right - from.left, h = from.bottom - from.top;
    const int column = (cell - 1) % 3, row = (cell - 1) / 3;
    RECT rc;
    rc.left = CellStart(column, from.left, w, videoWidth);
    rc.top = CellStart(row, from.top, h, videoHeight);
    rc.right = rc.left + w;
    rc.bottom = rc.top + h;
    return rc;
}

int WatermarkCellNumber(const wchar_t* name)
{
    for (int i = 0; i < 9; ++i)
        if (::wcscmp(kCells[i], name) == 0)
            return i + 1;
    return 0;
}

CChildWnd* CMainWnd::WatermarkOverlay() const
{
    return dynamic_cast<CChildWnd*>(m_pWatermarkWnd);
}

// Sizes the sub-page's picture to the clip's shape on its preview, then centres the overlay there.
void CMainWnd::FitOverlay(SkinUI::CWindowWnd* overlay, SkinUI::CControlUI* preview, double aspect, bool textLayer)
{
    const SIZE picture = PictureSizeOnControl(preview, aspect, m_strClipWidth, m_strClipHeight);
    m_nSubPagePicWidth = picture.cx;
    m_nSubPagePicHeight = picture.cy;
    PlaceOverlay(overlay, preview, textLayer);
}

// Centres an overlay on its preview at the sub-page's picture size. The rectangle is recorded
// first, even with no overlay open: the overlay lays itself out from it.
void CMainWnd::PlaceOverlay(SkinUI::CWindowWnd* overlay, SkinUI::CControlUI* preview, bool textLayer)
{
    const RECT rc = PictureRectOnControl(m_hWnd, preview, { m_nSubPagePicWidth, m_nSubPagePicHeight });
    if (textLayer)
        TextLayerRectangle = rc;
    else
        SetVideoRectangle(rc);
    if (overlay)
        ::MoveWindow(overlay->GetHWND(), rc.left, rc.top, m_nSubPagePicWidth, m_nSubPagePicHeight, TRUE);
}

void CMainWnd::ResetTextWatermarkControls()
{
    SetText(m_pWaterTextRich, L"");
    SelectEntry(m_pwaterFontSize, kDefaultSizeItem);
    Check(m_pBlod, false);
    Check(m_pItalic, false);
    SetTextColour(m_ppalette, 0xFFFFFFFF);
    SetSlider(m_pWaterSpinSlider, m_pWaterSpinPro, m_pSpinInfo, 0, Unit::Degrees);
    SetSlider(m_pMarkSlider, m_pMarkPro, m_pMaskInfo, 255, Unit::Opacity);
    Check(m_pUserOp, true);
}

void CMainWnd::ResetPictureWatermarkControls()
{
    SetSlider(m_pPicSizeSlider, m_pPicSizePro, m_pPicSize, 100, Unit::Percent);
    Check(m_pPicUserOp, true);
    SetSlider(m_pPicSpinSlider, m_pPicSpinPro, m_pPicSpinInfo, 0, Unit::Degrees);
    SetSlider(m_pPicMarkSlider, m_pPicMarkPro, m_pPicMarkInfo, 255, Unit::Opacity);
    WatermarkSettings.pictureAngle = 0;
    WatermarkSettings.pictureAlpha = 255;
    Check(m_pCenterCenter, true);
}

// A cell option, or the nine-grid choice itself: the picture of `from`'s size goes into the
// selected cell, while the picture is placed by the grid.
void CMainWnd::PlacePictureInSelectedCell(const RECT& from)
{
    CChildWnd* overlay = WatermarkOverlay();
    if (overlay == nullptr || PictureWatermarkLayout != 2 || TextOf(m_pWaterPath).empty())
        return;
    for (int i = 0; i < 9; ++i) {
        if (!IsChecked(m_pm.FindControl(kCells[i])))
            continue;
        const RECT rc = WatermarkCellRect(i + 1, from, VideoRectangle[2] - VideoRectangle[0],
                                          VideoRectangle[3] - VideoRectangle[1]);
        overlay->SetPictureItemPos(rc.left, rc.top, rc.right, rc.bottom);
        return;
    }
}

void CMainWnd::OpenWatermarkPage(SkinUI::CControlUI* row)
{
    const ClipRowFacts facts = TakeRowClip(*this, row, 1);
    OpenPagePlayer(m_pWaterMakerPlayer, facts.path);
    ShowClipList(false);
    Show(m_pWaterMaker, true);
    FillFontCombo(m_pWaterFont, ListInstalledFonts(), L"微软雅黑");
    if (m_pWatermarkWnd && ::IsWindow(m_pWatermarkWnd->GetHWND()))
        m_pWatermarkWnd->Close(1);
    m_pWatermarkWnd = nullptr;
    FitOverlay(m_pWatermarkWnd, m_pWaterMakerPlayer, facts.aspect, false);
    auto* overlay = new CChildWnd;  // deletes itself with its window and clears m_pWatermarkWnd
    m_pWatermarkWnd = overlay;
    overlay->Create(m_hWnd, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, VideoRectangle[0], VideoRectangle[1],
                    m_nSubPagePicWidth, m_nSubPagePicHeight);
    ::MoveWindow(overlay->GetHWND(), VideoRectangle[0], VideoRectangle[1], m_nSubPagePicWidth, m_nSubPagePicHeight, TRUE);
    overlay->ShowTextItem(false);
    // Only a watermark save speaks for the clip's watermark: another kind's record carries the
    // watermark fields of whichever clip was saved before it.
    for (const ClipRecord& record : m_vecClips)
        if (record.path == facts.path.c_str() && record.kind == kClipWatermark) {
            RestoreWatermark(record);
            return;
        }
    Check(m_pTextWater, true);
    overlay->ShowTextItem(false);
    overlay->ShowPictureItem(false);
    ResetTextWatermarkControls();
    SetText(m_pWaterPath, L"");
    ResetPictureWatermarkControls();
    ResetWatermarkSettings();
}

void CMainWnd::RestoreWatermark(const ClipRecord& record)
{
    CChildWnd* overlay = WatermarkOverlay();
    const RECT place = RectOf(record.watermarkRect);
    if (record.watermarkIsText) {
        Check(m_pTextWater, true);
        SetText(m_pWaterTextRich, record.watermarkText);
        SelectText(m_pWaterFont, record.watermarkFont);
        SelectText(m_pwaterFontSize, record.watermarkFontSize);
        Check(m_pBlod, record.watermarkBold != 0);
        Check(m_pItalic, record.watermarkItalic != 0);
        SetTextColour(m_ppalette, static_cast<DWORD>(record.watermarkColor));
        SetSlider(m_pWaterSpinSlider, m_pWaterSpinPro, m_pSpinInfo, record.watermarkAngle, Unit::Degrees);
        SetSlider(m_pMarkSlider, m_pMarkPro, m_pMaskInfo, record.watermarkAlpha, Unit::Opacity);
        Check(record.watermarkPlacement != 0 ? m_pTiled : m_pUserOp, true);
        if (record.watermarkPlacement != 0 && overlay)
            overlay->SetTextItemMovable(false);
        WatermarkSettings.text = record.watermarkText.c_str();
        WatermarkSettings.size = static_cast<int>(std::wcstol(record.watermarkFontSize.c_str(), nullptr, 10));
        WatermarkSettings.textAngle = record.watermarkAngle;
        WatermarkSettings.textAlpha = record.watermarkAlpha;
        WatermarkSettings.textColor = record.watermarkColor;
        WatermarkSettings.fontStyle = (record.watermarkBold ? kFontBold : 0) | (record.watermarkItalic ? kFontItalic : 0);
        // The item first spans the picture, and takes its saved place once the overlay has laid out.
        if (overlay)
            overlay->SetTextItemPos(0, 0, m_nSubPagePicWidth, m_nSubPagePicHeight);
        PostUiTask(10, [this, place] {
            if (CChildWnd* o = WatermarkOverlay())
                o->SetTextItemPos(place.left, place.top, place.right, place.bottom);
        });
        return;
    }
    Check(m_pPicWater, true);
    ResetTextWatermarkControls();
    SetSlider(m_pPicSizeSlider, m_pPicSizePro, m_pPicSize, record.watermarkScale, Unit::Percent);
    SetSlider(m_pPicSpinSlider, m_pPicSpinPro, m_pPicSpinInfo, record.watermarkAngle, Unit::Degrees);
    SetSlider(m_pPicMarkSlider, m_pPicMarkPro, m_pPicMarkInfo, record.watermarkAlpha, Unit::Opacity);
    if (record.watermarkPlacement == 0) {
        Check(m_pCenterCenter, true);
        Check(m_pPicUserOp, true);
    } else if (record.watermarkPlacement == 1) {
        const RECT tile = RectOf(record.watermarkTileRect);
        if (overlay) {
            overlay->SetPictureItemMovable(false);
            overlay->SetPictureItemRect(tile.left, tile.top, tile.right, tile.bottom);
        }
        Check(m_pCenterCenter, true);
        Check(m_pm.FindControl(L"PicTiled"), true);
    } else {
        Check(m_pm.FindControl(L"PicCorner"), true);
        if (record.watermarkCell >= 1 && record.watermarkCell <= 9)
            Check(m_pm.FindControl(kCells[record.watermarkCell - 1]), true);
    }
    SetText(m_pWaterPath, record.watermarkPicture);
    WatermarkSettings.picture = record.watermarkPicture.c_str();
    WatermarkSettings.size = 28;
    WatermarkSettings.textAngle = 0;
    WatermarkSettings.text = L"";
    WatermarkSettings.pictureAlpha = record.watermarkAlpha;
    WatermarkSettings.textColor = -1;
    WatermarkSettings.pictureAngle = record.watermarkAngle;
    WatermarkSettings.fontStyle = 0;
    WatermarkSettings.textAlpha = 255;
    if (overlay == nullptr)
        return;
    overlay->m_nPictureWidth = record.watermarkPictureWidth;
    overlay->m_nPictureHeight = record.watermarkPictureHeight;
    overlay->ShowPictureItem(true);
    PostUiTask(10, [this, place] {
        if (CChildWnd* o = WatermarkOverlay())
            o->SetPictureItemPos(place.left, place.top, place.right, place.bottom);
    });
}

void CMainWnd::ChooseWatermarkColour()
{
    COLORREF custom[16] = {};
    int start = m_clrPalette;
    CHOOSECOLORW cc {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = m_hWnd;
    cc.rgbResult = static_cast<COLORREF>(SwapRedBlue(start));
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;  // the desktop places its own chooser: no placement hook here
    if (!::ChooseColorW(&cc))
        return;
    int colour = static_cast<int>(cc.rgbResult);
    colour = SwapRedBlue(colour) | static_cast<int>(0xFF000000u);
    m_clrPalette = colour;
    SetTextColour(m_ppalette, static_cast<DWORD>(colour));
    WatermarkSettings.textColor = colour;
    if (CChildWnd* overlay = WatermarkOverlay())
        overlay->InvalidateTextItem();
}

void CMainWnd::LargerWatermarkText()
{
    SkinUI::CComboUI* sizes = ComboOf(m_pwaterFontSize);
    if (sizes == nullptr || sizes->GetCount() == 0)
        return;
    sizes->SelectItem(std::min(sizes->GetCurSel() + 1, sizes->GetCount() - 1), false);
    WatermarkSettings.size = static_cast<int>(std::wcstol(TextOf(m_pwaterFontSize).c_str(), nullptr, 10));
    WatermarkRefitFlag = 1;
    ScheduleRefitFlagClear();
    if (CChildWnd* overlay = WatermarkOverlay()) {
        overlay->InvalidateTextItem();
        overlay->FitTextItemToAngle();
    }
}

void CMainWnd::ChooseWatermarkPicture()
{
    const std::wstring path = ChooseOneFile(m_hWnd, kChooseTitle, kPicturePatterns);
    if (path.empty())
        return;
    long width = 0, height = 0;
    PictureSize(EncoderPath(path), width, height);
    if (width <= 0 || height <= 0) {
        CMessageWnd::Ask(m_hWnd, kDamagedPicture, L"", L"", L"确定");
        return;
    }
    if (m_pWaterExport)
        m_pWaterExport->SetEnabled(true);
    ResetPictureWatermarkControls();
    WatermarkSettings.picture = path.c_str();
    SetText(m_pWaterPath, path);
    if (m_pWaterPath)
        m_pWaterPath->SetToolTip(path.c_str());
    CChildWnd* overlay = WatermarkOverlay();
    if (overlay == nullptr)
        return;
    overlay->ShowTextItem(false);
    overlay->ShowPictureItem(true);
    const SIZE fitted = FitWatermarkPicture(static_cast<int>(width), static_cast<int>(height));
    overlay->SetPictureItemSize(fitted.cx, fitted.cy);
}

void CMainWnd::ChangeWatermarkVideo()
{
    std::wstring path;
    if (!ChooseReplacementVideo(path))
        return;
    Show(m_pWaterMakerbtnPlay, false);
    Show(m_pWaterMakerbtnPause, true);
    if (CAVPlayer* player = PlayerOf(m_pWaterMakerPlayer))
        player->StopPlayback();
    const ClipRowFacts facts = ReplaceClipVideo(m_pWaterMakerPlayer, path);
    FitOverlay(m_pWatermarkWnd, m_pWaterMakerPlayer, facts.aspect, false);
    ResetTextWatermarkControls();
    SetText(m_pWaterPath, L"");
    ResetPictureWatermarkControls();
    ResetWatermarkSettings();
}

void CMainWnd::SaveWatermarkPage()
{
    CChildWnd* overlay = WatermarkOverlay();
    if (overlay == nullptr)
        return;
    ::UpdateWindow(overlay->GetHWND());  // the items' places as shown, after any pending layout
    const bool text = IsChecked(m_pTextWater);
    const std::wstring png = NewWorkPicturePath(L"watermark", L".png");
    const bool rendered = text ? overlay->RenderTextWatermark(png.c_str()) : overlay->RenderPictureWatermark(png.c_str());
    if (!rendered) {
        CMessageWnd::Ask(m_hWnd, kRenderFailed, L"", L"", L"确定");
        return;
    }
    if (CAVPlayer* player = PlayerOf(m_pWaterMakerPlayer))
        player->StopPlayback();
    ClipRecord work = m_clipItem;
    work.watermarkPng = png;
    work.kind = kClipWatermark;
    work.path = m_strClipFile.c_str();
    work.coverDuration = static_cast<float>(m_nClipDuration);
    if (text) {
        work.watermarkIsText = 1;
        work.watermarkText = TextOf(m_pWaterTextRich);
        work.watermarkAngle = BarValue(m_pWaterSpinSlider);
        work.watermarkAlpha = BarValue(m_pMarkSlider);
        work.watermarkPlacement = IsChecked(m_pUserOp) ? 0 : 1;
        work.watermarkFont = TextOf(m_pWaterFont);
        work.watermarkFontSize = TextOf(m_pwaterFontSize);
        work.watermarkBold = IsChecked(m_pBlod);
        work.watermarkItalic = IsChecked(m_pItalic);
        work.watermarkColor = static_cast<int>(ForeColour(m_ppalette));
        Store(work.watermarkRect, overlay->GetTextItemPos());
    } else {
        work.watermarkScale = BarValue(m_pPicSizeSlider);
        work.watermarkAngle = BarValue(m_pPicSpinSlider);
        work.watermarkAlpha = BarValue(m_pPicMarkSlider);
        work.watermarkPicture = TextOf(m_pWaterPath);
        work.watermarkIsText = 0;
        if (IsChecked(m_pPicUserOp)) {
            work.watermarkPlacement = 0;
        } else if (IsChecked(m_pm.FindControl(L"PicTiled"))) {
            work.watermarkPlacement = 1;
            Store(work.watermarkTileRect, m_rcPictureTiled);
        } else {
            work.watermarkPlacement = 2;
            for (int i = 0; i < 9; ++i)
                if (IsChecked(m_pm.FindControl(kCells[i]))) {
                    work.watermarkCell = i + 1;
                    break;
                }
        }
        Store(work.watermarkRect, overlay->GetPictureItemPos());
        work.watermarkPictureWidth = overlay->GetPictureWidth();
        work.watermarkPictureHeight = overlay->GetPictureHeight();
    }
    overlay->CloseOverlay();
    m_pWatermarkWnd = nullptr;
    KeepSubPageSave(*this, work, kClipWatermark, m_pWaterMaker);
}
