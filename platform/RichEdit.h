#pragma once
// The rich-edit vocabulary: the records, messages, notifications and format bits that a text host
// and the windowless text services exchange, and the two interfaces between them (ITextHost,
// ITextServices) as plain abstract classes with a COM-style reference count.
//
// Rules: the text services belong to the thread that made them and call their host back only on
// that thread, from inside a call the host made (a message, a draw, a property change). Character
// positions count wchar_t; a paragraph break counts one position. The text services hold one
// reference to nothing: the host owns them through the reference CreateTextServices returned.

#include "platform/Ole.h"  // E_NOINTERFACE, DVASPECT_CONTENT
#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/WinUser.h"

// ---- Records ----------------------------------------------------------------------------------

struct SIZEL {
    LONG cx, cy;
};
struct CHARRANGE {
    LONG cpMin, cpMax;
};
struct TEXTRANGEW {
    CHARRANGE chrg;
    LPWSTR lpstrText;  // the caller's buffer, long enough for the range and a terminator
};
struct GETTEXTEX {
    DWORD cb;  // bytes of the buffer
    DWORD flags;
    UINT codepage;
    LPCSTR lpDefaultChar;
    BOOL* lpUsedDefChar;
};
struct GETTEXTLENGTHEX {
    DWORD flags;
    UINT codepage;
};
using EDITSTREAMCALLBACK = DWORD (*)(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done);
struct EDITSTREAM {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};
struct REQRESIZE {
    NMHDR nmhdr;
    RECT rc;
};
struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp;
};
struct CHARFORMAT2W {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;  // twips
    LONG yOffset;
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    WCHAR szFaceName[LF_FACESIZE];
    WORD wWeight;
    SHORT sSpacing;
    COLORREF crBackColor;
    DWORD lcid;
    DWORD dwReserved;
    SHORT sStyle;
    WORD wKerning;
    BYTE bUnderlineType;
    BYTE bAnimation;
    BYTE bRevAuthor;
    BYTE bUnderlineColor;
};
constexpr int MAX_TAB_STOPS = 32;
struct PARAFORMAT2 {
    UINT cbSize;
    DWORD dwMask;
    WORD wNumbering;
    WORD wEffects;
    LONG dxStartIndent;
    LONG dxRightIndent;
    LONG dxOffset;
    WORD wAlignment;
    SHORT cTabCount;
    LONG rgxTabs[MAX_TAB_STOPS];
    LONG dySpaceBefore;
    LONG dySpaceAfter;
    LONG dyLineSpacing;
    SHORT sStyle;
    BYTE bLineSpacingRule;
    BYTE bOutlineLevel;
    WORD wShadingWeight;
    WORD wShadingStyle;
    WORD wNumberingStart;
    WORD wNumberingStyle;
    WORD wNumberingTab;
    WORD wBorderSpace;
    WORD wBorderWidth;
    WORD wBorders;
};

// ---- Messages ---------------------------------------------------------------------------------

constexpr UINT EM_SCROLL = 0x00B5;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;
constexpr UINT EM_LINELENGTH = 0x00C1;
constexpr UINT EM_GETLINE = 0x00C4;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_POSFROMCHAR = 0x00D6;
constexpr UINT EM_CHARFROMPOS = 0x00D7;
constexpr UINT EM_CANPASTE = WM_USER + 50;
constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_EXLIMITTEXT = WM_USER + 53;
constexpr UINT EM_EXLINEFROMCHAR = WM_USER + 54;
constexpr UINT EM_EXSETSEL = WM_USER + 55;
constexpr UINT EM_GETCHARFORMAT = WM_USER + 58;
constexpr UINT EM_GETEVENTMASK = WM_USER + 59;
constexpr UINT EM_GETPARAFORMAT = WM_USER + 61;
constexpr UINT EM_GETSELTEXT = WM_USER + 62;
constexpr UINT EM_HIDESELECTION = WM_USER + 63;
constexpr UINT EM_REQUESTRESIZE = WM_USER + 65;
constexpr UINT EM_SELECTIONTYPE = WM_USER + 66;
constexpr UINT EM_SETCHARFORMAT = WM_USER + 68;
constexpr UINT EM_SETEVENTMASK = WM_USER + 69;
constexpr UINT EM_SETPARAFORMAT = WM_USER + 71;
constexpr UINT EM_STREAMIN = WM_USER + 73;
constexpr UINT EM_STREAMOUT = WM_USER + 74;
constexpr UINT EM_GETTEXTRANGE = WM_USER + 75;
constexpr UINT EM_SETUNDOLIMIT = WM_USER + 82;
constexpr UINT EM_REDO = WM_USER + 84;
constexpr UINT EM_CANREDO = WM_USER + 85;
constexpr UINT EM_AUTOURLDETECT = WM_USER + 91;
constexpr UINT EM_GETAUTOURLDETECT = WM_USER + 92;
constexpr UINT EM_GETTEXTEX = WM_USER + 94;
constexpr UINT EM_GETTEXTLENGTHEX = WM_USER + 95;
constexpr UINT EM_SETLANGOPTIONS = WM_USER + 120;
constexpr UINT EM_GETZOOM = WM_USER + 224;
constexpr UINT EM_SETZOOM = WM_USER + 225;

