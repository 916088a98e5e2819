// The two levels of resource tables (shared by the process, and the window's own) for images,
// parsed image attributes, styles, default attribute lists and default colours; the window's
// custom attributes; the colour shift of images; and control plugins.

#include "ui/core/PaintManagerUI.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

#include "platform/WinBase.h"
#include "ui/core/ControlUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

TResInfo CPaintManagerUI::m_SharedResInfo;
CStdPtrArray CPaintManagerUI::m_aPlugins;
bool CPaintManagerUI::m_bUseHSL = false;
short CPaintManagerUI::m_H = 180;
short CPaintManagerUI::m_S = 100;
short CPaintManagerUI::m_L = 100;

namespace {

// Every data pointer of a map, gathered first so the map can be emptied after.
template <class T>
void ForEachData(const CStdStringPtrMap& table, auto&& visit)
{
    for (int i = 0; i < table.GetSize(); ++i) {
        const wchar_t* key = table.GetAt(i);
        if (key)
            visit(key, static_cast<T*>(table.Find(key, false)));
    }
}

bool HasType(const wchar_t* type)
{
    return type && *type;
}

TImageInfo* LoadByName(const wchar_t* bitmap, const wchar_t* type, DWORD mask, HINSTANCE instance, bool* overLimit)
{
    if (!HasType(type))
        return CRenderEngine::LoadImageW(bitmap, nullptr, mask, instance, overLimit);
    if (!std::iswdigit(static_cast<wint_t>(bitmap[0])))
        return nullptr;  // a resource image is named by its numeric id
    return CRenderEngine::LoadImageW(static_cast<UINT>(wcstol(bitmap, nullptr, 10)), type, mask, instance, overLimit);
}

// At a scale other than 100 a skin may ship "name@150.png" for that one scale (asked for first),
// "name@.png" for every other scale, or only the plain "name.png": that one is enlarged to the
// scale, so that a picture never vanishes at a scale its skin did not draw it for.
TImageInfo* LoadScaledVariant(const wchar_t* bitmap, DWORD mask, HINSTANCE instance, const CDPI& dpi, bool* overLimit)
{
    CUIString variant;
    variant.Format(L"@%d.", dpi.GetScale());
    CUIString shared(bitmap);
    shared.Replace(variant, L"@.");
    if (TImageInfo* data = CRenderEngine::LoadImageW(shared.GetData(), nullptr, mask, instance, overLimit))
        return data;
    CUIString plain(bitmap);
    if (plain.Replace(variant, L".") == 0)
        return nullptr;
    TImageInfo* original = CRenderEngine::LoadImageW(plain.GetData(), nullptr, mask, instance, overLimit);
    if (!original)
        return nullptr;
    TImageInfo* scaled = CRenderEngine::ResizeImage(original, dpi.Scale(original->nX), dpi.Scale(original->nY));
    CRenderEngine::FreeImage(original);
    return scaled;
}

TImageInfo* LoadForScale(const wchar_t* bitmap, const wchar_t* type, DWORD mask, HINSTANCE instance, const CDPI* dpi,
                         bool* overLimit = nullptr)
{
    TImageInfo* data = LoadByName(bitmap, type, mask, instance, overLimit);
    if (!data && !HasType(type) && dpi && dpi->GetScale() != 100)
        data = LoadScaledVariant(bitmap, mask, instance, *dpi, overLimit);
    return data;
}

std::wstring RefusalKey(const wchar_t* bitmap, const wchar_t* type)
{
    return std::wstring(bitmap) + L'\n' + (HasType(type) ? type : L"");
}

void KeepSourceBits(TImageInfo* data)
{
    delete[] data->pSrcBits;
    data->pSrcBits = nullptr;
    if (!data->bUseHSL || !data->hBitmap || data->nX <= 0 || data->nY <= 0)
        return;
    const size_t bytes = static_cast<size_t>(data->nX) * static_cast<size_t>(data->nY) * 4;
    data->pSrcBits = new BYTE[bytes];
    if (data->pBits)
        memcpy(data->pSrcBits, data->pBits, bytes);
    else
        ::GetBitmapBits(data->hBitmap, static_cast<LONG>(bytes), data->pSrcBits);
}

void SetOwnedString(CStdStringPtrMap& table, const wchar_t* key, const wchar_t* value, bool replace)
{
    auto* old = static_cast<CUIString*>(table.Find(key));
    if (old && !replace)
        return;
    if (old) {
        *old = value;
        return;
    }
    auto* copy = new CUIString(value);
    if (!table.Insert(key, copy))
        delete copy;
}

bool RemoveOwnedString(CStdStringPtrMap& table, const wchar_t* key)
{
    auto* old = static_cast<CUIString*>(table.Find(key));
    if (!old)
        return false;
    delete old;
    return table.Remove(key);
}

const wchar_t* FindString(const CStdStringPtrMap& mine, const CStdStringPtrMap& shared, const wchar_t* key)
{
    if (!key)
        return nullptr;
    auto* text = static_cast<CUIString*>(mine.Find(key));
    if (!text)
        text = static_cast<CUIString*>(shared.Find(key));
    return text ? text->GetData() : nullptr;
}

struct ImageKeys {
    CUIString name;
    CUIString type;
    DWORD mask = 0;
};

void ReadImageKey(void* context, const CUIString& key, const CUIString& value)
{
    auto* keys = static_cast<ImageKeys*>(context);
    if (key == L"file" || key == L"res")
        keys->name = value;
    else if (key == L"restype")
        keys->type = value;
    else if (key == L"mask")
        keys->mask = static_cast<DWORD>(wcstoul(value.GetData() + (value[0] == L'#' ? 1 : 0), nullptr, 16));
}

}  // namespace

