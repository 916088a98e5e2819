#include "ui/core/Markup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/WinBase.h"
#include "ui/core/PaintManagerUI.h"

using SkinUI::CMarkup;
using SkinUI::CMarkupNode;

namespace {

// name[attr=value;...](text){child,child}: the whole tree in one comparable line.
std::wstring Dump(CMarkupNode node)
{
    std::wstring out = node.GetName();
    if (node.HasAttributes()) {
        out += L"[";
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            out += std::wstring(i ? L";" : L"") + node.GetAttributeName(i) + L"=" + node.GetAttributeValue(i);
        out += L"]";
    }
    if (*node.GetValue())
        out += std::wstring(L"(") + node.GetValue() + L")";
    if (node.HasChildren()) {
        out += L"{";
        for (CMarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling())
            out += Dump(child) + (child.HasSiblings() ? L"," : L"");
        out += L"}";
    }
    return out;
}

std::wstring ErrorOf(const CMarkup& doc)
{
    wchar_t message[100];
    doc.GetLastErrorMessage(message, 100);
    return message;
}

std::wstring LocationOf(const CMarkup& doc)
{
    wchar_t location[50];
    doc.GetLastErrorLocation(location, 50);
    return location;
}

std::string Utf8(const std::wstring& text)
{
    return platform::WideToUtf8(text);
}

std::string Utf16(const std::wstring& text, bool bigEndian)
{
    std::vector<uint16_t> units { 0xFEFF };
    for (wchar_t ch : text) {
        const auto c = static_cast<uint32_t>(ch);
        if (c >= 0x10000) {
            units.push_back(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<uint16_t>(c));
        }
    }
    std::string out;
    for (uint16_t u : units) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? std::string { hi, lo } : std::string { lo, hi };
    }
    return out;
}

uint32_t Crc32(const std::string& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A zip archive of stored items, enough for the skin loader.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& items)
{
    auto le = [](std::string& out, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    std::string archive, directory;
    for (const auto& [name, data] : items) {
        const auto offset = static_cast<uint32_t>(archive.size());
        const uint32_t crc = Crc32(data);
        const auto size = static_cast<uint32_t>(data.size());
        const auto nameLength = static_cast<uint32_t>(name.size());
        le(archive, 0x04034B50, 4); le(archive, 20, 2); le(archive, 0, 2); le(archive, 0, 2);
        le(archive, 0x00210000, 4); le(archive, crc, 4); le(archive, size, 4); le(archive, size, 4);
        le(archive, nameLength, 2); le(archive, 0, 2);
        archive += name + data;
        le(directory, 0x02014B50, 4); le(directory, 20, 2); le(directory, 20, 2); le(directory, 0, 2);
        le(directory, 0, 2); le(directory, 0x00210000, 4); le(directory, crc, 4); le(directory, size, 4);
        le(directory, size, 4); le(directory, nameLength, 2); le(directory, 0, 2); le(directory, 0, 2);
        le(directory, 0, 2); le(directory, 0, 2); le(directory, 0, 4); le(directory, offset, 4);
        directory += name;
    }
    const auto directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    le(archive, 0x06054B50, 4); le(archive, 0, 2); le(archive, 0, 2);
    le(archive, static_cast<uint32_t>(items.size()), 2); le(archive, static_cast<uint32_t>(items.size()), 2);
    le(archive, static_cast<uint32_t>(directory.size()), 4); le(archive, directoryOffset, 4); le(archive, 0, 2);
    return archive;
}

bool LoadBytes(CMarkup& doc, const std::string& bytes, int encoding = SkinUI::XMLFILE_ENCODING_UTF8)
{
    return doc.LoadFromMem(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), encoding);
}

}  // namespace

