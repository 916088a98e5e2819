#pragma once
// CResourceManager: the process's tables that let skins name resources and texts by id. A resource
// list maps image ids and skin-file ids to paths; a language file maps text ids to texts; an
// application's text query interface supplies texts that no language file holds (asked once per
// id). Ids are compared exactly, case included. Created on first use; used on the UI thread.

#include "ui/core/Markup.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/StringOrId.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class IQueryControlText {
public:
    virtual const wchar_t* QueryControlText(const wchar_t* lpstrId, const wchar_t* lpstrType) = 0;

protected:
    ~IQueryControlText() = default;
};

class CResourceManager {
public:
    static CResourceManager* GetInstance();
    // Ends the single instance for the rest of the process; GetInstance is not called after it.
    void Release();

    bool LoadResource(STRINGorID xml, const wchar_t* type = nullptr);
    bool LoadResource(CMarkupNode Root);
    void ResetResourceMap();
    const wchar_t* GetImagePath(const wchar_t* lpstrId);
    const wchar_t* GetXmlPath(const wchar_t* lpstrId);

    void SetLanguage(const wchar_t* pstrLanguage) { m_sLauguage = pstrLanguage; }
    const wchar_t* GetLanguage() { return m_sLauguage; }
    bool LoadLanguage(const wchar_t* pstrXml);

    void SetTextQueryInterface(IQueryControlText* pInterface) { m_pQuerypInterface = pInterface; }
    // The text of an id: the stored text, else the query interface's answer (stored, the empty
    // text for none), else the id itself. The pointer stays valid until that id's text changes.
    const wchar_t* GetText(const wchar_t* lpstrId, const wchar_t* lpstrType = nullptr);
    void ReloadText();
    void ResetTextMap();

private:
    CResourceManager();
    ~CResourceManager();
    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    static bool LoadDocument(CMarkup& xml, const wchar_t* pstrXml);
    static void FreeStrings(CStdStringPtrMap& map);

    CStdStringPtrMap m_mTextResourceHashMap;
    IQueryControlText* m_pQuerypInterface;
    CStdStringPtrMap m_mImageHashMap;
    CStdStringPtrMap m_mXmlHashMap;
    CMarkup m_xml;
    CUIString m_sLauguage;
};

}  // namespace SkinUI
