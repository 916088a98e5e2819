#include "ui/controls/RichEditUI.h"

#include "ui/controls/TxtWinHost.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderClip.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

const CControlRegistration kRichEdit(L"CRichEditUI", &CRichEditUI::CreateControl);

constexpr UINT kStateFocused = 0x01;
constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;

enum EditMenuCommand : UINT {
    kMenuUndo = 101,
    kMenuCut = 102,
    kMenuCopy = 103,
    kMenuPaste = 104,
    kMenuClear = 105,
    kMenuSelectAll = 106,
    kMenuRedo = 107,
};

bool IsMouseMessage(UINT msg)
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSEWHEEL + 3;  // 0x200 to 0x20D
}

bool Contains(const wchar_t* value, const wchar_t* part)
{
    return value && std::wcsstr(value, part) != nullptr;
}

}  // namespace

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI()
{
    if (!m_pTwh)
        return;
    m_pTwh->Release();
    if (m_pManager)
        m_pManager->RemoveMessageFilter(this);
}

CControlUI* CRichEditUI::CreateControl()
{
    return new CRichEditUI();
}

const wchar_t* CRichEditUI::GetClass() const
{
    return L"RichEditUI";
}

void* CRichEditUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName && std::wcscmp(pstrName, L"RichEdit") == 0)
        return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CRichEditUI::GetControlFlags() const
{
    return IsEnabled() ? ControlFlagTabStop | ControlFlagSetCursor : 0;
}

// ---- Fields ------------------------------------------------------------------------------------

bool CRichEditUI::IsMultiLine() const
{
    return (m_lTwhStyle & ES_MULTILINE) != 0;
}

void CRichEditUI::SetMultiLine(bool bMultiLine)
{
    m_lTwhStyle = bMultiLine ? (m_lTwhStyle | ES_MULTILINE) : (m_lTwhStyle & ~static_cast<LONG>(ES_MULTILINE));
}

void CRichEditUI::SetRich(bool bRich)
{
    m_bRich = bRich;
    if (m_pTwh)
        m_pTwh->SetRichTextFlag(bRich);
}

void CRichEditUI::SetReadOnly(bool bReadOnly)
{
    m_bReadOnly = bReadOnly;
    if (m_pTwh)
        m_pTwh->SetReadOnly(bReadOnly);
}

void CRichEditUI::SetWordWrap(bool bWordWrap)
{
    m_bWordWrap = bWordWrap;
    if (m_pTwh)
        m_pTwh->SetWordWrap(bWordWrap);
}

void CRichEditUI::SetFont(int index)
{
    m_iFont = index;
    if (m_pTwh && m_pManager)
        m_pTwh->SetFont(m_pManager->GetFont(m_iFont));
}

void CRichEditUI::SetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    if (!m_pTwh)
        return;
    LOGFONTW lf {};
    ::GetObject(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    const size_t n = pStrFontName ? wcsnlen(pStrFontName, LF_FACESIZE - 1) : 0;
    std::copy_n(pStrFontName ? pStrFontName : L"", n, lf.lfFaceName);
    lf.lfFaceName[n] = 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -nSize;
    lf.lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = bUnderline;
    lf.lfItalic = bItalic;
    HFONT font = ::CreateFontIndirect(&lf);
    m_pTwh->SetFont(font);
    ::DeleteObject(font);
}

DWORD CRichEditUI::GetWinStyle() const
{
    return static_cast<DWORD>(m_lTwhStyle);
}

void CRichEditUI::SetWinStyle(DWORD dwStyle)
{
    m_lTwhStyle = static_cast<LONG>(dwStyle);
}

void CRichEditUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    if (m_pTwh)
        m_pTwh->SetColor(dwTextColor);
}

void CRichEditUI::SetLimitText(int iChars)
{
    m_iLimitText = iChars;
    if (m_pTwh)
        m_pTwh->SetMaxLength(m_iLimitText);
}

RECT CRichEditUI::GetTextPadding() const
{
    return ScaleValue(m_rcTextPadding);
}

void CRichEditUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CRichEditUI::SetTipValueColor(const wchar_t* pStrColor)
{
    if (pStrColor && *pStrColor == L'#')
        ++pStrColor;
    m_dwTipValueColor = pStrColor ? static_cast<DWORD>(std::wcstoul(pStrColor, nullptr, 16)) : 0;
}

void CRichEditUI::SetTipValueAlign(UINT uAlign)
{
    m_uTipValueAlign = uAlign;
    if (GetText().IsEmpty())
        Invalidate();
}

