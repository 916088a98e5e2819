#pragma once
// CRichEditUI: the framework's text-entry control, windowless: it owns a text host over our text
// services, feeds them the window's messages as a message filter of its paint manager, draws
// them into the paint DC, maps their scroll bars onto its own, and turns their notifications
// into "textchanged" and "return". A right click shows a fixed edit menu; a grey tip text shows
// while it is empty and unfocused.
//
// Rules: UI thread only. The host is made by the first DoInit with the style attributes given so
// far (later style attributes change nothing) and released by the destructor; without text
// services every text operation does nothing and returns its empty result. Range reads are
// bounded: an end of -1 means the text's end, and an empty range gives an empty string. An
// ASCII-only control turns the input method off for its window only while it has the focus.

#include "platform/RichEdit.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

class CTxtWinHost;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    bool IsMultiLine() const;
    void SetMultiLine(bool bMultiLine);
    bool IsWantTab() const override { return m_bWantTab; }
    void SetWantTab(bool bWantTab = true) { m_bWantTab = bWantTab; }
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool bWantReturn = true) { m_bWantReturn = bWantReturn; }
    bool IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
    void SetWantCtrlReturn(bool bWantCtrlReturn = true) { m_bWantCtrlReturn = bWantCtrlReturn; }
    bool IsRich() const { return m_bRich; }
    void SetRich(bool bRich = true);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool bReadOnly = true);
    bool GetWordWrap() const { return m_bWordWrap; }
    void SetWordWrap(bool bWordWrap = true);
    bool IsAscii() const { return m_bAscii; }
    void SetAscii(bool bAscii = true) { m_bAscii = bAscii; }
    bool IsAccumulateDBCMode() const { return m_fAccumulateDBC; }
    void SetAccumulateDBCMode(bool bDBCMode) { m_fAccumulateDBC = bDBCMode; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    void SetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    DWORD GetWinStyle() const;
    void SetWinStyle(DWORD dwStyle);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetCaretColor() const override { return m_dwTextColor; }
    int GetLimitText() const { return m_iLimitText; }
    void SetLimitText(int iChars);
    RECT GetTextPadding() const;
    void SetTextPadding(RECT rc);
    const CUIString& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const wchar_t* pStrTipValue) { m_sTipValue = pStrTipValue; }
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(const wchar_t* pStrColor);
    UINT GetTipValueAlign() const { return m_uTipValueAlign; }
    void SetTipValueAlign(UINT uAlign);
    const CUIString& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* pStrImage);
    const CUIString& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* pStrImage);
    const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* pStrImage);
    const CUIString& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* pStrImage);

    // Text
    CUIString GetText() const override;
    void SetText(const wchar_t* pstrText) override;
    long GetTextLength(DWORD dwFlags = GTL_DEFAULT) const;
    bool GetModify() const;
    void SetModify(bool bModified = true) const;
    void GetSel(CHARRANGE& cr) const;
    void GetSel(long& nStartChar, long& nEndChar) const;
    int SetSel(CHARRANGE& cr);
    int SetSel(long nStartChar, long nEndChar);
    void ReplaceSel(const wchar_t* lpszNewText, bool bCanUndo);
    void ReplaceSelW(const wchar_t* lpszNewText, bool bCanUndo = false);
    CUIString GetSelText() const;
    int SetSelAll();
    int SetSelNone();
    WORD GetSelectionType() const;
    bool GetZoom(int& nNum, int& nDen) const;
    bool SetZoom(int nNum, int nDen);
    bool SetZoomOff();
    bool GetAutoURLDetect() const;
    bool SetAutoURLDetect(bool bAutoDetect = true);
    DWORD GetEventMask() const;
    DWORD SetEventMask(DWORD dwEventMask);
    CUIString GetTextRange(long nStartChar, long nEndChar) const;
    void HideSelection(bool bHide = true, bool bChangeStyle = false);
    void ScrollCaret();
    int InsertText(long nInsertAfterChar, const wchar_t* lpstrText, bool bCanUndo = false);
    int AppendText(const wchar_t* lpstrText, bool bCanUndo = false);
    DWORD GetDefaultCharFormat(CHARFORMAT2W& cf) const;
    bool SetDefaultCharFormat(CHARFORMAT2W& cf);
    DWORD GetSelectionCharFormat(CHARFORMAT2W& cf) const;
    bool SetSelectionCharFormat(CHARFORMAT2W& cf);
    bool SetWordCharFormat(CHARFORMAT2W& cf);
    DWORD GetParaFormat(PARAFORMAT2& pf) const;
    bool SetParaFormat(PARAFORMAT2& pf);
    bool CanUndo();
    bool CanRedo();
    bool CanPaste();
    bool Redo();
    bool Undo();
    void Clear();
    void Copy();
    void Cut();
    void Paste();
    int GetLineCount() const;
    CUIString GetLine(int nIndex, int nMaxLength) const;
    int LineIndex(int nLine = -1) const;
    int LineLength(int nLine = -1) const;
    bool LineScroll(int nLines, int nChars = 0);
    CUIPoint GetCharPos(long lChar) const;
    long LineFromChar(long nIndex) const;
    CUIPoint PosFromChar(UINT nChar) const;
    int CharFromPos(CUIPoint pt) const;
    void EmptyUndoBuffer();
    UINT SetUndoLimit(UINT nLimit);
    long StreamIn(int nFormat, EDITSTREAM& es);
    long StreamOut(int nFormat, EDITSTREAM& es);
    bool SetDropAcceptFile(bool bAccept);
    void* GetTxDropTarget();

    // Container
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    SIZE EstimateSize(SIZE szAvailable) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetEnabled(bool bEnabled = true) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void OnDPIChanged() override;

    virtual HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) const;
    virtual bool OnTxViewChanged(bool bUpdate);
    virtual void OnTxNotify(DWORD iNotify, void* pv);

    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    // Natural text height for the width, as the text services measure it.
    LONG NaturalHeight(LONG width) const;
    void ShowEditMenu(POINT screen);
    void DoMenuCommand(WPARAM id);
    void SendToText(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) const;

    CTxtWinHost* m_pTwh { nullptr };
    bool m_bVScrollBarFixing { false };
    bool m_bWantTab { true };
    bool m_bWantReturn { true };
    bool m_bWantCtrlReturn { true };
    bool m_bRich { true };
    bool m_bAscii { false };
    bool m_bReadOnly { false };
    bool m_bWordWrap { false };
    DWORD m_dwTextColor { 0 };
    int m_iFont { -1 };
    int m_iLimitText { 32767 };
    LONG m_lTwhStyle { ES_MULTILINE };
    bool m_bInited { false };
    bool m_fAccumulateDBC { false };
    UINT m_uButtonState { 0 };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    RECT m_rcTextPadding {};
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor { 0xFFBAC0C5 };
    UINT m_uTipValueAlign { DT_SINGLELINE };
    HIMC m_hTakenInputContext { nullptr };  // the window's context while this ASCII control has the focus
    bool m_bInputContextTaken { false };
};

}  // namespace SkinUI
