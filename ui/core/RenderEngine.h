#pragma once
// CRenderEngine: the framework's drawing operations, all static, over GDI device contexts. Images
// are decoded once into premultiplied 32-bit DIB sections (tagTImageInfo) that the paint manager's
// cache owns; drawing blits parts of them as nine-grids. Text comes in two kinds: single-style
// text (DrawTextW) and tagged text (DrawHtmlText). Everything runs on the window's thread and
// nothing here keeps state between calls except the read-only default formats.

#include "platform/WinGdi.h"
#include "ui/core/DrawInfo.h"
#include "ui/core/StringOrId.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIString.h"

namespace Gdiplus {
class Image;
}

namespace SkinUI {

class CPaintManagerUI;
class CControlUI;
struct tagTDrawInfo;

// One loaded image. The record owns its bitmap and both buffers (allocated with new[]); free it
// with CRenderEngine::FreeImage. Pixels are B, G, R, A bytes, premultiplied, rows top-down.
struct tagTImageInfo {
    HBITMAP hBitmap = nullptr;    // 32-bit top-down DIB section
    BYTE* pBits = nullptr;        // hue/saturation/lightness-adjusted pixels, width * height * 4 bytes
    BYTE* pSrcBits = nullptr;     // the unadjusted pixels kept for adjusting again
    int nX = 0;                   // width
    int nY = 0;                   // height
    bool bAlpha = false;          // some pixel is translucent or was masked out
    bool bUseHSL = false;
    CUIString sResType;
    DWORD dwMask = 0;             // ARGB, compared after premultiplication
};
using TImageInfo = tagTImageInfo;

// What drawing an image attribute needs: its parsed form.
using ImageDrawParams = tagTDrawInfo;

// A font as the tagged-text layout sees it: a registered font with its measured metrics.
using HtmlFont = tagTFontInfo;

// Where tagged text gets its fonts, images, colours and mouse position: the paint manager for a
// window, a fixed table in tests. Fonts and images handed out must stay alive (and unchanged)
// until the host is destroyed: a style variant found or made during one call may still be on the
// renderer's font stack when the next variant is asked for.
class IRenderHost {
public:
    virtual ~IRenderHost() = default;
    virtual const HtmlFont* GetDefaultFont() = 0;
    virtual const HtmlFont* GetFontById(int id) = 0;
    // Finds the font with exactly these properties, or makes one; null when it cannot be made.
    virtual const HtmlFont* GetFontByStyle(const wchar_t* face, int size, bool bold, bool underline,
                                           bool italic) = 0;
    virtual const TImageInfo* GetImage(const wchar_t* name, const wchar_t* type, DWORD mask) = 0;
    virtual DWORD GetLinkColor() = 0;
    virtual DWORD GetLinkHoverColor() = 0;
    virtual DWORD GetSelectedBkColor() = 0;
    virtual POINT GetMousePos() = 0;
    virtual bool IsLayered() = 0;
};

class CRenderEngine {
public:
    // ---- Images: loading and colour shifts ----
    // overLimit, when given, is set (never cleared) when a picture was refused for its size, so a
    // caller can remember that rather than open it again.
    static TImageInfo* LoadImageW(STRINGorID bitmap, const wchar_t* type = nullptr, DWORD mask = 0,
                                  HINSTANCE instance = nullptr, bool* overLimit = nullptr);
    static TImageInfo* LoadImageW(const wchar_t* bitmap, const wchar_t* type = nullptr, DWORD mask = 0,
                                  HINSTANCE instance = nullptr, bool* overLimit = nullptr);
    static TImageInfo* LoadImageW(UINT id, const wchar_t* type = nullptr, DWORD mask = 0,
                                  HINSTANCE instance = nullptr, bool* overLimit = nullptr);
    // Decodes encoded picture bytes (PNG, JPEG, BMP, ...) into a new record; null when they are
    // not a picture or declare more pixels than the limit.
    static TImageInfo* LoadImageFromMemory(const BYTE* data, size_t size, DWORD mask, bool* overLimit = nullptr);
    static void FreeImage(TImageInfo* bitmap, bool bDelete = true);
    // A new record holding the picture resampled to width x height; null when a size is not
    // positive, over the pixel limit, or the source has no pixels.
    static TImageInfo* ResizeImage(const TImageInfo* source, int width, int height);
    static Gdiplus::Image* GdiplusLoadImage(const wchar_t* pstrPath);
    static Gdiplus::Image* GdiplusLoadImage(const void* pMemory, DWORD size);
    // Hue in degrees (180: unchanged); saturation and lightness in percent (100: unchanged).
    static DWORD AdjustColor(DWORD dwColor, short H, short S, short L);
    static void AdjustImage(bool bUseHSL, TImageInfo* imageInfo, short H, short S, short L);

    // ---- Images: drawing ----
    // Nine-grid blit of the part rcBmpPart of hBitmap into rc; rcCorners holds the border widths
    // (left, top, right, bottom) in the source. Only pieces meeting rcPaint are drawn.
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool bAlpha, BYTE uFade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    static bool DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                              const tagTDrawInfo* pDrawInfo, HINSTANCE instance = nullptr);
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                const wchar_t* pStrImage, const wchar_t* pStrModify = nullptr,
                                HINSTANCE instance = nullptr);
    static bool DrawIconImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    const wchar_t* pStrImage, const wchar_t* pStrModify = nullptr);
    static bool MakeFitIconDest(const RECT& rcControl, const SIZE& szIcon, const CUIString& sAlign, RECT& rcDest);
    // The image attribute drawing behind DrawImageInfo, with the window reached through a host.
    static bool DrawImageParams(HDC hDC, IRenderHost& host, const RECT& rcItem, const RECT& rcPaint,
                                const ImageDrawParams& params);
    static bool DrawIconImageString(HDC hDC, IRenderHost& host, const RECT& rcItem, const RECT& rcPaint,
                                    const wchar_t* pStrImage, const wchar_t* pStrModify);

    // ---- Primitives ----
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = PS_SOLID);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor,
                              int nStyle = PS_SOLID);
    static void CheckAlphaColor(DWORD& dwColor);
    static HBITMAP CreateARGB32Bitmap(HDC hDC, int cx, int cy, BYTE** pBits);
    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, const RECT& rc);

    // ---- Text ----
    static void DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                          int iFont, UINT uStyle);
    static void DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                          int iFont, UINT uStyle, DWORD dwTextBKColor, bool bTransparent);
    static SIZE GetTextSize(HDC hDC, CPaintManagerUI* pManager, const wchar_t* pstrText, int iFont, UINT uStyle);
    // Single-style text in a given font. With bGdiplus the text is drawn through Gdiplus with the
    // given rendering hint (1 to 5; anything else is the system default).
    static void DrawPlainText(HDC hDC, HFONT hFont, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                              UINT uStyle, bool bGdiplus, int textRenderingHint);

    // Tagged text. nLinkRects: in, the capacity of prcLinks and sLinks; out, the slots filled.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                             DWORD dwTextColor, RECT* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle);
    static void DrawHtmlText(HDC hDC, IRenderHost& host, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                             RECT* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle);
};

}  // namespace SkinUI
