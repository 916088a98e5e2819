// Fonts (per window and shared, by numeric id), fonts from font files, the process-wide table of
// multi-language strings with its "%[id]" tokens, and the change of a window's DPI.

#include "ui/core/PaintManagerUI.h"

#include <cwchar>
#include <memory>
#include <vector>

#include "platform/Resource.h"
#include "platform/WinBase.h"
#include "ui/core/ControlUI.h"
#include "ui/core/Markup.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/SkinArchiveItem.h"

namespace SkinUI {

bool CPaintManagerUI::m_bSharedInitDone = false;

namespace {

using Bytes = std::vector<BYTE>;

// Process-wide, used on the UI thread only.
CStdStringPtrMap& MultiLanguageStrings()
{
    static CStdStringPtrMap strings(83);
    return strings;
}

CStdPtrArray& LanguageNotifiers()
{
    static CStdPtrArray windows;
    return windows;
}

LOGFONTW StockLogFont()
{
    LOGFONTW lf {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

void CopyFaceName(LOGFONTW& lf, const wchar_t* face)
{
    if (!face || !*face)
        return;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
}

CUIString FontKey(int id)
{
    CUIString key;
    key.Format(L"%d", id);
    return key;
}

Bytes ReadDiskFile(const wchar_t* path)
{
    HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    Bytes bytes;
    LARGE_INTEGER size {};
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxSkinItemBytes) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    ::CloseHandle(file);
    return bytes;
}

// The description of a font a caller asks for, before it is made and measured.
TFontInfo FontRequest(const wchar_t* name, int size, bool bold, bool underline, bool italic)
{
    TFontInfo wanted;
    wanted.sFontName = name;
    wanted.iSize = size;
    wanted.bBold = bold;
    wanted.bUnderline = underline;
    wanted.bItalic = italic;
    return wanted;
}

}  // namespace

void CPaintManagerUI::InitSharedResources()
{
    m_bSharedInitDone = true;
    m_SharedResInfo.m_dwDefaultDisabledColor = 0xFFA7A6AA;
    m_SharedResInfo.m_dwDefaultFontColor = 0xFF000000;
    m_SharedResInfo.m_dwDefaultLinkFontColor = 0xFF0000FF;
    m_SharedResInfo.m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    m_SharedResInfo.m_dwDefaultSelectedBkColor = 0xFFBAE4FF;
    LOGFONTW lf = StockLogFont();
    lf.lfCharSet = DEFAULT_CHARSET;
    TFontInfo& font = m_SharedResInfo.m_DefaultFontInfo;
    font.hFont = ::CreateFontIndirectW(&lf);
    font.sFontName = lf.lfFaceName;
    font.iSize = -lf.lfHeight;
    font.bBold = lf.lfWeight >= FW_BOLD;
    font.bUnderline = lf.lfUnderline == 1;
    font.bItalic = lf.lfItalic == 1;
    font.tm = {};
}

HFONT CPaintManagerUI::CreateFontFromInfo(const TFontInfo& info, bool stockWeightPlusBold, bool clearType)
{
    LOGFONTW lf = StockLogFont();
    CopyFaceName(lf, info.sFontName);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -GetDPIObj()->Scale(info.iSize);
    if (info.bBold)
        lf.lfWeight = stockWeightPlusBold ? lf.lfWeight + FW_BOLD : FW_BOLD;
    if (info.bUnderline)
        lf.lfUnderline = TRUE;
    if (info.bItalic)
        lf.lfItalic = TRUE;
    if (clearType)
        lf.lfQuality = CLEARTYPE_QUALITY;
    return ::CreateFontIndirectW(&lf);
}

void CPaintManagerUI::MeasureFont(TFontInfo* pFontInfo)
{
    if (!pFontInfo || !m_hDcPaint || !pFontInfo->hFont)
        return;
    HGDIOBJ old = ::SelectObject(m_hDcPaint, pFontInfo->hFont);
    ::GetTextMetrics(m_hDcPaint, &pFontInfo->tm);
    ::SelectObject(m_hDcPaint, old);
}

HFONT CPaintManagerUI::AddFont(int id, const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic, bool bShared)
{
    const TFontInfo wanted = FontRequest(pStrFontName, nSize, bBold, bUnderline, bItalic);
    HFONT hFont = CreateFontFromInfo(wanted, false, false);
    if (!hFont)
        return nullptr;
    LOGFONTW lf {};
    ::GetObjectW(hFont, sizeof(lf), &lf);
    auto* info = new TFontInfo(wanted);
    info->hFont = hFont;
    info->sFontName = lf.lfFaceName;
    MeasureFont(info);
    CStdStringPtrMap& table = TableFor(bShared).m_CustomFonts;
    const CUIString key = FontKey(id);
    if (auto* old = static_cast<TFontInfo*>(table.Find(key))) {
        ::DeleteObject(old->hFont);
        delete old;
        table.Remove(key);
    }
    if (!table.Insert(key, info)) {
        ::DeleteObject(hFont);
        delete info;
        return nullptr;
    }
    return hFont;
}

void CPaintManagerUI::AddFontArray(const wchar_t* pstrPath)
{
    if (!pstrPath)
        return;
    Bytes bytes;
    if (m_pStrResourceZip.IsEmpty())
        bytes = ReadDiskFile(m_pStrResourcePath + pstrPath);
    else
        ReadSkinArchiveItem(pstrPath, &bytes);
    if (bytes.empty())
        bytes = ReadDiskFile(pstrPath);
    DWORD count = 0;
    HANDLE font = ::AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &count);
    if (font)
        m_aFonts.Add(font);
}

HFONT CPaintManagerUI::GetFont(int id)
{
    return GetFontInfo(id)->hFont;
}

HFONT CPaintManagerUI::GetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    for (CStdStringPtrMap* table : { &m_ResInfo.m_CustomFonts, &m_SharedResInfo.m_CustomFonts }) {
        for (int i = 0; i < table->GetSize(); ++i) {
            const wchar_t* key = table->GetAt(i);
            auto* info = key ? static_cast<TFontInfo*>(table->Find(key, false)) : nullptr;
            if (info && info->sFontName == pStrFontName && info->iSize == nSize && info->bBold == bBold &&
                info->bUnderline == bUnderline && info->bItalic == bItalic)
                return info->hFont;
        }
    }
    return nullptr;
}