// ---- Notifications (TxNotify codes) and the event mask --------------------------------------

constexpr UINT EN_MAXTEXT = 0x0501;
constexpr UINT EN_MSGFILTER = 0x0700;
constexpr UINT EN_REQUESTRESIZE = 0x0701;
constexpr UINT EN_SELCHANGE = 0x0702;
constexpr UINT EN_DROPFILES = 0x0703;
constexpr UINT EN_PROTECTED = 0x0704;
constexpr UINT EN_STOPNOUNDO = 0x0706;
constexpr UINT EN_SAVECLIPBOARD = 0x0708;
constexpr UINT EN_OLEOPFAILED = 0x0709;
constexpr UINT EN_OBJECTPOSITIONS = 0x070A;
constexpr UINT EN_LINK = 0x070B;
constexpr UINT EN_DRAGDROPDONE = 0x070C;

constexpr DWORD ENM_NONE = 0x00000000;
constexpr DWORD ENM_CHANGE = 0x00000001;
constexpr DWORD ENM_UPDATE = 0x00000002;
constexpr DWORD ENM_SCROLL = 0x00000004;
constexpr DWORD ENM_REQUESTRESIZE = 0x00040000;
constexpr DWORD ENM_SELCHANGE = 0x00080000;
constexpr DWORD ENM_DROPFILES = 0x00100000;
constexpr DWORD ENM_LINK = 0x04000000;

// ---- Character and paragraph formats ----------------------------------------------------------

constexpr DWORD CFM_BOLD = 0x00000001;
constexpr DWORD CFM_ITALIC = 0x00000002;
constexpr DWORD CFM_UNDERLINE = 0x00000004;
constexpr DWORD CFM_STRIKEOUT = 0x00000008;
constexpr DWORD CFM_WEIGHT = 0x00400000;
constexpr DWORD CFM_BACKCOLOR = 0x04000000;
constexpr DWORD CFM_CHARSET = 0x08000000;
constexpr DWORD CFM_OFFSET = 0x10000000;
constexpr DWORD CFM_FACE = 0x20000000;
constexpr DWORD CFM_COLOR = 0x40000000;
constexpr DWORD CFM_SIZE = 0x80000000;
constexpr DWORD CFE_BOLD = 0x00000001;
constexpr DWORD CFE_ITALIC = 0x00000002;
constexpr DWORD CFE_UNDERLINE = 0x00000004;
constexpr DWORD CFE_STRIKEOUT = 0x00000008;
constexpr DWORD CFE_AUTOCOLOR = 0x40000000;

constexpr DWORD PFM_STARTINDENT = 0x00000001;
constexpr DWORD PFM_RIGHTINDENT = 0x00000002;
constexpr DWORD PFM_OFFSET = 0x00000004;
constexpr DWORD PFM_ALIGNMENT = 0x00000008;
constexpr DWORD PFM_TABSTOPS = 0x00000010;
constexpr DWORD PFM_NUMBERING = 0x00000020;
constexpr DWORD PFM_ALL = 0x8001003F;
constexpr WORD PFA_LEFT = 1;
constexpr WORD PFA_RIGHT = 2;
constexpr WORD PFA_CENTER = 3;
constexpr WORD PFA_JUSTIFY = 4;

constexpr WPARAM SCF_DEFAULT = 0;
constexpr WPARAM SCF_SELECTION = 1;
constexpr WPARAM SCF_WORD = 2;
constexpr WPARAM SCF_ALL = 4;

