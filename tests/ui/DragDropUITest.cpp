// Drag and drop: the drop target's effect rules, the data object's and enumerator's contracts,
// and drops injected on the headless display (files to a window that accepts them, pictures to
// the paint manager, malformed bitmaps refused).
#include "ui/core/DragDropUI.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RenderEngineTest.h"
#include "SkinTestSupport.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/PaintManagerUI.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

class CountingTarget : public CIDropTarget {
public:
    bool OnDrop(FORMATETC*, STGMEDIUM&, DWORD*) override
    {
        ++drops;
        return true;
    }
    int drops { 0 };
};

STGMEDIUM GlobalText(const char* text)
{
    STGMEDIUM medium {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(medium.hGlobal, text, std::strlen(text) + 1);
    return medium;
}

FORMATETC Format(CLIPFORMAT format, DWORD tymed, DWORD aspect = DVASPECT_CONTENT)
{
    return FORMATETC { format, nullptr, aspect, -1, tymed };
}

// Records what reaches the window; the paint manager registered on it takes the pictures.
struct DropLog {
    std::vector<std::wstring> files;
    std::vector<HBITMAP> images;
    int buttonUps { 0 };
};
DropLog* g_log = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_log != nullptr && msg == WM_DROPFILES) {
        auto drop = reinterpret_cast<HDROP>(wParam);
        const UINT count = ::DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring name(::DragQueryFile(drop, i, nullptr, 0), L'\0');
            ::DragQueryFile(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
            g_log->files.push_back(name);
        }
        ::DragFinish(drop);
        return 0;
    }
    if (g_log != nullptr && msg == STM_SETIMAGE)
        g_log->images.push_back(reinterpret_cast<HBITMAP>(lParam));  // not kept: 0 lets the sender free it
    if (g_log != nullptr && msg == WM_LBUTTONUP)
        ++g_log->buttonUps;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

class DropWindow {
public:
    DropWindow()
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = L"DropTestWindow";
        ::RegisterClassEx(&wc);
        m_hwnd = ::CreateWindowEx(0, L"DropTestWindow", L"drop", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    ~DropWindow() { ::DestroyWindow(m_hwnd); }
    DropWindow(const DropWindow&) = delete;
    DropWindow& operator=(const DropWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd { nullptr };
};

// A .bmp file of 32-bit pixels, or with its info header changed by `damage`.
std::vector<BYTE> Bmp32(int width, int height, void (*damage)(BITMAPINFOHEADER&) = nullptr, size_t cut = 0)
{
    BITMAPINFOHEADER header {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    if (damage != nullptr)
        damage(header);
    std::vector<BYTE> file(14 + sizeof header + static_cast<size_t>(width) * height * 4, 0x80);
    file[0] = 'B';
    file[1] = 'M';
    const DWORD offset = 14 + sizeof header;
    std::memcpy(file.data() + 10, &offset, 4);
    std::memcpy(file.data() + 14, &header, sizeof header);
    file.resize(file.size() - cut);
    return file;
}

class DropTest : public testing::Test {
protected:
    void SetUp() override
    {
        skintest::UseHeadless();
        g_log = &m_log;
    }
    void TearDown() override { g_log = nullptr; }
    DropLog m_log;
};

}  // namespace

TEST(DropTarget, EffectFollowsTheKeysAndWhatTheSourceOffers)
{
    struct Case { DWORD keys, offered, want; };
    const Case cases[] = {
        { 0, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY },
        { 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE },
        { 0, DROPEFFECT_LINK, DROPEFFECT_LINK },
        { MK_CONTROL, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY },
        { MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE },
        { MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_NONE },
        { MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK, DROPEFFECT_LINK },
        { MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE },
        { 0, DROPEFFECT_NONE, DROPEFFECT_NONE },
    };
    CountingTarget target;
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    target.AddSuportedFormat(text);
    auto* data = new CIDataObject(nullptr);
    data->AddRef();
    STGMEDIUM medium = GlobalText("hello");
    data->SetData(&text, &medium, TRUE);
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_FALSE(target.QueryDrop(0, &effect)) << "nothing entered yet";
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target.DragEnter(nullptr, 0, POINTL {}, &effect), E_INVALIDARG);
    ASSERT_EQ(target.DragEnter(data, 0, POINTL {}, &effect), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keys " << c.keys << " offered " << c.offered);
        effect = c.offered;
        EXPECT_EQ(target.QueryDrop(c.keys, &effect), c.want != DROPEFFECT_NONE);
        EXPECT_EQ(effect, c.want);
    }
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target.Drop(data, 0, POINTL {}, &effect), S_OK);
    EXPECT_EQ(target.drops, 1);
    EXPECT_EQ(effect, DROPEFFECT_NONE) << "the source always sees no effect";
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target.Drop(data, 0, POINTL {}, &effect), S_OK);
    EXPECT_EQ(target.drops, 1) << "a drop ends the accepted format";
    data->Release();
}

