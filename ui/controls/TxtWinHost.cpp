#include "ui/controls/TxtWinHost.h"

#include "ui/controls/RichEditUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"

#include <algorithm>

namespace SkinUI {

namespace {

CTxtWinHost::TextServicesFactory g_factory = nullptr;

LONG PixelsToHimetric(LONG pixels, int perInch)
{
    return MulDiv(pixels, 2540, perInch);
}

COLORREF PlatformRgb(DWORD argb)
{
    return RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));  // 0xAARRGGBB to 0x00BBGGRR
}

}  // namespace

void CTxtWinHost::SetTextServicesFactory(TextServicesFactory factory)
{
    g_factory = factory;
}

HRESULT CTxtWinHost::CreateHost(CRichEditUI* re, const CREATESTRUCT* pcs, CTxtWinHost** ppHost)
{
    auto* host = new CTxtWinHost();
    if (host->Init(re, pcs)) {
        *ppHost = host;
        return S_OK;
    }
    delete host;
    return S_OK;
}

CTxtWinHost::CTxtWinHost() = default;

CTxtWinHost::~CTxtWinHost()
{
    if (!m_pserv)
        return;
    m_pserv->OnTxInPlaceDeactivate();
    m_pserv->Release();
}

int CTxtWinHost::PaintDpi(int index) const
{
    HDC dc = m_re && m_re->GetManager() ? m_re->GetManager()->GetPaintDC() : nullptr;
    const int dpi = dc ? ::GetDeviceCaps(dc, index) : 0;
    return dpi > 0 ? dpi : 96;
}

void CTxtWinHost::TakeFont(CHARFORMAT2W* pcf, const LOGFONTW& lf) const
{
    pcf->yHeight = -lf.lfHeight * 1440 / PaintDpi(LOGPIXELSY);
    // Each effect follows the font: a regular font after a bold one is regular again.
    const DWORD effects = (lf.lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0)
        | (lf.lfUnderline ? CFE_UNDERLINE : 0);
    pcf->dwEffects = (pcf->dwEffects & ~(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE)) | effects;
    pcf->bCharSet = lf.lfCharSet;
    pcf->bPitchAndFamily = lf.lfPitchAndFamily;
    const size_t n = wcsnlen(lf.lfFaceName, LF_FACESIZE - 1);
    std::copy_n(lf.lfFaceName, n, pcf->szFaceName);
    pcf->szFaceName[n] = 0;
}

void CTxtWinHost::InitDefaultCharFormat(CHARFORMAT2W* pcf, HFONT hfont)
{
    *pcf = {};
    CPaintManagerUI* manager = m_re->GetManager();
    if (!hfont && manager)
        hfont = manager->GetFont(m_re->GetFont());
    LOGFONTW lf {};
    if (hfont)
        ::GetObject(hfont, sizeof(LOGFONTW), &lf);
    DWORD color = m_re->GetTextColor();
    if (manager && manager->IsLayered())
        CRenderEngine::CheckAlphaColor(color);
    pcf->cbSize = sizeof(CHARFORMAT2W);
    pcf->crTextColor = PlatformRgb(color);
    pcf->yOffset = 0;
    pcf->dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    TakeFont(pcf, lf);
}

void CTxtWinHost::InitDefaultParaFormat(PARAFORMAT2* ppf)
{
    *ppf = {};
    ppf->cbSize = sizeof(PARAFORMAT2);
    ppf->dwMask = PFM_ALL;
    ppf->wAlignment = PFA_LEFT;
    ppf->cTabCount = 1;
    ppf->rgxTabs[0] = 720;
}

