#include "ui/core/StdStringPtrMap.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using SkinUI::CStdStringPtrMap;

namespace {

void* Tag(intptr_t value)
{
    return reinterpret_cast<void*>(value);
}

}  // namespace

TEST(StdStringPtrMap, ManyKeysSurviveInsertRemoveAndEnumeration)
{
    CStdStringPtrMap map;
    std::map<std::wstring, intptr_t> model;
    for (int i = 1; i <= 2000; ++i) {
        const std::wstring key = L"key" + std::to_wstring(i);
        ASSERT_TRUE(map.Insert(key.c_str(), Tag(i)));
        model[key] = i;
    }
    for (int i = 2; i <= 2000; i += 3) {
        const std::wstring key = L"key" + std::to_wstring(i);
        ASSERT_TRUE(map.Remove(key.c_str()));
        model.erase(key);
    }
    EXPECT_FALSE(map.Remove(L"key2"));
    ASSERT_EQ(map.GetSize(), static_cast<int>(model.size()));
    for (const auto& [key, value] : model)
        EXPECT_EQ(map.Find(key.c_str()), Tag(value)) << key;
    EXPECT_EQ(map.Find(L"key2"), nullptr);

    std::map<std::wstring, int> enumerated;
    for (int i = 0; i < map.GetSize(); ++i)
        ++enumerated[map.GetAt(i)];
    EXPECT_EQ(enumerated.size(), model.size());
    EXPECT_EQ(map.GetAt(map.GetSize()), nullptr);
    EXPECT_EQ(map.GetAt(-1), nullptr);

    map.RemoveAll();
    EXPECT_EQ(map.GetSize(), 0);
    EXPECT_EQ(map.Find(L"key1"), nullptr);
    EXPECT_TRUE(map.Insert(L"key1", Tag(7)));
}

TEST(StdStringPtrMap, InsertSetAndCase)
{
    CStdStringPtrMap map;
    EXPECT_TRUE(map.Insert(L"Name", Tag(1)));
    EXPECT_FALSE(map.Insert(L"Name", Tag(2)));
    EXPECT_TRUE(map.Insert(L"name", Tag(3)));  // keys are case-sensitive
    EXPECT_EQ(map.Find(L"Name"), Tag(1));
    EXPECT_EQ(map.Set(L"Name", Tag(4)), Tag(1));
    EXPECT_EQ(map.Set(L"other", Tag(5)), nullptr);
    EXPECT_EQ(map.Find(L"Name"), Tag(4));
    EXPECT_EQ(map.GetSize(), 3);
    // A null data pointer hides the key from Insert: a second entry appears and shadows the first.
    EXPECT_TRUE(map.Insert(L"empty", nullptr));
    EXPECT_TRUE(map.Insert(L"empty", Tag(6)));
    EXPECT_EQ(map.Find(L"empty"), Tag(6));
    EXPECT_EQ(map.GetSize(), 5);
}

TEST(StdStringPtrMap, BucketCountRulesAndEnumerationOrder)
{
    CStdStringPtrMap small(5);
    // With 16 buckets "a" (97 % 16 = 1) and "b" (98 % 16 = 2): the last bucket is enumerated first.
    small.Insert(L"a", Tag(1));
    small.Insert(L"b", Tag(2));
    small.Insert(L"q", Tag(3));  // 113 % 16 = 1: same chain as "a", at its head
    ASSERT_EQ(small.GetSize(), 3);
    EXPECT_STREQ(small.GetAt(0), L"b");
    EXPECT_STREQ(small.GetAt(1), L"q");
    EXPECT_STREQ(small.GetAt(2), L"a");
    small.Find(L"a", true);  // a hit moves to its chain's head
    EXPECT_STREQ(small.GetAt(1), L"a");
    small.Find(L"q", false);
    EXPECT_STREQ(small.GetAt(1), L"a");

    small.Resize(0);
    EXPECT_FALSE(small.Insert(L"x", Tag(1)));
    EXPECT_EQ(small.Set(L"x", Tag(9)), Tag(9));
    EXPECT_EQ(small.Find(L"x"), nullptr);
    EXPECT_FALSE(small.Remove(L"x"));
    EXPECT_EQ(small.GetAt(0), nullptr);
}
