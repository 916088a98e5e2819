// Our text services driven by a small host: key sequences, undo, wrapping, limits, password
// drawing, streaming and the notifications a host relies on.

#include "platform/RichEdit.h"

#include <gtest/gtest.h>

#include "platform/headless/HeadlessScreen.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace hl = platform::headless;

// A host with a memory DC and a fixed client rectangle; it records what the services tell it.
class TestHost final : public ITextHost {
public:
    explicit TestHost(RECT client, DWORD style = ES_MULTILINE) : client(client), style(style)
    {
        hl::Use();  // key state, clipboard and system colours come from the window system
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right + 10;
        info.bmiHeader.biHeight = -(client.bottom + 10);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        SelectObject(dc, bitmap);
        cf.cbSize = sizeof(cf);
        cf.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
        cf.yHeight = 180;
        wcscpy(cf.szFaceName, L"DejaVu Sans");
        pf.cbSize = sizeof(pf);
        pf.dwMask = PFM_ALIGNMENT;
        pf.wAlignment = PFA_LEFT;
    }
    ~TestHost()
    {
        if (services)
            services->Release();
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    ITextServices* Make()
    {
        IUnknown* made = nullptr;
        EXPECT_EQ(CreateTextServices(nullptr, this, &made), S_OK);
        void* asked = nullptr;
        EXPECT_EQ(made->QueryInterface(IID_ITextServices, &asked), S_OK);
        made->Release();
        services = static_cast<ITextServices*>(asked);
        services->OnTxInPlaceActivate(&client);
        services->TxSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE, nullptr);
        return services;
    }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0)
    {
        LRESULT result = 0;
        services->TxSendMessage(msg, w, l, &result);
        return result;
    }
    std::wstring Text()
    {
        std::wstring text;
        services->TxGetText(&text);
        return text;
    }
    CHARRANGE Sel()
    {
        CHARRANGE range {};
        Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    void Type(const std::wstring& text)
    {
        for (wchar_t c : text)
            Send(WM_CHAR, static_cast<WPARAM>(c));
    }
    void Key(int vk) { Send(WM_KEYDOWN, static_cast<WPARAM>(vk)); }
    void Changed(DWORD bits) { services->OnTxPropertyBitsChange(bits, bits); }

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HDC TxGetDC() override { return dc; }
    INT TxReleaseDC(HDC) override { return 1; }
    BOOL TxShowScrollBar(INT, BOOL) override { return TRUE; }
    BOOL TxEnableScrollBar(INT bar, INT) override
    {
        enabledBars |= 1 << bar;
        return TRUE;
    }
    BOOL TxSetScrollRange(INT bar, LONG, INT max, BOOL) override
    {
        (bar == SB_VERT ? vmax : hmax) = max;
        return TRUE;
    }
    BOOL TxSetScrollPos(INT bar, INT pos, BOOL) override
    {
        (bar == SB_VERT ? vpos : hpos) = pos;
        return TRUE;
    }
    void TxInvalidateRect(LPCRECT, BOOL) override { ++invalidations; }
    void TxViewChange(BOOL) override {}
    BOOL TxCreateCaret(HBITMAP, INT, INT h) override
    {
        caretHeight = h;
        return TRUE;
    }
    BOOL TxShowCaret(BOOL) override { return TRUE; }
    BOOL TxSetCaretPos(INT x, INT y) override
    {
        caret = { x, y };
        return TRUE;
    }
    BOOL TxSetTimer(UINT, UINT) override { return TRUE; }
    void TxKillTimer(UINT) override {}
    void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
    void TxSetCapture(BOOL on) override { captured = on; }
    void TxSetFocus() override {}
    void TxSetCursor(HCURSOR, BOOL) override {}
    BOOL TxScreenToClient(LPPOINT) override { return TRUE; }
    BOOL TxClientToScreen(LPPOINT) override { return TRUE; }
    HRESULT TxActivate(LONG*) override { return S_OK; }
    HRESULT TxDeactivate(LONG) override { return S_OK; }
    HRESULT TxGetClientRect(LPRECT prc) override
    {
        *prc = client;
        return S_OK;
    }
    HRESULT TxGetViewInset(LPRECT prc) override
    {
        *prc = {};
        return S_OK;
    }
    HRESULT TxGetCharFormat(const CHARFORMAT2W** p) override
    {
        *p = &cf;
        return S_OK;
    }
    HRESULT TxGetParaFormat(const PARAFORMAT2** p) override
    {
        *p = &pf;
        return S_OK;
    }
    COLORREF TxGetSysColor(int index) override { return GetSysColor(index); }
    HRESULT TxGetBackStyle(TXTBACKSTYLE* s) override
    {
        *s = TXTBACK_OPAQUE;
        return S_OK;
    }
    HRESULT TxGetMaxLength(DWORD* n) override
    {
        *n = maxLength;
        return S_OK;
    }
    HRESULT TxGetScrollBars(DWORD* bars) override
    {
        *bars = style & (WS_VSCROLL | WS_HSCROLL);
        return S_OK;
    }
    HRESULT TxGetPasswordChar(WCHAR* c) override
    {
        *c = 0;
        return S_OK;
    }
    HRESULT TxGetAcceleratorPos(LONG* p) override
    {
        *p = -1;
        return S_OK;
    }
    HRESULT TxGetExtent(SIZEL* e) override
    {
        *e = {};
        return S_OK;
    }
    HRESULT OnTxCharFormatChange(const CHARFORMAT2W*) override { return S_OK; }
    HRESULT OnTxParaFormatChange(const PARAFORMAT2*) override { return S_OK; }
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override
    {
        DWORD b = TXTBIT_HIDESELECTION;
        b |= (style & ES_MULTILINE) ? TXTBIT_MULTILINE : 0;
        b |= (style & ES_READONLY) ? TXTBIT_READONLY : 0;
        b |= (style & ES_PASSWORD) ? TXTBIT_USEPASSWORD : 0;
        b |= wrap ? TXTBIT_WORDWRAP : 0;
        *bits = b & mask;
        return S_OK;
    }
    HRESULT TxNotify(DWORD code, void*) override
    {
        notices.push_back(code);
        return S_OK;
    }
    HIMC TxImmGetContext() override { return nullptr; }
    void TxImmReleaseContext(HIMC) override {}
    HRESULT TxGetSelectionBarWidth(LONG* w) override
    {
        *w = 0;
        return S_OK;
    }

    RECT client;
    DWORD style;
    bool wrap = true;
    DWORD maxLength = 32767;
    CHARFORMAT2W cf {};
    PARAFORMAT2 pf {};
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    ITextServices* services = nullptr;
    std::vector<DWORD> notices;
    int invalidations = 0;
    int enabledBars = 0;
    int vmax = -1, hmax = -1, vpos = 0, hpos = 0;
    int caretHeight = 0;
    POINT caret {};
    bool captured = false;
};

