// The system "Edit" class, single-line: typing, caret and selection by keys and mouse, clipboard,
// one level of undo, a length limit, read-only, password and digits-only modes, alignment and
// horizontal scrolling. It tells its parent (the owner, for a popup) EN_CHANGE / EN_UPDATE /
// EN_SETFOCUS / EN_KILLFOCUS through WM_COMMAND and asks it for colours with WM_CTLCOLOREDIT,
// and paints itself on WM_PRINT too, so a layered host can copy it into its own picture.

#include "platform/WinGdi.h"
#include "platform/window/PaintedClass.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int kMaxLimit = 0x7FFFFFFE;

struct EditState {
    std::wstring text;
    int anchor = 0, caret = 0;  // the selection runs between them
    int limit = 30000;
    wchar_t password = L'*';
    bool modified = false;
    std::wstring undoText;
    int undoCaret = 0;
    bool canUndo = false;
    int leftMargin = 1, rightMargin = 1;
    int scroll = 0;  // pixels of text scrolled out on the left
    HFONT font = nullptr;
    bool focused = false;
    bool dragging = false;
};

EditState* StateOf(HWND hwnd) { return reinterpret_cast<EditState*>(GetWindowLongPtr(hwnd, 0)); }
DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)); }

void Notify(HWND hwnd, WORD code)
{
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetWindowLongPtr(hwnd, GWLP_ID)), code),
                    reinterpret_cast<LPARAM>(hwnd));
}

std::wstring Shown(HWND hwnd, const EditState& edit)
{
    return (StyleOf(hwnd) & ES_PASSWORD) ? std::wstring(edit.text.size(), edit.password) : edit.text;
}

// Pixel offsets of every caret position in the shown text, measured with the control's font.
std::vector<int> Offsets(HWND hwnd, const EditState& edit)
{
    const std::wstring shown = Shown(hwnd, edit);
    std::vector<int> x(shown.size() + 1, 0);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, edit.font ? edit.font : GetStockObject(DEFAULT_GUI_FONT));
    for (size_t i = 1; i <= shown.size(); ++i) {
        SIZE size {};
        GetTextExtentPoint32(dc, shown.c_str(), static_cast<int>(i), &size);
        x[i] = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return x;
}

int TextHeight(HWND hwnd, const EditState& edit)
{
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, edit.font ? edit.font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics {};
    GetTextMetrics(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight > 0 ? metrics.tmHeight : 16;
}

// Where the text starts in the client area, by alignment, before scrolling.
int TextOrigin(HWND hwnd, const EditState& edit, int textWidth)
{
    RECT client;
    GetClientRect(hwnd, &client);
    const int room = client.right - edit.leftMargin - edit.rightMargin;
    const DWORD style = StyleOf(hwnd);
    if (textWidth >= room || !(style & (ES_CENTER | ES_RIGHT)))
        return edit.leftMargin;
    return edit.leftMargin + ((style & ES_CENTER) ? (room - textWidth) / 2 : room - textWidth);
}

// Scrolls so the caret is in view and moves the system caret there.
void PlaceCaret(HWND hwnd, EditState& edit)
{
    const std::vector<int> x = Offsets(hwnd, edit);
    RECT client;
    GetClientRect(hwnd, &client);
    const int room = std::max(1, static_cast<int>(client.right) - edit.leftMargin - edit.rightMargin);
    const int at = x[static_cast<size_t>(edit.caret)];
    if (at - edit.scroll > room)
        edit.scroll = at - room;
    if (at < edit.scroll)
        edit.scroll = at;
    edit.scroll = std::max(0, std::min(edit.scroll, std::max(0, x.back() - room)));
    if (edit.focused) {
        const int height = TextHeight(hwnd, edit);
        SetCaretPos(TextOrigin(hwnd, edit, x.back()) + at - edit.scroll, std::max(0, (static_cast<int>(client.bottom) - height) / 2));
    }
}

void Changed(HWND hwnd, EditState& edit)
{
    edit.modified = true;
    PlaceCaret(hwnd, edit);
    Notify(hwnd, EN_UPDATE);
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, EN_CHANGE);
}

