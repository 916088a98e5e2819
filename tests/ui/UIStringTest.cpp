#include "ui/core/UIString.h"

#include <gtest/gtest.h>

#include <string>

using SkinUI::CUIString;

namespace {

std::wstring Repeat(wchar_t ch, int count)
{
    return std::wstring(static_cast<size_t>(count), ch);
}

// The string is on the heap exactly when its text no longer points into the object itself.
bool IsInline(const CUIString& s)
{
    const auto* begin = reinterpret_cast<const char*>(&s);
    const auto* text = reinterpret_cast<const char*>(s.GetData());
    return text >= begin && text < begin + sizeof(CUIString);
}

}  // namespace

TEST(UIString, StorageSwitchesBetweenInlineAndHeapAt63Characters)
{
    CUIString s(Repeat(L'a', 62).c_str());
    EXPECT_TRUE(IsInline(s));
    s = Repeat(L'b', 63).c_str();
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(s.GetLength(), 63);
    s = Repeat(L'c', 10).c_str();
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(std::wstring(s.GetData()), Repeat(L'c', 10));
}

TEST(UIString, AppendCrossesTheBoundaryKeepingBothParts)
{
    const std::wstring head = Repeat(L'x', 60);
    CUIString s(head.c_str());
    s += L"ab";
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(std::wstring(s.GetData()), head + L"ab");
    s = head.c_str();
    s += L"abc";
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(std::wstring(s.GetData()), head + L"abc");
    s += Repeat(L'y', 100).c_str();
    EXPECT_EQ(std::wstring(s.GetData()), head + L"abc" + Repeat(L'y', 100));
    s.SetAt(5, L'\0');  // a heap text cut short returns inline on its next append
    s += L"!";
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(std::wstring(s.GetData()), L"xxxxx!");
}

TEST(UIString, CopiesAreDeep)
{
    CUIString heap(Repeat(L'h', 80).c_str());
    CUIString copy(heap);
    copy.SetAt(0, L'Z');
    EXPECT_EQ(heap.GetAt(0), L'h');
    EXPECT_NE(copy.GetData(), heap.GetData());
    CUIString assigned;
    assigned = heap;
    EXPECT_EQ(assigned, heap.GetData());
}

// Assigning or appending a piece of the string's own text must not read what the assignment frees
// or moves; under AddressSanitizer the faulty order shows as a use after free.
TEST(UIString, AssigningItsOwnTextIsSafe)
{
    const std::wstring long1 = Repeat(L'a', 40) + Repeat(L'b', 60);
    struct Case { const wchar_t* name; int offset; int length; std::wstring want; };
    const Case cases[] = {
        { L"heap to inline", 90, -1, Repeat(L'b', 10) },
        { L"heap to shorter heap", 3, -1, long1.substr(3) },
        { L"heap middle", 30, 20, long1.substr(30, 20) },
        { L"whole text", 0, -1, long1 },
        { L"length beyond the text grows the block", 3, 500, long1.substr(3) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name);
        CUIString s(long1.c_str());
        s.Assign(s.GetData() + c.offset, c.length);
        EXPECT_EQ(std::wstring(s.GetData()), c.want);
    }
    CUIString inlineText(L"hello world");
    inlineText = inlineText.GetData() + 6;
    EXPECT_EQ(inlineText, L"world");

    CUIString doubled(Repeat(L'd', 50).c_str());
    doubled += doubled;
    doubled += doubled.GetData() + 90;
    EXPECT_EQ(std::wstring(doubled.GetData()), Repeat(L'd', 110));
}

TEST(UIString, LeftMidRightClipToTheText)
{
    const CUIString abc(L"abc");
    struct Case { CUIString got; const wchar_t* want; };
    const Case cases[] = {
        { abc.Mid(5), L"" },
        { abc.Mid(3), L"" },
        { abc.Mid(1), L"bc" },
        { abc.Mid(1, 1), L"b" },
        { abc.Mid(1, 10), L"bc" },
        { abc.Left(-1), L"" },
        { abc.Left(2), L"ab" },
        { abc.Left(10), L"abc" },
        { abc.Right(10), L"abc" },
        { abc.Right(2), L"bc" },
        { abc.Right(0), L"" },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_STREQ(cases[i].got.GetData(), cases[i].want);
    }
}