// Modifier keys are read from the key state, which follows input to a focused window: one plain
// window takes that input for the whole program.
class ModifierKeys {
public:
    ModifierKeys()
    {
        hl::Use();
        WNDCLASSW wc {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"TextServicesKeys";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(0, L"TextServicesKeys", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetActiveWindow(m_hwnd);
        SetFocus(m_hwnd);
    }
    ~ModifierKeys() { DestroyWindow(m_hwnd); }
    void Hold(int vk, bool down)
    {
        down ? hl::KeyDown(vk) : hl::KeyUp(vk);
        hl::PumpMessages();
    }

private:
    HWND m_hwnd = nullptr;
};

int Count(const std::vector<DWORD>& notices, DWORD code)
{
    return static_cast<int>(std::count(notices.begin(), notices.end(), code));
}

}  // namespace

TEST(TextServices, AnswersOnlyItsInterfacesAndRefusesAggregation)
{
    TestHost host({ 0, 0, 200, 40 });
    IUnknown* made = nullptr;
    EXPECT_EQ(CreateTextServices(&host, &host, &made), E_INVALIDARG);
    EXPECT_EQ(made, nullptr);
    ITextServices* services = host.Make();
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(services->QueryInterface(IID_ITextHost, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST(TextServices, KeySequencesEditTextCaretAndSelection)
{
    const int ctrl = 0x1000, shift = 0x2000;  // modifier marks in the sequences below
    struct Case {
        const char* name;
        std::wstring start;
        std::vector<int> keys;  // characters are typed, VK_ codes with marks are pressed
        std::wstring text;
        CHARRANGE sel;
    };
    const Case cases[] = {
        { "type at the end", L"ab", { 'c' }, L"abc", { 3, 3 } },
        { "left then type", L"abc", { VK_LEFT | 0x10000, 'X' }, L"abXc", { 3, 3 } },
        { "home and end", L"abc", { VK_HOME | 0x10000, '1', VK_END | 0x10000, '2' }, L"1abc2", { 5, 5 } },
        { "backspace and delete", L"abcd", { VK_HOME | 0x10000, VK_DELETE | 0x10000, VK_END | 0x10000, VK_BACK | 0x10000 }, L"bc", { 2, 2 } },
        { "shift selects, typing replaces", L"hello", { VK_LEFT | shift, VK_LEFT | shift, 'P' }, L"helP", { 4, 4 } },
        { "ctrl+left by word", L"one two three", { VK_LEFT | ctrl, VK_LEFT | ctrl, '_' }, L"one _two three", { 5, 5 } },
        { "ctrl+right by word", L"one two", { VK_HOME | 0x10000, VK_RIGHT | ctrl, '|' }, L"one |two", { 5, 5 } },
        { "ctrl+backspace deletes a word", L"one two", { VK_BACK | ctrl }, L"one ", { 4, 4 } },
        { "ctrl+a selects all", L"abc", { 'A' | ctrl }, L"abc", { 0, 3 } },
        { "return breaks the paragraph", L"ab", { VK_LEFT | 0x10000, VK_RETURN | 0x10000 }, L"a\rb", { 2, 2 } },
        { "down keeps the column", L"abc\rdef", { 'A' | ctrl, VK_HOME | ctrl, VK_RIGHT | 0x10000, VK_DOWN | 0x10000, '*' }, L"abc\rd*ef", { 6, 6 } },
        { "carriage-return characters do not break", L"ab", { '\r', 0x01 }, L"ab", { 2, 2 } },
    };
    ModifierKeys keys;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestHost host({ 0, 0, 300, 200 });
        host.Make();
        host.Send(WM_SETFOCUS);
        host.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(c.start.c_str()));
        for (int key : c.keys) {
            if (key < 0x1000) {
                host.Type(std::wstring(1, static_cast<wchar_t>(key)));
                continue;
            }
            const bool withCtrl = key & ctrl, withShift = key & shift;
            if (withCtrl)
                keys.Hold(VK_CONTROL, true);
            if (withShift)
                keys.Hold(VK_SHIFT, true);
            host.Key(key & 0xFFF);
            if (withCtrl)
                keys.Hold(VK_CONTROL, false);
            if (withShift)
                keys.Hold(VK_SHIFT, false);
        }
        EXPECT_EQ(host.Text(), c.text);
        const CHARRANGE sel = host.Sel();
        EXPECT_EQ(sel.cpMin, c.sel.cpMin);
        EXPECT_EQ(sel.cpMax, c.sel.cpMax);
    }
}

TEST(TextServices, UndoJoinsTypingAndRedoRestoresIt)
{
    TestHost host({ 0, 0, 300, 60 });
    host.Make();
    host.Type(L"abc");
    host.Send(EM_SETSEL, 0, 1);
    host.Type(L"X");
    EXPECT_EQ(host.Text(), L"Xbc");
    EXPECT_EQ(host.Send(EM_CANUNDO), 1);
    EXPECT_EQ(host.Send(EM_UNDO), 1);
    EXPECT_EQ(host.Text(), L"abc");
    EXPECT_EQ(host.Send(EM_UNDO), 1);  // the three typed characters were one step
    EXPECT_EQ(host.Text(), L"");
    EXPECT_EQ(host.Send(EM_UNDO), 0);
    EXPECT_EQ(host.Send(EM_REDO), 1);
    EXPECT_EQ(host.Send(EM_REDO), 1);
    EXPECT_EQ(host.Text(), L"Xbc");
    EXPECT_EQ(host.Send(EM_CANREDO), 0);
    // A change that cannot be undone leaves nothing to undo into.
    host.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"!"));
    EXPECT_EQ(host.Send(EM_CANUNDO), 0);
}