void CRichEditUI::SetNormalImage(const wchar_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CRichEditUI::SetHotImage(const wchar_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CRichEditUI::SetFocusedImage(const wchar_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CRichEditUI::SetDisabledImage(const wchar_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

// ---- Text-services wrappers --------------------------------------------------------------------

void CRichEditUI::SendToText(UINT msg, WPARAM wparam, LPARAM lparam) const
{
    TxSendMessage(msg, wparam, lparam, nullptr);
}

CUIString CRichEditUI::GetText() const
{
    if (!m_pTwh)
        return CUIString();
    const long length = GetTextLength(GTL_DEFAULT);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
    GETTEXTEX request { static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), GT_DEFAULT, CP_UNICODE_TEXT, nullptr, nullptr };
    TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()), nullptr);
    return CUIString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* pstrText)
{
    m_sText = pstrText;
    if (!m_pTwh)
        return;
    m_pTwh->SetColor(m_dwTextColor);
    SetSel(0, -1);
    ReplaceSel(pstrText, false);
}

long CRichEditUI::GetTextLength(DWORD dwFlags) const
{
    GETTEXTLENGTHEX request { dwFlags, CP_UNICODE_TEXT };
    LRESULT result = 0;
    TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0, &result);
    return static_cast<long>(result);
}

bool CRichEditUI::GetModify() const
{
    LRESULT result = 0;
    TxSendMessage(EM_GETMODIFY, 0, 0, &result);
    return result == 1;
}

void CRichEditUI::SetModify(bool bModified) const
{
    SendToText(EM_SETMODIFY, bModified);
}

void CRichEditUI::GetSel(CHARRANGE& cr) const
{
    cr = {};
    SendToText(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

void CRichEditUI::GetSel(long& nStartChar, long& nEndChar) const
{
    CHARRANGE cr {};
    GetSel(cr);
    nStartChar = cr.cpMin;
    nEndChar = cr.cpMax;
}

int CRichEditUI::SetSel(CHARRANGE& cr)
{
    LRESULT result = 0;
    TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr), &result);
    return static_cast<int>(result);
}

int CRichEditUI::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE cr { static_cast<LONG>(nStartChar), static_cast<LONG>(nEndChar) };
    return SetSel(cr);
}

void CRichEditUI::ReplaceSel(const wchar_t* lpszNewText, bool bCanUndo)
{
    SendToText(EM_REPLACESEL, bCanUndo, reinterpret_cast<LPARAM>(lpszNewText));
}

void CRichEditUI::ReplaceSelW(const wchar_t* lpszNewText, bool bCanUndo)
{
    ReplaceSel(lpszNewText, bCanUndo);
}

CUIString CRichEditUI::GetSelText() const
{
    if (!m_pTwh)
        return CUIString();
    CHARRANGE cr {};
    GetSel(cr);
    std::vector<wchar_t> buffer(static_cast<size_t>(std::max<LONG>(0, cr.cpMax - cr.cpMin)) + 1, 0);
    SendToText(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()));
    return CUIString(buffer.data());
}

int CRichEditUI::SetSelAll()
{
    return SetSel(0, -1);
}

int CRichEditUI::SetSelNone()
{
    return SetSel(-1, 0);
}

WORD CRichEditUI::GetSelectionType() const
{
    LRESULT result = 0;
    TxSendMessage(EM_SELECTIONTYPE, 0, 0, &result);
    return static_cast<WORD>(result);
}

bool CRichEditUI::GetZoom(int& nNum, int& nDen) const
{
    LRESULT result = 0;
    TxSendMessage(EM_GETZOOM, reinterpret_cast<WPARAM>(&nNum), reinterpret_cast<LPARAM>(&nDen), &result);
    return result != 0;
}

bool CRichEditUI::SetZoom(int nNum, int nDen)
{
    if (nNum < 0 || nNum > 64 || nDen < 0 || nDen > 64)
        return false;
    LRESULT result = 0;
    TxSendMessage(EM_SETZOOM, static_cast<WPARAM>(nNum), nDen, &result);
    return result != 0;
}

bool CRichEditUI::SetZoomOff()
{
    LRESULT result = 0;
    TxSendMessage(EM_SETZOOM, 0, 0, &result);
    return result != 0;
}

bool CRichEditUI::GetAutoURLDetect() const
{
    LRESULT result = 0;
    TxSendMessage(EM_GETAUTOURLDETECT, 0, 0, &result);
    return result == 1;
}

bool CRichEditUI::SetAutoURLDetect(bool bAutoDetect)
{
    LRESULT result = 1;
    TxSendMessage(EM_AUTOURLDETECT, bAutoDetect, 0, &result);
    return result == 0;
}

DWORD CRichEditUI::GetEventMask() const
{
    LRESULT result = 0;
    TxSendMessage(EM_GETEVENTMASK, 0, 0, &result);
    return static_cast<DWORD>(result);
}

DWORD CRichEditUI::SetEventMask(DWORD dwEventMask)
{
    LRESULT result = 0;
    TxSendMessage(EM_SETEVENTMASK, 0, dwEventMask, &result);
    return static_cast<DWORD>(result);
}

CUIString CRichEditUI::GetTextRange(long nStartChar, long nEndChar) const
{
    if (!m_pTwh)
        return CUIString();
    const long length = GetTextLength(GTL_DEFAULT);
    const long end = nEndChar < 0 ? length : std::min(nEndChar, length);
    const long start = std::clamp(nStartChar, 0L, length);
    if (end <= start)
        return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(end - start) + 1, 0);
    TEXTRANGEW range { { static_cast<LONG>(start), static_cast<LONG>(end) }, buffer.data() };
    SendToText(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return CUIString(buffer.data());
}

