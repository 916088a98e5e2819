#include "ui/core/StdStringPtrMap.h"

#include <cstdlib>
#include <cwchar>
#include <new>

namespace SkinUI {

struct TITEM {
    CUIString Key;
    void* Data;
    TITEM* pPrev;
    TITEM* pNext;
    uint32_t Hash;  // of Key: most chain neighbours are told apart without comparing text
};

namespace {

// h = h * 33 + character, taken from the last character to the first; summed forward here as
// character i times 33^i, which is the same value in one pass.
uint32_t HashKey(const wchar_t* key)
{
    uint32_t hash = 0;
    uint32_t power = 1;
    for (; *key; ++key) {
        hash += static_cast<uint32_t>(*key) * power;
        power *= 33u;
    }
    return hash;
}

}  // namespace

CStdStringPtrMap::CStdStringPtrMap(int nSize)
    : m_aT(nullptr), m_nBuckets(0), m_nCount(0)
{
    Resize(nSize < 16 ? 16 : nSize);
}

CStdStringPtrMap::~CStdStringPtrMap()
{
    FreeEntries();
}

void CStdStringPtrMap::FreeEntries()
{
    for (int i = 0; m_aT != nullptr && i < m_nBuckets; ++i) {
        TITEM* item = m_aT[i];
        while (item) {
            TITEM* next = item->pNext;
            delete item;
            item = next;
        }
    }
    delete[] m_aT;
    m_aT = nullptr;
    m_nCount = 0;
}

// The buckets are allocated by the first insert: most maps (every control's custom attributes)
// never hold an entry, and a list of thousands of rows would pay for thousands of empty tables.
void CStdStringPtrMap::Resize(int nSize)
{
    FreeEntries();
    m_nBuckets = nSize < 0 ? 0 : nSize;
}

void CStdStringPtrMap::RemoveAll()
{
    Resize(m_nBuckets);
}

int CStdStringPtrMap::BucketOf(uint32_t hash) const
{
    return static_cast<int>(hash % static_cast<uint32_t>(m_nBuckets));
}

TITEM* CStdStringPtrMap::FindEntry(const wchar_t* key, int* bucket) const
{
    if (m_aT == nullptr || !key)
        return nullptr;
    const uint32_t hash = HashKey(key);
    *bucket = BucketOf(hash);
    for (TITEM* item = m_aT[*bucket]; item; item = item->pNext) {
        if (item->Hash == hash && wcscmp(item->Key.GetData(), key) == 0)
            return item;
    }
    return nullptr;
}

void* CStdStringPtrMap::Find(const wchar_t* key, bool optimize) const
{
    int bucket = 0;
    TITEM* item = FindEntry(key, &bucket);
    if (!item)
        return nullptr;
    TITEM*& head = m_aT[bucket];
    if (optimize && item != head) {
        item->pPrev->pNext = item->pNext;
        if (item->pNext)
            item->pNext->pPrev = item->pPrev;
        item->pPrev = nullptr;
        item->pNext = head;
        head->pPrev = item;
        head = item;
    }
    return item->Data;
}

bool CStdStringPtrMap::Insert(const wchar_t* key, void* pData)
{
    if (m_nBuckets == 0 || !key || Find(key))
        return false;
    if (m_aT == nullptr) {
        m_aT = new (std::nothrow) TITEM*[m_nBuckets]();
        if (m_aT == nullptr)
            return false;
    }
    const uint32_t hash = HashKey(key);
    TITEM* item = new (std::nothrow) TITEM { CUIString(key), pData, nullptr, nullptr, hash };
    if (!item)
        return false;
    TITEM*& head = m_aT[BucketOf(hash)];
    item->pNext = head;
    if (head)
        head->pPrev = item;
    head = item;
    ++m_nCount;
    return true;
}

void* CStdStringPtrMap::Set(const wchar_t* key, void* pData)
{
    if (m_nBuckets == 0)
        return pData;
    int bucket = 0;
    if (TITEM* item = FindEntry(key, &bucket)) {
        void* old = item->Data;
        item->Data = pData;
        return old;
    }
    Insert(key, pData);
    return nullptr;
}

bool CStdStringPtrMap::Remove(const wchar_t* key)
{
    int bucket = 0;
    TITEM* item = FindEntry(key, &bucket);
    if (!item)
        return false;
    if (item->pPrev)
        item->pPrev->pNext = item->pNext;
    else
        m_aT[bucket] = item->pNext;
    if (item->pNext)
        item->pNext->pPrev = item->pPrev;
    delete item;
    --m_nCount;
    return true;
}

const wchar_t* CStdStringPtrMap::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    int seen = 0;
    for (int bucket = m_nBuckets - 1; bucket >= 0; --bucket) {
        for (TITEM* item = m_aT[bucket]; item; item = item->pNext) {
            if (seen++ == index)
                return item->Key.GetData();
        }
    }
    return nullptr;
}

}  // namespace SkinUI