TEST(TextServices, WordWrapGivesMoreLinesAtANarrowWidth)
{
    const std::wstring text = L"the quick brown fox jumps over the lazy dog again and again";
    int lines[2] = {};
    int heights[2] = {};
    const LONG widths[] = { 600, 120 };
    for (int i = 0; i < 2; ++i) {
        TestHost host({ 0, 0, widths[i], 300 });
        host.Make();
        host.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        lines[i] = static_cast<int>(host.Send(EM_GETLINECOUNT));
        LONG width = widths[i], height = 0;
        host.services->TxGetNaturalSize(DVASPECT_CONTENT, host.dc, nullptr, nullptr, TXTNS_FITTOCONTENT, nullptr, &width, &height);
        heights[i] = height;
        EXPECT_LE(width, widths[i]);
    }
    EXPECT_EQ(lines[0], 1);
    EXPECT_GT(lines[1], 3);
    EXPECT_EQ(heights[1], heights[0] * lines[1]);

    TestHost unwrapped({ 0, 0, 120, 300 });
    unwrapped.wrap = false;
    unwrapped.Make();
    unwrapped.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_EQ(unwrapped.Send(EM_GETLINECOUNT), 1);
}

TEST(TextServices, LimitReadOnlyAndSingleLineRefuseTheRightInput)
{
    TestHost limited({ 0, 0, 300, 60 });
    limited.maxLength = 5;
    limited.Make();
    limited.Type(L"abcdefg");
    EXPECT_EQ(limited.Text(), L"cdefg");  // typing rolls a full field on, never past the limit
    limited.Send(EM_SETSEL, 0, 2);
    limited.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"1234"));
    EXPECT_EQ(limited.Text(), L"12efg");  // a program's text gets only the room the selection made
    limited.Send(EM_SETSEL, 1, 1);
    limited.Type(L"x");
    EXPECT_EQ(limited.Text(), L"1xefg");  // inside a full field typing overwrites

    TestHost readOnly({ 0, 0, 300, 60 }, ES_MULTILINE | ES_READONLY);
    readOnly.Make();
    readOnly.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"log"));  // programs still write
    readOnly.notices.clear();
    readOnly.Type(L"x");
    readOnly.Key(VK_BACK);
    readOnly.Send(WM_CUT);
    EXPECT_EQ(readOnly.Text(), L"log");
    EXPECT_EQ(Count(readOnly.notices, EN_CHANGE), 0);

    TestHost single({ 0, 0, 300, 60 }, 0);
    single.Make();
    single.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"first\r\nsecond"));
    single.Key(VK_RETURN);
    EXPECT_EQ(single.Text(), L"first");
}