TEST(Markup, DocumentsParseToTreesOrFailWithTheirReason)
{
    struct Case { const wchar_t* xml; const wchar_t* tree; const wchar_t* error; };
    const Case cases[] = {
        { L"<Window size=\"10,20\"><Button name=\"ok\" text=\"OK\"/><Label>hi</Label></Window>",
          L"Window[size=10,20]{Button[name=ok;text=OK],Label(hi)}", L"" },
        { L"<?xml version=\"1.0\"?>\n<!-- c --><a x = \"1\"\ty=\"2\" ><b></b></a>  ",
          L"a[x=1;y=2]{b}", L"" },
        { L"<a>  <!-- inside --> <b/><c/></a>", L"a(  ){b,c}", L"" },
        { L"<a>x<b/></a>", L"a(x){b}", L"" },
        { L"<a v=\"&lt;&amp;&gt;&quot;&apos;\">1 &amp; 2</a>", L"a[v=<&>\"'](1 & 2)", L"" },
        { L"<a v=\"&#65;&bogus;&\">&#x41;</a>", L"a[v=&#65;&bogus;&](&#x41;)", L"" },
        { L"<a v=\"x&amp;y\" w=\"2\"/>", L"a[v=x&y;w=2]", L"" },
        { L"<a:b c_d=\"\"/>", L"a:b[c_d=]", L"" },
        { L"<a><b>text", L"a{b(text)}", L"" },           // the root and a text-only child may stay open
        { L"<a><b/>", L"a{b}", L"" },
        { L"<a><b/></a><c/>", L"a{b}", L"" },               // the root's sibling follows it
        { L"<a><b><c>text", nullptr, L"Expected end-tag start" },
        { L"<a><b><c/>", nullptr, L"Expected start tag" },
        { L"text", nullptr, L"Expected start tag" },
        { L"<a/>junk", nullptr, L"Expected start tag" },
        { L"<a><b/>tail</a>", nullptr, L"Expected start tag" },
        { L"<a", nullptr, L"Error parsing element name" },
        { L"<a x=\"1\" $>", nullptr, L"Error while parsing attributes" },
        { L"<a x-y=\"1\"/>", nullptr, L"Error while parsing attributes" },
        { L"<a x='1'/>", nullptr, L"Expected attribute value" },
        { L"<a x=\"1", nullptr, L"Error while parsing attribute string" },
        { L"<a x=\"1\"", nullptr, L"Expected start-tag closing" },
        { L"<a x=\"1\" /", nullptr, L"Expected start-tag closing" },
        { L"<a></b>", nullptr, L"Unmatched closing tag" },
        { L"<a></a", nullptr, L"Unmatched closing tag" },
        { L"<abc></ab>", nullptr, L"Unmatched closing tag" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Utf8(c.xml));
        CMarkup doc;
        const bool loaded = doc.Load(c.xml);
        EXPECT_EQ(loaded, c.tree != nullptr);
        EXPECT_EQ(ErrorOf(doc), c.error);
        EXPECT_EQ(doc.IsValid(), loaded);
        if (loaded) {
            EXPECT_EQ(Dump(doc.GetRoot()), c.tree);
        }
    }
}

TEST(Markup, WhitespaceAfterASpaceIsDroppedOnlyWhenNotPreserved)
{
    const wchar_t* xml = L"<a v=\"x  \t y\">one  \n two</a>";
    CMarkup kept(xml);
    EXPECT_EQ(Dump(kept.GetRoot()), L"a[v=x  \t y](one  \n two)");
    CMarkup collapsed;
    collapsed.SetPreserveWhitespace(false);
    ASSERT_TRUE(collapsed.Load(xml));
    EXPECT_EQ(Dump(collapsed.GetRoot()), L"a[v=x y](one two)");
}

TEST(Markup, OnlyDeclarationsGiveAValidDocumentWithoutRoot)
{
    CMarkup doc(L"<?xml version=\"1.0\" encoding=\"utf-8\"?><!-- nothing else -->");
    EXPECT_TRUE(doc.IsValid());
    EXPECT_FALSE(doc.GetRoot().IsValid());
    EXPECT_EQ(doc.GetRoot().GetName(), nullptr);
    EXPECT_EQ(doc.GetRoot().GetAttributeCount(), 0);
}