// ---- Selection, text and stream flags ---------------------------------------------------------

constexpr WORD SEL_EMPTY = 0x0000;
constexpr WORD SEL_TEXT = 0x0001;
constexpr WORD SEL_MULTICHAR = 0x0004;

constexpr DWORD GT_DEFAULT = 0;
constexpr DWORD GT_USECRLF = 1;
constexpr DWORD GT_SELECTION = 2;
constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;
constexpr DWORD GTL_PRECISE = 2;
constexpr DWORD GTL_NUMCHARS = 8;
constexpr UINT CP_UNICODE_TEXT = 1200;  // code page of wide text in GETTEXTEX and friends

constexpr WPARAM SF_TEXT = 0x0001;
constexpr WPARAM SF_RTF = 0x0002;
constexpr WPARAM SF_UNICODE = 0x0010;
constexpr WPARAM SFF_SELECTION = 0x8000;

// ---- Text host property bits and constants ----------------------------------------------------

constexpr DWORD ES_DISABLENOSCROLL = 0x00002000;  // rich-edit style: bars shown disabled, not hidden
constexpr DWORD ES_NOOLEDRAGDROP = 0x00000008;

constexpr DWORD TXTBIT_RICHTEXT = 0x00000001;
constexpr DWORD TXTBIT_MULTILINE = 0x00000002;
constexpr DWORD TXTBIT_READONLY = 0x00000004;
constexpr DWORD TXTBIT_USEPASSWORD = 0x00000010;
constexpr DWORD TXTBIT_HIDESELECTION = 0x00000020;
constexpr DWORD TXTBIT_SAVESELECTION = 0x00000040;
constexpr DWORD TXTBIT_AUTOWORDSEL = 0x00000080;
constexpr DWORD TXTBIT_WORDWRAP = 0x00000400;
constexpr DWORD TXTBIT_ALLOWBEEP = 0x00000800;
constexpr DWORD TXTBIT_EXTENTCHANGE = 0x00002000;
constexpr DWORD TXTBIT_BACKSTYLECHANGE = 0x00004000;
constexpr DWORD TXTBIT_MAXLENGTHCHANGE = 0x00008000;
constexpr DWORD TXTBIT_SCROLLBARCHANGE = 0x00010000;
constexpr DWORD TXTBIT_CHARFORMATCHANGE = 0x00020000;
constexpr DWORD TXTBIT_PARAFORMATCHANGE = 0x00040000;
constexpr DWORD TXTBIT_CLIENTRECTCHANGE = 0x00100000;

enum TXTBACKSTYLE { TXTBACK_TRANSPARENT = 0, TXTBACK_OPAQUE = 1 };
constexpr DWORD TXTNS_FITTOCONTENT = 1;

// ---- Input-method calls -----------------------------------------------------------------------
// An input context per window. On X11 it is the window's XIM input context; headless, a record.
// A window whose context is taken away (ImmAssociateContext with null) gets no composed input.

struct HIMC__;
using HIMC = HIMC__*;
constexpr DWORD CFS_POINT = 0x0002;
struct COMPOSITIONFORM {
    DWORD dwStyle;
    POINT ptCurrentPos;  // client coordinates of the window
    RECT rcArea;
};
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC himc);
BOOL ImmSetCompositionWindow(HIMC himc, const COMPOSITIONFORM* form);
// Gives the window the context (or none, with null) and returns the one it had.
HIMC ImmAssociateContext(HWND hwnd, HIMC himc);

// ---- The two interfaces (over WinBase.h's IUnknown) -------------------------------------------

extern const GUID IID_IUnknown;
extern const GUID IID_ITextHost;
extern const GUID IID_ITextServices;

