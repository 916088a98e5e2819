#pragma once
// CTxtWinHost: the text host of one rich edit. It answers the text services' questions from the
// framework (the window's paint DC and timers, the control's scroll bars, capture, caret and
// invalidation through the paint manager) and keeps the default character and paragraph formats
// and the property bits the services read.
//
// Rules: one host per CRichEditUI, made by its first DoInit and used on its window's thread only.
// The host counts references COM-style: Init sets the count to 1 (the control's reference) and the
// last Release deletes it; the host holds the one reference to its text services and releases them
// in its destructor. The owner control is never owned.

#include "platform/RichEdit.h"

namespace SkinUI {

class CRichEditUI;

class CTxtWinHost : public ITextHost {
public:
    // Makes the text services; tests swap it for one that fails. Null restores the platform's.
    using TextServicesFactory = HRESULT (*)(IUnknown* outer, ITextHost* host, IUnknown** made);
    static void SetTextServicesFactory(TextServicesFactory factory);

    // A new host for the control in *ppHost, or *ppHost untouched when it could not be made.
    static HRESULT CreateHost(CRichEditUI* re, const CREATESTRUCT* pcs, CTxtWinHost** ppHost);

    CTxtWinHost();
    virtual ~CTxtWinHost();

    bool Init(CRichEditUI* re, const CREATESTRUCT* pcs);
    ITextServices* GetTextServices() { return m_pserv; }
    void SetClientRect(RECT* prc);
    RECT* GetClientRect() { return &m_rcClient; }
    void GetControlRect(LPRECT prc);
    void SetColor(DWORD dwColor);
    void SetFont(HFONT hFont);
    void SetReadOnly(bool fReadOnly);
    void SetRichTextFlag(bool fNew);
    void SetWordWrap(bool fWordWrap);
    void SetTransparent(bool fTransparent);
    void SetMaxLength(int cchMaxLength);
    void SetCharFormat(const CHARFORMAT2W& c);
    void SetParaFormat(const PARAFORMAT2& p);
    HRESULT OnTxInPlaceActivate(LPCRECT prcClient);
    bool DoSetCursor(const RECT* prc, const POINT* pt);
    bool IsCaptured() const { return (m_flags & kCaptured) != 0; }
    DWORD GetWinStyle() const { return m_dwStyle; }
    void SetWinStyle(DWORD style) { m_dwStyle = style; }

    // IUnknown
    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    BOOL TxShowScrollBar(INT fnBar, BOOL fShow) override;
    BOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    BOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL fRedraw) override;
    BOOL TxSetScrollPos(INT fnBar, INT nPos, BOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, BOOL fMode) override;
    void TxViewChange(BOOL fUpdate) override;
    BOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    BOOL TxShowCaret(BOOL fShow) override;
    BOOL TxSetCaretPos(INT x, INT y) override;
    BOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate, LPRECT lprcUpdate,
                          UINT fuScroll) override;
    void TxSetCapture(BOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, BOOL fText) override;
    BOOL TxScreenToClient(LPPOINT lppt) override;
    BOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMAT2W** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT2** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(WCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(SIZEL* lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMAT2W* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT2* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

private:
    // Bits of m_flags.
    static constexpr DWORD kAutoWordSel = 1u << 0;
    static constexpr DWORD kWordWrap = 1u << 1;
    static constexpr DWORD kAllowBeep = 1u << 2;
    static constexpr DWORD kRich = 1u << 3;
    static constexpr DWORD kSaveSelection = 1u << 4;
    static constexpr DWORD kInPlaceActive = 1u << 5;
    static constexpr DWORD kTransparent = 1u << 6;
    static constexpr DWORD kTimer = 1u << 7;
    static constexpr DWORD kCaptured = 1u << 8;
    static constexpr DWORD kShowCaret = 1u << 9;

    void SetFlag(DWORD bit, bool on) { m_flags = on ? (m_flags | bit) : (m_flags & ~bit); }
    int PaintDpi(int index) const;  // LOGPIXELSX / LOGPIXELSY of the paint DC, 96 without one
    void InitDefaultCharFormat(CHARFORMAT2W* pcf, HFONT hfont);
    void InitDefaultParaFormat(PARAFORMAT2* ppf);
    // Effects, face and character set from a font's LOGFONT; the height in twips.
    void TakeFont(CHARFORMAT2W* pcf, const LOGFONTW& lf) const;

    CRichEditUI* m_re { nullptr };
    ULONG m_cRefs { 0 };
    ITextServices* m_pserv { nullptr };
    DWORD m_dwStyle { 0 };
    DWORD m_flags { 0 };
    LONG m_lSelBarWidth { 0 };
    LONG m_cchTextMost { 0x7FFF };
    RECT m_rcClient {};
    SIZEL m_sizelExtent {};
    CHARFORMAT2W m_cf {};
    PARAFORMAT2 m_pf {};
    LONG m_laccelpos { -1 };
    WCHAR m_chPasswordChar { 0 };
};

}  // namespace SkinUI
