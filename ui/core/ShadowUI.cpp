#include "ui/core/ShadowUI.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

constexpr wchar_t kShadowClass[] = L"VelkoShadowWnd";
constexpr wchar_t kShadowProp[] = L"SkinUI.Shadow";

std::mutex g_registerLock;
bool g_registered = false;

// One span per row, [left, right); left >= right is empty. An empty row is written [W, 0) with W
// the frame's width, as the erosion expects.
struct Span {
    int left;
    int right;
};

// The first and last column of each frame row that lies in the frame window's region.
std::vector<Span> FrameSpans(HWND hParent, int width, int height)
{
    std::vector<Span> spans(static_cast<size_t>(height), Span { width, 0 });
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(hParent, region) == ERROR) {
        ::DeleteObject(region);
        return spans;
    }
    const DWORD bytes = ::GetRegionData(region, 0, nullptr);
    std::vector<std::uint8_t> buffer(std::max<DWORD>(bytes, sizeof(RGNDATA)));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    const bool read = bytes != 0 && ::GetRegionData(region, bytes, data) == bytes;
    ::DeleteObject(region);
    if (!read)
        return spans;
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        const RECT& r = rects[i];
        if (r.left >= r.right)
            continue;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height); ++y) {
            Span& span = spans[static_cast<size_t>(y)];
            if (span.left >= span.right) {
                span = Span { r.left, r.right };
            } else {
                span.left = std::min<int>(span.left, r.left);
                span.right = std::max<int>(span.right, r.right);
            }
        }
    }
    return spans;
}

// Writes to the bitmap, every write clipped to it: a negative size puts spans left of column 0.
class ShadowBitmap {
public:
    ShadowBitmap(uint32_t* bits, int width, int height) : m_bits(bits), m_width(width), m_height(height) {}
    void Fill(int y, int from, int to, uint32_t value)
    {
        if (y < 0 || y >= m_height)
            return;
        from = std::clamp(from, 0, m_width);
        to = std::clamp(to, from, m_width);
        std::fill(Row(y) + from, Row(y) + to, value);
    }
    void KeepLarger(int x, int y, uint32_t value)
    {
        if (x >= 0 && x < m_width && y >= 0 && y < m_height)
            Row(y)[x] = std::max(Row(y)[x], value);
    }

private:
    uint32_t* Row(int y) { return m_bits + static_cast<size_t>(y) * static_cast<size_t>(m_width); }
    uint32_t* m_bits;
    int m_width, m_height;
};

BOOL ShowWindowIfAny(HWND hwnd, int how)
{
    return hwnd != nullptr && ::ShowWindow(hwnd, how);
}

}  // namespace

CShadowUI::~CShadowUI()
{
    // A manager that dies before its frame window takes its procedure back with it.
    if (m_hParent != nullptr && ::IsWindow(m_hParent)) {
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtr(m_hParent, GWLP_WNDPROC)) == ParentProc)
            ::SetWindowLongPtr(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriParentProc));
        ::RemoveProp(m_hParent, kShadowProp);
    }
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

bool CShadowUI::Initialize(HINSTANCE hInstance)
{
    std::lock_guard guard(g_registerLock);
    if (g_registered)
        return false;
    WNDCLASSEXW wcex {};
    wcex.cbSize = sizeof(wcex);
    wcex.style = CS_HREDRAW | CS_VREDRAW;
    wcex.lpfnWndProc = ::DefWindowProc;
    wcex.hInstance = hInstance;
    wcex.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wcex.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wcex.lpszClassName = kShadowClass;
    g_registered = ::RegisterClassEx(&wcex) != 0;
    return g_registered;
}

void CShadowUI::Create(CPaintManagerUI* pPaintManager)
{
    if (!m_bIsShowShadow || pPaintManager == nullptr || m_hWnd != nullptr)
        return;
    Initialize(CPaintManagerUI::GetInstance());
    m_pManager = pPaintManager;
    HWND hParent = m_pManager->GetPaintWindow();
    if (hParent == nullptr)
        return;
    const DWORD parentStyle = static_cast<DWORD>(::GetWindowLongPtr(hParent, GWL_STYLE));
    m_hWnd = ::CreateWindowEx(WS_EX_LAYERED | WS_EX_TRANSPARENT, kShadowClass, nullptr,
                              WS_POPUP | WS_BORDER | WS_SYSMENU | (parentStyle & WS_DLGFRAME), CW_USEDEFAULT, 0, 0, 0,
                              hParent, nullptr, CPaintManagerUI::GetInstance(), nullptr);
    if (m_hWnd == nullptr)
        return;
    m_hParent = hParent;
    ::SetProp(hParent, kShadowProp, this);
    StatusFromParent(hParent);
    m_OriParentProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtr(hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc)));
}

