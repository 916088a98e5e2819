#include "ui/core/Markup.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/WinBase.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/SkinArchiveItem.h"
#include "ui/core/UIString.h"

namespace SkinUI {

namespace {

constexpr DWORD kMaxSkinFileSize = 0x400000;
// Real skins nest a few dozen levels; the limit keeps a hostile document from exhausting the stack.
constexpr int kMaxNestingDepth = 1000;
constexpr ULONG kMaxReservedElements = 0x10000000;

// The list-row templates ship as loose files and are always read from disk, never the archive.
const wchar_t* const kDiskOnlySkins[] = {
    L"List2QVideoQGi2f.xml",
    L"ListQVideoQMerge.xml",
    L"ListQVideoQOptimize.xml",
};

// wchar_t holds a whole character here, so stepping to the next one is one step (none at the end).
inline wchar_t* NextChar(wchar_t* p)
{
    return *p ? p + 1 : p;
}

inline bool IsIdentifierChar(wchar_t ch)
{
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9')
        || ch == L'_' || ch == L':';
}

inline void SkipWhitespace(wchar_t*& p)
{
    while (*p > 0 && *p <= L' ')
        p = NextChar(p);
}

inline void SkipIdentifier(wchar_t*& p)
{
    while (*p && IsIdentifierChar(*p))
        p = NextChar(p);
}

inline void SkipWhitespace(const wchar_t*& p)
{
    while (*p > 0 && *p <= L' ')
        ++p;
}

// A comment runs to the next "->", a declaration to the next "?>" (so any other "<!" construct
// also runs to the next "->").
void SkipDeclaration(wchar_t*& pstrText)
{
    const wchar_t chEnd = *pstrText == L'!' ? L'-' : L'?';
    while (*pstrText && !(*pstrText == chEnd && pstrText[1] == L'>'))
        pstrText = NextChar(pstrText);
    if (*pstrText)
        pstrText += 2;
    SkipWhitespace(pstrText);
}

// Copies at most cchMax - 1 characters and terminates; the rest of the buffer is zeroed.
void CopyTerminated(wchar_t* dest, const wchar_t* src, size_t cchMax)
{
    if (!dest || cchMax == 0)
        return;
    size_t i = 0;
    for (; i + 1 < cchMax && src[i]; ++i)
        dest[i] = src[i];
    for (; i < cchMax; ++i)
        dest[i] = L'\0';
}

bool IsDiskOnlySkin(const wchar_t* name)
{
    for (const wchar_t* skin : kDiskOnlySkins) {
        if (wcscmp(name, skin) == 0)
            return true;
    }
    return false;
}

// UTF-16 code units (little-endian bytes after any swap) to wide characters, pairing surrogates.
wchar_t* DecodeUtf16(const BYTE* bytes, size_t units, bool bigEndian)
{
    wchar_t* text = static_cast<wchar_t*>(malloc((units + 1) * sizeof(wchar_t)));
    if (!text)
        return nullptr;
    auto unitAt = [&](size_t i) {
        const BYTE a = bytes[2 * i], b = bytes[2 * i + 1];
        return static_cast<uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    size_t out = 0;
    for (size_t i = 0; i < units; ++i) {
        uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        text[out++] = static_cast<wchar_t>(unit);
    }
    text[out] = L'\0';
    return text;
}

wchar_t* DecodeMultiByte(UINT codePage, const BYTE* bytes, DWORD size)
{
    const auto* narrow = reinterpret_cast<const char*>(bytes);
    const int length = ::MultiByteToWideChar(codePage, 0, narrow, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return nullptr;
    wchar_t* text = static_cast<wchar_t*>(malloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
    if (!text)
        return nullptr;
    const int written = ::MultiByteToWideChar(codePage, 0, narrow, static_cast<int>(size), text, length);
    text[written > 0 ? written : 0] = L'\0';
    return text;
}

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

CMarkupNode::CMarkupNode()
    : m_iPos(0), m_nAttributes(0), m_aAttributes {}, m_pOwner(nullptr)
{
}

CMarkupNode::CMarkupNode(CMarkup* pOwner, int iPos)
    : m_iPos(iPos), m_nAttributes(0), m_aAttributes {}, m_pOwner(pOwner)
{
}

bool CMarkupNode::IsValid() const
{
    return m_pOwner != nullptr;
}

CMarkupNode CMarkupNode::GetParent()
{
    if (!m_pOwner)
        return CMarkupNode();
    const ULONG iPos = m_pOwner->m_pElements[m_iPos].iParent;
    return iPos == 0 ? CMarkupNode() : CMarkupNode(m_pOwner, iPos);
}

CMarkupNode CMarkupNode::GetSibling()
{
    if (!m_pOwner)
        return CMarkupNode();
    const ULONG iPos = m_pOwner->m_pElements[m_iPos].iNext;
    return iPos == 0 ? CMarkupNode() : CMarkupNode(m_pOwner, iPos);
}

CMarkupNode CMarkupNode::GetChild()
{
    if (!m_pOwner)
        return CMarkupNode();
    const ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    return iPos == 0 ? CMarkupNode() : CMarkupNode(m_pOwner, iPos);
}

CMarkupNode CMarkupNode::GetChild(const wchar_t* pstrName)
{
    if (!m_pOwner || !pstrName)
        return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    while (iPos != 0) {
        if (wcscasecmp(m_pOwner->m_pstrXML + m_pOwner->m_pElements[iPos].iStart, pstrName) == 0)
            return CMarkupNode(m_pOwner, iPos);
        iPos = m_pOwner->m_pElements[iPos].iNext;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const
{
    return m_pOwner && m_pOwner->m_pElements[m_iPos].iNext > 0;
}

bool CMarkupNode::HasChildren() const
{
    return m_pOwner && m_pOwner->m_pElements[m_iPos].iChild != 0;
}

const wchar_t* CMarkupNode::GetName() const
{
    return m_pOwner ? m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart : nullptr;
}

const wchar_t* CMarkupNode::GetValue() const
{
    return m_pOwner ? m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData : nullptr;
}

bool CMarkupNode::HasAttributes()
{
    return GetAttributeCount() > 0;
}

int CMarkupNode::GetAttributeCount()
{
    if (!m_pOwner)
        return 0;
    if (m_nAttributes == 0)
        MapAttributes();
    return m_nAttributes;
}

const wchar_t* CMarkupNode::GetAttributeName(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetAttributeCount())
        return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

const wchar_t* CMarkupNode::GetAttributeValue(int iIndex)
{
    if (iIndex < 0 || iIndex >= GetAttributeCount())
        return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

int CMarkupNode::FindAttribute(const wchar_t* pstrName)
{
    if (!pstrName)
        return -1;
    const int count = GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (wcscasecmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0)
            return i;
    }
    return -1;
}

const wchar_t* CMarkupNode::GetAttributeValue(const wchar_t* pstrName)
{
    const int index = FindAttribute(pstrName);
    return index < 0 ? L"" : m_pOwner->m_pstrXML + m_aAttributes[index].iValue;
}

bool CMarkupNode::HasAttribute(const wchar_t* pstrName)
{
    return FindAttribute(pstrName) >= 0;
}

bool CMarkupNode::GetAttributeValue(int iIndex, wchar_t* pstrValue, size_t cchMax)
{
    if (iIndex < 0 || iIndex >= GetAttributeCount())
        return false;
    CopyTerminated(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue, cchMax);
    return true;
}

bool CMarkupNode::GetAttributeValue(const wchar_t* pstrName, wchar_t* pstrValue, size_t cchMax)
{
    const int index = FindAttribute(pstrName);
    if (index < 0)
        return false;
    CopyTerminated(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[index].iValue, cchMax);
    return true;
}

// Walks the terminated name/value pairs that parsing left between the element's name and its data.
void CMarkupNode::MapAttributes()
{
    m_nAttributes = 0;
    const wchar_t* xml = m_pOwner->m_pstrXML;
    const wchar_t* pstr = xml + m_pOwner->m_pElements[m_iPos].iStart;
    const wchar_t* pstrEnd = xml + m_pOwner->m_pElements[m_iPos].iData;
    pstr += wcslen(pstr) + 1;
    while (pstr < pstrEnd && m_nAttributes < MAX_XML_ATTRIBUTES) {
        SkipWhitespace(pstr);
        if (pstr >= pstrEnd || !IsIdentifierChar(*pstr))
            return;
        const ULONG iName = static_cast<ULONG>(pstr - xml);
        pstr += wcslen(pstr) + 1;
        SkipWhitespace(pstr);
        if (pstr >= pstrEnd || *pstr++ != L'"')
            return;
        m_aAttributes[m_nAttributes].iName = iName;
        m_aAttributes[m_nAttributes++].iValue = static_cast<ULONG>(pstr - xml);
        pstr += wcslen(pstr) + 1;
    }
}

CMarkup::CMarkup(const wchar_t* pstrXML)
    : m_pstrXML(nullptr), m_pElements(nullptr), m_nElements(0), m_nReservedElements(0),
      m_szErrorMsg {}, m_szErrorXML {}, m_bPreserveWhitespace(true)
{
    if (pstrXML)
        Load(pstrXML);
}

CMarkup::~CMarkup()
{
    Release();
}

bool CMarkup::IsValid() const
{
    return m_pElements != nullptr;
}

void CMarkup::SetPreserveWhitespace(bool bPreserve)
{
    m_bPreserveWhitespace = bPreserve;
}

bool CMarkup::Load(const wchar_t* pstrXML)
{
    Release();
    if (!pstrXML)
        return Failed(L"Error opening file");
    const size_t cchLen = wcslen(pstrXML) + 1;
    m_pstrXML = static_cast<wchar_t*>(malloc(cchLen * sizeof(wchar_t)));
    if (!m_pstrXML)
        return Failed(L"File too large");
    wmemcpy(m_pstrXML, pstrXML, cchLen);
    if (!ParseDocument()) {
        Release();
        return false;
    }
    return true;
}

bool CMarkup::LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding)
{
    Release();
    if (!pByte || dwSize == 0)
        return Failed(L"File is empty");
    const bool utf16Le = dwSize >= 2 && pByte[0] == 0xFF && pByte[1] == 0xFE;
    const bool utf16Be = dwSize >= 2 && pByte[0] == 0xFE && pByte[1] == 0xFF;
    // A UTF-16 file announces itself by its mark, whichever encoding the caller assumed.
    if (utf16Le || utf16Be) {
        m_pstrXML = DecodeUtf16(pByte + 2, dwSize / 2 - 1, utf16Be);
    } else if (encoding == XMLFILE_ENCODING_UNICODE) {
        m_pstrXML = DecodeUtf16(pByte, dwSize / 2, false);
    } else if (encoding == XMLFILE_ENCODING_ASNI) {
        m_pstrXML = DecodeMultiByte(936, pByte, dwSize);
    } else {
        const bool bom = dwSize >= 3 && pByte[0] == 0xEF && pByte[1] == 0xBB && pByte[2] == 0xBF;
        m_pstrXML = bom ? DecodeMultiByte(CP_UTF8, pByte + 3, dwSize - 3)
                        : DecodeMultiByte(CP_UTF8, pByte, dwSize);
        if (!m_pstrXML && bom && dwSize == 3)
            return Failed(L"File is empty");
    }
    if (!m_pstrXML)
        return Failed(L"Could not read file");
    if (!ParseDocument()) {
        Release();
        return false;
    }
    return true;
}

bool CMarkup::LoadFromFile(const wchar_t* pstrFilename, int encoding)
{
    Release();
    if (!pstrFilename)
        return Failed(L"Error opening file");
    if (CPaintManagerUI::GetResourceZip().IsEmpty() || IsDiskOnlySkin(pstrFilename)) {
        const CUIString path = CPaintManagerUI::GetResourcePath() + pstrFilename;
        return LoadFromDisk(path, encoding);
    }
    return LoadFromZip(pstrFilename, encoding);
}

bool CMarkup::LoadFromDisk(const wchar_t* pstrPath, int encoding)
{
    FileHandle file(::CreateFileW(pstrPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return Failed(L"Error opening file");
    }
    LARGE_INTEGER size {};
    if (!::GetFileSizeEx(file.get(), &size))
        return Failed(L"Could not read file");
    if (size.QuadPart == 0)
        return Failed(L"File is empty");
    if (size.QuadPart > kMaxSkinFileSize)
        return Failed(L"File too large");
    const DWORD dwSize = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[dwSize]);
    if (!bytes)
        return Failed(L"File too large");
    DWORD dwRead = 0;
    if (!::ReadFile(file.get(), bytes.get(), dwSize, &dwRead, nullptr) || dwRead != dwSize)
        return Failed(L"Could not read file");
    file.reset();
    return LoadFromMem(bytes.get(), dwSize, encoding);
}

bool CMarkup::LoadFromZip(const wchar_t* pstrFilename, int encoding)
{
    std::vector<BYTE> bytes;
    switch (ReadSkinArchiveItem(pstrFilename, &bytes)) {
    case SkinItemResult::Ok:
        break;
    case SkinItemResult::NoArchive:
        return Failed(L"Error opening zip file");
    case SkinItemResult::NotFound:
        return Failed(L"Could not find ziped file");
    case SkinItemResult::Empty:
        return Failed(L"File is empty");
    case SkinItemResult::TooLarge:
        return Failed(L"File too large");
    case SkinItemResult::Damaged:
        return Failed(L"Could not unzip file");
    }
    if (bytes.size() > kMaxSkinFileSize)
        return Failed(L"File too large");
    return LoadFromMem(bytes.data(), static_cast<DWORD>(bytes.size()), encoding);
}

void CMarkup::Release()
{
    free(m_pstrXML);
    free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
    m_nReservedElements = 0;
}

void CMarkup::GetLastErrorMessage(wchar_t* pstrMessage, size_t cchMax) const
{
    CopyTerminated(pstrMessage, m_szErrorMsg, cchMax);
}

void CMarkup::GetLastErrorLocation(wchar_t* pstrSource, size_t cchMax) const
{
    CopyTerminated(pstrSource, m_szErrorXML, cchMax);
}

CMarkupNode CMarkup::GetRoot()
{
    if (m_nElements <= 1)
        return CMarkupNode();
    return CMarkupNode(this, 1);
}

bool CMarkup::ParseDocument()
{
    if (!ReserveElement())
        return Failed(L"File too large");
    m_szErrorMsg[0] = L'\0';
    m_szErrorXML[0] = L'\0';
    wchar_t* pstrXML = m_pstrXML;
    return ParseLevel(pstrXML, 0, 0);
}

// Parses the elements of one level, siblings in a row, and their children recursively. Returns at
// the end of the text or at the closing tag of the parent, which the caller consumes.
bool CMarkup::ParseLevel(wchar_t*& pstrText, ULONG iParent, int depth)
{
    if (depth > kMaxNestingDepth)
        return Failed(L"Elements nested too deeply", pstrText);
    SkipWhitespace(pstrText);
    ULONG iPrevious = 0;
    for (;;) {
        if (*pstrText == L'\0' && iParent <= 1)
            return true;
        SkipWhitespace(pstrText);
        if (*pstrText != L'<')
            return Failed(L"Expected start tag", pstrText);
        if (pstrText[1] == L'/')
            return true;
        *pstrText++ = L'\0';
        SkipWhitespace(pstrText);
        if (*pstrText == L'!' || *pstrText == L'?') {
            SkipDeclaration(pstrText);
            continue;
        }
        const ULONG iPos = AddElement(pstrText, iParent, iPrevious);
        if (iPos == 0)
            return Failed(L"File too large", pstrText);
        iPrevious = iPos;

        const wchar_t* pstrName = pstrText;
        SkipIdentifier(pstrText);
        wchar_t* pstrNameEnd = pstrText;
        if (*pstrText == L'\0')
            return Failed(L"Error parsing element name", pstrText);
        if (!ParseAttributes(pstrText))
            return false;
        SkipWhitespace(pstrText);
        if (pstrText[0] == L'/' && pstrText[1] == L'>') {
            m_pElements[iPos].iData = static_cast<ULONG>(pstrText - m_pstrXML);
            *pstrText = L'\0';
            pstrText += 2;
        } else {
            if (*pstrText != L'>')
                return Failed(L"Expected start-tag closing", pstrText);
            m_pElements[iPos].iData = static_cast<ULONG>(++pstrText - m_pstrXML);
            wchar_t* pstrDest = pstrText;
            ParseData(pstrText, pstrDest, L'<');
            if (*pstrText == L'\0' && iParent <= 1) {
                *pstrDest = L'\0';
                *pstrNameEnd = L'\0';
                return true;
            }
            if (*pstrText != L'<')
                return Failed(L"Expected end-tag start", pstrText);
            // Decoding shortened the text: end it where the decoded characters end.
            if (pstrDest != pstrText)
                *pstrDest = L'\0';
            if (pstrText[1] != L'/' && !ParseLevel(pstrText, iPos, depth + 1))
                return false;
            if (pstrText[0] == L'<' && pstrText[1] == L'/') {
                *pstrDest = L'\0';
                if (!ParseClosingTag(pstrText, pstrName, static_cast<size_t>(pstrNameEnd - pstrName)))
                    return false;
            }
        }
        *pstrNameEnd = L'\0';
        SkipWhitespace(pstrText);
    }
}

// A new element named at pstrText, linked as the parent's first child or the previous element's
// next sibling; 0 when the table cannot grow.
ULONG CMarkup::AddElement(const wchar_t* pstrText, ULONG iParent, ULONG iPrevious)
{
    XMLELEMENT* pEl = ReserveElement();
    if (!pEl)
        return 0;
    const ULONG iPos = static_cast<ULONG>(pEl - m_pElements);
    pEl->iStart = static_cast<ULONG>(pstrText - m_pstrXML);
    pEl->iParent = iParent;
    pEl->iNext = pEl->iChild = 0;
    pEl->iData = pEl->iStart;
    if (iPrevious != 0)
        m_pElements[iPrevious].iNext = iPos;
    else if (iParent > 0)
        m_pElements[iParent].iChild = iPos;
    return iPos;
}

// At "</": the name must repeat the element's, character for character, then '>'.
bool CMarkup::ParseClosingTag(wchar_t*& pstrText, const wchar_t* pstrName, size_t cchName)
{
    *pstrText = L'\0';
    pstrText += 2;
    SkipWhitespace(pstrText);
    if (wcsncmp(pstrText, pstrName, cchName) != 0)
        return Failed(L"Unmatched closing tag", pstrText);
    pstrText += cchName;
    SkipWhitespace(pstrText);
    if (*pstrText != L'>')
        return Failed(L"Unmatched closing tag", pstrText);
    ++pstrText;
    return true;
}

bool CMarkup::ParseAttributes(wchar_t*& pstrText)
{
    if (*pstrText == L'>' || (pstrText[0] == L'/' && pstrText[1] == L'>'))
        return true;
    *pstrText++ = L'\0';
    SkipWhitespace(pstrText);
    while (*pstrText && *pstrText != L'>' && *pstrText != L'/') {
        SkipIdentifier(pstrText);
        wchar_t* pstrIdentifierEnd = pstrText;
        SkipWhitespace(pstrText);
        if (*pstrText != L'=')
            return Failed(L"Error while parsing attributes", pstrText);
        *pstrText++ = L' ';
        *pstrIdentifierEnd = L'\0';
        SkipWhitespace(pstrText);
        if (*pstrText != L'"')
            return Failed(L"Expected attribute value", pstrText);
        ++pstrText;
        wchar_t* pstrDest = pstrText;
        ParseData(pstrText, pstrDest, L'"');
        if (*pstrText == L'\0')
            return Failed(L"Error while parsing attribute string", pstrText);
        *pstrDest = L'\0';
        if (pstrText != pstrDest)
            *pstrText = L' ';
        ++pstrText;
        SkipWhitespace(pstrText);
    }
    return true;
}

// Decodes text up to cEnd in place: the five named entities become their characters, anything else
// is copied. The characters freed by decoding become spaces, so attribute mapping can walk over them.
void CMarkup::ParseData(wchar_t*& pstrText, wchar_t*& pstrDest, wchar_t cEnd)
{
    struct Entity {
        const wchar_t* name;
        size_t length;
        wchar_t ch;
    };
    static const Entity kEntities[] = {
        { L"amp;", 4, L'&' }, { L"lt;", 3, L'<' }, { L"gt;", 3, L'>' },
        { L"quot;", 5, L'"' }, { L"apos;", 5, L'\'' },
    };
    while (*pstrText && *pstrText != cEnd) {
        if (*pstrText == L'&') {
            ++pstrText;
            wchar_t decoded = L'&';
            for (const Entity& entity : kEntities) {
                if (wcsncmp(pstrText, entity.name, entity.length) == 0) {
                    decoded = entity.ch;
                    pstrText += entity.length;
                    break;
                }
            }
            *pstrDest++ = decoded;
        } else if (*pstrText == L' ') {
            *pstrDest++ = *pstrText++;
            if (!m_bPreserveWhitespace) {
                while (*pstrText > 0 && *pstrText <= L' ')
                    pstrText = NextChar(pstrText);
            }
        } else {
            *pstrDest++ = *pstrText;
            pstrText = NextChar(pstrText);
        }
    }
    for (wchar_t* pstrFill = pstrDest + 1; pstrFill < pstrText; ++pstrFill)
        *pstrFill = L' ';
}

CMarkup::XMLELEMENT* CMarkup::ReserveElement()
{
    if (m_nElements == m_nReservedElements) {
        if (m_nReservedElements > kMaxReservedElements)
            return nullptr;
        const ULONG reserved = m_nReservedElements + m_nReservedElements / 2 + 500;
        auto* elements = static_cast<XMLELEMENT*>(realloc(m_pElements, reserved * sizeof(XMLELEMENT)));
        if (!elements)
            return nullptr;
        m_pElements = elements;
        m_nReservedElements = reserved;
    }
    return &m_pElements[m_nElements++];
}

bool CMarkup::Failed(const wchar_t* pstrError, const wchar_t* pstrLocation)
{
    CopyTerminated(m_szErrorMsg, pstrError, std::size(m_szErrorMsg));
    CopyTerminated(m_szErrorXML, pstrLocation ? pstrLocation : L"", std::size(m_szErrorXML));
    return false;
}

}  // namespace SkinUI
