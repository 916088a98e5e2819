#include "ui/core/StdStringPtrMap.h"

#include <cstdlib>
#include <new>

namespace SkinUI {

struct TITEM {
    CUIString Key;
    void* Data;
    TITEM* pPrev;
    TITEM* pNext;
};

namespace {

uint32_t HashKey(const wchar_t* key)
{
    const wchar_t* end = key;
    while (*end)
        ++end;
    uint32_t hash = 0;
    while (end != key)
        hash = hash * 33u + static_cast<uint32_t>(*--end);
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
    for (int i = 0; i < m_nBuckets; ++i) {
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

void CStdStringPtrMap::Resize(int nSize)
{
    FreeEntries();
    m_nBuckets = nSize < 0 ? 0 : nSize;
    if (m_nBuckets > 0)
        m_aT = new (std::nothrow) TITEM*[m_nBuckets]();
    if (!m_aT)
        m_nBuckets = 0;
}

void CStdStringPtrMap::RemoveAll()
{
    Resize(m_nBuckets);
}

int CStdStringPtrMap::BucketOf(const wchar_t* key) const
{
    return static_cast<int>(HashKey(key) % static_cast<uint32_t>(m_nBuckets));
}

TITEM* CStdStringPtrMap::FindEntry(const wchar_t* key, int* bucket) const
{
    if (m_nBuckets == 0 || !key)
        return nullptr;
    *bucket = BucketOf(key);
    for (TITEM* item = m_aT[*bucket]; item; item = item->pNext) {
        if (item->Key == key)
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
    TITEM* item = new (std::nothrow) TITEM { CUIString(key), pData, nullptr, nullptr };
    if (!item)
        return false;
    TITEM*& head = m_aT[BucketOf(key)];
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