// Create's step 4, also used when a disabled shadow is enabled again.
void CShadowUI::StatusFromParent(HWND hParent)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtr(hParent, GWL_STYLE));
    if ((style & WS_VISIBLE) == 0) {
        m_Status = kEnabled;
        return;
    }
    if ((style & (WS_MAXIMIZE | WS_MINIMIZE)) != 0) {
        m_Status = kEnabled | kParentVisible;
        return;
    }
    m_Status = kEnabled | kVisible | kParentVisible;
    ShowWindowIfAny(m_hWnd, SW_SHOWNOACTIVATE);
    Update(hParent);
}

void CShadowUI::DisableShadow(bool bDisable)
{
    m_bIsDisableShadow = bDisable;
    if (m_hWnd == nullptr)
        return;
    if (bDisable) {
        ShowWindowIfAny(m_hWnd, SW_HIDE);
        return;
    }
    StatusFromParent(m_hParent);
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto* shadow = static_cast<CShadowUI*>(::GetProp(hwnd, kShadowProp));
    if (shadow == nullptr)
        return ::DefWindowProc(hwnd, uMsg, wParam, lParam);
    // The frame procedure may delete the frame's object, and this shadow with it.
    const WNDPROC frameProc = shadow->m_OriParentProc;
    if (!shadow->m_bIsDisableShadow)
        shadow->HandleParentMessage(hwnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        ::RemoveProp(hwnd, kShadowProp);
        ::SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc));
        shadow->m_hParent = nullptr;
    }
    return ::CallWindowProc(frameProc, hwnd, uMsg, wParam, lParam);
}

