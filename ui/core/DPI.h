#pragma once
// One window's DPI awareness and display scale. Skin sizes are designed at 96 DPI (100 %); every
// fixed size, padding, border and image rectangle goes through Scale on its way to the screen.
// Rectangles scale by origin and size, so a rectangle's scaled width does not depend on where it
// lies, and a non-zero length never scales to 0.
//
// Owned by its paint manager; used on that window's thread only.

#include "platform/WinUser.h"

namespace SkinUI {

class CDPI {
public:
    CDPI();

    void SetScale(UINT uDPI);
    UINT GetScale() const;
    UINT GetDPI() const;

    int Scale(int iValue) const;
    void Scale(RECT* pRect) const;
    void Scale(SIZE* pSize) const;
    void Scale(POINT* pPoint) const;
    RECT Scale(RECT rc) const;
    SIZE Scale(SIZE sz) const;
    POINT Scale(POINT pt) const;

    int ScaleBack(int iValue) const;
    void ScaleBack(RECT* pRect) const;

    PROCESS_DPI_AWARENESS GetDPIAwareness();
    BOOL SetDPIAwareness(PROCESS_DPI_AWARENESS awareness);

    static UINT GetDPIOfMonitor(HMONITOR hMonitor);
    static UINT GetDPIOfMonitorNearestToPoint(POINT pt);
    static UINT GetMainMonitorDPI();

private:
    UINT m_nScaleFactor { 0 };
    UINT m_nScaleFactorSDA { 0 };
    PROCESS_DPI_AWARENESS m_Awareness { PROCESS_PER_MONITOR_DPI_AWARE };
};

// The largest DPI, `dpi` at most, at which a window `size` pixels big at 96 DPI fits into a work
// area `work` pixels big, so every window fits the screen at every scale. Never below half size.
UINT DpiThatFits(UINT dpi, SIZE size, SIZE work);

}  // namespace SkinUI
