#pragma once
// The skin XML parser. CMarkup reads one skin document (a layout, a list-row template, a menu, a
// language or resource list) and parses it in place: names, values and texts are terminated
// inside the document's own buffer and addressed by offsets in one flat element table. It knows
// elements, double-quoted attributes, element text before the first child, the five named
// entities, and skips comments and declarations; nothing more.
//
// CMarkupNode is a small value handle on one element. It is only meaningful while its document
// stays loaded, and shows at most 64 attributes of an element. Documents and nodes belong to one
// thread.

#include <cstddef>

#include "platform/WinTypes.h"

namespace SkinUI {

enum {
    XMLFILE_ENCODING_UTF8 = 0,
    XMLFILE_ENCODING_UNICODE = 1,
    XMLFILE_ENCODING_ASNI = 2,
};

class CMarkup;

class CMarkupNode {
    friend class CMarkup;

public:
    CMarkupNode();
    CMarkupNode(CMarkup* pOwner, int iPos);

    bool IsValid() const;

    CMarkupNode GetParent();
    CMarkupNode GetSibling();
    CMarkupNode GetChild();
    CMarkupNode GetChild(const wchar_t* pstrName);

    bool HasSiblings() const;
    bool HasChildren() const;
    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;

    bool HasAttributes();
    bool HasAttribute(const wchar_t* pstrName);
    int GetAttributeCount();
    const wchar_t* GetAttributeName(int iIndex);
    const wchar_t* GetAttributeValue(int iIndex);
    const wchar_t* GetAttributeValue(const wchar_t* pstrName);
    // Copy at most cchMax - 1 characters and always terminate (the rest of the buffer is zeroed);
    // false when there is no such attribute.
    bool GetAttributeValue(int iIndex, wchar_t* pstrValue, size_t cchMax);
    bool GetAttributeValue(const wchar_t* pstrName, wchar_t* pstrValue, size_t cchMax);

private:
    enum { MAX_XML_ATTRIBUTES = 64 };

    struct XMLATTRIBUTE {
        ULONG iName;
        ULONG iValue;
    };

    void MapAttributes();
    int FindAttribute(const wchar_t* pstrName);

    int m_iPos;
    int m_nAttributes;
    XMLATTRIBUTE m_aAttributes[MAX_XML_ATTRIBUTES];
    CMarkup* m_pOwner;
};

class CMarkup {
    friend class CMarkupNode;

public:
    explicit CMarkup(const wchar_t* pstrXML = nullptr);
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;
    ~CMarkup();

    bool Load(const wchar_t* pstrXML);
    bool LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding = XMLFILE_ENCODING_UTF8);
    // From the paint manager's resource folder, through the skin archive when one is set (the
    // list-row templates always from disk).
    bool LoadFromFile(const wchar_t* pstrFilename, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();
    bool IsValid() const;

    void SetPreserveWhitespace(bool bPreserve = true);
    // Both copy at most cchMax - 1 characters and always terminate.
    void GetLastErrorMessage(wchar_t* pstrMessage, size_t cchMax) const;
    void GetLastErrorLocation(wchar_t* pstrSource, size_t cchMax) const;

    CMarkupNode GetRoot();

private:
    struct XMLELEMENT {
        ULONG iStart;
        ULONG iChild;
        ULONG iNext;
        ULONG iParent;
        ULONG iData;
    };

    bool LoadFromDisk(const wchar_t* pstrPath, int encoding);
    bool LoadFromZip(const wchar_t* pstrFilename, int encoding);
    bool ParseDocument();
    bool ParseLevel(wchar_t*& pstrText, ULONG iParent, int depth);
    ULONG AddElement(const wchar_t* pstrText, ULONG iParent, ULONG iPrevious);
    bool ParseClosingTag(wchar_t*& pstrText, const wchar_t* pstrName, size_t cchName);
    bool ParseAttributes(wchar_t*& pstrText);
    void ParseData(wchar_t*& pstrText, wchar_t*& pstrDest, wchar_t cEnd);
    XMLELEMENT* ReserveElement();
    bool Failed(const wchar_t* pstrError, const wchar_t* pstrLocation = nullptr);

    wchar_t* m_pstrXML;
    XMLELEMENT* m_pElements;
    ULONG m_nElements;
    ULONG m_nReservedElements;
    wchar_t m_szErrorMsg[100];
    wchar_t m_szErrorXML[50];
    bool m_bPreserveWhitespace;
};

}  // namespace SkinUI