TEST(DataObject, AnswersQueriesCopiesAndOwnsWhatItIsGiven)
{
    auto* data = new CIDataObject(nullptr);
    data->AddRef();
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    FORMATETC asked = text;
    EXPECT_EQ(data->QueryGetData(&asked), DV_E_TYMED) << "nothing stored";
    EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);
    EXPECT_EQ(data->SetData(nullptr, nullptr, TRUE), E_INVALIDARG);

    STGMEDIUM owned = GlobalText("given");
    ASSERT_EQ(data->SetData(&text, &owned, TRUE), S_OK);  // the data object frees it
    STGMEDIUM lent = GlobalText("lent");
    FORMATETC unicode = Format(CF_UNICODETEXT, TYMED_HGLOBAL);
    ASSERT_EQ(data->SetData(&unicode, &lent, FALSE), S_OK);  // copied: ours to free
    ::GlobalFree(lent.hGlobal);

    struct Case { FORMATETC format; HRESULT want; };
    const Case cases[] = {
        { Format(CF_TEXT, TYMED_HGLOBAL), S_OK },
        { Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_THUMBNAIL), DV_E_DVASPECT },
        { Format(CF_TEXT, TYMED_GDI), DV_E_TYMED },
        { Format(CF_DIB, TYMED_HGLOBAL), DV_E_CLIPFORMAT },
    };
    for (Case c : cases)
        EXPECT_EQ(data->QueryGetData(&c.format), c.want) << c.format.cfFormat << "/" << c.format.tymed;

    STGMEDIUM out {};
    ASSERT_EQ(data->GetData(&unicode, &out), S_OK);
    EXPECT_STREQ(static_cast<const char*>(::GlobalLock(out.hGlobal)), "lent");
    ::ReleaseStgMedium(&out);
    FORMATETC missing = Format(CF_DIB, TYMED_HGLOBAL);
    EXPECT_EQ(data->GetData(&missing, &out), DV_E_FORMATETC);

    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &formats), E_NOTIMPL);
    EXPECT_EQ(formats, nullptr);
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
    FORMATETC got[3] {};
    ULONG fetched = 7;
    EXPECT_EQ(formats->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
    EXPECT_EQ(formats->Next(3, got, &fetched), S_FALSE) << "fewer left than asked";
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT);
    EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(2), S_FALSE) << "skipping exactly to the end";
    EXPECT_EQ(formats->Skip(1), S_OK);
    IEnumFORMATETC* clone = nullptr;
    ASSERT_EQ(formats->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT) << "the clone starts where its original stood";
    clone->Release();
    formats->Release();
    data->Release();  // frees both stored blocks (the leak checker watches)
}

TEST(DropSource, ContinuesUntilTheButtonsAreUp)
{
    auto* source = new CIDropSource();
    source->AddRef();
    EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_FALSE(source->IsDropped());
    EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_TRUE(source->IsDropped());
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    CDragSourceHelper helper;
    POINT pt {};
    EXPECT_EQ(helper.InitializeFromWindow(nullptr, pt, nullptr), E_FAIL) << "no drag images on this desktop";
    source->Release();
}

TEST_F(DropTest, FilesGoToAWindowThatAcceptsThemAsTheDropMessage)
{
    DropWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    ::DragAcceptFiles(window.hwnd(), TRUE);
    hl::DropFiles(150, 150, { L"/tmp/a clip.mp4", L"/tmp/\u89C6\u9891.mkv" });
    const std::vector<std::wstring> want = { L"/tmp/a clip.mp4", L"/tmp/\u89C6\u9891.mkv" };
    EXPECT_EQ(m_log.files, want);
    EXPECT_TRUE(m_log.images.empty()) << "the drop target never saw the files";

    ::DragAcceptFiles(window.hwnd(), FALSE);
    hl::DropFiles(150, 150, { L"/tmp/other.mp4" });
    EXPECT_EQ(m_log.files.size(), 2u) << "no drop message for a window that stopped accepting files";
}

TEST_F(DropTest, PicturesReachTheWindowThroughItsPaintManager)
{
    rendertest::ScratchDir dir;
    dir.Write("picture.bmp", Bmp32(4, 3));
    std::vector<uint32_t> pixels(4, rendertest::Rgba(1, 2, 3));
    dir.Write("picture.png", rendertest::EncodePng(2, 2, pixels));
    DropWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());

    hl::DropFiles(150, 150, { (dir.path() / "picture.bmp").wstring() });
    ASSERT_EQ(m_log.images.size(), 1u) << "a .bmp file gives a picture";
    EXPECT_EQ(m_log.buttonUps, 1) << "the press state of the window is ended first";
    hl::DropFiles(150, 150, { (dir.path() / "picture.png").wstring() });
    EXPECT_EQ(m_log.images.size(), 1u) << "a .png file gives none";
    hl::DropBmp(150, 150, Bmp32(5, 2));
    EXPECT_EQ(m_log.images.size(), 2u) << "a device-independent bitmap gives a picture";
}

TEST_F(DropTest, MalformedBitmapsAreRefusedWithoutReadingPastTheBlock)
{
    // Under AddressSanitizer: each block must be refused before a byte past it is read.
    DropWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    const std::vector<BYTE> whole = Bmp32(4, 4);
    const std::vector<std::vector<BYTE>> blocks = {
        std::vector<BYTE>(whole.begin(), whole.begin() + 14 + 20),                   // short header
        Bmp32(4, 4, [](BITMAPINFOHEADER& h) { h.biBitCount = 8; h.biClrUsed = 5000; }),  // colour count
        Bmp32(4, 4, nullptr, 8),                                                     // rows past the end
        Bmp32(4, 4, [](BITMAPINFOHEADER& h) { h.biHeight = -4000; }),                // height past the end
        Bmp32(4, 4, [](BITMAPINFOHEADER& h) { h.biCompression = 3; }, 64),           // masks, then too little
        Bmp32(4, 4, [](BITMAPINFOHEADER& h) { h.biSize = 0x7FFFFFFF; }),             // header past the end
    };
    for (size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        hl::DropBmp(150, 150, blocks[i]);
        EXPECT_TRUE(m_log.images.empty());
        m_log.images.clear();
    }
}
