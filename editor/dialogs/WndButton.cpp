#include "editor/dialogs/WndButton.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>

#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/core/PaintManagerUI.h"

namespace {

constexpr int kJumpLimit = 1000;
constexpr int kZoneBand = 4;          // how far into the item its edges and corners reach
constexpr int kTileGap = 20;          // between the pictures of a tiled picture watermark
constexpr int kPictureMinimum = 10;   // the smallest side a picture item is sized to
constexpr int kTiledPictureLayout = 1;

int VideoWidth()
{
    return VideoRectangle[2] - VideoRectangle[0];
}

int VideoHeight()
{
    return VideoRectangle[3] - VideoRectangle[1];
}

RECT FullVideo()
{
    return { 0, 0, VideoWidth(), VideoHeight() };
}

bool TextRefitPending()
{
    return !WatermarkSettings.text.IsEmpty() && WatermarkRefitFlag != 0;
}

// The watermark's font size in points, at the main window's DPI.
float WatermarkPoints()
{
    const int size = WatermarkSettings.size;
    return static_cast<float>(MainWindowPointer != nullptr ? MainWindowPointer->ScaleByDpi(size) : size);
}

std::unique_ptr<Gdiplus::Font> MakeWatermarkFont()
{
    return std::make_unique<Gdiplus::Font>(WatermarkSettings.font.GetData(), WatermarkPoints(),
                                           WatermarkSettings.fontStyle, Gdiplus::UnitPoint);
}

POINT CentreOf(const RECT& rc)
{
    return { rc.left + (rc.right - rc.left) / 2, rc.top + (rc.bottom - rc.top) / 2 };
}

// The text centred in `cell` and rotated about the cell's centre.
void DrawTextInCell(Gdiplus::Graphics& g, const Gdiplus::Font& font, const Gdiplus::Brush& brush, const RECT& cell,
                    const Gdiplus::RectF& box)
{
    const POINT centre = CentreOf(cell);
    g.ResetTransform();
    RotateAbout(g, centre.x, centre.y, WatermarkSettings.textAngle);
    const Gdiplus::PointF origin((cell.right - cell.left - box.Width) / 2 + cell.left,
                                 (cell.bottom - cell.top - box.Height) / 2 + cell.top);
    g.DrawString(WatermarkSettings.text.GetData(), -1, &font, origin, &brush);
}

LPWSTR CursorForZone(int zone)
{
    switch (zone) {
    case CWndButton::kTopLeft:
    case CWndButton::kBottomRight:
        return IDC_SIZENWSE;
    case CWndButton::kBottomLeft:
    case CWndButton::kTopRight:
        return IDC_SIZENESW;
    case CWndButton::kLeft:
    case CWndButton::kRight:
        return IDC_SIZEWE;
    case CWndButton::kTop:
    case CWndButton::kBottom:
        return IDC_SIZENS;
    default:
        return IDC_SIZEALL;
    }
}

}  // namespace

// A picture drawn once for a cell's size and an angle, blended wherever the cell goes.
struct CWndButton::PreparedPicture {
    PreparedPicture(int width, int height, int angle, std::wstring path)
        : canvas(width, height), angle(angle), path(std::move(path))
    {
    }
    bool Fits(int width, int height, int otherAngle, const std::wstring& otherPath) const
    {
        return canvas.Width() == width && canvas.Height() == height && angle == otherAngle && path == otherPath;
    }
    OverlayCanvas canvas;
    int angle;
    std::wstring path;
};

CWndButton::CWndButton() = default;
CWndButton::~CWndButton() = default;

const wchar_t* CWndButton::GetClass() const
{
    return L"WndButtonUI";
}

void* CWndButton::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && ::wcscmp(pstrName, L"WndButton") == 0)
        return this;
    return CButtonUI::GetInterface(pstrName);
}

void CWndButton::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    CButtonUI::SetAttribute(pstrName, pstrValue);
}