TEST(Markup, ErrorLocationIsTheTextFromTheFailurePoint)
{
    CMarkup doc;
    ASSERT_FALSE(doc.Load(L"<a><b x='1'/></a>"));
    EXPECT_EQ(LocationOf(doc), L"'1'/></a>");
    ASSERT_FALSE(doc.Load((L"<a>" + std::wstring(80, L'x') + L"<b></c>" + std::wstring(80, L'y')).c_str()));
    EXPECT_EQ(LocationOf(doc).size(), 49u);
    EXPECT_EQ(LocationOf(doc).substr(0, 6), L"c>yyyy");
    EXPECT_FALSE(doc.IsValid());

    wchar_t tiny[6];
    doc.GetLastErrorMessage(tiny, 6);
    EXPECT_STREQ(tiny, L"Unmat");  // cut, and still terminated
    ASSERT_TRUE(doc.Load(L"<a/>"));
    EXPECT_EQ(ErrorOf(doc), L"");
}

TEST(Markup, NodesNavigateAndLookUpIgnoringCase)
{
    CMarkup doc(L"<Window><Font id=\"0\"/><Button Name=\"ok\" NAME=\"second\"/><Label/></Window>");
    CMarkupNode root = doc.GetRoot();
    ASSERT_TRUE(root.IsValid());
    EXPECT_FALSE(root.GetParent().IsValid());
    CMarkupNode button = root.GetChild(L"button");
    ASSERT_TRUE(button.IsValid());
    EXPECT_STREQ(button.GetName(), L"Button");
    EXPECT_STREQ(button.GetParent().GetName(), L"Window");
    EXPECT_STREQ(button.GetSibling().GetName(), L"Label");
    EXPECT_FALSE(button.GetSibling().HasSiblings());
    EXPECT_STREQ(button.GetAttributeValue(L"name"), L"ok");  // the first of equal names
    EXPECT_TRUE(button.HasAttribute(L"NaMe"));
    EXPECT_FALSE(button.HasAttribute(L"text"));
    EXPECT_STREQ(button.GetAttributeValue(L"text"), L"");
    EXPECT_STREQ(button.GetAttributeValue(5), L"");
    EXPECT_STREQ(button.GetAttributeName(-1), L"");
    EXPECT_FALSE(root.GetChild(L"Edit").IsValid());

    CMarkupNode invalid;
    EXPECT_FALSE(invalid.GetChild().IsValid());
    EXPECT_FALSE(invalid.HasChildren());
    EXPECT_EQ(invalid.GetValue(), nullptr);
    EXPECT_FALSE(invalid.HasAttribute(L"x"));
}

TEST(Markup, AttributeCopiesAreAlwaysTerminated)
{
    CMarkup doc(L"<a long=\"abcdefgh\" short=\"xy\"/>");
    CMarkupNode node = doc.GetRoot();
    wchar_t buffer[5];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    ASSERT_TRUE(node.GetAttributeValue(L"long", buffer, 5));
    EXPECT_STREQ(buffer, L"abcd");
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    ASSERT_TRUE(node.GetAttributeValue(1, buffer, 5));
    EXPECT_STREQ(buffer, L"xy");
    EXPECT_EQ(buffer[4], L'\0');  // padded
    EXPECT_FALSE(node.GetAttributeValue(L"none", buffer, 5));
    EXPECT_FALSE(node.GetAttributeValue(2, buffer, 5));
}

TEST(Markup, AnElementShowsAtMost64Attributes)
{
    std::wstring xml = L"<a";
    for (int i = 0; i < 70; ++i)
        xml += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    xml += L"><b/></a>";
    CMarkup doc(xml.c_str());
    CMarkupNode node = doc.GetRoot();
    EXPECT_EQ(node.GetAttributeCount(), 64);
    EXPECT_STREQ(node.GetAttributeValue(63), L"v63");
    EXPECT_STREQ(node.GetAttributeValue(L"k63"), L"v63");
    EXPECT_FALSE(node.HasAttribute(L"k64"));
    EXPECT_STREQ(node.GetChild().GetName(), L"b");
}

TEST(Markup, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    std::wstring xml;
    for (int i = 0; i < 200000; ++i)
        xml += L"<a>";
    CMarkup doc;
    EXPECT_FALSE(doc.Load(xml.c_str()));
    EXPECT_EQ(ErrorOf(doc), L"Elements nested too deeply");
}