int CPaintManagerUI::GetFontIndex(HFONT hFont, bool bShared)
{
    CStdStringPtrMap& table = TableFor(bShared).m_CustomFonts;
    for (int i = 0; i < table.GetSize(); ++i) {
        const wchar_t* key = table.GetAt(i);
        auto* info = key ? static_cast<TFontInfo*>(table.Find(key, false)) : nullptr;
        if (info && info->hFont == hFont)
            return static_cast<int>(wcstol(key, nullptr, 10));
    }
    return -1;
}

int CPaintManagerUI::GetFontIndex(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                                  bool bItalic, bool bShared)
{
    CStdStringPtrMap& table = TableFor(bShared).m_CustomFonts;
    for (int i = 0; i < table.GetSize(); ++i) {
        const wchar_t* key = table.GetAt(i);
        auto* info = key ? static_cast<TFontInfo*>(table.Find(key, false)) : nullptr;
        if (info && info->sFontName == pStrFontName && info->iSize == nSize && info->bBold == bBold &&
            info->bUnderline == bUnderline && info->bItalic == bItalic)
            return static_cast<int>(wcstol(key, nullptr, 10));
    }
    return -1;
}

void CPaintManagerUI::RemoveFont(HFONT hFont, bool bShared)
{
    CStdStringPtrMap& table = TableFor(bShared).m_CustomFonts;
    for (int i = 0; i < table.GetSize(); ++i) {
        const CUIString key = table.GetAt(i);
        auto* info = static_cast<TFontInfo*>(table.Find(key, false));
        if (!info || info->hFont != hFont)
            continue;
        ::DeleteObject(info->hFont);
        delete info;
        table.Remove(key);
        return;
    }
}