TResInfo& CPaintManagerUI::TableFor(bool bShared)
{
    return bShared || m_bForceUseSharedRes ? m_SharedResInfo : m_ResInfo;
}

void CPaintManagerUI::FreeImageTable(CStdStringPtrMap& table)
{
    ForEachData<TImageInfo>(table, [](const wchar_t*, TImageInfo* data) { CRenderEngine::FreeImage(data); });
    table.RemoveAll();
}

// A level owns the strings of its styles and default attribute lists. A window's level has
// usually freed them already; the shared level lasts as long as the process and frees them here.
tagTResInfo::~tagTResInfo()
{
    for (CStdStringPtrMap* table : { &m_StyleHash, &m_AttrHash })
        ForEachData<CUIString>(*table, [](const wchar_t*, CUIString* text) { delete text; });
}

void CPaintManagerUI::FreeStringTable(CStdStringPtrMap& table)
{
    ForEachData<CUIString>(table, [](const wchar_t*, CUIString* text) { delete text; });
    table.RemoveAll();
}

void CPaintManagerUI::ClearWindowTables()
{
    RemoveAllFonts();
    FreeImageTable(m_ResInfo.m_ImageHash);
    FreeStringTable(m_ResInfo.m_StyleHash);
    FreeStringTable(m_ResInfo.m_AttrHash);
    FreeStringTable(m_mWindowCustomAttrHash);
    RemoveAllOptionGroups();
}

// ---- Images ----

const TImageInfo* CPaintManagerUI::GetImage(const wchar_t* bitmap)
{
    if (!bitmap)
        return nullptr;
    auto* data = static_cast<TImageInfo*>(m_ResInfo.m_ImageHash.Find(bitmap));
    if (!data)
        data = static_cast<TImageInfo*>(m_SharedResInfo.m_ImageHash.Find(bitmap));
    return data;
}