TEST(TextServices, ChangeNoticesFollowEveryChangeAndOnlyChanges)
{
    TestHost host({ 0, 0, 300, 60 });
    host.Make();
    host.Type(L"ab");
    EXPECT_EQ(Count(host.notices, EN_CHANGE), 2);
    host.Key(VK_LEFT);
    host.Send(EM_SETSEL, 0, -1);
    EXPECT_EQ(Count(host.notices, EN_CHANGE), 2);
    host.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"ab"));  // a program's replace, even to the same
    host.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
    EXPECT_EQ(Count(host.notices, EN_CHANGE), 4);
    host.Send(EM_SETEVENTMASK, 0, 0);
    host.Type(L"y");
    EXPECT_EQ(Count(host.notices, EN_CHANGE), 4);
}

TEST(TextServices, WideCharactersRoundTripOneCountEach)
{
    TestHost host({ 0, 0, 300, 60 });
    host.Make();
    const std::wstring text = L"剪切 😀 text";  // the emoji is one wchar_t
    host.Type(text);
    EXPECT_EQ(host.Text(), text);
    GETTEXTLENGTHEX length { GTL_DEFAULT, CP_UNICODE_TEXT };
    EXPECT_EQ(host.Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length)), static_cast<LRESULT>(text.size()));
    host.Key(VK_HOME);
    host.Key(VK_RIGHT);
    host.Key(VK_RIGHT);
    host.Key(VK_RIGHT);
    host.Key(VK_DELETE);  // the emoji, whole
    EXPECT_EQ(host.Text(), L"剪切  text");
    wchar_t range[16] = {};
    TEXTRANGEW request { { 0, -1 }, range };
    EXPECT_EQ(host.Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request)), 8);
    EXPECT_EQ(std::wstring(range), L"剪切  text");
}

TEST(TextServices, PasswordDrawsMasksAndKeepsTheText)
{
    auto inked = [](TestHost& host) {
        host.services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, host.dc, nullptr, &host.client, nullptr, nullptr,
                              nullptr, 0, 0);
        int dark = 0;
        for (int y = 0; y < host.client.bottom; ++y)
            for (int x = 0; x < host.client.right; ++x)
                dark += (host.bits[y * (host.client.right + 10) + x] & 0xFF) < 0x80;
        return dark;
    };
    TestHost plain({ 0, 0, 200, 30 });
    TestHost masked({ 0, 0, 200, 30 }, ES_MULTILINE | ES_PASSWORD);
    for (TestHost* host : { &plain, &masked }) {
        host->Make();
        host->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"iiiiii"));
    }
    EXPECT_EQ(masked.Text(), L"iiiiii");
    const int thin = inked(plain), bullets = inked(masked);
    EXPECT_GT(thin, 0);
    EXPECT_GT(bullets, thin * 2);  // six round bullets carry far more ink than six i's
    masked.Send(EM_SETSEL, 0, -1);
    EXPECT_EQ(masked.Send(WM_COPY), 0);
}