void CRichEditUI::HideSelection(bool bHide, bool bChangeStyle)
{
    SendToText(EM_HIDESELECTION, bHide, bChangeStyle);
}

void CRichEditUI::ScrollCaret()
{
    SendToText(EM_SCROLLCARET);
}

int CRichEditUI::InsertText(long nInsertAfterChar, const wchar_t* lpstrText, bool bCanUndo)
{
    const int result = SetSel(nInsertAfterChar, nInsertAfterChar);
    ReplaceSel(lpstrText, bCanUndo);
    return result;
}

int CRichEditUI::AppendText(const wchar_t* lpstrText, bool bCanUndo)
{
    const int result = SetSel(-1, -1);
    ReplaceSel(lpstrText, bCanUndo);
    return result;
}

DWORD CRichEditUI::GetDefaultCharFormat(CHARFORMAT2W& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2W);
    LRESULT result = 0;
    TxSendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf), &result);
    return static_cast<DWORD>(result);
}

bool CRichEditUI::SetDefaultCharFormat(CHARFORMAT2W& cf)
{
    if (!m_pTwh)
        return false;
    cf.cbSize = sizeof(CHARFORMAT2W);
    LRESULT result = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf), &result);
    if (result != 1)
        return false;
    CHARFORMAT2W now {};
    now.cbSize = sizeof(CHARFORMAT2W);
    TxSendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&now), nullptr);
    m_pTwh->SetCharFormat(now);
    return true;
}

DWORD CRichEditUI::GetSelectionCharFormat(CHARFORMAT2W& cf) const
{
    cf.cbSize = sizeof(CHARFORMAT2W);
    LRESULT result = 0;
    TxSendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf), &result);
    return static_cast<DWORD>(result);
}

bool CRichEditUI::SetSelectionCharFormat(CHARFORMAT2W& cf)
{
    if (!m_pTwh)
        return false;
    if (m_pManager && m_pManager->IsLayered()) {
        DWORD text = cf.crTextColor, back = cf.crBackColor;
        CRenderEngine::CheckAlphaColor(text);
        CRenderEngine::CheckAlphaColor(back);
        cf.crTextColor = text;
        cf.crBackColor = back;
    }
    cf.cbSize = sizeof(CHARFORMAT2W);
    LRESULT result = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf), &result);
    return result == 1;
}

bool CRichEditUI::SetWordCharFormat(CHARFORMAT2W& cf)
{
    cf.cbSize = sizeof(CHARFORMAT2W);
    LRESULT result = 0;
    TxSendMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&cf), &result);
    return result == 1;
}

DWORD CRichEditUI::GetParaFormat(PARAFORMAT2& pf) const
{
    pf.cbSize = sizeof(PARAFORMAT2);
    LRESULT result = 0;
    TxSendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf), &result);
    return static_cast<DWORD>(result);
}

bool CRichEditUI::SetParaFormat(PARAFORMAT2& pf)
{
    if (!m_pTwh)
        return false;
    pf.cbSize = sizeof(PARAFORMAT2);
    LRESULT result = 0;
    TxSendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf), &result);
    if (result != 1)
        return false;
    m_pTwh->SetParaFormat(pf);
    return true;
}

bool CRichEditUI::CanUndo()
{
    LRESULT result = 0;
    TxSendMessage(EM_CANUNDO, 0, 0, &result);
    return result == 1;
}

bool CRichEditUI::CanRedo()
{
    LRESULT result = 0;
    TxSendMessage(EM_CANREDO, 0, 0, &result);
    return result == 1;
}

bool CRichEditUI::CanPaste()
{
    LRESULT result = 0;
    TxSendMessage(EM_CANPASTE, 0, 0, &result);
    return result == 1;
}

bool CRichEditUI::Redo()
{
    LRESULT result = 0;
    TxSendMessage(EM_REDO, 0, 0, &result);
    return result == 1;
}

bool CRichEditUI::Undo()
{
    LRESULT result = 0;
    TxSendMessage(EM_UNDO, 0, 0, &result);
    return result == 1;
}

void CRichEditUI::Clear()
{
    SetSel(0, -1);
    SendToText(WM_CLEAR);
}

void CRichEditUI::Copy()
{
    SendToText(WM_COPY);
}

void CRichEditUI::Cut()
{
    SendToText(WM_CUT);
}

void CRichEditUI::Paste()
{
    SendToText(WM_PASTE);
}

int CRichEditUI::GetLineCount() const
{
    LRESULT result = 0;
    TxSendMessage(EM_GETLINECOUNT, 0, 0, &result);
    return static_cast<int>(result);
}