void CShadowUI::HandleParentMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_MOVE:
        if (m_Status & kVisible)
            MoveBehind(hwnd, false);
        break;
    case WM_SIZE:
        if ((m_Status & kEnabled) == 0)
            break;
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            ShowNow(false);
        } else if (m_Status & kParentVisible) {
            // Shown before drawing: a shadow hidden while the frame was maximised draws nothing.
            if ((m_Status & kVisible) == 0)
                ShowNow(true);
            const bool grew = LOWORD(lParam) > LOWORD(m_WndSize) || HIWORD(lParam) > HIWORD(m_WndSize);
            // Growing during a resize waits for the frame's next paint; shrinking draws now.
            if (grew)
                m_bUpdate = true;
            else
                Update(hwnd);
        }
        m_WndSize = lParam;
        break;
    case WM_PAINT:
        if (m_bUpdate) {
            Update(hwnd);
            m_bUpdate = false;
        }
        break;
    case WM_SHOWWINDOW:
        if ((m_Status & kEnabled) == 0)
            break;
        if (wParam != 0 && (m_Status & kParentVisible) == 0) {
            m_bUpdate = true;
            ShowWindowIfAny(m_hWnd, SW_SHOWNOACTIVATE);
            m_Status |= kVisible | kParentVisible;
        } else if (wParam == 0) {
            ShowWindowIfAny(m_hWnd, SW_HIDE);
            m_Status &= ~(kVisible | kParentVisible);
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((m_Status & kVisible) && !::IsIconic(hwnd) && !::IsZoomed(hwnd))
            MoveBehind(hwnd, true);
        if (pos == nullptr)
            break;
        if ((pos->flags & SWP_SHOWWINDOW) && (m_Status & kEnabled) && (m_Status & kParentVisible) == 0) {
            m_bUpdate = true;
            ShowWindowIfAny(m_hWnd, SW_SHOWNOACTIVATE);
            m_Status |= kVisible | kParentVisible;
        } else if ((pos->flags & SWP_HIDEWINDOW) && (m_Status & kEnabled)) {
            ShowWindowIfAny(m_hWnd, SW_HIDE);
            m_Status &= ~(kVisible | kParentVisible);
        }
        break;
    }
    case WM_EXITSIZEMOVE:
        if (m_Status & kVisible)
            Update(hwnd);
        break;
    case WM_DESTROY:
        if (m_hWnd != nullptr)
            ::DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::ShowNow(bool show)
{
    ShowWindowIfAny(m_hWnd, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (show)
        m_Status |= kVisible;
    else
        m_Status &= ~kVisible;
}

void CShadowUI::MoveBehind(HWND hParent, bool keepOrder)
{
    RECT rc {};
    ::GetWindowRect(hParent, &rc);
    int x = rc.left - m_nSize, y = rc.top - m_nSize;
    if (!m_bIsImageMode) {
        x += m_nxOffset;
        y += m_nyOffset;
    }
    const UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | (keepOrder ? SWP_NOZORDER : 0);
    ::SetWindowPos(m_hWnd, keepOrder ? nullptr : hParent, x, y, 0, 0, flags);
}

void CShadowUI::Update(HWND hParent)
{
    if (!m_bIsShowShadow || (m_Status & kVisible) == 0 || m_hWnd == nullptr)
        return;
    if (m_bIsImageMode ? m_sShadowImage.IsEmpty() : m_nSize == 0)
        return;
    RECT rcParent {};
    ::GetWindowRect(hParent, &rcParent);
    const int width = rcParent.right - rcParent.left + 2 * m_nSize;
    const int height = rcParent.bottom - rcParent.top + 2 * m_nSize;
    if (width <= 0 || height <= 0)
        return;  // a negative size larger than the frame leaves nothing to draw
    BITMAPINFO bmi {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;  // rows from the top, as MakeShadow counts them
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = bitmap != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
    if (memory == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            ::DeleteObject(bitmap);
        return;
    }
    HGDIOBJ oldBitmap = ::SelectObject(memory, bitmap);
    bool drawn = true;
    if (m_bIsImageMode) {
        const TImageInfo* image = m_pManager != nullptr ? m_pManager->GetImageEx(m_sShadowImage) : nullptr;
        drawn = image != nullptr;
        if (drawn) {
            const RECT whole { 0, 0, width, height };
            const RECT part { 0, 0, image->nX, image->nY };
            CRenderEngine::DrawImage(memory, image->hBitmap, whole, whole, part, m_rcShadowCorner, image->bAlpha, 255,
                                     true, false, false);
        }
    } else {
        std::fill_n(static_cast<uint32_t*>(bits), static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
        MakeShadow(static_cast<uint32_t*>(bits), hParent, &rcParent);
    }
    if (drawn) {
        POINT origin { rcParent.left - m_nSize, rcParent.top - m_nSize };
        if (!m_bIsImageMode) {
            origin.x += m_nxOffset;
            origin.y += m_nyOffset;
        }
        SIZE size { width, height };
        POINT source { 0, 0 };
        BLENDFUNCTION blend { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
        ::SetWindowPos(m_hWnd, nullptr, origin.x, origin.y, width, height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        ::UpdateLayeredWindow(m_hWnd, nullptr, &origin, &size, memory, &source, 0, &blend, ULW_ALPHA);
    }
    ::SelectObject(memory, oldBitmap);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
}

uint32_t CShadowUI::PreMultiply(COLORREF cl, unsigned char nAlpha)
{
    const uint32_t r = ((cl >> 16) & 0xFF) * nAlpha / 255;
    const uint32_t g = ((cl >> 8) & 0xFF) * nAlpha / 255;
    const uint32_t b = (cl & 0xFF) * nAlpha / 255;
    return (r << 16) | (g << 8) | b;
}

void CShadowUI::MakeShadow(uint32_t* pShadBits, HWND hParent, RECT* rcParent)
{
    const int W = rcParent->right - rcParent->left, H = rcParent->bottom - rcParent->top;
    const int s = m_nSize, h = m_nSharpness, ox = m_nxOffset, oy = m_nyOffset;
    const int BW = W + 2 * s, BH = H + 2 * s;
    if (W <= 0 || H <= 0 || BW <= 0 || BH <= 0)
        return;
    const std::vector<Span> frame = FrameSpans(hParent, W, H);

    const Span empty { W, 0 };
    std::vector<Span> spans(static_cast<size_t>(BH), empty);
    for (int y = 0; y < H; ++y) {
        const Span& f = frame[static_cast<size_t>(y)];
        if (f.left < f.right && y + s >= 0 && y + s < BH)
            spans[static_cast<size_t>(y + s)] = Span { f.left + s, f.right + s };
    }
    const auto at = [&](const std::vector<Span>& rows, int y) {
        return y >= 0 && y < BH ? rows[static_cast<size_t>(y)] : empty;
    };
    for (int pass = 0; pass < h - s; ++pass) {
        std::vector<Span> eroded(spans.size());
        for (int y = 0; y < BH; ++y) {
            const Span up = at(spans, y - 1), row = at(spans, y), down = at(spans, y + 1);
            eroded[static_cast<size_t>(y)] = Span { std::max({ up.left, row.left, down.left }) + 1,
                                                    std::min({ up.right, row.right, down.right }) - 1 };
        }
        spans.swap(eroded);
    }

    const int m = std::max(h, s), b = s > h ? s - h : 0;
    const int side = 2 * m + 1;
    std::vector<uint32_t> kernel(static_cast<size_t>(side) * static_cast<size_t>(side), 0);
    for (int ky = -m; ky <= m; ++ky) {
        for (int kx = -m; kx <= m; ++kx) {
            const double r = std::sqrt(static_cast<double>(kx * kx + ky * ky));
            if (r > m)
                continue;
            const auto alpha = static_cast<unsigned char>(
                r < b ? m_nDarkness : (1.0 - (r - b) / (h + 1)) * m_nDarkness);
            kernel[static_cast<size_t>((ky + m) * side + kx + m)] = PreMultiply(m_Color, alpha) | (uint32_t(alpha) << 24);
        }
    }
    ShadowBitmap bitmap(pShadBits, BW, BH);
    const auto stamp = [&](int cx, int cy) {
        for (int ky = -m; ky <= m; ++ky)
            for (int kx = -m; kx <= m; ++kx)
                bitmap.KeepLarger(cx + kx, cy + ky, kernel[static_cast<size_t>((ky + m) * side + kx + m)]);
    };
    for (int y = m; y < BH - m; ++y) {
        const Span row = at(spans, y), up = at(spans, y - 1), down = at(spans, y + 1);
        int x = row.left;
        for (const int stop = std::min(std::max(up.left, down.left) + 1, row.right); x < stop; ++x)
            stamp(x, y);
        for (x = std::max(x, std::min(up.right, down.right) - 1); x < row.right; ++x)
            stamp(x, y);
    }

    const uint32_t solid = PreMultiply(m_Color, m_nDarkness) | (uint32_t(m_nDarkness) << 24);
    const int first = std::max(0, std::min(m, std::max(s - oy, 0)));
    const int last = std::min(BH, std::max(BH - m, std::min(H + s - oy, BH)));
    for (int y = first; y < last; ++y) {
        const Span row = at(spans, y);
        const int ry = y - s + oy;
        if (ry < 0 || ry >= H) {
            bitmap.Fill(y, row.left, row.right, solid);
            continue;
        }
        const Span& f = frame[static_cast<size_t>(ry)];
        const int hl = f.left - ox + s, hr = f.right - ox + s;
        bitmap.Fill(y, row.left, std::min(hl, row.right), solid);
        bitmap.Fill(y, std::max(hl, 0), std::min(hr, BW), 0);
        bitmap.Fill(y, std::max(row.left, hr), row.right, solid);
    }
}

void CShadowUI::RedrawIfVisible()
{
    if (m_hWnd != nullptr && (m_Status & kVisible) && m_hParent != nullptr)
        Update(m_hParent);
}

bool CShadowUI::SetSize(int NewSize)
{
    if (NewSize > 50 || NewSize < -50)
        return false;
    m_nSize = static_cast<signed char>(NewSize);
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetSharpness(unsigned int NewSharpness)
{
    if (NewSharpness > 20)
        return false;
    m_nSharpness = static_cast<unsigned char>(NewSharpness);
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetDarkness(unsigned int NewDarkness)
{
    if (NewDarkness > 255)
        return false;
    m_nDarkness = static_cast<unsigned char>(NewDarkness);
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetPosition(int NewXOffset, int NewYOffset)
{
    if (NewXOffset > 20 || NewXOffset < -20 || NewYOffset > 20 || NewYOffset < -20)
        return false;
    m_nxOffset = static_cast<signed char>(NewXOffset);
    m_nyOffset = static_cast<signed char>(NewYOffset);
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetColor(COLORREF NewColor)
{
    m_Color = NewColor;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetImage(const wchar_t* szImage)
{
    if (szImage == nullptr || szImage[0] == L'\0')
        return false;
    m_bIsImageMode = true;
    m_sShadowImage = szImage;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::SetShadowCorner(RECT rcCorner)
{
    if (rcCorner.left < 0 || rcCorner.top < 0 || rcCorner.right < 0 || rcCorner.bottom < 0)
        return false;
    m_rcShadowCorner = rcCorner;
    RedrawIfVisible();
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* pShadow)
{
    if (m_bIsImageMode) {
        pShadow->SetImage(m_sShadowImage);
        pShadow->SetShadowCorner(m_rcShadowCorner);
        pShadow->SetSize(m_nSize);
    } else {
        pShadow->SetSize(m_nSize);
        pShadow->SetSharpness(m_nSharpness);
        pShadow->SetDarkness(m_nDarkness);
        pShadow->SetColor(m_Color);
        pShadow->SetPosition(m_nxOffset, m_nyOffset);
    }
    pShadow->ShowShadow(m_bIsShowShadow);
    return true;
}

}  // namespace SkinUI