void CPaintManagerUI::RemoveFont(int id, bool bShared)
{
    CStdStringPtrMap& table = TableFor(bShared).m_CustomFonts;
    const CUIString key = FontKey(id);
    auto* info = static_cast<TFontInfo*>(table.Find(key));
    if (!info)
        return;
    ::DeleteObject(info->hFont);
    delete info;
    table.Remove(key);
}

void CPaintManagerUI::FreeFontTable(CStdStringPtrMap& table)
{
    for (int i = 0; i < table.GetSize(); ++i) {
        const wchar_t* key = table.GetAt(i);
        auto* info = key ? static_cast<TFontInfo*>(table.Find(key, false)) : nullptr;
        if (!info)
            continue;
        ::DeleteObject(info->hFont);
        delete info;
    }
    table.RemoveAll();
}

void CPaintManagerUI::RemoveAllFonts(bool bShared)
{
    FreeFontTable(TableFor(bShared).m_CustomFonts);
}

DWORD CPaintManagerUI::GetCustomFontCount(bool bShared) const
{
    const TResInfo& table = bShared || m_bForceUseSharedRes ? m_SharedResInfo : m_ResInfo;
    return static_cast<DWORD>(table.m_CustomFonts.GetSize());
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    TFontInfo* info = m_ResInfo.m_DefaultFontInfo.sFontName.IsEmpty() ? &m_SharedResInfo.m_DefaultFontInfo
                                                                      : &m_ResInfo.m_DefaultFontInfo;
    if (info->tm.tmHeight == 0)
        MeasureFont(info);
    return info;
}

TFontInfo* CPaintManagerUI::GetFontInfo(int id)
{
    TFontInfo* info = nullptr;
    if (id >= 0) {
        const CUIString key = FontKey(id);
        info = static_cast<TFontInfo*>(m_ResInfo.m_CustomFonts.Find(key));
        if (!info)
            info = static_cast<TFontInfo*>(m_SharedResInfo.m_CustomFonts.Find(key));
    }
    if (!info)
        return GetDefaultFontInfo();
    if (info->tm.tmHeight == 0)
        MeasureFont(info);
    return info;
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT hFont)
{
    for (CStdStringPtrMap* table : { &m_ResInfo.m_CustomFonts, &m_SharedResInfo.m_CustomFonts }) {
        for (int i = 0; i < table->GetSize(); ++i) {
            const wchar_t* key = table->GetAt(i);
            auto* info = key ? static_cast<TFontInfo*>(table->Find(key, false)) : nullptr;
            if (!info || info->hFont != hFont)
                continue;
            if (info->tm.tmHeight == 0)
                MeasureFont(info);
            return info;
        }
    }
    return GetDefaultFontInfo();
}

void CPaintManagerUI::SetDefaultFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                                     bool bItalic, bool bShared)
{
    const TFontInfo wanted = FontRequest(pStrFontName, nSize, bBold, bUnderline, bItalic);
    HFONT hFont = CreateFontFromInfo(wanted, true, false);
    if (!hFont)
        return;
    TFontInfo& target = TableFor(bShared).m_DefaultFontInfo;
    if (target.hFont)
        ::DeleteObject(target.hFont);
    target = wanted;
    target.hFont = hFont;
    target.tm = {};
    MeasureFont(&target);
}

void CPaintManagerUI::RebuildFont(TFontInfo* pFontInfo)
{
    if (!pFontInfo)
        return;
    if (pFontInfo->hFont)
        ::DeleteObject(pFontInfo->hFont);
    pFontInfo->hFont = CreateFontFromInfo(*pFontInfo, true, true);
    pFontInfo->tm = {};
    MeasureFont(pFontInfo);
}

// ---- Multi-language strings ----