void Select(HWND hwnd, EditState& edit, int anchor, int caret)
{
    const int length = static_cast<int>(edit.text.size());
    edit.anchor = std::clamp(anchor, 0, length);
    edit.caret = std::clamp(caret, 0, length);
    PlaceCaret(hwnd, edit);
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Replaces the selection with `insert` (cut to the limit); false when nothing changed.
bool ReplaceSelection(HWND hwnd, EditState& edit, std::wstring insert, bool keepUndo)
{
    const int from = std::min(edit.anchor, edit.caret), to = std::max(edit.anchor, edit.caret);
    const size_t room = static_cast<size_t>(std::max(0, edit.limit - (static_cast<int>(edit.text.size()) - (to - from))));
    if (insert.size() > room)
        insert.resize(room);
    if (insert.empty() && from == to)
        return false;
    if (keepUndo) {
        edit.undoText = edit.text;
        edit.undoCaret = edit.caret;
        edit.canUndo = true;
    }
    edit.text.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), insert);
    edit.anchor = edit.caret = from + static_cast<int>(insert.size());
    Changed(hwnd, edit);
    return true;
}

std::wstring SelectedText(const EditState& edit)
{
    const int from = std::min(edit.anchor, edit.caret), to = std::max(edit.anchor, edit.caret);
    return edit.text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

void Copy(HWND hwnd, const EditState& edit)
{
    const std::wstring text = SelectedText(edit);
    if (text.empty() || (StyleOf(hwnd) & ES_PASSWORD) || !OpenClipboard(hwnd))
        return;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, const_cast<wchar_t*>(text.c_str()));
    CloseClipboard();
}

void Paste(HWND hwnd, EditState& edit)
{
    if ((StyleOf(hwnd) & ES_READONLY) || !OpenClipboard(hwnd))
        return;
    std::wstring text;
    if (const auto* data = static_cast<const wchar_t*>(GetClipboardData(CF_UNICODETEXT)))
        text = data;
    CloseClipboard();
    // One line: the text up to the first line break.
    text = text.substr(0, text.find_first_of(L"\r\n"));
    ReplaceSelection(hwnd, edit, text, true);
}

int WordEdge(const std::wstring& text, int from, int step)
{
    int i = from;
    const int length = static_cast<int>(text.size());
    auto blank = [&](int k) { return std::iswspace(static_cast<wint_t>(text[static_cast<size_t>(k)])) != 0; };
    if (step < 0) {
        while (i > 0 && blank(i - 1))
            --i;
        while (i > 0 && !blank(i - 1))
            --i;
    } else {
        while (i < length && !blank(i))
            ++i;
        while (i < length && blank(i))
            ++i;
    }
    return i;
}

int PositionAt(HWND hwnd, const EditState& edit, int clientX)
{
    const std::vector<int> x = Offsets(hwnd, edit);
    const int local = clientX - TextOrigin(hwnd, edit, x.back()) + edit.scroll;
    for (size_t i = 1; i < x.size(); ++i)
        if (local < (x[i - 1] + x[i]) / 2)
            return static_cast<int>(i - 1);
    return static_cast<int>(x.size() - 1);
}

void OnKey(HWND hwnd, EditState& edit, WPARAM key)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    const int length = static_cast<int>(edit.text.size());
    int caret = edit.caret;
    switch (key) {
    case VK_LEFT: caret = ctrl ? WordEdge(edit.text, caret, -1) : caret - 1; break;
    case VK_RIGHT: caret = ctrl ? WordEdge(edit.text, caret, 1) : caret + 1; break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = length; break;
    case VK_DELETE:
        if (StyleOf(hwnd) & ES_READONLY)
            return;
        if (edit.anchor == edit.caret) {
            if (edit.caret >= length)
                return;
            edit.anchor = edit.caret + 1;
        }
        ReplaceSelection(hwnd, edit, L"", true);
        return;
    default:
        return;
    }
    // Without Shift an arrow first collapses a selection to its side.
    if (!shift && edit.anchor != edit.caret && (key == VK_LEFT || key == VK_RIGHT) && !ctrl)
        caret = key == VK_LEFT ? std::min(edit.anchor, edit.caret) : std::max(edit.anchor, edit.caret);
    Select(hwnd, edit, shift ? edit.anchor : caret, caret);
}