bool CTxtWinHost::Init(CRichEditUI* re, const CREATESTRUCT* pcs)
{
    m_re = re;
    m_cRefs = 1;
    InitDefaultCharFormat(&m_cf, nullptr);
    InitDefaultParaFormat(&m_pf);
    m_dwStyle = ES_MULTILINE;
    SetFlag(kRich, re->IsRich());
    m_cchTextMost = re->GetLimitText();
    if (pcs) {
        m_dwStyle = static_cast<DWORD>(pcs->style);
        if (!(m_dwStyle & (ES_AUTOHSCROLL | WS_HSCROLL)))
            SetFlag(kWordWrap, true);
    }
    if (m_dwStyle & ES_CENTER)
        m_pf.wAlignment = PFA_CENTER;
    else if (m_dwStyle & ES_RIGHT)
        m_pf.wAlignment = PFA_RIGHT;
    SetFlag(kInPlaceActive, true);

    IUnknown* made = nullptr;
    const HRESULT result = (g_factory ? g_factory : &::CreateTextServices)(nullptr, this, &made);
    if (FAILED(result) || !made)
        return false;
    void* services = nullptr;
    const HRESULT asked = made->QueryInterface(IID_ITextServices, &services);
    made->Release();
    if (FAILED(asked) || !services)
        return false;
    m_pserv = static_cast<ITextServices*>(services);
    if (pcs && pcs->lpszName && FAILED(m_pserv->TxSetText(pcs->lpszName)))
        return false;
    return true;
}

// ---- Non-interface members ---------------------------------------------------------------------

void CTxtWinHost::SetClientRect(RECT* prc)
{
    m_rcClient = *prc;
    m_sizelExtent.cx = PixelsToHimetric(m_rcClient.right - m_rcClient.left, PaintDpi(LOGPIXELSX));
    m_sizelExtent.cy = PixelsToHimetric(m_rcClient.bottom - m_rcClient.top, PaintDpi(LOGPIXELSY));
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_EXTENTCHANGE, TXTBIT_EXTENTCHANGE);
}

void CTxtWinHost::GetControlRect(LPRECT prc)
{
    *prc = m_rcClient;
}