bool CPaintManagerUI::LoadLanguage(const STRINGorID& xml, const wchar_t* type)
{
    CMarkup markup;
    bool loaded = false;
    if (!IS_INTRESOURCE(xml.m_lpstr)) {
        loaded = xml.m_lpstr[0] == L'<' ? markup.Load(xml.m_lpstr) : markup.LoadFromFile(xml.m_lpstr, 0);
    } else {
        HRSRC resource = ::FindResource(GetResourceDll(), xml.m_lpstr, type);
        HGLOBAL global = resource ? ::LoadResource(GetResourceDll(), resource) : nullptr;
        const void* data = global ? ::LockResource(global) : nullptr;
        if (data)
            loaded = markup.LoadFromMem(static_cast<const BYTE*>(data), ::SizeofResource(GetResourceDll(), resource), 0);
    }
    if (!loaded || !markup.IsValid())
        return false;
    RemoveAllMultiLanguageString();
    CMarkupNode root = markup.GetRoot();
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (wcscmp(node.GetName(), L"String") != 0 || !node.HasAttributes())
            continue;
        CUIString id, text;
        bool haveId = false, haveText = false;
        for (int i = 0; i < node.GetAttributeCount(); ++i) {
            const wchar_t* name = node.GetAttributeName(i);
            if (wcscasecmp(name, L"id") == 0) {
                id = node.GetAttributeValue(i);
                haveId = true;
            } else if (wcscasecmp(name, L"text") == 0) {
                text = node.GetAttributeValue(i);
                haveText = true;
            }
            if (haveId && haveText) {
                AddMultiLanguageString(id, text);
                break;
            }
        }
    }
    return true;
}

void CPaintManagerUI::AddMultiLanguageString(const wchar_t* id, const wchar_t* pStrMultiLanguage)
{
    if (!id || !pStrMultiLanguage)
        return;
    CStdStringPtrMap& strings = MultiLanguageStrings();
    if (auto* old = static_cast<CUIString*>(strings.Find(id))) {
        *old = pStrMultiLanguage;
        return;
    }
    auto* copy = new CUIString(pStrMultiLanguage);
    if (!strings.Insert(id, copy))
        delete copy;
}

const wchar_t* CPaintManagerUI::GetMultiLanguageString(const wchar_t* id)
{
    auto* text = id ? static_cast<CUIString*>(MultiLanguageStrings().Find(id)) : nullptr;
    return text ? text->GetData() : L"";
}

bool CPaintManagerUI::RemoveMultiLanguageString(const wchar_t* id)
{
    CStdStringPtrMap& strings = MultiLanguageStrings();
    auto* text = id ? static_cast<CUIString*>(strings.Find(id)) : nullptr;
    if (!text)
        return false;
    delete text;
    return strings.Remove(id);
}

void CPaintManagerUI::RemoveAllMultiLanguageString()
{
    CStdStringPtrMap& strings = MultiLanguageStrings();
    for (int i = 0; i < strings.GetSize(); ++i) {
        const wchar_t* key = strings.GetAt(i);
        if (key)
            delete static_cast<CUIString*>(strings.Find(key, false));
    }
    strings.RemoveAll();
}

void CPaintManagerUI::ProcessMultiLanguageTokens(CUIString& pStrMultiLanguage)
{
    for (int start = pStrMultiLanguage.Find(L'%'); start >= 0;
         start = pStrMultiLanguage.Find(L'%', start + 1)) {
        if (pStrMultiLanguage.GetAt(start + 1) != L'[')
            continue;
        const int end = pStrMultiLanguage.Find(L']', start + 2);
        if (end < 0)
            return;
        const CUIString token = pStrMultiLanguage.Mid(start, end - start + 1);
        const CUIString id = pStrMultiLanguage.Mid(start + 2, end - start - 2);
        const wchar_t* text = GetMultiLanguageString(id);
        pStrMultiLanguage.Replace(token, *text ? text : id.GetData());
    }
}

