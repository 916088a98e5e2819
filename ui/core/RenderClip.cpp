#include "ui/core/RenderClip.h"

namespace SkinUI {

namespace {

HRGN ClipBoxRegion(HDC hDC)
{
    RECT box {};
    ::GetClipBox(hDC, &box);
    return ::CreateRectRgnIndirect(&box);
}

}  // namespace

CRenderClip::~CRenderClip()
{
    Release();
}

// Puts back the clip that was in force before and frees both regions, so a clip object can be
// generated again without leaking or stacking clips.
void CRenderClip::Release()
{
    if (hDC && hOldRgn)
        ::SelectClipRgn(hDC, hOldRgn);
    if (hOldRgn)
        ::DeleteObject(hOldRgn);
    if (hRgn)
        ::DeleteObject(hRgn);
    hOldRgn = hRgn = nullptr;
    hDC = nullptr;
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip)
{
    clip.Release();
    clip.hOldRgn = ClipBoxRegion(hDC);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    ::CombineRgn(clip.hRgn, clip.hRgn, clip.hOldRgn, RGN_AND);
    ::SelectClipRgn(hDC, clip.hRgn);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip)
{
    clip.Release();
    clip.hOldRgn = ClipBoxRegion(hDC);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN round = ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height);
    ::CombineRgn(clip.hRgn, clip.hRgn, round, RGN_AND);
    ::CombineRgn(clip.hRgn, clip.hRgn, clip.hOldRgn, RGN_AND);
    ::SelectClipRgn(hDC, clip.hRgn);
    ::DeleteObject(round);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hRgn);
}

}  // namespace SkinUI