const TImageInfo* CPaintManagerUI::GetImageEx(const wchar_t* bitmap, const wchar_t* type, DWORD mask, bool bUseHSL,
                                              HINSTANCE instance)
{
    const TImageInfo* data = GetImage(bitmap);
    if (data)
        return data;
    return AddImage(bitmap, type, mask, bUseHSL, false, instance);
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, const wchar_t* type, DWORD mask, bool bUseHSL,
                                            bool bShared, HINSTANCE instance)
{
    if (!bitmap || !*bitmap)
        return nullptr;
    TResInfo& level = TableFor(bShared);
    const std::wstring refusalKey = RefusalKey(bitmap, type);
    if (level.m_RefusedImages.count(refusalKey))
        return nullptr;
    bool overLimit = false;
    TImageInfo* data = LoadForScale(bitmap, type, mask, instance, GetDPIObj(), &overLimit);
    if (!data) {
        if (overLimit)
            level.m_RefusedImages.insert(refusalKey);
        return nullptr;
    }
    data->bUseHSL = bUseHSL;
    if (HasType(type))
        data->sResType = type;
    data->dwMask = mask;
    KeepSourceBits(data);
    if (m_bUseHSL)
        CRenderEngine::AdjustImage(true, data, m_H, m_S, m_L);
    CStdStringPtrMap& table = level.m_ImageHash;
    if (auto* old = static_cast<TImageInfo*>(table.Find(bitmap))) {
        CRenderEngine::FreeImage(old);
        table.Remove(bitmap);
    }
    if (!table.Insert(bitmap, data)) {
        CRenderEngine::FreeImage(data);
        return nullptr;
    }
    return data;
}

const TImageInfo* CPaintManagerUI::AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth, int iHeight,
                                            bool bAlpha, bool bShared)
{
    if (!bitmap || !*bitmap || !hBitmap || iWidth < 1 || iHeight < 1)
        return nullptr;
    auto* data = new TImageInfo;
    data->hBitmap = hBitmap;
    data->nX = iWidth;
    data->nY = iHeight;
    data->bAlpha = bAlpha;
    if (!TableFor(bShared).m_ImageHash.Insert(bitmap, data)) {
        data->hBitmap = nullptr;  // the caller keeps its bitmap when nothing was registered
        CRenderEngine::FreeImage(data);
        return nullptr;
    }
    return data;
}

void CPaintManagerUI::RemoveImage(const wchar_t* bitmap, bool bShared)
{
    CStdStringPtrMap& table = TableFor(bShared).m_ImageHash;
    auto* data = static_cast<TImageInfo*>(table.Find(bitmap));
    if (!data)
        return;
    CRenderEngine::FreeImage(data);
    table.Remove(bitmap);
}

void CPaintManagerUI::RemoveAllImages(bool bShared)
{
    FreeImageTable(TableFor(bShared).m_ImageHash);
}

const TImageInfo* CPaintManagerUI::GetImageString(const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    ImageKeys keys;
    keys.name = pStrImage;
    ForEachImageAttribute(pStrImage, ReadImageKey, &keys);
    ForEachImageAttribute(pStrModify, ReadImageKey, &keys);
    return GetImageEx(keys.name, keys.type, keys.mask);
}

// Reloads every image of a table into its existing record, so pointers to the records stay valid.
void CPaintManagerUI::ReloadImageTable(CStdStringPtrMap& table, bool dropFailed, const CDPI* dpi)
{
    CStdPtrArray failed;
    ForEachData<TImageInfo>(table, [&](const wchar_t* key, TImageInfo* data) {
        TImageInfo* fresh = LoadForScale(key, data->sResType, data->dwMask, nullptr, dpi);
        if (!fresh) {
            if (dropFailed)
                failed.Add(new CUIString(key));
            return;
        }
        CRenderEngine::FreeImage(data, false);
        data->hBitmap = fresh->hBitmap;
        data->pBits = fresh->pBits;
        data->pSrcBits = fresh->pSrcBits;
        data->nX = fresh->nX;
        data->nY = fresh->nY;
        data->bAlpha = fresh->bAlpha;
        fresh->hBitmap = nullptr;
        fresh->pBits = nullptr;
        fresh->pSrcBits = nullptr;
        CRenderEngine::FreeImage(fresh);
        KeepSourceBits(data);
        if (m_bUseHSL)
            CRenderEngine::AdjustImage(true, data, m_H, m_S, m_L);
    });
    for (int i = 0; i < failed.GetSize(); ++i) {
        auto* key = static_cast<CUIString*>(failed[i]);
        CRenderEngine::FreeImage(static_cast<TImageInfo*>(table.Find(*key)));
        table.Remove(*key);
        delete key;
    }
}

