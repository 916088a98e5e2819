#pragma once
// Our windowless text services: one TextDocument edited by the host's messages, laid out with
// Pango paragraph by paragraph (only a changed paragraph is laid out again), drawn into the host's
// DC, with the caret, scroll bars, timers and capture asked of the host. Undo keeps whole edits;
// typed characters at one place join one undo step.
//
// Rules: used on the host's thread only; the host is not owned (it owns us), and every call back
// into it happens inside a call it made. Pango is used under the process's text lock.

#include "platform/richedit/TextDocument.h"

#include <cairo.h>

namespace platform::richedit {

class TextServices final : public ITextServices {
public:
    explicit TextServices(ITextHost* host);
    ~TextServices();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) override;
    HRESULT TxDraw(DWORD, LONG, void*, void*, HDC hdcDraw, HDC, LPCRECT lprcBounds, LPCRECT, LPRECT lprcUpdate, void*,
                   DWORD, LONG) override;
    HRESULT TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) override;
    HRESULT TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) override;
    HRESULT OnTxSetCursor(DWORD, LONG, void*, void*, HDC, HDC, LPCRECT lprcClient, INT x, INT y) override;
    HRESULT OnTxInPlaceActivate(LPCRECT prcClient) override;
    HRESULT OnTxInPlaceDeactivate() override;
    HRESULT TxGetText(std::wstring* text) override;
    HRESULT TxSetText(LPCWSTR pszText) override;
    HRESULT TxGetNaturalSize(DWORD, HDC, HDC, void*, DWORD dwMode, const SIZEL*, LONG* pwidth, LONG* pheight) override;
    HRESULT TxGetDropTarget(void** ppDropTarget) override;
    HRESULT OnTxPropertyBitsChange(DWORD dwMask, DWORD dwBits) override;

private:
    struct UndoStep {
        int at = 0;
        Piece removed;
        Piece inserted;
        bool typing = false;
    };
    enum class Origin { User, Program };

    // ---- host properties ----
    void ReadHost();
    void ReadDefaultFormats();
    bool Has(DWORD bit) const { return (m_bits & bit) != 0; }
    bool MultiLine() const { return Has(TXTBIT_MULTILINE); }
    bool Wraps() const { return MultiLine() && Has(TXTBIT_WORDWRAP); }
    int Dpi() const;  // of the host's DC

    // ---- editing ----
    int SelMin() const { return std::min(m_anchor, m_caret); }
    int SelMax() const { return std::max(m_anchor, m_caret); }
    // Replaces the selection; false when refused (read-only for the user, nothing to do, full).
    bool ReplaceSelection(std::wstring_view text, Origin origin, bool canUndo, bool typing = false);
    void Apply(int from, int to, const Piece& insert, bool canUndo, bool typing);
    void Changed();
    void Select(int anchor, int caret, bool keepGoal = false);
    bool Undo();
    bool Redo();
    void PushUndo(UndoStep step);

    // ---- messages ----
    bool OnKeyDown(WPARAM key);
    bool OnChar(wchar_t c);
    void MakeRoomToType();
    void OnMouse(UINT msg, WPARAM wparam, LPARAM lparam);
    void OnScroll(bool vertical, WPARAM wparam);
    LRESULT GetTextEx(const GETTEXTEX* request, LPWSTR buffer) const;
    LRESULT GetLine(int line, LPWSTR buffer) const;
    LRESULT CharFormatMessage(UINT msg, WPARAM wparam, CHARFORMAT2W* format);
    LRESULT ParaFormatMessage(UINT msg, PARAFORMAT2* format);
    LRESULT Stream(bool in, WPARAM format, EDITSTREAM* stream);
    bool Copy() const;
    bool Paste();
    int MoveWord(int from, bool forward) const;
    void SelectWordAt(int cp);

    // ---- layout ----
    Paragraph& Laid(int index);
    int ContentHeight();
    int ContentWidth();
    int ParagraphTop(int index);
    int XOffset(int index);
    int LineHeight();
    CairoPtr<PangoFontDescription> Describe(const CharFormat& format) const;
    int HitTest(POINT client);
    // The caret's rectangle in content coordinates (before scrolling).
    RECT CaretBox(int cp);
    int DisplayLineCount();
    int DisplayLineStart(int line);
    int DisplayLineOf(int cp);
    void ScrollToCaret();
    void SetScroll(int x, int y);
    void UpdateScrollBars();
    void PlaceCaret();
    void Invalidate();
    int ClientWidth() const { return std::max<LONG>(0, m_client.right - m_client.left); }
    int ClientHeight() const { return std::max<LONG>(0, m_client.bottom - m_client.top); }

    // ---- drawing ----
    void DrawParagraph(cairo_t* cr, int index, int x, int y, bool showSelection);

    ULONG m_refs = 1;
    ITextHost* m_host;
    TextDocument m_doc;
    int m_anchor = 0, m_caret = 0;
    int m_goalX = -1;
    DWORD m_bits = 0;
    DWORD m_scrollBars = 0;
    DWORD m_maxLength = 32767;
    DWORD m_eventMask = 0;
    WORD m_defaultAlign = PFA_LEFT;
    WCHAR m_password = 0;
    bool m_opaque = false;
    bool m_modified = false;
    bool m_autoUrl = false;
    bool m_selectionHidden = false;  // EM_HIDESELECTION
    bool m_focused = false;
    bool m_inPlace = false;
    bool m_dragging = false;
    int m_zoomNum = 0, m_zoomDen = 0;
    int m_dpi = 96;
    int m_caretHeight = 0;
    RECT m_client {};
    int m_layoutWidth = -1;
    int m_scrollX = 0, m_scrollY = 0;
    bool m_vbarMade = false, m_hbarMade = false;
    int m_reportedHeight = -1, m_reportedWidth = -1, m_reportedClientH = -1, m_reportedClientW = -1;
    std::vector<UndoStep> m_undo, m_redo;
    size_t m_undoLimit = 100;
    bool m_undoOpen = false;  // the last undo step may take more typing
};

}  // namespace platform::richedit
