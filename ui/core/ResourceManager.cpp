#include "ui/core/ResourceManager.h"

#include <cwchar>

#include "platform/Resource.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

void StoreFirst(CStdStringPtrMap& map, const wchar_t* id, const wchar_t* value)
{
    if (map.Find(id))
        return;
    auto* copy = new CUIString(value);
    if (!map.Insert(id, copy))
        delete copy;
}

}  // namespace

CResourceManager* CResourceManager::GetInstance()
{
    // Function-local: safe against concurrent first calls.
    static CResourceManager* const instance = new CResourceManager();
    return instance;
}

void CResourceManager::Release()
{
    delete this;
}

CResourceManager::CResourceManager()
    : m_pQuerypInterface(nullptr)
{
}

CResourceManager::~CResourceManager()
{
    ResetTextMap();
    ResetResourceMap();
}

bool CResourceManager::LoadDocument(CMarkup& xml, const wchar_t* pstrXml)
{
    if (!pstrXml)
        return false;
    if (*pstrXml == L'<')
        return xml.Load(pstrXml);
    return xml.LoadFromFile(pstrXml);
}

bool CResourceManager::LoadResource(STRINGorID xml, const wchar_t* type)
{
    if (IS_INTRESOURCE(xml.m_lpstr)) {
        const HINSTANCE module = CPaintManagerUI::GetResourceDll();
        HRSRC resource = ::FindResource(module, xml.m_lpstr, type);
        if (!resource)
            return false;
        HGLOBAL loaded = ::LoadResource(module, resource);
        if (!loaded)
            return false;
        const auto* bytes = static_cast<const BYTE*>(::LockResource(loaded));
        const DWORD size = ::SizeofResource(module, resource);
        const bool parsed = bytes && m_xml.LoadFromMem(bytes, size);
        ::FreeResource(loaded);
        if (!parsed)
            return false;
    } else if (!LoadDocument(m_xml, xml.m_lpstr)) {
        return false;
    }
    return LoadResource(m_xml.GetRoot());
}

bool CResourceManager::LoadResource(CMarkupNode Root)
{
    if (!Root.IsValid())
        return false;
    for (CMarkupNode node = Root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (node.HasChildren()) {
            LoadResource(node);
            continue;
        }
        const wchar_t* name = node.GetName();
        CStdStringPtrMap* map = nullptr;
        if (wcscasecmp(name, L"Image") == 0)
            map = &m_mImageHashMap;
        else if (wcscasecmp(name, L"Xml") == 0)
            map = &m_mXmlHashMap;
        if (!map || !node.HasAttribute(L"id") || !node.HasAttribute(L"path"))
            continue;
        StoreFirst(*map, node.GetAttributeValue(L"id"), node.GetAttributeValue(L"path"));
    }
    return true;
}

void CResourceManager::FreeStrings(CStdStringPtrMap& map)
{
    for (int i = 0; i < map.GetSize(); ++i)
        delete static_cast<CUIString*>(map.Find(map.GetAt(i), false));
    map.RemoveAll();
}

void CResourceManager::ResetResourceMap()
{
    FreeStrings(m_mImageHashMap);
    FreeStrings(m_mXmlHashMap);
}

const wchar_t* CResourceManager::GetImagePath(const wchar_t* lpstrId)
{
    const auto* path = static_cast<const CUIString*>(m_mImageHashMap.Find(lpstrId));
    return path ? path->GetData() : nullptr;
}

const wchar_t* CResourceManager::GetXmlPath(const wchar_t* lpstrId)
{
    const auto* path = static_cast<const CUIString*>(m_mXmlHashMap.Find(lpstrId));
    return path ? path->GetData() : nullptr;
}

bool CResourceManager::LoadLanguage(const wchar_t* pstrXml)
{
    CMarkup xml;
    if (!LoadDocument(xml, pstrXml))
        return false;
    CMarkupNode root = xml.GetRoot();
    if (!root.IsValid())
        return false;
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (wcscasecmp(node.GetName(), L"Text") != 0)
            continue;
        if (!node.HasAttribute(L"id") || !node.HasAttribute(L"value"))
            continue;
        const wchar_t* id = node.GetAttributeValue(L"id");
        const wchar_t* value = node.GetAttributeValue(L"value");
        if (auto* text = static_cast<CUIString*>(m_mTextResourceHashMap.Find(id)))
            *text = value;
        else
            StoreFirst(m_mTextResourceHashMap, id, value);
    }
    return true;
}

const wchar_t* CResourceManager::GetText(const wchar_t* lpstrId, const wchar_t* lpstrType)
{
    if (!lpstrId)
        return L"";
    if (const auto* text = static_cast<const CUIString*>(m_mTextResourceHashMap.Find(lpstrId)))
        return text->GetData();
    if (!m_pQuerypInterface)
        return lpstrId;
    const wchar_t* answer = m_pQuerypInterface->QueryControlText(lpstrId, lpstrType);
    auto* text = new CUIString(answer ? answer : L"");
    if (!m_mTextResourceHashMap.Insert(lpstrId, text)) {
        delete text;
        return L"";
    }
    return text->GetData();
}

void CResourceManager::ReloadText()
{
    if (!m_pQuerypInterface)
        return;
    for (int i = 0; i < m_mTextResourceHashMap.GetSize(); ++i) {
        const wchar_t* id = m_mTextResourceHashMap.GetAt(i);
        const wchar_t* answer = m_pQuerypInterface->QueryControlText(id, nullptr);
        if (!answer)
            continue;
        if (auto* text = static_cast<CUIString*>(m_mTextResourceHashMap.Find(id, false)))
            *text = answer;
    }
}

void CResourceManager::ResetTextMap()
{
    FreeStrings(m_mTextResourceHashMap);
}

}  // namespace SkinUI