TEST(TextServices, ScrollRangeFollowsTheContentHeight)
{
    TestHost host({ 0, 0, 200, 50 }, ES_MULTILINE | WS_VSCROLL);
    host.Make();
    EXPECT_TRUE(host.enabledBars & (1 << SB_VERT));
    host.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"one"));
    const int line = host.vmax;
    EXPECT_GT(line, 0);
    host.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1\r2\r3\r4\r5\r6\r7\r8"));
    EXPECT_EQ(host.vmax, line * 8);
    host.Send(WM_SETFOCUS);
    host.Send(EM_SETSEL, -1, -1);
    EXPECT_EQ(host.vpos, line * 8 - 50);  // the caret at the end is in view
    host.Send(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(host.vpos, 0);
}

TEST(TextServices, StreamsPlainUnicodeAndRtf)
{
    struct Buffer {
        std::string bytes;
        size_t read = 0;
    };
    auto out = [](DWORD_PTR cookie, LPBYTE data, LONG count, LONG* done) -> DWORD {
        reinterpret_cast<Buffer*>(cookie)->bytes.append(reinterpret_cast<char*>(data), static_cast<size_t>(count));
        *done = count;
        return 0;
    };
    auto in = [](DWORD_PTR cookie, LPBYTE data, LONG count, LONG* done) -> DWORD {
        auto* b = reinterpret_cast<Buffer*>(cookie);
        const size_t n = std::min(static_cast<size_t>(count), b->bytes.size() - b->read);
        std::memcpy(data, b->bytes.data() + b->read, n);
        b->read += n;
        *done = static_cast<LONG>(n);
        return 0;
    };
    TestHost source({ 0, 0, 300, 100 });
    source.Make();
    source.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"plain 😀\rsecond {x}\\"));
    CHARFORMAT2W bold {};
    bold.cbSize = sizeof(bold);
    bold.dwMask = CFM_BOLD | CFM_COLOR;
    bold.dwEffects = CFE_BOLD;
    bold.crTextColor = RGB(200, 0, 0);
    source.Send(EM_SETSEL, 0, 5);
    source.Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&bold));
    PARAFORMAT2 centre {};
    centre.cbSize = sizeof(centre);
    centre.dwMask = PFM_ALIGNMENT;
    centre.wAlignment = PFA_CENTER;
    source.Send(EM_SETSEL, 10, 10);
    source.Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&centre));

    for (WPARAM format : { SF_TEXT, SF_TEXT | SF_UNICODE, SF_RTF }) {
        SCOPED_TRACE(testing::Message() << "format " << format);
        Buffer buffer;
        EDITSTREAM stream { reinterpret_cast<DWORD_PTR>(&buffer), 0, out };
        EXPECT_GT(source.Send(EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream)), 0);
        TestHost target({ 0, 0, 300, 100 });
        target.Make();
        EDITSTREAM back { reinterpret_cast<DWORD_PTR>(&buffer), 0, in };
        target.Send(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&back));
        EXPECT_EQ(target.Text(), source.Text());
        if (format != SF_RTF)
            continue;
        CHARFORMAT2W got {};
        got.cbSize = sizeof(got);
        target.Send(EM_SETSEL, 1, 2);
        target.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&got));
        EXPECT_TRUE(got.dwEffects & CFE_BOLD);
        EXPECT_EQ(got.crTextColor, RGB(200, 0, 0));
        target.Send(EM_SETSEL, 7, 7);
        target.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&got));
        EXPECT_FALSE(got.dwEffects & CFE_BOLD);
        PARAFORMAT2 para {};
        para.cbSize = sizeof(para);
        target.Send(EM_SETSEL, 10, 10);
        target.Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
        EXPECT_EQ(para.wAlignment, PFA_CENTER);
    }
}

TEST(TextServices, RtfReaderSkipsWhatItDoesNotKnow)
{
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Other;}{\\info{\\title T}}"
        "\\pard\\qr\\f0\\fs24 caf\\'e9 \\u20320?\\b bold\\b0\\par next{\\pict 0102}}";
    TestHost host({ 0, 0, 300, 100 });
    host.Make();
    std::string data = rtf;
    size_t read = 0;
    struct Cookie {
        std::string* data;
        size_t* read;
    } cookie { &data, &read };
    EDITSTREAM stream { reinterpret_cast<DWORD_PTR>(&cookie), 0, [](DWORD_PTR c, LPBYTE buf, LONG count, LONG* done) -> DWORD {
                           auto* k = reinterpret_cast<Cookie*>(c);
                           const size_t n = std::min(static_cast<size_t>(count), k->data->size() - *k->read);
                           std::memcpy(buf, k->data->data() + *k->read, n);
                           *k->read += n;
                           *done = static_cast<LONG>(n);
                           return 0;
                       } };
    EXPECT_EQ(host.Send(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream)), 15);
    EXPECT_EQ(host.Text(), L"café 你bold\rnext");
}
