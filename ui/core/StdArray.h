#pragma once
// Growable arrays on the C heap. CStdPtrArray stores pointer values and never owns what they point
// to; CStdValArray stores fixed-size elements copied in bytewise. Growth doubles the capacity
// (11 from empty) as soon as the count reaches it, so a successful Add always leaves a free slot.

#include "platform/WinTypes.h"

namespace SkinUI {

class CStdPtrArray {
public:
    explicit CStdPtrArray(int preallocate = 0);
    CStdPtrArray(const CStdPtrArray& src);
    CStdPtrArray& operator=(const CStdPtrArray&) = delete;
    ~CStdPtrArray();

    void Empty();
    void Resize(int size);
    bool IsEmpty() const { return m_nCount == 0; }
    int Find(void* item) const;
    bool Add(void* item);
    bool SetAt(int index, void* item);
    bool InsertAt(int index, void* item);
    bool Remove(int index);
    int GetSize() const { return m_nCount; }
    void** GetData() { return m_ppVoid; }

    void* GetAt(int index) const;
    void* operator[](int index) const { return m_ppVoid[index]; }

protected:
    bool Grow();

    void** m_ppVoid;
    int m_nCount;
    int m_nAllocated;
};

class CStdValArray {
public:
    explicit CStdValArray(int elementSize, int preallocate = 0);
    CStdValArray(const CStdValArray&) = delete;
    CStdValArray& operator=(const CStdValArray&) = delete;
    ~CStdValArray();

    void Empty() { m_nCount = 0; }
    bool IsEmpty() const { return m_nCount == 0; }
    bool Add(const void* data);
    bool Remove(int index);
    int GetSize() const { return m_nCount; }
    void* GetData() { return m_pVoid; }

    void* GetAt(int index) const;
    void* operator[](int index) const { return m_pVoid + index * m_iElementSize; }

protected:
    BYTE* m_pVoid;
    int m_iElementSize;
    int m_nCount;
    int m_nAllocated;
};

}  // namespace SkinUI
