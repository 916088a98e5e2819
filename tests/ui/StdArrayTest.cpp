#include "ui/core/StdArray.h"

#include <gtest/gtest.h>

using SkinUI::CStdPtrArray;
using SkinUI::CStdValArray;

namespace {

void* Tag(intptr_t value)
{
    return reinterpret_cast<void*>(value);
}

// The capacity is not public; the pointer array's third field holds it.
int Capacity(const CStdPtrArray& array)
{
    struct Probe : CStdPtrArray {
        static int Of(const CStdPtrArray& a) { return static_cast<const Probe&>(a).m_nAllocated; }
    };
    return Probe::Of(array);
}

}  // namespace

TEST(StdPtrArray, GrowsByDoublingAndKeepsOrder)
{
    CStdPtrArray array;
    EXPECT_EQ(Capacity(array), 0);
    std::vector<int> capacities;
    for (int i = 1; i <= 23; ++i) {
        ASSERT_TRUE(array.Add(Tag(i)));
        if (capacities.empty() || capacities.back() != Capacity(array))
            capacities.push_back(Capacity(array));
    }
    EXPECT_EQ(capacities, (std::vector<int> { 11, 22, 44 }));
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(array[i], Tag(i + 1));

    array.Resize(3);
    EXPECT_EQ(array.GetSize(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(array.GetAt(i), nullptr);
}

TEST(StdPtrArray, InsertRemoveAndIndexChecks)
{
    CStdPtrArray array;
    EXPECT_FALSE(array.InsertAt(1, Tag(1)));
    EXPECT_TRUE(array.InsertAt(0, Tag(2)));   // at the count: an Add
    EXPECT_TRUE(array.InsertAt(0, Tag(1)));
    EXPECT_TRUE(array.InsertAt(2, Tag(4)));
    EXPECT_TRUE(array.InsertAt(2, Tag(3)));
    EXPECT_FALSE(array.InsertAt(-1, Tag(9)));
    ASSERT_EQ(array.GetSize(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(array[i], Tag(i + 1));
    EXPECT_EQ(array.Find(Tag(3)), 2);
    EXPECT_EQ(array.Find(Tag(9)), -1);
    EXPECT_TRUE(array.Remove(1));
    EXPECT_FALSE(array.Remove(3));
    EXPECT_FALSE(array.SetAt(3, Tag(9)));
    EXPECT_TRUE(array.SetAt(0, Tag(9)));
    EXPECT_EQ(array.GetAt(0), Tag(9));
    EXPECT_EQ(array.GetAt(1), Tag(3));
    EXPECT_EQ(array.GetAt(2), Tag(4));
    EXPECT_EQ(array.GetAt(3), nullptr);

    const CStdPtrArray copy(array);
    EXPECT_EQ(copy.GetSize(), 3);
    EXPECT_EQ(copy.GetAt(2), Tag(4));
    array.Empty();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(copy.GetSize(), 3);
}

TEST(StdValArray, CopiesElementsBytewise)
{
    struct Pair { int a; double b; };
    CStdValArray array(sizeof(Pair));
    for (int i = 0; i < 30; ++i) {
        const Pair p { i, i * 0.5 };
        ASSERT_TRUE(array.Add(&p));
    }
    ASSERT_TRUE(array.Remove(0));
    EXPECT_FALSE(array.Remove(29));
    ASSERT_EQ(array.GetSize(), 29);
    EXPECT_EQ(static_cast<Pair*>(array.GetAt(0))->a, 1);
    EXPECT_EQ(static_cast<Pair*>(array[28])->b, 14.5);
    EXPECT_EQ(array.GetAt(29), nullptr);
    array.Empty();
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetAt(0), nullptr);
}
