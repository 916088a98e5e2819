#pragma once
// Device contexts, bitmaps, brushes, pens, fonts, regions, text and blits.
//
// A device context is a cairo context on a 32-bit surface: a window's back buffer, or a memory DC
// with a selected bitmap (a DIB section or a compatible bitmap, both premultiplied ARGB32 in
// memory, blue first: the layout AlphaBlend expects).
//
// The alpha byte follows GDI on a 32-bit DIB, on purpose, because the framework's layered-window
// painting relies on it:
//   - FillRect, FrameRect, lines, Rectangle, RoundRect, Ellipse, SetPixel, DrawText, TextOut and
//     ExtTextOut write colour and leave alpha 0 on every pixel they touch (antialiased edges keep
//     their blended colour, with alpha 0). So "alpha 0 and a colour" means "painted by GDI".
//   - BitBlt and StretchBlt copy all four bytes; AlphaBlend composes premultiplied pixels and
//     writes the real result alpha; GradientFill writes the vertices' alpha.
//   - Everything drawn through the Gdiplus services writes real alpha.
// A normal (not layered) window is shown opaque whatever its buffer's alpha says.
//
// Coordinates: drawing takes logical coordinates, which the viewport origin maps to device
// coordinates; clip regions are in device coordinates, as in GDI. Objects are shared between
// threads only read-only; a DC belongs to the thread that uses it.

#include "platform/WinTypes.h"

// ---- Structures -------------------------------------------------------------------------------

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: bottom-up rows; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD { BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved; };
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
struct BLENDFUNCTION { BYTE BlendOp, BlendFlags, SourceConstantAlpha, AlphaFormat; };
using COLOR16 = USHORT;
struct TRIVERTEX {
    LONG x, y;
    COLOR16 Red, Green, Blue, Alpha;
};
struct GRADIENT_RECT { ULONG UpperLeft, LowerRight; };

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
    LONG lfHeight;  // negative: character height in pixels; positive: cell height
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTW;
struct TEXTMETRICW {
    LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading;
    LONG tmAveCharWidth, tmMaxCharWidth, tmWeight, tmOverhang;
    LONG tmDigitizedAspectX, tmDigitizedAspectY;
    WCHAR tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
    BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};
using TEXTMETRIC = TEXTMETRICW;
struct ABC {
    int abcA;
    UINT abcB;
    int abcC;
};

// ---- Constants --------------------------------------------------------------------------------

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD CBM_INIT = 4;

constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;
constexpr ULONG GRADIENT_FILL_RECT_H = 0;
constexpr ULONG GRADIENT_FILL_RECT_V = 1;

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

constexpr UINT OBJ_PEN = 1;
constexpr UINT OBJ_BRUSH = 2;
constexpr UINT OBJ_DC = 3;
constexpr UINT OBJ_FONT = 6;
constexpr UINT OBJ_BITMAP = 7;
constexpr UINT OBJ_REGION = 8;
constexpr UINT OBJ_MEMDC = 10;

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0000000F;

constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;

constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_EXPANDTABS = 0x40;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_EDITCONTROL = 0x2000;
constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_WORD_ELLIPSIS = 0x40000;

constexpr UINT ETO_OPAQUE = 0x2;
constexpr UINT ETO_CLIPPED = 0x4;

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---- Device contexts and objects --------------------------------------------------------------

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// 32 bits per pixel only; *bits receives the pixels, rows bottom-up when biHeight is positive.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
LONG GetBitmapBits(HBITMAP bitmap, LONG count, LPVOID bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetObject(HGDIOBJ object, int size, LPVOID out);
int GetObjectW(HGDIOBJ object, int size, LPVOID out);
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int saved);  // negative: relative to the newest saved state
BOOL GdiFlush();
int GetDeviceCaps(HDC hdc, int index);
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT origin);

// ---- Brushes, pens, shapes --------------------------------------------------------------------

HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
BOOL GradientFill(HDC hdc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount,
                  ULONG mode);

// ---- Blits ------------------------------------------------------------------------------------

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, DWORD rop);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, BLENDFUNCTION blend);

// ---- Regions and clipping ---------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, LPRECT box);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);

// A region as disjoint rectangles in rows (top to bottom, left to right within a row), after the
// header. With no buffer, or one smaller than needed, only the size needed is returned.
constexpr DWORD RDH_RECTANGLES = 1;
struct RGNDATAHEADER {
    DWORD dwSize;
    DWORD iType;
    DWORD nCount;
    DWORD nRgnSize;
    RECT rcBound;
};
struct RGNDATA {
    RGNDATAHEADER rdh;
    char Buffer[1];
};
using LPRGNDATA = RGNDATA*;
DWORD GetRegionData(HRGN region, DWORD size, LPRGNDATA data);
int SelectClipRgn(HDC hdc, HRGN region);  // a copy is selected; null removes the clip
int ExtSelectClipRgn(HDC hdc, HRGN region, int mode);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, LPRECT box);
int GetClipRgn(HDC hdc, HRGN region);  // 1 with a copy of the clip, 0 without one, -1 on error

// ---- Fonts and text ---------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONTW* font);
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
BOOL GetTextMetrics(HDC hdc, TEXTMETRICW* metrics);
BOOL GetTextExtentPoint32(HDC hdc, LPCWSTR text, int count, LPSIZE size);
BOOL GetCharABCWidths(HDC hdc, UINT first, UINT last, ABC* widths);
int DrawText(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
BOOL TextOut(HDC hdc, int x, int y, LPCWSTR text, int count);
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                const INT* dx);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);

// Fonts from memory (skin font files): private to this process. The handle is released with
// RemoveFontMemResourceEx; *count receives the number of faces added.
HANDLE AddFontMemResourceEx(PVOID data, DWORD size, PVOID reserved, DWORD* count);
BOOL RemoveFontMemResourceEx(HANDLE handle);