void CTxtWinHost::SetColor(DWORD dwColor)
{
    CRenderEngine::CheckAlphaColor(dwColor);
    m_cf.crTextColor = PlatformRgb(dwColor);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetFont(HFONT hFont)
{
    if (!hFont)
        return;
    LOGFONTW lf {};
    ::GetObject(hFont, sizeof(LOGFONTW), &lf);
    TakeFont(&m_cf, lf);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetReadOnly(bool fReadOnly)
{
    m_dwStyle = fReadOnly ? (m_dwStyle | ES_READONLY) : (m_dwStyle & ~ES_READONLY);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_READONLY, fReadOnly ? TXTBIT_READONLY : 0);
}

void CTxtWinHost::SetRichTextFlag(bool fNew)
{
    SetFlag(kRich, fNew);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, fNew ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetWordWrap(bool fWordWrap)
{
    SetFlag(kWordWrap, fWordWrap);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_WORDWRAP, fWordWrap ? TXTBIT_WORDWRAP : 0);
}

void CTxtWinHost::SetTransparent(bool fTransparent)
{
    SetFlag(kTransparent, fTransparent);
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::SetMaxLength(int cchMaxLength)
{
    m_cchTextMost = cchMaxLength > 0 ? cchMaxLength : 0x7FFF;
    if (m_pserv)
        m_pserv->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
}

void CTxtWinHost::SetCharFormat(const CHARFORMAT2W& c)
{
    m_cf = c;
}

void CTxtWinHost::SetParaFormat(const PARAFORMAT2& p)
{
    m_pf = p;
}

HRESULT CTxtWinHost::OnTxInPlaceActivate(LPCRECT prcClient)
{
    SetFlag(kInPlaceActive, true);
    const HRESULT result = m_pserv ? m_pserv->OnTxInPlaceActivate(prcClient) : E_FAIL;
    if (FAILED(result))
        SetFlag(kInPlaceActive, false);
    return result;
}

bool CTxtWinHost::DoSetCursor(const RECT* prc, const POINT* pt)
{
    const RECT rc = prc ? *prc : m_rcClient;
    if (!pt || !::PtInRect(&rc, *pt) || !m_pserv)
        return false;
    const RECT* client = ((m_flags & kInPlaceActive) && !prc) ? nullptr : &rc;
    HDC dc = m_re->GetManager() ? m_re->GetManager()->GetPaintDC() : nullptr;
    m_pserv->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, dc, nullptr, client, pt->x, pt->y);
    return true;
}

// ---- IUnknown ----------------------------------------------------------------------------------

HRESULT CTxtWinHost::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_INVALIDARG;
    if (riid == IID_IUnknown || riid == IID_ITextHost) {
        AddRef();
        *ppvObject = static_cast<ITextHost*>(this);
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG CTxtWinHost::AddRef()
{
    return ++m_cRefs;
}

ULONG CTxtWinHost::Release()
{
    const ULONG left = --m_cRefs;
    if (left == 0)
        delete this;
    return left;
}

// ---- ITextHost ---------------------------------------------------------------------------------

HDC CTxtWinHost::TxGetDC()
{
    return m_re->GetManager() ? m_re->GetManager()->GetPaintDC() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC)
{
    return 1;
}

BOOL CTxtWinHost::TxShowScrollBar(INT fnBar, BOOL fShow)
{
    CScrollBarUI* vertical = m_re->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_re->GetHorizontalScrollBar();
    if ((fnBar == SB_VERT || fnBar == SB_BOTH) && vertical)
        vertical->SetVisible(fShow == TRUE);
    if ((fnBar == SB_HORZ || fnBar == SB_BOTH) && horizontal)
        horizontal->SetVisible(fShow == TRUE);
    return TRUE;
}

BOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags)
{
    const bool show = fuArrowflags != static_cast<INT>(ESB_DISABLE_BOTH);
    if (fuSBFlags == SB_VERT) {
        m_re->EnableScrollBar(true, m_re->GetHorizontalScrollBar() != nullptr);
        m_re->GetVerticalScrollBar()->SetVisible(show);
    } else if (fuSBFlags == SB_HORZ) {
        m_re->EnableScrollBar(m_re->GetVerticalScrollBar() != nullptr, true);
        m_re->GetHorizontalScrollBar()->SetVisible(show);
    } else if (fuSBFlags == SB_BOTH) {
        m_re->EnableScrollBar(true, true);
        m_re->GetVerticalScrollBar()->SetVisible(show);
        m_re->GetHorizontalScrollBar()->SetVisible(show);
    }
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL)
{
    CScrollBarUI* bar = fnBar == SB_VERT ? m_re->GetVerticalScrollBar() : fnBar == SB_HORZ ? m_re->GetHorizontalScrollBar() : nullptr;
    if (!bar)
        return TRUE;
    const LONG view = fnBar == SB_VERT ? m_rcClient.bottom - m_rcClient.top : m_rcClient.right - m_rcClient.left;
    const LONG range = nMaxPos - nMinPos - view;
    bar->SetVisible(range > 0);
    if (range > 0)
        bar->SetScrollRange(range);
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, BOOL)
{
    if (fnBar == SB_VERT && m_re->GetVerticalScrollBar())
        m_re->GetVerticalScrollBar()->SetScrollPos(nPos);
    else if (fnBar == SB_HORZ && m_re->GetHorizontalScrollBar())
        m_re->GetHorizontalScrollBar()->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, BOOL)
{
    CPaintManagerUI* manager = m_re->GetManager();
    if (!manager)
        return;
    RECT rc = prc ? *prc : m_rcClient;
    manager->Invalidate(rc);
}

void CTxtWinHost::TxViewChange(BOOL fUpdate)
{
    if (m_re->OnTxViewChanged(fUpdate == TRUE))
        m_re->Invalidate();
}

BOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight)
{
    CPaintManagerUI* manager = m_re->GetManager();
    if (!manager)
        return FALSE;
    if (manager->IsLayered())
        return manager->CreateCaret(hbmp, xWidth, yHeight) ? TRUE : FALSE;
    return ::CreateCaret(manager->GetPaintWindow(), hbmp, xWidth, yHeight);
}

BOOL CTxtWinHost::TxShowCaret(BOOL fShow)
{
    SetFlag(kShowCaret, fShow == TRUE);
    CPaintManagerUI* manager = m_re->GetManager();
    if (!manager)
        return FALSE;
    if (!manager->IsLayered())
        return fShow ? ::ShowCaret(manager->GetPaintWindow()) : ::HideCaret(manager->GetPaintWindow());
    if (manager->GetCurrentCaretObject() == m_re && (m_re->IsReadOnly() || !m_re->Activate())) {
        manager->ShowCaret(false);
        return TRUE;
    }
    return manager->ShowCaret(fShow == TRUE) ? TRUE : FALSE;
}