TEST(Markup, EncodingsLoadTheSameTree)
{
    const std::wstring xml = L"<Window title=\"\u89C6\u9891 \U0001F600\"><Label text=\"caf\u00E9\"/></Window>";
    const std::wstring want = L"Window[title=\u89C6\u9891 \U0001F600]{Label[text=caf\u00E9]}";
    struct Case { const char* name; std::string bytes; int encoding; };
    const Case cases[] = {
        { "utf-8", Utf8(xml), SkinUI::XMLFILE_ENCODING_UTF8 },
        { "utf-8 with mark", "\xEF\xBB\xBF" + Utf8(xml), SkinUI::XMLFILE_ENCODING_UTF8 },
        { "utf-16 le", Utf16(xml, false), SkinUI::XMLFILE_ENCODING_UNICODE },
        { "utf-16 be", Utf16(xml, true), SkinUI::XMLFILE_ENCODING_UNICODE },
        { "utf-16 be read as the default", Utf16(xml, true), SkinUI::XMLFILE_ENCODING_UTF8 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMarkup doc;
        ASSERT_TRUE(LoadBytes(doc, c.bytes, c.encoding)) << Utf8(ErrorOf(doc));
        EXPECT_EQ(Dump(doc.GetRoot()), want);
    }
    // GBK: the two characters are CA D3 C6 B5.
    CMarkup gbk;
    ASSERT_TRUE(LoadBytes(gbk, "<a t=\"\xCA\xD3\xC6\xB5\"/>", SkinUI::XMLFILE_ENCODING_ASNI));
    EXPECT_STREQ(gbk.GetRoot().GetAttributeValue(L"t"), L"\u89C6\u9891");

    CMarkup empty;
    EXPECT_FALSE(LoadBytes(empty, ""));
    EXPECT_EQ(ErrorOf(empty), L"File is empty");
    EXPECT_FALSE(LoadBytes(empty, "<a><b"));
    EXPECT_EQ(ErrorOf(empty), L"Error parsing element name");
}

// Loading by name from the resource folder, or through the skin archive when one is set.
class MarkupFile : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "markup-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        // Another test of this program may have left the linked skin archive installed.
        SkinUI::CPaintManagerUI::SetResourceZip(L"", false);
        SkinUI::CPaintManagerUI::SetResourcePath(std::filesystem::path(m_dir).wstring().c_str());
    }

    void TearDown() override
    {
        SkinUI::CPaintManagerUI::SetResourceZip(L"", false);
        SkinUI::CPaintManagerUI::SetResourcePath(L"");
        std::filesystem::remove_all(m_dir);
    }

    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(std::filesystem::path(m_dir) / name, std::ios::binary) << bytes;
    }

    static std::wstring RootName(CMarkup& doc)
    {
        return doc.GetRoot().IsValid() ? doc.GetRoot().GetName() : L"";
    }

    std::string m_dir;
};

TEST_F(MarkupFile, ReadsFromTheResourceFolderWithoutAnArchive)
{
    EXPECT_EQ(SkinUI::CPaintManagerUI::GetResourcePath().GetData()[SkinUI::CPaintManagerUI::GetResourcePath().GetLength() - 1], L'\\');
    Write("skin.xml", "\xEF\xBB\xBF<Window/>");
    Write("empty.xml", "");
    Write("big.xml", std::string(0x400001, ' '));
    Write("wide.xml", Utf16(L"<Wide t=\"\u89C6\u9891\"/>", true));
    Write("gbk.xml", "<Gbk t=\"\xCA\xD3\xC6\xB5\"/>");
    CMarkup doc;
    ASSERT_TRUE(doc.LoadFromFile(L"skin.xml"));
    EXPECT_EQ(RootName(doc), L"Window");
    ASSERT_TRUE(doc.LoadFromFile(L"wide.xml"));
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue(L"t"), L"\u89C6\u9891");
    ASSERT_TRUE(doc.LoadFromFile(L"gbk.xml", SkinUI::XMLFILE_ENCODING_ASNI));
    EXPECT_STREQ(doc.GetRoot().GetAttributeValue(L"t"), L"\u89C6\u9891");
    struct Case { const wchar_t* name; const wchar_t* error; };
    const Case cases[] = {
        { L"missing.xml", L"Error opening file" },
        { L"empty.xml", L"File is empty" },
        { L"big.xml", L"File too large" },
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(doc.LoadFromFile(c.name));
        EXPECT_EQ(ErrorOf(doc), c.error);
        EXPECT_EQ(LocationOf(doc), L"");
        EXPECT_FALSE(doc.IsValid());
    }
}

