#include "ui/core/StdArray.h"

#include <cstdlib>
#include <cstring>

namespace SkinUI {

namespace {

// The next capacity, or 0 when doubling would overflow the slot count or the byte size.
int NextCapacity(int allocated, int slotSize)
{
    if (allocated == 0)
        return 11;
    if (allocated > INT32_MAX / 2 || static_cast<size_t>(allocated) * 2 > SIZE_MAX / slotSize)
        return 0;
    return allocated * 2;
}

}  // namespace

CStdPtrArray::CStdPtrArray(int preallocate)
    : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0)
{
    if (preallocate <= 0)
        return;
    m_ppVoid = static_cast<void**>(malloc(preallocate * sizeof(void*)));
    if (m_ppVoid)
        m_nAllocated = preallocate;
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src)
    : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.GetSize(); ++i)
        Add(src.GetAt(i));
}

CStdPtrArray::~CStdPtrArray()
{
    free(m_ppVoid);
}

void CStdPtrArray::Empty()
{
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}

void CStdPtrArray::Resize(int size)
{
    Empty();
    if (size <= 0)
        return;
    m_ppVoid = static_cast<void**>(calloc(size, sizeof(void*)));
    if (!m_ppVoid)
        return;
    m_nCount = m_nAllocated = size;
}

// Makes room for one more slot once the count has been raised.
bool CStdPtrArray::Grow()
{
    if (m_nCount < m_nAllocated)
        return true;
    const int capacity = NextCapacity(m_nAllocated, sizeof(void*));
    void** block = capacity ? static_cast<void**>(realloc(m_ppVoid, capacity * sizeof(void*))) : nullptr;
    if (!block)
        return false;
    m_ppVoid = block;
    m_nAllocated = capacity;
    return true;
}

bool CStdPtrArray::Add(void* item)
{
    ++m_nCount;
    if (!Grow()) {
        --m_nCount;
        return false;
    }
    m_ppVoid[m_nCount - 1] = item;
    return true;
}

bool CStdPtrArray::InsertAt(int index, void* item)
{
    if (index == m_nCount)
        return Add(item);
    if (index < 0 || index > m_nCount)
        return false;
    ++m_nCount;
    if (!Grow()) {
        --m_nCount;
        return false;
    }
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index], (m_nCount - index - 1) * sizeof(void*));
    m_ppVoid[index] = item;
    return true;
}

bool CStdPtrArray::SetAt(int index, void* item)
{
    if (index < 0 || index >= m_nCount)
        return false;
    m_ppVoid[index] = item;
    return true;
}

bool CStdPtrArray::Remove(int index)
{
    if (index < 0 || index >= m_nCount)
        return false;
    if (index < --m_nCount)
        memmove(&m_ppVoid[index], &m_ppVoid[index + 1], (m_nCount - index) * sizeof(void*));
    return true;
}

int CStdPtrArray::Find(void* item) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_ppVoid[i] == item)
            return i;
    }
    return -1;
}

void* CStdPtrArray::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    return m_ppVoid[index];
}

CStdValArray::CStdValArray(int elementSize, int preallocate)
    : m_pVoid(nullptr), m_iElementSize(elementSize > 0 ? elementSize : 1), m_nCount(0), m_nAllocated(0)
{
    if (preallocate <= 0)
        return;
    m_pVoid = static_cast<BYTE*>(malloc(static_cast<size_t>(preallocate) * m_iElementSize));
    if (m_pVoid)
        m_nAllocated = preallocate;
}

CStdValArray::~CStdValArray()
{
    free(m_pVoid);
}

bool CStdValArray::Add(const void* data)
{
    ++m_nCount;
    if (m_nCount >= m_nAllocated) {
        const int capacity = NextCapacity(m_nAllocated, m_iElementSize);
        BYTE* block = capacity ? static_cast<BYTE*>(realloc(m_pVoid, static_cast<size_t>(capacity) * m_iElementSize)) : nullptr;
        if (!block) {
            --m_nCount;
            return false;
        }
        m_pVoid = block;
        m_nAllocated = capacity;
    }
    memcpy(m_pVoid + static_cast<size_t>(m_nCount - 1) * m_iElementSize, data, m_iElementSize);
    return true;
}

bool CStdValArray::Remove(int index)
{
    if (index < 0 || index >= m_nCount)
        return false;
    if (index < --m_nCount) {
        BYTE* slot = m_pVoid + static_cast<size_t>(index) * m_iElementSize;
        memmove(slot, slot + m_iElementSize, static_cast<size_t>(m_nCount - index) * m_iElementSize);
    }
    return true;
}

void* CStdValArray::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    return m_pVoid + static_cast<size_t>(index) * m_iElementSize;
}

}  // namespace SkinUI