void CPaintManagerUI::ReloadImages()
{
    RemoveAllDrawInfos();
    m_ResInfo.m_RefusedImages.clear();
    ReloadImageTable(m_ResInfo.m_ImageHash, true, GetDPIObj());
    if (m_pRoot)
        m_pRoot->Invalidate();
}

void CPaintManagerUI::ReloadSharedImages()
{
    m_SharedResInfo.m_RefusedImages.clear();
    ReloadImageTable(m_SharedResInfo.m_ImageHash, false, nullptr);  // shared by windows of any scale
}

void CPaintManagerUI::ReloadSkin()
{
    ReloadSharedImages();
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i)
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->ReloadImages();
}

// ---- Colour shift ----

void CPaintManagerUI::SetHSL(bool bUseHSL, short H, short S, short L)
{
    if (!m_bUseHSL && !bUseHSL)
        return;
    m_bUseHSL = bUseHSL;
    if (H == m_H && S == m_S && L == m_L)
        return;
    m_H = std::clamp<short>(H, 0, 360);
    m_S = std::clamp<short>(S, 0, 200);
    m_L = std::clamp<short>(L, 0, 200);
    AdjustSharedImagesHSL();
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i)
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->AdjustImagesHSL();
}

bool CPaintManagerUI::GetHSL(short* H, short* S, short* L)
{
    *H = m_H;
    *S = m_S;
    *L = m_L;
    return m_bUseHSL;
}

void CPaintManagerUI::AdjustImageTable(CStdStringPtrMap& table)
{
    ForEachData<TImageInfo>(table, [](const wchar_t*, TImageInfo* data) {
        if (data && data->bUseHSL)
            CRenderEngine::AdjustImage(m_bUseHSL, data, m_H, m_S, m_L);
    });
}

void CPaintManagerUI::AdjustImagesHSL()
{
    AdjustImageTable(m_ResInfo.m_ImageHash);
    Invalidate();
}

void CPaintManagerUI::AdjustSharedImagesHSL()
{
    AdjustImageTable(m_SharedResInfo.m_ImageHash);
}

// ---- Parsed image attributes ----

const TDrawInfo* CPaintManagerUI::GetDrawInfo(const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    CUIString key(pStrImage);
    key += pStrModify;
    if (key.IsEmpty())
        return nullptr;
    if (auto* info = static_cast<TDrawInfo*>(m_ResInfo.m_DrawInfoHash.Find(key)))
        return info;
    auto* info = new TDrawInfo;
    info->Parse(pStrImage, pStrModify, this);
    if (!m_ResInfo.m_DrawInfoHash.Insert(key, info)) {
        delete info;
        return nullptr;
    }
    return info;
}

void CPaintManagerUI::RemoveDrawInfo(const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    CUIString key(pStrImage);
    key += pStrModify;
    auto* info = static_cast<TDrawInfo*>(m_ResInfo.m_DrawInfoHash.Find(key));
    if (!info)
        return;
    delete info;
    m_ResInfo.m_DrawInfoHash.Remove(key);
}

void CPaintManagerUI::RemoveAllDrawInfos()
{
    ForEachData<TDrawInfo>(m_ResInfo.m_DrawInfoHash, [](const wchar_t*, TDrawInfo* info) { delete info; });
    m_ResInfo.m_DrawInfoHash.RemoveAll();
}

// ---- Styles, default attribute lists, custom attributes ----

void CPaintManagerUI::AddStyle(const wchar_t* pName, const wchar_t* pStyle, bool bShared)
{
    if (!pName || !pStyle)
        return;
    SetOwnedString(TableFor(bShared).m_StyleHash, pName, pStyle, false);  // the first one stays
}

const wchar_t* CPaintManagerUI::GetStyle(const wchar_t* pName) const
{
    return FindString(m_ResInfo.m_StyleHash, m_SharedResInfo.m_StyleHash, pName);
}

CStdStringPtrMap* CPaintManagerUI::GetStyles(bool bShared)
{
    return &TableFor(bShared).m_StyleHash;
}