TEST_F(MarkupFile, ArchiveItemsAreFoundIgnoringCaseButListRowsComeFromDisk)
{
    const std::string archive = StoredZip({
        { "listqvideoqmerge.xml", "<FromArchive/>" },
        { "sub/Dialog.xml", "<Dialog/>" },
        { "empty.xml", "" },
        { "ListQVideoQOptimize.xml", "<NotThisOne/>" },
    });
    Write("skins.zip", archive);
    Write("ListQVideoQMerge.xml", "<FromDisk/>");
    Write("ListQVideoQOptimize.xml", "<FromDiskToo/>");
    for (bool cached : { false, true }) {
        SCOPED_TRACE(cached ? "cached" : "opened per read");
        SkinUI::CPaintManagerUI::SetResourceZip(L"skins.zip", cached);
        EXPECT_EQ(SkinUI::CPaintManagerUI::GetResourceZipHandle() != nullptr, cached);
        CMarkup doc;
        ASSERT_TRUE(doc.LoadFromFile(L"ListQVideoQMerge.xml"));
        EXPECT_EQ(RootName(doc), L"FromDisk");
        ASSERT_TRUE(doc.LoadFromFile(L"LISTQVIDEOQMERGE.XML"));
        EXPECT_EQ(RootName(doc), L"FromArchive");
        ASSERT_TRUE(doc.LoadFromFile(L"ListQVideoQOptimize.xml"));
        EXPECT_EQ(RootName(doc), L"FromDiskToo");
        ASSERT_TRUE(doc.LoadFromFile(L"sub\\dialog.xml"));
        EXPECT_EQ(RootName(doc), L"Dialog");
        EXPECT_FALSE(doc.LoadFromFile(L"skin.xml"));
        EXPECT_EQ(ErrorOf(doc), L"Could not find ziped file");
        EXPECT_FALSE(doc.LoadFromFile(L"empty.xml"));
        EXPECT_EQ(ErrorOf(doc), L"File is empty");
    }
    SkinUI::CPaintManagerUI::SetResourceZip(L"missing.zip", false);
    CMarkup doc;
    EXPECT_FALSE(doc.LoadFromFile(L"sub/Dialog.xml"));
    EXPECT_EQ(ErrorOf(doc), L"Error opening zip file");

    // From memory: the first block given stays.
    std::string other = StoredZip({ { "sub/Dialog.xml", "<Other/>" } });
    SkinUI::CPaintManagerUI::SetResourceZip(const_cast<char*>(archive.data()), static_cast<unsigned>(archive.size()));
    SkinUI::CPaintManagerUI::SetResourceZip(other.data(), static_cast<unsigned>(other.size()));
    EXPECT_EQ(SkinUI::CPaintManagerUI::GetResourceZip(), L"membuffer");
    ASSERT_TRUE(doc.LoadFromFile(L"sub/Dialog.xml"));
    EXPECT_EQ(RootName(doc), L"Dialog");
}

TEST(PaintManagerResourceSettings, PathsKeepTheirSeparators)
{
    using SkinUI::CPaintManagerUI;
    CPaintManagerUI::SetResourcePath(L"skins/");
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), L"skins/");
    CPaintManagerUI::SetResourcePath(L"C:\\skins");
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), L"C:\\skins\\");
    CPaintManagerUI::SetResourcePath(L"");
    EXPECT_TRUE(CPaintManagerUI::GetResourcePath().IsEmpty());

    EXPECT_TRUE(CPaintManagerUI::GetInstancePath().IsEmpty());
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    const SkinUI::CUIString folder = CPaintManagerUI::GetInstancePath();
    CPaintManagerUI::SetInstance(nullptr);
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder[folder.GetLength() - 1], L'/');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder.GetData())));
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), nullptr);
}