BOOL CTxtWinHost::TxSetCaretPos(INT x, INT y)
{
    CPaintManagerUI* manager = m_re->GetManager();
    if (!manager)
        return FALSE;
    if (manager->IsLayered()) {
        manager->SetCaretPos(m_re, x, y);
        return TRUE;
    }
    return ::SetCaretPos(x, y);
}

BOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout)
{
    SetFlag(kTimer, true);
    CPaintManagerUI* manager = m_re->GetManager();
    return manager && manager->SetTimer(m_re, idTimer, uTimeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT idTimer)
{
    if (CPaintManagerUI* manager = m_re->GetManager())
        manager->KillTimer(m_re, idTimer);
    SetFlag(kTimer, false);
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) { }

void CTxtWinHost::TxSetCapture(BOOL fCapture)
{
    if (CPaintManagerUI* manager = m_re->GetManager())
        fCapture ? manager->SetCapture() : manager->ReleaseCapture();
    SetFlag(kCaptured, fCapture == TRUE);
}

void CTxtWinHost::TxSetFocus()
{
    m_re->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR hcur, BOOL)
{
    ::SetCursor(hcur);
}

BOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt)
{
    return m_re->GetManager() ? ::ScreenToClient(m_re->GetManager()->GetPaintWindow(), lppt) : FALSE;
}

BOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt)
{
    return m_re->GetManager() ? ::ClientToScreen(m_re->GetManager()->GetPaintWindow(), lppt) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG*)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc)
{
    *prc = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc)
{
    *prc = {};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMAT2W** ppCF)
{
    *ppCF = &m_cf;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT2** ppPF)
{
    *ppPF = &m_pf;
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex)
{
    DWORD color = ::GetSysColor(nIndex);
    CRenderEngine::CheckAlphaColor(color);
    return color;
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle)
{
    *pstyle = (m_flags & kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength)
{
    *plength = static_cast<DWORD>(m_cchTextMost);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar)
{
    *pdwScrollBar = m_dwStyle & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(WCHAR* pch)
{
    *pch = m_chPasswordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp)
{
    *pcp = m_laccelpos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(SIZEL* lpExtent)
{
    *lpExtent = m_sizelExtent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMAT2W*)
{
    return S_OK;
}

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT2*)
{
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits)
{
    DWORD bits = 0;
    bits |= (m_flags & kRich) ? TXTBIT_RICHTEXT : 0;
    bits |= (m_dwStyle & ES_MULTILINE) ? TXTBIT_MULTILINE : 0;
    bits |= (m_dwStyle & ES_READONLY) ? TXTBIT_READONLY : 0;
    bits |= (m_dwStyle & ES_PASSWORD) ? TXTBIT_USEPASSWORD : 0;
    bits |= (m_dwStyle & ES_NOHIDESEL) ? 0 : TXTBIT_HIDESELECTION;
    bits |= (m_flags & kAutoWordSel) ? TXTBIT_AUTOWORDSEL : 0;
    bits |= (m_flags & kWordWrap) ? TXTBIT_WORDWRAP : 0;
    bits |= (m_flags & kAllowBeep) ? TXTBIT_ALLOWBEEP : 0;
    bits |= (m_flags & kSaveSelection) ? TXTBIT_SAVESELECTION : 0;
    *pdwBits = bits & dwMask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_REQUESTRESIZE && pv) {
        const auto* request = static_cast<const REQRESIZE*>(pv);
        RECT rc = m_rcClient;
        rc.right = rc.left + request->rc.right;
        rc.bottom = rc.top + request->rc.bottom;
        SetClientRect(&rc);
    }
    m_re->OnTxNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext()
{
    return nullptr;
}

void CTxtWinHost::TxImmReleaseContext(HIMC) { }

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth)
{
    *lSelBarWidth = m_lSelBarWidth;
    return S_OK;
}

}  // namespace SkinUI
