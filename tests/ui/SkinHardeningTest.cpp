// Hostile skins: archive items that declare huge sizes, skin files that include themselves,
// numbers past any screen and pictures that decode to gigabytes are refused, not obeyed.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "RenderEngineTest.h"
#include "SkinTestSupport.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/Markup.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/SkinArchiveItem.h"
#include "ui/core/UIGeometry.h"

using namespace SkinUI;

namespace {

void PutLe32(std::vector<unsigned char>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A stored archive whose only item declares far more bytes than it holds, in both the local
// header and the central directory.
std::vector<unsigned char> ArchiveDeclaringHugeItem(const std::string& name)
{
    std::vector<unsigned char> zip = rendertest::StoredZip({ { name, std::vector<unsigned char>(64, 'x') } });
    PutLe32(zip, 22, 0xFFFFFFF0u);
    const size_t central = 30 + name.size() + 64;
    PutLe32(zip, central + 24, 0xFFFFFFF0u);
    return zip;
}

// Installs a memory archive for one test and takes it away again, so the tests after it see the
// program's own archive state.
class MemoryArchive {
public:
    explicit MemoryArchive(std::vector<unsigned char> bytes) : m_bytes(std::move(bytes))
    {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourceZip(m_bytes.data(), static_cast<unsigned>(m_bytes.size()));
    }
    ~MemoryArchive() { CPaintManagerUI::SetResourceZip(L"", false); }
    MemoryArchive(const MemoryArchive&) = delete;
    MemoryArchive& operator=(const MemoryArchive&) = delete;

private:
    std::vector<unsigned char> m_bytes;
};

void PutBe32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data)
{
    PutBe32(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBe32(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// A black grey-scale PNG: a few kilobytes however large the picture it declares.
std::vector<unsigned char> BlackPng(uint32_t width, uint32_t height)
{
    std::vector<unsigned char> png = { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };
    std::vector<unsigned char> header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.insert(header.end(), { 8, 0, 0, 0, 0 });
    PutChunk(png, "IHDR", header);
    const std::vector<unsigned char> raw(static_cast<size_t>(height) * (width + 1), 0);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 1);
    packed.resize(packedSize);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

}  // namespace

TEST(SkinHardening, ArchiveItemsDeclaringHugeSizesAreRefusedByEveryReader)
{
    skintest::UseHeadless();
    const MemoryArchive archive(ArchiveDeclaringHugeItem("huge.ttf"));
    std::vector<BYTE> bytes { 1 };
    EXPECT_EQ(ReadSkinArchiveItem(L"huge.ttf", &bytes), SkinItemResult::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadSkinArchiveItem(L"missing.ttf", &bytes), SkinItemResult::NotFound);

    CPaintManagerUI manager;
    manager.AddFontArray(L"huge.ttf");  // used to ask for four gigabytes and abort
    CMarkup doc;
    EXPECT_FALSE(doc.LoadFromFile(L"huge.ttf"));
    wchar_t error[100] = {};
    doc.GetLastErrorMessage(error, 100);
    EXPECT_STREQ(error, L"File too large");
    EXPECT_EQ(CRenderEngine::LoadImageW(L"huge.ttf"), nullptr);
}

TEST(SkinHardening, SkinFilesThatIncludeThemselvesAreBuiltOnce)
{
    ASSERT_TRUE(skintest::InstallSkinArchive());
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(L"selfinclude.xml"));
    ASSERT_NE(root, nullptr);
    auto* box = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_EQ(box->GetCount(), 1) << "the include of the file being built adds nothing";
    EXPECT_EQ(std::wstring(box->GetItemAt(0)->GetName().GetData()), L"once");
}

TEST(SkinHardening, ChildLayoutsThatReferBackStopAtTheRepeat)
{
    skintest::UseHeadless();
    ASSERT_TRUE(skintest::InstallSkinArchive());
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><VerticalLayout><ChildLayout name=\"top\" xmlfile=\"cyclea.xml\"/>"
                                      L"</VerticalLayout></Window>", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);  // a -> b -> a: the second a is refused
    auto* a = static_cast<CContainerUI*>(pm.FindControl(L"a"));
    auto* b = static_cast<CContainerUI*>(pm.FindControl(L"b"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetCount(), 1);
    EXPECT_EQ(b->GetCount(), 0);
}

TEST(SkinHardening, NestingDeeperThanTheBoundIsRefusedWithAReason)
{
    std::vector<std::unique_ptr<CSkinNestingGuard>> chain;
    std::vector<std::wstring> names;
    for (int i = 0; i < CSkinNestingGuard::kMaxSkinNesting; ++i)
        names.push_back(L"level" + std::to_wstring(i) + L".xml");
    for (const std::wstring& name : names) {
        chain.push_back(std::make_unique<CSkinNestingGuard>(name.c_str()));
        ASSERT_TRUE(chain.back()->Entered());
    }
    const CSkinNestingGuard deeper(L"one-more.xml");
    EXPECT_FALSE(deeper.Entered());
    EXPECT_STREQ(deeper.Refusal(), L"Skin files nested too deeply");
    chain.pop_back();
    const CSkinNestingGuard again(L"LEVEL0.XML");
    EXPECT_FALSE(again.Entered()) << "names compare without regard to case";
    EXPECT_STREQ(again.Refusal(), L"Skin file includes itself");
    chain.clear();
    CDialogBuilder builder;
    ASSERT_TRUE(skintest::InstallSkinArchive());
    const CSkinNestingGuard outer(L"row.xml");
    EXPECT_EQ(builder.Create(L"row.xml"), nullptr);
    wchar_t error[100] = {};
    builder.GetLastErrorMessage(error, 100);
    EXPECT_STREQ(error, L"Skin file includes itself");
}

TEST(SkinHardening, ExtremeNumbersAreClampedWhereTheyAreRead)
{
    // Under UBSan each of these overflowed an int somewhere between the skin and the screen.
    skintest::UseHeadless();
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    pm.Init(window.hwnd());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><Font id=\"0\" name=\"Sans\" size=\"2147483647\"/><VerticalLayout vscrollbar=\"true\">"
        L"<Control name=\"wide\" float=\"true\" pos=\"-2147483648,0,2147483647,99999999999\"/>"
        L"<Control name=\"tall\" height=\"2147483647\" width=\"-2147483648\"/>"
        L"<ScrollBar name=\"bar\" range=\"2147483647\" pos=\"0,0,10,2147483647\"/>"
        L"<Control name=\"frac\" float=\"nan,1e300,-5,0.5\"/>"
        L"<Control name=\"img\" bkimage=\"file='x.png' source='0,0,2147483647,2147483647' corner='2147483647,0,0,0'\"/>"
        L"</VerticalLayout></Window>",
        nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    EXPECT_EQ(pm.FindControl(L"wide")->GetFixedWidth(), 2 * kMaxSkinNumber);
    EXPECT_EQ(pm.FindControl(L"tall")->GetFixedHeight(), kMaxSkinNumber);
    EXPECT_EQ(pm.GetFontInfo(0)->iSize, kMaxSkinFontSize);
    const TPercentInfo fractions = pm.FindControl(L"frac")->GetFloatPercent();
    EXPECT_EQ(fractions.left, 0.0);
    EXPECT_EQ(fractions.top, 1.0);
    EXPECT_EQ(fractions.right, 0.0);
    EXPECT_EQ(fractions.bottom, 0.5);
    for (const int dpi : { 96, 192 }) {
        pm.GetDPIObj()->SetScale(dpi);
        root->SetPos(RECT { 0, 0, 300, 200 }, false);
        RECT paint { 0, 0, 300, 200 };
        HDC dc = ::GetDC(window.hwnd());
        root->DoPaint(dc, paint);
        ::ReleaseDC(window.hwnd(), dc);
    }
    EXPECT_LE(static_cast<CScrollBarUI*>(pm.FindControl(L"bar"))->GetScrollRange(), kMaxSkinNumber);
}

TEST(SkinHardening, PicturesOverThePixelCapAreRefusedBeforeDecoding)
{
    const std::vector<unsigned char> small = BlackPng(64, 32);
    TImageInfo* fine = CRenderEngine::LoadImageFromMemory(small.data(), small.size(), 0);
    ASSERT_NE(fine, nullptr) << "the hand-made PNG must decode, or the refusal below proves nothing";
    EXPECT_EQ(fine->nX, 64);
    CRenderEngine::FreeImage(fine);
    const std::vector<unsigned char> huge = BlackPng(4100, 4100);  // 16.8 million pixels
    EXPECT_LT(huge.size(), 100000u);
    EXPECT_EQ(CRenderEngine::LoadImageFromMemory(huge.data(), huge.size(), 0), nullptr);
}