void CPaintManagerUI::AddLanguageNotifier(HWND hWnd)
{
    if (LanguageNotifiers().Find(hWnd) < 0)
        LanguageNotifiers().Add(hWnd);
}

void CPaintManagerUI::DelLanguageNotifier(HWND hWnd)
{
    const int index = LanguageNotifiers().Find(hWnd);
    if (index >= 0)
        LanguageNotifiers().Remove(index);
}

void CPaintManagerUI::ChangeLanguage()
{
    CStdPtrArray& windows = LanguageNotifiers();
    for (int i = 0; i < windows.GetSize(); ++i)
        ::PostMessage(static_cast<HWND>(windows[i]), LanguageChangedMessage, 0, 0);
}

void CPaintManagerUI::UpdateLanguage()
{
    if (m_pRoot)
        m_pRoot->Invalidate();
}

// ---- DPI ----

CDPI* CPaintManagerUI::GetDPIObj()
{
    if (!m_pDPI)
        m_pDPI = new CDPI;
    return m_pDPI;
}

void CPaintManagerUI::SetDPI(int iDPI)
{
    const int oldScale = static_cast<int>(GetDPIObj()->GetScale());
    RECT rc {};
    ::GetWindowRect(m_hWndPaint, &rc);
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    // A window never grows past its screen's work area: the DPI stops where it would.
    if (m_hWndPaint && !::IsZoomed(m_hWndPaint) && oldScale > 0
        && ::GetMonitorInfo(::MonitorFromWindow(m_hWndPaint, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const SIZE unscaled { ::MulDiv(rc.right - rc.left, 100, oldScale), ::MulDiv(rc.bottom - rc.top, 100, oldScale) };
        const SIZE work { monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top };
        iDPI = static_cast<int>(DpiThatFits(static_cast<UINT>(iDPI), unscaled, work));
    }
    GetDPIObj()->SetScale(static_cast<UINT>(iDPI));
    const int newScale = static_cast<int>(GetDPIObj()->GetScale());
    ResetDPIAssets();
    if (!::IsZoomed(m_hWndPaint) && oldScale > 0) {
        rc.right = rc.left + (rc.right - rc.left) * newScale / oldScale;
        rc.bottom = rc.top + (rc.bottom - rc.top) * newScale / oldScale;
    }
    ::SetWindowPos(m_hWndPaint, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_pRoot)
        m_pRoot->NeedUpdate();
    ::PostMessage(m_hWndPaint, DpiChangedMessage, 0, 0);
}

void CPaintManagerUI::SetAllDPI(int iDPI)
{
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i)
        static_cast<CPaintManagerUI*>(m_aPreMessages[i])->SetDPI(iDPI);
}

void CPaintManagerUI::RebuildFontTable(CStdStringPtrMap& table)
{
    for (int i = 0; i < table.GetSize(); ++i) {
        const wchar_t* key = table.GetAt(i);
        RebuildFont(key ? static_cast<TFontInfo*>(table.Find(key, false)) : nullptr);
    }
}

// Draw infos and images hold DPI-dependent names and rectangles: drop them, to be parsed and
// loaded again on demand; fonts are made again at the new size.
void CPaintManagerUI::ResetDPIAssets()
{
    RemoveAllDrawInfos();
    FreeImageTable(m_ResInfo.m_ImageHash);
    RebuildFontTable(m_ResInfo.m_CustomFonts);
    if (m_ResInfo.m_DefaultFontInfo.hFont)
        RebuildFont(&m_ResInfo.m_DefaultFontInfo);
    RebuildFontTable(m_SharedResInfo.m_CustomFonts);
    RebuildFont(&m_SharedResInfo.m_DefaultFontInfo);
    if (m_pRoot)
        m_pRoot->FindControl(__FindControlsFromDPIChange, nullptr, 0);
}

CControlUI* CPaintManagerUI::__FindControlsFromDPIChange(CControlUI* pThis, void*)
{
    pThis->OnDPIChanged();
    return nullptr;
}

}  // namespace SkinUI