bool CWndButton::IsTextItem() const
{
    return GetName() == L"WaterTextRich";
}

Gdiplus::RectF CWndButton::MeasureWatermarkText() const
{
    const std::unique_ptr<Gdiplus::Font> font = MakeWatermarkFont();
    return MeasureOverlayText(WatermarkSettings.text.GetData(), *font);
}

// ---- Painting ---------------------------------------------------------------------------------

void CWndButton::PaintText(HDC hDC)
{
    const RECT before = m_rcItem;
    if (IsTextItem())
        DrawTextWatermark(hDC);
    m_bMovedWhilePainting = m_bMovedWhilePainting || !::EqualRect(&before, &m_rcItem);
    CButtonUI::PaintText(hDC);
}

void CWndButton::PaintForeImage(HDC hDC)
{
    const RECT before = m_rcItem;
    if (!IsTextItem())
        DrawPictureWatermark(hDC);
    m_bMovedWhilePainting = m_bMovedWhilePainting || !::EqualRect(&before, &m_rcItem);
    CButtonUI::PaintForeImage(hDC);
}

bool CWndButton::TakeMovedWhilePainting()
{
    const bool moved = m_bMovedWhilePainting;
    m_bMovedWhilePainting = false;
    return moved;
}

void CWndButton::DrawTextWatermark(HDC hDC)
{
    const Gdiplus::RectF box = MeasureWatermarkText();
    MeasuredWatermarkText = box;
    if (TextWatermarkTiled) {
        if (TextRefitPending())
            SetPos(FullVideo());
    } else {
        PlaceTextForScreen(box);
        m_rcTextBase = m_rcItem;
    }
    DrawTextCells(hDC, box);
}

// A single text item goes back where the user left it when asked to (centred for a tilted text),
// else grows to a changed text while the refit flag is up.
void CWndButton::PlaceTextForScreen(const Gdiplus::RectF& box)
{
    if (WatermarkRecenterFlag) {
        const int angle = WatermarkSettings.textAngle;
        const bool haveBase = m_rcTextBase.right != m_rcTextBase.left;
        if (!IsUprightAngle(angle)) {
            const RECT base = haveBase ? m_rcTextBase : m_rcItem;
            const int t = TiltedTextHalfHeight(box.Width, angle, WatermarkSettings.size);
            const int cy = CentreOf(base).y;
            SetPos({ base.left, cy - t, base.right, cy + t });
        } else if (haveBase) {
            SetPos(m_rcTextBase);
        }
        WatermarkRecenterFlag = 0;
        return;
    }
    if (!TextRefitPending())
        return;
    RECT rc = m_rcItem;
    rc.right = static_cast<int>(rc.left + box.Width + 10);
    if (box.Height > rc.bottom - rc.top)
        rc.bottom = static_cast<int>(rc.top + box.Height + 8);
    SetPos(rc);
}

void CWndButton::PlaceTextForFile(const Gdiplus::RectF& box)
{
    if (WatermarkRecenterFlag) {
        if (m_rcTextBase.right != m_rcTextBase.left)
            SetPos(m_rcTextBase);
        WatermarkRecenterFlag = 0;
    } else if (TextRefitPending()) {
        RECT rc = m_rcItem;
        rc.right = static_cast<int>(rc.left + box.Width + 2);
        if (box.Height > rc.bottom - rc.top)
            rc.bottom = static_cast<int>(rc.top + box.Height + 5);
        SetPos(rc);
    }
    m_rcTextBase = m_rcItem;
}