bool CPaintManagerUI::RemoveStyle(const wchar_t* pName, bool bShared)
{
    return pName && RemoveOwnedString(TableFor(bShared).m_StyleHash, pName);
}

void CPaintManagerUI::RemoveAllStyle(bool bShared)
{
    FreeStringTable(TableFor(bShared).m_StyleHash);
}

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* pStrControlName, const wchar_t* pStrControlAttrList,
                                              bool bShared)
{
    if (!pStrControlName || !pStrControlAttrList)
        return;
    SetOwnedString(TableFor(bShared).m_AttrHash, pStrControlName, pStrControlAttrList, true);  // the last wins
}

const wchar_t* CPaintManagerUI::GetDefaultAttributeList(const wchar_t* pStrControlName) const
{
    return FindString(m_ResInfo.m_AttrHash, m_SharedResInfo.m_AttrHash, pStrControlName);
}

bool CPaintManagerUI::RemoveDefaultAttributeList(const wchar_t* pStrControlName, bool bShared)
{
    return pStrControlName && RemoveOwnedString(TableFor(bShared).m_AttrHash, pStrControlName);
}

void CPaintManagerUI::RemoveAllDefaultAttributeList(bool bShared)
{
    FreeStringTable(TableFor(bShared).m_AttrHash);
}

void CPaintManagerUI::AddWindowCustomAttribute(const wchar_t* pstrName, const wchar_t* pstrAttr)
{
    if (!pstrName || !*pstrName || !pstrAttr || !*pstrAttr)
        return;
    SetOwnedString(m_mWindowCustomAttrHash, pstrName, pstrAttr, false);
}

const wchar_t* CPaintManagerUI::GetWindowCustomAttribute(const wchar_t* pstrName) const
{
    if (!pstrName || !*pstrName)
        return nullptr;
    auto* value = static_cast<CUIString*>(m_mWindowCustomAttrHash.Find(pstrName));
    return value ? value->GetData() : nullptr;
}

bool CPaintManagerUI::RemoveWindowCustomAttribute(const wchar_t* pstrName)
{
    return pstrName && RemoveOwnedString(m_mWindowCustomAttrHash, pstrName);
}

void CPaintManagerUI::RemoveAllWindowCustomAttribute()
{
    FreeStringTable(m_mWindowCustomAttrHash);
}

// ---- Default colours ----

// A window that chose its own colour keeps it when the shared one changes.
void CPaintManagerUI::SetDefaultColor(DWORD tagTResInfo::*field, DWORD dwColor, bool bShared)
{
    if (bShared) {
        const DWORD old = m_SharedResInfo.*field;
        m_SharedResInfo.*field = dwColor;
        if (m_ResInfo.*field != old)
            return;
    }
    m_ResInfo.*field = dwColor;
}

void CPaintManagerUI::SetDefaultDisabledColor(DWORD dwColor, bool bShared)
{
    SetDefaultColor(&tagTResInfo::m_dwDefaultDisabledColor, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColor(&tagTResInfo::m_dwDefaultFontColor, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultLinkFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColor(&tagTResInfo::m_dwDefaultLinkFontColor, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared)
{
    SetDefaultColor(&tagTResInfo::m_dwDefaultLinkHoverFontColor, dwColor, bShared);
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD dwColor, bool bShared)
{
    SetDefaultColor(&tagTResInfo::m_dwDefaultSelectedBkColor, dwColor, bShared);
}

// ---- Plugins ----

bool CPaintManagerUI::LoadPlugin(const wchar_t* pstrModuleName)
{
    if (!pstrModuleName)
        return false;
    HMODULE module = ::LoadLibraryW(pstrModuleName);
    if (!module)
        return false;
    void* create = reinterpret_cast<void*>(::GetProcAddress(module, "CreateControl"));
    if (!create)
        return false;
    if (m_aPlugins.Find(create) < 0)
        m_aPlugins.Add(create);
    return true;
}

CStdPtrArray* CPaintManagerUI::GetPlugins()
{
    return &m_aPlugins;
}

}  // namespace SkinUI