TEST(UIString, FindHonoursItsStartRange)
{
    const CUIString abc(L"abc");
    EXPECT_EQ(abc.Find(L"", 3), 3);
    EXPECT_EQ(abc.Find(L"c", 4), -1);
    EXPECT_EQ(abc.Find(L"c", -1), -1);
    EXPECT_EQ(abc.Find(L"bc", 1), 1);
    EXPECT_EQ(abc.Find(L"ab", 1), -1);
    EXPECT_EQ(abc.Find(L'c', 3), -1);
    EXPECT_EQ(abc.Find(L'c', 2), 2);
    EXPECT_EQ(abc.Find(L'z'), -1);
    EXPECT_EQ(CUIString(L"a.b.c").ReverseFind(L'.'), 3);
    EXPECT_EQ(abc.ReverseFind(L'.'), -1);
}

TEST(UIString, ReplaceDoesNotRescanInsertedText)
{
    struct Case { const wchar_t* text; const wchar_t* from; const wchar_t* to; const wchar_t* want; int count; };
    const Case cases[] = {
        { L"aXa", L"a", L"aa", L"aaXaa", 2 },
        { L"aaa", L"aa", L"b", L"ba", 1 },
        { L"abc", L"z", L"y", L"abc", 0 },
        { L"a\\b\\c", L"\\", L"/", L"a/b/c", 2 },
        { L"abcabc", L"bc", L"", L"aa", 2 },
        { L"abc", L"", L"x", L"abc", 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " " << c.from);
        CUIString s(c.text);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count);
        EXPECT_STREQ(s.GetData(), c.want);
    }
    CUIString big(Repeat(L'q', 70).c_str());
    EXPECT_EQ(big.Replace(L"q", L"rs"), 70);
    EXPECT_EQ(big.GetLength(), 140);
}

TEST(UIString, CompareAndCaseMapping)
{
    CUIString s(L"Hello");
    EXPECT_EQ(s.Compare(L"Hello"), 0);
    EXPECT_LT(s.Compare(L"hello"), 0);
    EXPECT_EQ(s.CompareNoCase(L"hELLO"), 0);
    EXPECT_TRUE(s < L"World");
    EXPECT_TRUE(s != L"hello");
    s.MakeUpper();
    EXPECT_EQ(s, L"HELLO");
    s.MakeLower();
    EXPECT_EQ(s, L"hello");
    EXPECT_EQ(s + L" there", L"hello there");
    EXPECT_EQ(s + static_cast<const wchar_t*>(nullptr), L"hello");
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L'x';
    s += L'y';
    EXPECT_EQ(s, L"xy");
}

TEST(UIString, FormatUsesWideStringArgumentsAndAnyLength)
{
    CUIString s;
    EXPECT_EQ(s.Format(L"%s=%d", L"width", 42), 8);
    EXPECT_EQ(s, L"width=42");
    const std::wstring longArg = Repeat(L'z', 200);
    EXPECT_EQ(s.Format(L"[%s]", longArg.c_str()), 202);
    EXPECT_EQ(std::wstring(s.GetData()), L"[" + longArg + L"]");
    EXPECT_EQ(s.SmallFormat(L"%4d-%02d-%02d", 2026, 3, 7), 10);
    EXPECT_EQ(s, L"2026-03-07");
    s.SmallFormat(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", 1, 2, 3, 4, 5, 6, 7, 8);
    EXPECT_EQ(s, L"dest='1,2,3,4' source='5,6,7,8'");
}

TEST(UIString, NarrowTextIsReadInTheSystemCodePage)
{
    CUIString s;
    s = "caf\xC3\xA9 \xE8\xA7\x86\xE9\xA2\x91";  // UTF-8, the system code page here
    EXPECT_EQ(s, L"caf\u00E9 \u89C6\u9891");
    s += " ok";
    EXPECT_EQ(s, L"caf\u00E9 \u89C6\u9891 ok");
    s += static_cast<const char*>(nullptr);
    EXPECT_EQ(s.GetLength(), 10);
    s = static_cast<const char*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
}