CUIString CRichEditUI::GetLine(int nIndex, int nMaxLength) const
{
    if (!m_pTwh || nMaxLength <= 0)
        return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(nMaxLength) + 1, 0);
    buffer[0] = static_cast<wchar_t>(nMaxLength);
    LRESULT copied = 0;
    TxSendMessage(EM_GETLINE, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()), &copied);
    buffer[static_cast<size_t>(std::clamp<LRESULT>(copied, 0, nMaxLength))] = 0;
    return CUIString(buffer.data());
}

int CRichEditUI::LineIndex(int nLine) const
{
    LRESULT result = 0;
    TxSendMessage(EM_LINEINDEX, static_cast<WPARAM>(nLine), 0, &result);
    return static_cast<int>(result);
}

int CRichEditUI::LineLength(int nLine) const
{
    LRESULT result = 0;
    TxSendMessage(EM_LINELENGTH, static_cast<WPARAM>(nLine), 0, &result);
    return static_cast<int>(result);
}

bool CRichEditUI::LineScroll(int nLines, int nChars)
{
    LRESULT result = 0;
    TxSendMessage(EM_LINESCROLL, static_cast<WPARAM>(nChars), nLines, &result);
    return result == 1;
}

CUIPoint CRichEditUI::GetCharPos(long lChar) const
{
    return PosFromChar(static_cast<UINT>(lChar));
}

long CRichEditUI::LineFromChar(long nIndex) const
{
    LRESULT result = 0;
    TxSendMessage(EM_EXLINEFROMCHAR, 0, nIndex, &result);
    return static_cast<long>(result);
}

CUIPoint CRichEditUI::PosFromChar(UINT nChar) const
{
    POINT pt {};
    TxSendMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pt), static_cast<LPARAM>(nChar), nullptr);
    return CUIPoint(pt.x, pt.y);
}

int CRichEditUI::CharFromPos(CUIPoint pt) const
{
    POINT point { pt.x, pt.y };
    LRESULT result = 0;
    TxSendMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point), &result);
    return static_cast<int>(result);
}

void CRichEditUI::EmptyUndoBuffer()
{
    SendToText(EM_EMPTYUNDOBUFFER);
}

UINT CRichEditUI::SetUndoLimit(UINT nLimit)
{
    LRESULT result = 0;
    TxSendMessage(EM_SETUNDOLIMIT, nLimit, 0, &result);
    return static_cast<UINT>(result);
}

long CRichEditUI::StreamIn(int nFormat, EDITSTREAM& es)
{
    LRESULT result = 0;
    TxSendMessage(EM_STREAMIN, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es), &result);
    return static_cast<long>(result);
}

long CRichEditUI::StreamOut(int nFormat, EDITSTREAM& es)
{
    LRESULT result = 0;
    TxSendMessage(EM_STREAMOUT, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es), &result);
    return static_cast<long>(result);
}

bool CRichEditUI::SetDropAcceptFile(bool bAccept)
{
    // Only the drop and link bits change: the rest of the mask (the change notices that
    // "textchanged" rests on) stays as it is.
    const DWORD bits = ENM_DROPFILES | ENM_LINK;
    const DWORD old = GetEventMask();
    LRESULT result = 0;
    TxSendMessage(EM_SETEVENTMASK, 0, bAccept ? (old | bits) : (old & ~bits), &result);
    return result == 0;
}

void* CRichEditUI::GetTxDropTarget()
{
    void* target = nullptr;
    if (!m_pTwh || FAILED(m_pTwh->GetTextServices()->TxGetDropTarget(&target)))
        return nullptr;
    return target;
}

// ---- Scrolling ---------------------------------------------------------------------------------

void CRichEditUI::SetScrollPos(SIZE szPos, bool)
{
    int dx = 0, dy = 0;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    if (dy != 0) {
        int remembered = 0;
        const bool plain = !m_bRich && m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
        if (plain)
            remembered = m_pVerticalScrollBar->GetScrollPos();
        SendToText(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(m_pVerticalScrollBar->GetScrollPos())));
        if (plain && dy > 0 && m_pVerticalScrollBar->GetScrollPos() <= remembered)
            m_pVerticalScrollBar->SetScrollPos(remembered);
    }
    if (dx != 0)
        SendToText(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(m_pHorizontalScrollBar->GetScrollPos())));
}

void CRichEditUI::LineUp()
{
    SendToText(WM_VSCROLL, SB_LINEUP);
}

void CRichEditUI::LineDown()
{
    const int old = m_pVerticalScrollBar ? m_pVerticalScrollBar->GetScrollPos() : 0;
    SendToText(WM_VSCROLL, SB_LINEDOWN);
    if (!m_bRich && m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible() && m_pVerticalScrollBar->GetScrollPos() <= old)
        m_pVerticalScrollBar->SetScrollPos(m_pVerticalScrollBar->GetScrollRange());
}

void CRichEditUI::PageUp()
{
    SendToText(WM_VSCROLL, SB_PAGEUP);
}

void CRichEditUI::PageDown()
{
    SendToText(WM_VSCROLL, SB_PAGEDOWN);
}

void CRichEditUI::HomeUp()
{
    SendToText(WM_VSCROLL, SB_TOP);
}

