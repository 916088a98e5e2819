#pragma once
// A hash map from text keys (case-sensitive) to untyped pointers. The map owns its entries and their
// keys, never the data. Chains are doubly linked and new entries go to the head; a lookup with
// `optimize` moves its hit to the head, so repeated lookups of one key stop early. A stored null
// data pointer looks like a missing key to Find and Insert.

#include "ui/core/UIString.h"

namespace SkinUI {

struct TITEM;

class CStdStringPtrMap {
public:
    explicit CStdStringPtrMap(int nSize = 83);
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;
    ~CStdStringPtrMap();

    void Resize(int nSize = 83);
    void* Find(const wchar_t* key, bool optimize = true) const;
    bool Insert(const wchar_t* key, void* pData);
    void* Set(const wchar_t* key, void* pData);
    bool Remove(const wchar_t* key);
    void RemoveAll();
    int GetSize() const { return m_nCount; }
    const wchar_t* GetAt(int index) const;
    const wchar_t* operator[](int index) const { return GetAt(index); }

protected:
    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;

private:
    void FreeEntries();
    TITEM* FindEntry(const wchar_t* key, int* bucket) const;
    int BucketOf(uint32_t hash) const;
};

}  // namespace SkinUI
