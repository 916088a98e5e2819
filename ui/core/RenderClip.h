#pragma once
// CRenderClip: a clip region in force on a device context for one paint step. Made on the stack
// by GenerateClip or GenerateRoundClip; destroying it selects the clip that was in force before
// (as its bounding rectangle: a non-rectangular earlier clip comes back as its box).

#include "platform/WinGdi.h"

namespace SkinUI {

class CRenderClip {
public:
    CRenderClip() = default;
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    // Clips to rc and to the rounded rectangle rcItem (right and bottom included).
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip);
    // Selects the clip that was in force before, until UseOldClipEnd selects this one again.
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);

    RECT rcItem {};
    HDC hDC = nullptr;
    HRGN hRgn = nullptr;
    HRGN hOldRgn = nullptr;

private:
    void Release();
};

}  // namespace SkinUI