void CRichEditUI::EndDown()
{
    SendToText(WM_VSCROLL, SB_BOTTOM);
}

void CRichEditUI::LineLeft()
{
    SendToText(WM_HSCROLL, SB_LINELEFT);
}

void CRichEditUI::LineRight()
{
    SendToText(WM_HSCROLL, SB_LINERIGHT);
}

void CRichEditUI::PageLeft()
{
    SendToText(WM_HSCROLL, SB_PAGELEFT);
}

void CRichEditUI::PageRight()
{
    SendToText(WM_HSCROLL, SB_PAGERIGHT);
}

void CRichEditUI::HomeLeft()
{
    SendToText(WM_HSCROLL, SB_LEFT);
}

void CRichEditUI::EndRight()
{
    SendToText(WM_HSCROLL, SB_RIGHT);
}

// ---- Life, layout and painting -----------------------------------------------------------------

void CRichEditUI::DoInit()
{
    if (m_bInited)
        return;
    m_bInited = true;
    CREATESTRUCT cs {};
    cs.style = m_lTwhStyle;
    cs.lpszName = m_sText.GetData();
    CTxtWinHost::CreateHost(this, &cs, &m_pTwh);
    if (!m_pTwh)
        return;
    m_pTwh->SetTransparent(true);
    SendToText(EM_SETLANGOPTIONS, 0, 0);
    SendToText(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_DROPFILES | ENM_LINK);
    m_pTwh->OnTxInPlaceActivate(nullptr);
    if (m_pManager)
        m_pManager->AddMessageFilter(this);
    if (!m_bEnabled && m_pManager)
        m_pTwh->SetColor(m_pManager->GetDefaultDisabledColor());
}

SIZE CRichEditUI::EstimateSize(SIZE szAvailable)
{
    return CControlUI::EstimateSize(szAvailable);
}

LONG CRichEditUI::NaturalHeight(LONG width) const
{
    LONG height = 0;
    SIZEL extent { -1, -1 };
    HDC dc = m_pManager ? m_pManager->GetPaintDC() : nullptr;
    m_pTwh->GetTextServices()->TxGetNaturalSize(DVASPECT_CONTENT, dc, nullptr, nullptr, TXTNS_FITTOCONTENT, &extent,
                                               &width, &height);
    return height;
}

void CRichEditUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    rc = m_rcItem;
    const RECT inset = GetInset();
    RECT inner { rc.left + inset.left, rc.top + inset.top, rc.right - inset.right, rc.bottom - inset.bottom };
    const bool vbarWasVisible = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    if (vbarWasVisible)
        inner.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    if (m_pTwh) {
        const RECT padding = GetTextPadding();
        RECT text { inner.left + padding.left, inner.top + padding.top, inner.right - padding.right,
                    inner.bottom - padding.bottom };
        m_pTwh->SetClientRect(&text);
        if (vbarWasVisible && (!m_pVerticalScrollBar->IsVisible() || m_bVScrollBarFixing)) {
            const LONG height = NaturalHeight(text.right - text.left + m_pVerticalScrollBar->GetFixedWidth());
            if (height > text.bottom - text.top) {
                m_pVerticalScrollBar->SetVisible(true);
                m_pVerticalScrollBar->SetScrollPos(0);
                m_bVScrollBarFixing = true;
            } else if (m_bVScrollBarFixing) {
                m_pVerticalScrollBar->SetVisible(false);
                m_bVScrollBarFixing = false;
            }
        }
    }
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
        m_pVerticalScrollBar->SetPos({ inner.right, inner.top, inner.right + m_pVerticalScrollBar->GetFixedWidth(), inner.bottom });
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
        m_pHorizontalScrollBar->SetPos({ inner.left, inner.bottom, inner.right, inner.bottom + m_pHorizontalScrollBar->GetFixedHeight() });

    // Children: floats where they ask, the others side by side across the inner rectangle.
    std::vector<int> flowing;
    int fixedWidth = 0, sharers = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        flowing.push_back(i);
        const SIZE size = child->EstimateSize({ inner.right - inner.left, inner.bottom - inner.top });
        fixedWidth += size.cx;
        sharers += size.cx == 0;
    }
    const int padding = GetChildPadding() * std::max(0, static_cast<int>(flowing.size()) - 1);
    const int room = std::max(0, static_cast<int>(inner.right - inner.left) - fixedWidth - padding);
    int x = inner.left;
    for (int i : flowing) {
        CControlUI* child = GetItemAt(i);
        const RECT pad = child->GetPadding();
        SIZE size = child->EstimateSize({ inner.right - inner.left, inner.bottom - inner.top });
        int width = size.cx == 0 ? room / std::max(1, sharers) : size.cx;
        width = std::clamp(width, child->GetMinWidth(), std::max(child->GetMinWidth(), child->GetMaxWidth()));
        const int height = size.cy > 0 ? size.cy : static_cast<int>(inner.bottom - inner.top) - pad.top - pad.bottom;
        child->SetPos({ x + pad.left, inner.top + pad.top, x + pad.left + width, inner.top + pad.top + height }, false);
        x += pad.left + width + pad.right + GetChildPadding();
    }
    const int excess = x - GetChildPadding() - inner.right;
    if (!flowing.empty() && excess > 0) {
        if (!m_pHorizontalScrollBar)
            EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        m_pHorizontalScrollBar->SetVisible(true);
        m_pHorizontalScrollBar->SetScrollRange(excess);
    }
}

void CRichEditUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CContainerUI::Move(szOffset, bNeedInvalidate);
    if (!m_pTwh)
        return;
    RECT rc = GetInnerRect();
    m_pTwh->SetClientRect(&rc);
}

void CRichEditUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled)
        return;
    if (m_pTwh && m_pManager)
        m_pTwh->SetColor(bEnabled ? m_dwTextColor : m_pManager->GetDefaultDisabledColor());
    CContainerUI::SetEnabled(bEnabled);
}

void CRichEditUI::OnDPIChanged()
{
    SetFont(m_iFont);
}

void CRichEditUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT temp {};
    if (!::IntersectRect(&temp, &rcPaint, &m_rcItem))
        return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, temp, clip);
    CControlUI::DoPaint(hDC, rcPaint);
    if (m_pTwh) {
        RECT update = rcPaint;
        m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr, m_pTwh->GetClientRect(),
                                          nullptr, &update, nullptr, 0, 0);
        if (m_bVScrollBarFixing && m_pVerticalScrollBar) {
            const RECT* client = m_pTwh->GetClientRect();
            const LONG height = NaturalHeight(client->right - client->left + m_pVerticalScrollBar->GetFixedWidth());
            if (height <= client->bottom - client->top)
                NeedUpdate();
        }
    }
    const RECT inner = GetInnerRect();
    RECT innerPaint {};
    if (m_items.GetSize() > 0 && ::IntersectRect(&innerPaint, &rcPaint, &inner)) {
        CRenderClip childClip;
        CRenderClip::GenerateClip(hDC, innerPaint, childClip);
        for (int i = 0; i < m_items.GetSize(); ++i) {
            CControlUI* child = GetItemAt(i);
            RECT meet {};
            if (child->IsVisible() && ::IntersectRect(&meet, &rcPaint, &child->GetPos()))
                child->DoPaint(hDC, rcPaint);
        }
    }
    for (CScrollBarUI* bar : { m_pVerticalScrollBar, m_pHorizontalScrollBar }) {
        RECT meet {};
        if (bar && bar->IsVisible() && ::IntersectRect(&meet, &rcPaint, &bar->GetPos()))
            bar->DoPaint(hDC, rcPaint);
    }
    if (!GetText().IsEmpty() || IsFocused() || m_sTipValue.IsEmpty())
        return;
    // The tip sits where the text would: inside the same DPI-scaled padding.
    const RECT padding = GetTextPadding();
    RECT tip { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
               m_rcItem.bottom - padding.bottom };
    const UINT style = m_uTipValueAlign | (IsMultiLine() ? 0 : DT_VCENTER);
    CRenderEngine::DrawTextW(hDC, m_pManager, tip, m_sTipValue.GetData(), m_dwTipValueColor, m_iFont, style);
}

void CRichEditUI::PaintStatusImage(HDC hDC)
{
    m_uButtonState = IsFocused() ? (m_uButtonState | kStateFocused) : (m_uButtonState & ~kStateFocused);
    m_uButtonState = !IsEnabled() ? (m_uButtonState | kStateDisabled) : (m_uButtonState & ~kStateDisabled);
    const CUIString* image = nullptr;
    if (m_uButtonState & kStateDisabled)
        image = &m_sDisabledImage;
    else if (m_uButtonState & kStateFocused)
        image = &m_sFocusedImage;
    else if (m_uButtonState & kStateHot)
        image = &m_sHotImage;
    if (image && !image->IsEmpty() && DrawImage(hDC, image->GetData()))
        return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage.GetData());
}

void CRichEditUI::PaintText(HDC) { }

// ---- Events ------------------------------------------------------------------------------------

void CRichEditUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventSetCursor:
        if (IsEnabled() && m_pTwh && m_pTwh->DoSetCursor(nullptr, &event.ptMouse))
            return;
        break;
    case UiEventSetFocus:
    case UiEventKillFocus: {
        const bool gain = event.Type == UiEventSetFocus;
        if (m_pTwh) {
            m_pTwh->OnTxInPlaceActivate(nullptr);
            SendToText(gain ? WM_SETFOCUS : WM_KILLFOCUS);
        }
        // An ASCII-only field turns the input method off for its window while it has the focus,
        // and gives it back when the focus leaves, so other fields keep theirs.
        if (m_bAscii && m_pManager && gain != m_bInputContextTaken) {
            HWND hwnd = m_pManager->GetPaintWindow();
            if (gain)
                m_hTakenInputContext = ::ImmAssociateContext(hwnd, nullptr);
            else
                ::ImmAssociateContext(hwnd, m_hTakenInputContext);
            m_bInputContextTaken = gain;
        }
        m_bFocused = gain;
        Invalidate();
        return;
    }
    case UiEventTimer:
        if (m_pTwh)
            SendToText(WM_TIMER, event.wParam, event.lParam);
        return;
    case UiEventScrollWheel:
        if (event.wKeyState & MK_CONTROL)
            return;
        break;
    case UiEventButtonDown:
    case UiEventButtonUp:
    case UiEventDblClick:
    case UiEventMouseMove:
        return;
    case UiEventMouseEnter:
    case UiEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState = event.Type == UiEventMouseEnter ? (m_uButtonState | kStateHot) : (m_uButtonState & ~kStateHot);
            Invalidate();
        }
        return;
    default:
        if (event.Type > UiEventKeyBegin && event.Type < UiEventKeyEnd)
            return;
        break;
    }
    CContainerUI::DoEvent(event);
}