void OnChar(HWND hwnd, EditState& edit, wchar_t c)
{
    const DWORD style = StyleOf(hwnd);
    switch (c) {
    case 0x01:  // Ctrl+A
        Select(hwnd, edit, 0, static_cast<int>(edit.text.size()));
        return;
    case 0x03:  // Ctrl+C
        Copy(hwnd, edit);
        return;
    case 0x16:  // Ctrl+V
        Paste(hwnd, edit);
        return;
    case 0x18:  // Ctrl+X
        if (!(style & ES_READONLY) && !(style & ES_PASSWORD)) {
            Copy(hwnd, edit);
            ReplaceSelection(hwnd, edit, L"", true);
        }
        return;
    case 0x1A:  // Ctrl+Z
        SendMessage(hwnd, EM_UNDO, 0, 0);
        return;
    default:
        break;
    }
    if (style & ES_READONLY)
        return;
    if (c == L'\b') {
        if (edit.anchor == edit.caret && edit.caret > 0)
            edit.anchor = edit.caret - 1;
        ReplaceSelection(hwnd, edit, L"", true);
        return;
    }
    if (c < 0x20 || c == 0x7F)
        return;
    if ((style & ES_NUMBER) && !(c >= L'0' && c <= L'9')) {
        MessageBeep(0);
        return;
    }
    ReplaceSelection(hwnd, edit, std::wstring(1, c), true);
}