void CWndButton::DrawTextCells(HDC hDC, const Gdiplus::RectF& box) const
{
    if (WatermarkSettings.text.IsEmpty())
        return;  // nothing to see, however many cells
    Gdiplus::Graphics g(hDC);
    UseOverlayQuality(g);
    const std::unique_ptr<Gdiplus::Font> font = MakeWatermarkFont();
    const Gdiplus::SolidBrush brush(OverlayColor(static_cast<uint8_t>(WatermarkSettings.textAlpha), WatermarkSettings.textColor));
    if (!TextWatermarkTiled) {
        DrawTextInCell(g, *font, brush, m_rcItem, box);
        return;
    }
    const int cw = static_cast<int>(box.Width + 2), ch = static_cast<int>(box.Height + 5);
    const int columns = VideoWidth() / cw + 1, rows = VideoHeight() / ch + 1;
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const RECT cell { i * cw, j * ch, i * cw + cw, j * ch + ch };
            DrawTextInCell(g, *font, brush, cell, box);
        }
    }
}

void CWndButton::DrawPictureWatermark(HDC hDC)
{
    if (PictureWatermarkLayout != kTiledPictureLayout) {
        PlacePicture();
        const RECT rc = m_rcItem;
        if (const PreparedPicture* picture = PreparePicture(rc.right - rc.left, rc.bottom - rc.top))
            BlendPicture(hDC, rc, *picture);
        return;
    }
    if (!WatermarkSettings.picture.IsEmpty() && WatermarkRefitFlag != 0)
        SetPos(FullVideo());
    if (m_rcPictureBase.left == 0 && m_rcPictureBase.right == 0)
        m_rcPictureBase = m_rcItem;
    const int bw = m_rcPictureBase.right - m_rcPictureBase.left, bh = m_rcPictureBase.bottom - m_rcPictureBase.top;
    const PreparedPicture* picture = PreparePicture(bw, bh);
    if (picture == nullptr)
        return;
    const int columns = VideoWidth() / (bw + kTileGap) + 1, rows = VideoHeight() / (bh + kTileGap) + 1;
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const int x = (bw + kTileGap) * i, y = (bh + kTileGap) * j;
            BlendPicture(hDC, { x, y, x + bw, y + bh }, *picture);
        }
    }
}

void CWndButton::PlacePicture()
{
    if (WatermarkRecenterFlag) {
        if (m_rcPictureBase.right - m_rcPictureBase.left > 0)
            SetPos(m_rcPictureBase);
        WatermarkRecenterFlag = 0;
    }
    m_rcPictureBase = m_rcItem;
}

Gdiplus::Image* CWndButton::LoadedPicture()
{
    const std::wstring path = WatermarkSettings.picture.GetData();
    if (path == m_strPicturePath)
        return m_picture.get();
    m_strPicturePath = path;
    m_prepared.reset();
    m_picture.reset(path.empty() ? nullptr : Gdiplus::Image::FromFile(path.c_str()));
    if (m_picture && m_picture->GetLastStatus() != Gdiplus::Ok)
        m_picture.reset();
    return m_picture.get();
}

// The picture rotated about the cell's centre and fitted so that its diagonal is the cell's
// shorter side less 2, keeping the cell's proportions; transparent where there is no picture.
// Null for a cell under one pixel. A move keeps the size, so it blends the picture made before.
const CWndButton::PreparedPicture* CWndButton::PreparePicture(int width, int height)
{
    if (width < 1 || height < 1)
        return nullptr;
    Gdiplus::Image* image = LoadedPicture();
    const int angle = WatermarkSettings.pictureAngle;
    if (m_prepared && m_prepared->Fits(width, height, angle, m_strPicturePath))
        return m_prepared.get();
    m_prepared = std::make_unique<PreparedPicture>(width, height, angle, m_strPicturePath);
    if (!m_prepared->canvas.IsValid()) {
        m_prepared.reset();
        return nullptr;
    }
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const float m = std::min(w, h) - 2;
    if (image == nullptr || m < 1)
        return m_prepared.get();
    const float d = std::sqrt(w * w + h * h);
    const int ox = static_cast<int>((w - m / (d / w)) / 2), oy = static_cast<int>((h - m / (d / h)) / 2);
    Gdiplus::Graphics g(m_prepared->canvas.Dc());
    UseOverlayQuality(g);
    RotateAbout(g, width / 2, height / 2, angle);
    g.DrawImage(image, ox, oy, width - 2 * ox, height - 2 * oy);
    return m_prepared.get();
}