HRESULT CRichEditUI::TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) const
{
    if (!m_pTwh)
        return S_FALSE;
    if (msg == WM_KEYDOWN && LOWORD(wparam) == VK_RETURN) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        if (!(m_bWantReturn && (!ctrl || m_bWantCtrlReturn))) {
            if (m_pManager)
                m_pManager->SendNotify(const_cast<CRichEditUI*>(this), L"return");
            return S_OK;
        }
    }
    return m_pTwh->GetTextServices()->TxSendMessage(msg, wparam, lparam, plresult);
}

bool CRichEditUI::OnTxViewChanged(bool)
{
    return true;
}

void CRichEditUI::OnTxNotify(DWORD iNotify, void* pv)
{
    if (iNotify == EN_CHANGE) {
        if (m_pManager)
            m_pManager->SendNotify(this, L"textchanged");
        return;
    }
    switch (iNotify) {
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE:
        break;
    default:
        return;
    }
    if (!m_pManager)
        return;
    HWND hwnd = m_pManager->GetPaintWindow();
    const LONG_PTR id = ::GetWindowLongPtr(hwnd, GWL_ID);
    if (auto* header = static_cast<NMHDR*>(pv)) {
        header->hwndFrom = hwnd;
        header->idFrom = static_cast<UINT_PTR>(id);
        header->code = iNotify;
    }
    ::SendMessage(hwnd, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(pv));
}

void CRichEditUI::ShowEditMenu(POINT screen)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return;
    const bool empty = GetSelectionType() == SEL_EMPTY;
    auto add = [menu](UINT id, const wchar_t* text, bool grey) {
        ::AppendMenuW(menu, MF_STRING | (grey ? MF_GRAYED : 0), id, text);
    };
    add(kMenuUndo, L"撤销(&U)", !CanUndo());
    add(kMenuRedo, L"重做(&R)", !CanRedo());
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kMenuCut, L"剪切(&X)", m_bReadOnly || empty);
    add(kMenuCopy, L"复制(&C)", empty);
    add(kMenuPaste, L"粘帖(&V)", m_bReadOnly);
    add(kMenuClear, L"清空(&L)", m_bReadOnly || empty);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(kMenuSelectAll, L"全选(&A)", false);
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_pManager->GetPaintWindow(), nullptr);
    ::DestroyMenu(menu);
}

void CRichEditUI::DoMenuCommand(WPARAM id)
{
    switch (LOWORD(id)) {
    case kMenuUndo: Undo(); break;
    case kMenuCut: Cut(); break;
    case kMenuCopy: Copy(); break;
    case kMenuPaste: Paste(); break;
    case kMenuClear: Clear(); break;
    case kMenuSelectAll: SetSelAll(); break;
    case kMenuRedo: Redo(); break;
    default: break;
    }
}

LRESULT CRichEditUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    if (!IsVisible() || !IsEnabled() || !m_pTwh || !m_pManager)
        return 0;
    if (!IsMouseEnabled() && IsMouseMessage(uMsg))
        return 0;
    if (uMsg == WM_MOUSEWHEEL && !(LOWORD(wParam) & MK_CONTROL))
        return 0;
    if (uMsg == WM_IME_COMPOSITION) {
        HWND hwnd = m_pManager->GetPaintWindow();
        if (HIMC himc = ::ImmGetContext(hwnd)) {
            POINT caret {};
            ::GetCaretPos(&caret);
            COMPOSITIONFORM form { CFS_POINT, caret, {} };
            ::ImmSetCompositionWindow(himc, &form);
            ::ImmReleaseContext(hwnd, himc);
        }
        return 0;
    }
    bool candidate = true;
    if (IsMouseMessage(uMsg) || uMsg == WM_SETCURSOR) {
        if (!m_pTwh->IsCaptured() && uMsg >= WM_LBUTTONDOWN && uMsg <= WM_RBUTTONUP) {
            POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
            if (m_pManager->FindControl(pt) != this)
                return 0;
        }
        if (!m_pTwh->IsCaptured()) {
            POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
            if (uMsg == WM_MOUSEWHEEL)
                ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            if (uMsg == WM_SETCURSOR) {
                ::GetCursorPos(&pt);
                ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
            }
            if (!::PtInRect(m_pTwh->GetClientRect(), pt) || m_pManager->IsCaptured())
                return 0;
        }
        if (uMsg == WM_SETCURSOR)
            candidate = false;
        else if (uMsg == WM_LBUTTONDOWN || uMsg == WM_LBUTTONDBLCLK || uMsg == WM_RBUTTONDOWN)
            SetFocus();
    } else if (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) {
        if (!IsFocused())
            return 0;
    } else if (uMsg == WM_CONTEXTMENU) {
        POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        POINT client = pt;
        ::ScreenToClient(m_pManager->GetPaintWindow(), &client);
        if (m_pManager->FindControl(client) != this)
            return 0;
        ShowEditMenu(pt);
    } else if (uMsg == WM_COMMAND) {
        bHandled = false;
        if (!IsFocused())
            return 0;
        DoMenuCommand(wParam);
    } else if (uMsg == WM_HELP) {
        candidate = false;
    } else if (uMsg != WM_IME_CHAR) {
        return 0;
    }
    LRESULT result = 0;
    const HRESULT sent = TxSendMessage(uMsg, wParam, lParam, &result);
    const bool always = (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) || uMsg == WM_IME_CHAR
        || (IsMouseMessage(uMsg) && m_pTwh->IsCaptured());
    if (sent == S_OK || always)
        bHandled = candidate;
    return result;
}