// What the text services ask of the one that shows them.
class ITextHost : public IUnknown {
public:
    virtual HDC TxGetDC() = 0;
    virtual INT TxReleaseDC(HDC hdc) = 0;
    virtual BOOL TxShowScrollBar(INT fnBar, BOOL fShow) = 0;
    virtual BOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) = 0;
    virtual BOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL fRedraw) = 0;
    virtual BOOL TxSetScrollPos(INT fnBar, INT nPos, BOOL fRedraw) = 0;
    virtual void TxInvalidateRect(LPCRECT prc, BOOL fMode) = 0;
    virtual void TxViewChange(BOOL fUpdate) = 0;
    virtual BOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) = 0;
    virtual BOOL TxShowCaret(BOOL fShow) = 0;
    virtual BOOL TxSetCaretPos(INT x, INT y) = 0;
    virtual BOOL TxSetTimer(UINT idTimer, UINT uTimeout) = 0;
    virtual void TxKillTimer(UINT idTimer) = 0;
    virtual void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate,
                                  LPRECT lprcUpdate, UINT fuScroll) = 0;
    virtual void TxSetCapture(BOOL fCapture) = 0;
    virtual void TxSetFocus() = 0;
    virtual void TxSetCursor(HCURSOR hcur, BOOL fText) = 0;
    virtual BOOL TxScreenToClient(LPPOINT lppt) = 0;
    virtual BOOL TxClientToScreen(LPPOINT lppt) = 0;
    virtual HRESULT TxActivate(LONG* plOldState) = 0;
    virtual HRESULT TxDeactivate(LONG lNewState) = 0;
    virtual HRESULT TxGetClientRect(LPRECT prc) = 0;
    virtual HRESULT TxGetViewInset(LPRECT prc) = 0;
    virtual HRESULT TxGetCharFormat(const CHARFORMAT2W** ppCF) = 0;
    virtual HRESULT TxGetParaFormat(const PARAFORMAT2** ppPF) = 0;
    virtual COLORREF TxGetSysColor(int nIndex) = 0;
    virtual HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) = 0;
    virtual HRESULT TxGetMaxLength(DWORD* plength) = 0;
    virtual HRESULT TxGetScrollBars(DWORD* pdwScrollBar) = 0;
    virtual HRESULT TxGetPasswordChar(WCHAR* pch) = 0;
    virtual HRESULT TxGetAcceleratorPos(LONG* pcp) = 0;
    virtual HRESULT TxGetExtent(SIZEL* lpExtent) = 0;
    virtual HRESULT OnTxCharFormatChange(const CHARFORMAT2W* pcf) = 0;
    virtual HRESULT OnTxParaFormatChange(const PARAFORMAT2* ppf) = 0;
    virtual HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) = 0;
    virtual HRESULT TxNotify(DWORD iNotify, void* pv) = 0;
    virtual HIMC TxImmGetContext() = 0;
    virtual void TxImmReleaseContext(HIMC himc) = 0;
    virtual HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) = 0;
};

// The text itself: editing by messages, drawing, measuring and hit-testing.
class ITextServices : public IUnknown {
public:
    // S_OK when the message was handled (the result in *plresult), S_FALSE when not.
    virtual HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) = 0;
    virtual HRESULT TxDraw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, void* ptd, HDC hdcDraw, HDC hicTargetDev,
                           LPCRECT lprcBounds, LPCRECT lprcWBounds, LPRECT lprcUpdate, void* pfnContinue,
                           DWORD dwContinue, LONG lViewId) = 0;
    virtual HRESULT TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) = 0;
    virtual HRESULT TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) = 0;
    virtual HRESULT OnTxSetCursor(DWORD dwDrawAspect, LONG lindex, void* pvAspect, void* ptd, HDC hdcDraw,
                                  HDC hicTargetDev, LPCRECT lprcClient, INT x, INT y) = 0;
    virtual HRESULT OnTxInPlaceActivate(LPCRECT prcClient) = 0;
    virtual HRESULT OnTxInPlaceDeactivate() = 0;
    virtual HRESULT TxGetText(std::wstring* text) = 0;
    virtual HRESULT TxSetText(LPCWSTR pszText) = 0;
    // Height for a width: *pwidth and *pheight in pixels in, the natural size out.
    virtual HRESULT TxGetNaturalSize(DWORD dwAspect, HDC hdcDraw, HDC hicTargetDev, void* ptd, DWORD dwMode,
                                     const SIZEL* psizelExtent, LONG* pwidth, LONG* pheight) = 0;
    // Drops go through the window's own drop handling: there is no drop target here (null).
    virtual HRESULT TxGetDropTarget(void** ppDropTarget) = 0;
    virtual HRESULT OnTxPropertyBitsChange(DWORD dwMask, DWORD dwBits) = 0;
};

// Makes text services for the host (no outer object): *ppUnk holds one reference.
HRESULT CreateTextServices(IUnknown* punkOuter, ITextHost* pITextHost, IUnknown** ppUnk);