void CWndButton::BlendPicture(HDC hDC, const RECT& cell, const PreparedPicture& picture) const
{
    const BLENDFUNCTION blend { AC_SRC_OVER, 0, static_cast<BYTE>(WatermarkSettings.pictureAlpha), AC_SRC_ALPHA };
    const int w = picture.canvas.Width(), h = picture.canvas.Height();
    ::AlphaBlend(hDC, cell.left, cell.top, w, h, picture.canvas.Dc(), 0, 0, w, h, blend);
}

// ---- Rendering to files -----------------------------------------------------------------------

bool CWndButton::RenderTextWatermarkToFile(const SkinUI::CUIString& path)
{
    return RenderToFile(path, true);
}

bool CWndButton::RenderPictureWatermarkToFile(const SkinUI::CUIString& path)
{
    return RenderToFile(path, false);
}

bool CWndButton::RenderToFile(const SkinUI::CUIString& path, bool text)
{
    OverlayCanvas canvas(VideoWidth(), VideoHeight());
    if (!canvas.IsValid()) {
        ::DeleteFileW(path.GetData());
        return false;
    }
    if (!text) {
        DrawPictureWatermark(canvas.Dc());
    } else {
        const Gdiplus::RectF box = MeasureWatermarkText();
        MeasuredWatermarkText = box;
        if (TextWatermarkTiled && TextRefitPending())
            SetPos(FullVideo());
        if (!TextWatermarkTiled)
            PlaceTextForFile(box);
        DrawTextCells(canvas.Dc(), box);
    }
    const std::unique_ptr<Gdiplus::Bitmap> bitmap = canvas.ToBitmap();
    return SaveOverlayPng(*bitmap, path.GetData());
}

// ---- Dragging and sizing ----------------------------------------------------------------------

void CWndButton::DoEvent(SkinUI::TEventUI& event)
{
    switch (event.Type) {
    case SkinUI::UiEventButtonDown:
    case SkinUI::UiEventDblClick:  // a quick second press is a press too
        OnPress(event.ptMouse);
        return;
    case SkinUI::UiEventMouseMove:
        if (!m_bMovable)
            return;
        ::SetCursor(::LoadCursor(nullptr, CursorForZone(ZoneAt(event.ptMouse))));
        if (m_bDragging)
            OnDrag(event.ptMouse);
        return;
    case SkinUI::UiEventSetCursor:
        if (m_bMovable)
            ::SetCursor(::LoadCursor(nullptr, CursorForZone(ZoneAt(event.ptMouse))));
        return;
    case SkinUI::UiEventButtonUp:
        OnRelease();
        return;
    default:
        return;
    }
}

// The zone under the point, the first test that holds winning; -1 for none.
int CWndButton::ZoneAt(POINT pt) const
{
    const int L = m_rcItem.left, T = m_rcItem.top, R = m_rcItem.right, B = m_rcItem.bottom, x = pt.x, y = pt.y;
    const int n = kZoneBand;
    const bool nearLeft = L <= x && x <= L + n, nearTop = T <= y && y <= T + n;
    const bool nearRight = R - n <= x && x <= R, nearBottom = B - n <= y && y <= B;
    if (nearLeft && T < y && y < T + n)
        return kTopLeft;
    if (nearLeft && B - n < y && y < B + n)
        return kBottomLeft;
    if (nearTop && R - n < x && x < R)
        return kTopRight;
    if (nearBottom && R - n < x && x < R)
        return kBottomRight;
    if (nearLeft && T < y && y < B)
        return kLeft;
    if (nearRight && T < y && y < B)
        return kRight;
    if (nearTop && L < x && x < R)
        return kTop;
    if (nearBottom && L < x && x < R)
        return kBottom;
    return -1;
}

