#include "ui/core/DPI.h"

#include "platform/WinBase.h"

namespace SkinUI {

namespace {

constexpr UINT kDefaultDPI = 96;

}  // namespace

CDPI::CDPI()
{
    SetScale(kDefaultDPI);
}

void CDPI::SetScale(UINT uDPI)
{
    m_nScaleFactor = static_cast<UINT>(::MulDiv(static_cast<int>(uDPI), 100, kDefaultDPI));
    if (m_nScaleFactorSDA == 0)
        m_nScaleFactorSDA = m_nScaleFactor;
}

UINT CDPI::GetScale() const
{
    switch (m_Awareness) {
    case PROCESS_DPI_UNAWARE:
        return 100;
    case PROCESS_SYSTEM_DPI_AWARE:
        return m_nScaleFactorSDA;
    case PROCESS_PER_MONITOR_DPI_AWARE:
        break;
    }
    return m_nScaleFactor;
}

UINT CDPI::GetDPI() const
{
    if (m_Awareness == PROCESS_DPI_UNAWARE)
        return kDefaultDPI;
    return static_cast<UINT>(::MulDiv(static_cast<int>(GetScale()), kDefaultDPI, 100));
}

int CDPI::Scale(int iValue) const
{
    if (m_Awareness == PROCESS_DPI_UNAWARE)
        return iValue;
    const int scale = static_cast<int>(GetScale());
    if (scale == 100)
        return iValue;  // the common case, taken for every size of every layout pass
    const int scaled = ::MulDiv(iValue, scale, 100);
    if (scaled == 0 && iValue != 0)
        return iValue > 0 ? 1 : -1;
    return scaled;
}

void CDPI::Scale(RECT* pRect) const
{
    const int width = pRect->right - pRect->left, height = pRect->bottom - pRect->top;
    pRect->left = Scale(pRect->left);
    pRect->top = Scale(pRect->top);
    pRect->right = pRect->left + Scale(width);
    pRect->bottom = pRect->top + Scale(height);
}

void CDPI::Scale(SIZE* pSize) const
{
    pSize->cx = Scale(pSize->cx);
    pSize->cy = Scale(pSize->cy);
}

void CDPI::Scale(POINT* pPoint) const
{
    pPoint->x = Scale(pPoint->x);
    pPoint->y = Scale(pPoint->y);
}

RECT CDPI::Scale(RECT rc) const
{
    Scale(&rc);
    return rc;
}

SIZE CDPI::Scale(SIZE sz) const
{
    Scale(&sz);
    return sz;
}

POINT CDPI::Scale(POINT pt) const
{
    Scale(&pt);
    return pt;
}

int CDPI::ScaleBack(int iValue) const
{
    if (m_Awareness == PROCESS_DPI_UNAWARE)
        return iValue;
    return ::MulDiv(iValue, 100, static_cast<int>(GetScale()));
}

void CDPI::ScaleBack(RECT* pRect) const
{
    const int width = pRect->right - pRect->left, height = pRect->bottom - pRect->top;
    pRect->left = ScaleBack(pRect->left);
    pRect->top = ScaleBack(pRect->top);
    pRect->right = pRect->left + ScaleBack(width);
    pRect->bottom = pRect->top + ScaleBack(height);
}

PROCESS_DPI_AWARENESS CDPI::GetDPIAwareness()
{
    PROCESS_DPI_AWARENESS awareness = m_Awareness;
    if (GetProcessDpiAwareness(nullptr, &awareness) >= 0)
        m_Awareness = awareness;
    return m_Awareness;
}

BOOL CDPI::SetDPIAwareness(PROCESS_DPI_AWARENESS awareness)
{
    if (SetProcessDpiAwareness(awareness) < 0)
        return FALSE;
    m_Awareness = awareness;
    return TRUE;
}

UINT CDPI::GetDPIOfMonitor(HMONITOR hMonitor)
{
    UINT dpiX = kDefaultDPI, dpiY = kDefaultDPI;
    if (GetDpiForMonitor(hMonitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY) < 0) {
        ::MessageBox(nullptr, L"GetDpiForMonitor failed", L"Notification", MB_OK);
        return kDefaultDPI;
    }
    return dpiX;
}

UINT CDPI::GetDPIOfMonitorNearestToPoint(POINT pt)
{
    return GetDPIOfMonitor(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST));
}

UINT CDPI::GetMainMonitorDPI()
{
    return GetDPIOfMonitorNearestToPoint(POINT { 1, 1 });
}

UINT DpiThatFits(UINT dpi, SIZE size, SIZE work)
{
    constexpr UINT kSmallestDPI = kDefaultDPI / 2;
    if (size.cx <= 0 || size.cy <= 0 || work.cx <= 0 || work.cy <= 0)
        return dpi;
    // Scaled as CDPI scales: by a whole percentage, rounded.
    auto fits = [&](UINT candidate) {
        CDPI scale;
        scale.SetScale(candidate);
        return scale.Scale(static_cast<int>(size.cx)) <= work.cx && scale.Scale(static_cast<int>(size.cy)) <= work.cy;
    };
    UINT fitting = dpi;
    while (fitting > kSmallestDPI && !fits(fitting))
        --fitting;
    return fitting;
}

}  // namespace SkinUI