void Paint(HWND hwnd, EditState& edit, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HGDIOBJ oldFont = SelectObject(dc, edit.font ? edit.font : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, IsWindowEnabled(hwnd) ? RGB(0, 0, 0) : RGB(109, 109, 109));
    SetBkColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, OPAQUE);
    // The parent may choose colours and the background brush.
    HWND parent = GetParent(hwnd);
    auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessage(parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                                reinterpret_cast<LPARAM>(hwnd)))
                        : nullptr;
    HBRUSH white = brush ? nullptr : CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &client, brush ? brush : white);
    if (white)
        DeleteObject(white);
    const std::wstring shown = Shown(hwnd, edit);
    const std::vector<int> x = Offsets(hwnd, edit);
    const int origin = TextOrigin(hwnd, edit, x.back()) - edit.scroll;
    const int height = TextHeight(hwnd, edit);
    const int top = std::max(0, (static_cast<int>(client.bottom) - height) / 2);
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, origin, top, shown.c_str(), static_cast<int>(shown.size()));
    const int from = std::min(edit.anchor, edit.caret), to = std::max(edit.anchor, edit.caret);
    if (edit.focused && from != to) {
        RECT band { origin + x[static_cast<size_t>(from)], top, origin + x[static_cast<size_t>(to)], top + height };
        HBRUSH highlight = CreateSolidBrush(RGB(0, 120, 215));
        FillRect(dc, &band, highlight);
        DeleteObject(highlight);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOut(dc, band.left, top, shown.c_str() + from, to - from);
    }
    SelectObject(dc, oldFont);
}

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    EditState* edit = StateOf(hwnd);
    if (msg == WM_NCCREATE) {
        auto* state = new EditState();
        SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName)
            state->text = cs->lpszName;
        return TRUE;
    }
    if (!edit)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtr(hwnd, 0, 0);
        delete edit;
        return 0;
    case WM_SETTEXT:
        edit->text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        edit->anchor = edit->caret = 0;
        edit->scroll = 0;
        edit->canUndo = false;
        Changed(hwnd, *edit);
        edit->modified = false;
        return TRUE;
    case WM_GETTEXT: {
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!out || wParam == 0)
            return 0;
        const size_t n = std::min<size_t>(wParam - 1, edit->text.size());
        std::copy_n(edit->text.c_str(), n, out);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(edit->text.size());
    case WM_SETFONT:
        edit->font = reinterpret_cast<HFONT>(wParam);
        PlaceCaret(hwnd, *edit);
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(edit->font);
    case EM_GETSEL: {
        const DWORD from = static_cast<DWORD>(std::min(edit->anchor, edit->caret));
        const DWORD to = static_cast<DWORD>(std::max(edit->anchor, edit->caret));
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = from;
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = to;
        return MAKELONG(static_cast<WORD>(from), static_cast<WORD>(to));
    }
    case EM_SETSEL: {
        const int length = static_cast<int>(edit->text.size());
        int from = static_cast<int>(static_cast<intptr_t>(wParam)), to = static_cast<int>(lParam);
        if (from < 0) {  // -1: no selection, the caret stays
            Select(hwnd, *edit, edit->caret, edit->caret);
            return 0;
        }
        if (to < 0 || to > length)
            to = length;
        Select(hwnd, *edit, from, to);
        return 0;
    }
    case EM_REPLACESEL:
        if (lParam)
            ReplaceSelection(hwnd, *edit, reinterpret_cast<const wchar_t*>(lParam), wParam != 0);
        return 0;
    case EM_LIMITTEXT:
        edit->limit = wParam ? static_cast<int>(std::min<WPARAM>(wParam, kMaxLimit)) : kMaxLimit;
        return 0;
    case EM_SETREADONLY:
        SetWindowLongPtr(hwnd, GWL_STYLE, wParam ? (StyleOf(hwnd) | ES_READONLY) : (StyleOf(hwnd) & ~ES_READONLY));
        return TRUE;
    case EM_SETPASSWORDCHAR:
        edit->password = wParam ? static_cast<wchar_t>(wParam) : L'*';
        SetWindowLongPtr(hwnd, GWL_STYLE, wParam ? (StyleOf(hwnd) | ES_PASSWORD) : (StyleOf(hwnd) & ~ES_PASSWORD));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case EM_SETMODIFY:
        edit->modified = wParam != 0;
        return 0;
    case EM_GETMODIFY:
        return edit->modified;
    case EM_SETMARGINS:
        if (wParam & EC_LEFTMARGIN)
            edit->leftMargin = LOWORD(static_cast<uintptr_t>(lParam));
        if (wParam & EC_RIGHTMARGIN)
            edit->rightMargin = HIWORD(static_cast<uintptr_t>(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case EM_CANUNDO:
        return edit->canUndo;
    case EM_UNDO:
    case WM_UNDO: {
        if (!edit->canUndo)
            return FALSE;
        // One level, and undoing again redoes.
        std::swap(edit->text, edit->undoText);
        const int caret = edit->undoCaret;
        edit->undoCaret = edit->caret;
        edit->anchor = edit->caret = std::min(caret, static_cast<int>(edit->text.size()));
        Changed(hwnd, *edit);
        return TRUE;
    }
    case WM_COPY:
        Copy(hwnd, *edit);
        return 0;
    case WM_CUT:
        OnChar(hwnd, *edit, 0x18);
        return 0;
    case WM_PASTE:
        Paste(hwnd, *edit);
        return 0;
    case WM_CLEAR:
        if (!(StyleOf(hwnd) & ES_READONLY))
            ReplaceSelection(hwnd, *edit, L"", true);
        return 0;
    case WM_CHAR:
        OnChar(hwnd, *edit, static_cast<wchar_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKey(hwnd, *edit, wParam);
        return 0;
    case WM_GETDLGCODE:
        return 0x0001 | 0x0080;  // DLGC_WANTARROWS | DLGC_WANTCHARS
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        const int at = PositionAt(hwnd, *edit, GET_X_LPARAM(lParam));
        Select(hwnd, *edit, (wParam & MK_SHIFT) ? edit->anchor : at, at);
        edit->dragging = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (edit->dragging)
            Select(hwnd, *edit, edit->anchor, PositionAt(hwnd, *edit, GET_X_LPARAM(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (edit->dragging) {
            edit->dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        const int at = PositionAt(hwnd, *edit, GET_X_LPARAM(lParam));
        Select(hwnd, *edit, WordEdge(edit->text, at, -1), WordEdge(edit->text, at, 1));
        return 0;
    }
    case WM_SETFOCUS:
        edit->focused = true;
        CreateCaret(hwnd, nullptr, 1, TextHeight(hwnd, *edit));
        PlaceCaret(hwnd, *edit);
        ShowCaret(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
        Notify(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        edit->focused = false;
        DestroyCaret();
        InvalidateRect(hwnd, nullptr, FALSE);
        Notify(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SIZE:
        PlaceCaret(hwnd, *edit);
        return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_ERASEBKGND:
        return platform::AnswerPaint(hwnd, msg, wParam, [&](HDC dc) { Paint(hwnd, *edit, dc); });
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

namespace platform {

void RegisterEditClass()
{
    RegisterPaintedClass(L"Edit", EditProc, CS_DBLCLKS | CS_PARENTDC, IDC_IBEAM);
}

}  // namespace platform