void CWndButton::OnPress(POINT pt)
{
    if (!m_bMovable)
        return;
    if (const int zone = ZoneAt(pt); zone >= 0)
        m_nHitZone = zone;
    if (!::PtInRect(&m_rcItem, pt))
        return;
    m_bDragging = true;
    m_ptPress = pt;
    m_rcDrag = m_rcItem;
}

void CWndButton::OnDrag(POINT pt)
{
    const int dx = pt.x - m_ptPress.x, dy = pt.y - m_ptPress.y;
    if (std::abs(dx) > kJumpLimit || std::abs(dy) > kJumpLimit) {
        m_bDragging = false;
        return;
    }
    m_ptPress = pt;
    RECT rc = m_rcDrag;
    const int zone = m_nHitZone;
    if (zone == kLeft || zone == kTopLeft || zone == kBottomLeft || zone == kBody)
        rc.left += dx;
    if (zone == kRight || zone == kTopRight || zone == kBottomRight || zone == kBody)
        rc.right += dx;
    if (zone == kTop || zone == kTopLeft || zone == kTopRight || zone == kBody)
        rc.top += dy;
    if (zone == kBottom || zone == kBottomLeft || zone == kBottomRight || zone == kBody)
        rc.bottom += dy;
    rc = KeptInVideo(rc);
    if (!StepFits(rc))
        return;  // the item waits at its limit while the mouse goes on
    SetPos(rc);
    m_rcDrag = rc;
}

void CWndButton::OnRelease()
{
    if (!m_bMovable)
        return;
    m_bDragging = false;
    m_nHitZone = kBody;
    if (::IsRectEmpty(&m_rcDrag))
        return;  // no press on the item started a drag
    SetPos(m_rcDrag);
    m_rcDrag = {};
    if (!IsTextItem())
        PictureRecenterFlag = 1;  // the size slider scales a moved picture about its new centre
}

RECT CWndButton::VideoInClient() const
{
    POINT corner { VideoRectangle[0], VideoRectangle[1] };
    if (m_pManager != nullptr)
        ::ScreenToClient(m_pManager->GetPaintWindow(), &corner);
    return { corner.x, corner.y, corner.x + VideoWidth(), corner.y + VideoHeight() };
}

// A moved item slides along the video area's edges; a dragged edge stops at them.
RECT CWndButton::KeptInVideo(RECT rc) const
{
    const RECT video = VideoInClient();
    if (video.right <= video.left || video.bottom <= video.top)
        return rc;
    if (m_nHitZone == kBody) {
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        const int left = std::max<int>(video.left, std::min<int>(rc.left, video.right - w));
        const int top = std::max<int>(video.top, std::min<int>(rc.top, video.bottom - h));
        ::OffsetRect(&rc, left - rc.left, top - rc.top);
        return rc;
    }
    rc.left = std::max<int>(rc.left, video.left);
    rc.top = std::max<int>(rc.top, video.top);
    rc.right = std::min<int>(rc.right, video.right);
    rc.bottom = std::min<int>(rc.bottom, video.bottom);
    return rc;
}

// A picture keeps 10 x 10; a text keeps room for its measured text (at its angle).
bool CWndButton::StepFits(const RECT& rc) const
{
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (!IsTextItem())
        return w >= kPictureMinimum && h >= kPictureMinimum;
    if (w < 1 || h < 1)
        return false;
    const int angle = WatermarkSettings.textAngle;
    if (IsUprightAngle(angle)) {
        if (MeasuredWatermarkText.Height > h + 5)
            return false;
    } else {
        // No lower than the box a turn fits the text to, so that a fitted box can be dragged.
        const Gdiplus::RectF box = MeasureWatermarkText();
        if (2 * TiltedTextHalfHeight(box.Width, angle, WatermarkSettings.size) > h)
            return false;
    }
    return MeasuredWatermarkText.Width <= w + 5;
}