// ---- Attributes --------------------------------------------------------------------------------

void CRichEditUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (!pstrName || !pstrValue)
        return;
    const bool on = ReadBool(pstrValue);
    if (NameIs(pstrName, L"vscrollbar")) {
        if (on)
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_VSCROLL;
    } else if (NameIs(pstrName, L"autovscroll")) {
        if (on)
            m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (NameIs(pstrName, L"hscrollbar")) {
        if (on)
            m_lTwhStyle |= ES_DISABLENOSCROLL | WS_HSCROLL;
    } else if (NameIs(pstrName, L"autohscroll")) {
        if (on)
            m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (NameIs(pstrName, L"wanttab")) {
        SetWantTab(on);
    } else if (NameIs(pstrName, L"wantreturn")) {
        SetWantReturn(on);
    } else if (NameIs(pstrName, L"wantctrlreturn")) {
        SetWantCtrlReturn(on);
    } else if (NameIs(pstrName, L"rich")) {
        SetRich(on);
    } else if (NameIs(pstrName, L"IsAscii")) {
        SetAscii(on);
    } else if (NameIs(pstrName, L"multiline")) {
        if (CUIString(pstrValue).CompareNoCase(L"false") == 0)
            m_lTwhStyle &= ~static_cast<LONG>(ES_MULTILINE);
    } else if (NameIs(pstrName, L"readonly")) {
        if (on) {
            m_lTwhStyle |= ES_READONLY;
            m_bReadOnly = true;
        }
    } else if (NameIs(pstrName, L"password")) {
        if (on)
            m_lTwhStyle |= ES_PASSWORD;
    } else if (NameIs(pstrName, L"align")) {
        if (Contains(pstrValue, L"left"))
            m_lTwhStyle &= ~static_cast<LONG>(ES_CENTER | ES_RIGHT);
        if (Contains(pstrValue, L"center")) {
            m_lTwhStyle &= ~static_cast<LONG>(ES_RIGHT);
            m_lTwhStyle |= ES_CENTER;
        }
        if (Contains(pstrValue, L"right")) {
            m_lTwhStyle &= ~static_cast<LONG>(ES_CENTER);
            m_lTwhStyle |= ES_RIGHT;
        }
    } else if (NameIs(pstrName, L"font")) {
        SetFont(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"textcolor")) {
        while (*pstrValue > L'\0' && *pstrValue <= L' ')
            ++pstrValue;
        if (*pstrValue == L'#')
            ++pstrValue;
        SetTextColor(static_cast<DWORD>(std::wcstoul(pstrValue, nullptr, 16)));
    } else if (NameIs(pstrName, L"maxchar")) {
        SetLimitText(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (NameIs(pstrName, L"hotimage")) {
        SetHotImage(pstrValue);
    } else if (NameIs(pstrName, L"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (NameIs(pstrName, L"disabledimage")) {
        SetDisabledImage(pstrValue);
    } else if (NameIs(pstrName, L"textpadding")) {
        SetTextPadding(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"tipvalue")) {
        SetTipValue(pstrValue);
    } else if (NameIs(pstrName, L"tipvaluecolor")) {
        SetTipValueColor(pstrValue);
    } else if (NameIs(pstrName, L"tipvaluealign")) {
        if (Contains(pstrValue, L"left"))
            m_uTipValueAlign = DT_SINGLELINE | DT_LEFT;
        if (Contains(pstrValue, L"center"))
            m_uTipValueAlign = DT_SINGLELINE | DT_CENTER;
        if (Contains(pstrValue, L"right"))
            m_uTipValueAlign = DT_SINGLELINE | DT_RIGHT;
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

}  // namespace SkinUI
