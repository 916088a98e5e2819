#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <limits>

#include "platform/GdiPlus.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

namespace {

// The C run time's wide atoi: leading blanks, an optional sign, digits up to the first other
// character; out-of-range values saturate instead of wrapping.
int ReadIntAt(const wchar_t* p, const wchar_t** end)
{
    wchar_t* stop = nullptr;
    const int value = ReadSkinNumber(p, &stop);
    if (end != nullptr)
        *end = stop;
    return value;
}

// Skips exactly one separator character, never the terminator.
const wchar_t* SkipSeparator(const wchar_t* p)
{
    return *p != L'\0' ? p + 1 : p;
}

DWORD ReadHex(const wchar_t* p)
{
    return static_cast<DWORD>(std::wcstoul(p, nullptr, 16));
}

DWORD ParseColor(const wchar_t* p)
{
    while (*p != L'\0' && *p <= L' ')
        ++p;
    if (*p == L'#')
        ++p;
    return ReadHex(p);
}

// The border colours skip a "#" only in the first position.
DWORD ReadBorderColor(const wchar_t* p)
{
    return ReadHex(*p == L'#' ? p + 1 : p);
}

// Fractions of the parent's size, so kept within 0..1: a huge or non-numeric one ("nan", "1e99")
// would overflow the pixel positions made from it.
TPercentInfo ReadFractions(const wchar_t* p)
{
    double values[4] = {};
    for (double& v : values) {
        wchar_t* stop = nullptr;
        const double read = std::wcstod(p, &stop);
        v = std::isfinite(read) ? std::clamp(read, 0.0, 1.0) : 0.0;
        p = SkipSeparator(stop);
    }
    return TPercentInfo { values[0], values[1], values[2], values[3] };
}

bool HasComma(const wchar_t* p)
{
    return std::wcschr(p, L',') != nullptr;
}

struct CursorWord {
    const wchar_t* word;
    WORD id;
};

constexpr CursorWord kCursorWords[] = {
    { L"arrow", 32512 }, { L"ibeam", 32513 }, { L"wait", 32514 }, { L"cross", 32515 },
    { L"uparrow", 32516 }, { L"size", 32640 }, { L"icon", 32641 }, { L"sizenwse", 32642 },
    { L"sizenesw", 32643 }, { L"sizewe", 32644 }, { L"sizens", 32645 }, { L"sizeall", 32646 },
    { L"no", 32648 }, { L"hand", 32649 },
};

UINT ApplyFloatAlignWord(UINT align, const CUIString& word)
{
    if (word.CompareNoCase(L"null") == 0)
        return 0;
    if (word.CompareNoCase(L"left") == 0)
        return align & ~0x3u;
    if (word.CompareNoCase(L"center") == 0)
        return (align | 0x1u) & ~0x2u;
    if (word.CompareNoCase(L"right") == 0)
        return (align | 0x2u) & ~0x1u;
    if (word.CompareNoCase(L"top") == 0)
        return align & ~0xCu;
    if (word.CompareNoCase(L"vcenter") == 0)
        return (align | 0x4u) & ~0x8u;
    if (word.CompareNoCase(L"bottom") == 0)
        return (align | 0x8u) & ~0x4u;
    return align;
}

UINT ReadFloatAlign(UINT align, const wchar_t* p)
{
    CUIString word;
    for (;; ++p) {
        if (*p == L' ' || *p == L',' || *p == L'\0') {
            if (!word.IsEmpty())
                align = ApplyFloatAlignWord(align, word);
            word.Empty();
            if (*p == L'\0')
                return align;
            continue;
        }
        word += *p;
    }
}

}  // namespace

bool CControlUI::ReadBool(const wchar_t* pstrValue)
{
    return pstrValue != nullptr && CUIString(pstrValue).CompareNoCase(L"true") == 0;
}

int CControlUI::ReadInt(const wchar_t* pstrValue)
{
    return pstrValue != nullptr ? ReadIntAt(pstrValue, nullptr) : 0;
}

RECT CControlUI::ReadNumberList(const wchar_t* pstrValue)
{
    int values[4] = {};
    const wchar_t* p = pstrValue != nullptr ? pstrValue : L"";
    for (int& v : values) {
        const wchar_t* stop = p;
        v = ReadIntAt(p, &stop);
        p = SkipSeparator(stop);
    }
    return RECT { values[0], values[1], values[2], values[3] };
}

DWORD CControlUI::ReadColor(const wchar_t* pstrValue)
{
    return pstrValue != nullptr ? ParseColor(pstrValue) : 0;
}

bool CControlUI::NameIs(const wchar_t* pstrName, const wchar_t* key)
{
    return CUIString(pstrName).CompareNoCase(key) == 0;
}

void CControlUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (m_pManager != nullptr) {
        if (const wchar_t* style = m_pManager->GetStyle(pstrValue)) {
            ApplyAttributeList(style);
            return;
        }
    }
    if (NameIs(pstrName, L"pos")) {
        const RECT rc = ReadNumberList(pstrValue);
        SetFixedXY(SIZE { rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom });
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (NameIs(pstrName, L"float")) {
        if (!HasComma(pstrValue)) {
            SetFloat(ReadBool(pstrValue));
        } else {
            SetFloatPercent(ReadFractions(pstrValue));
            SetFloat(true);
        }
    } else if (NameIs(pstrName, L"floatalign")) {
        SetFloatAlign(ReadFloatAlign(GetFloatAlign(), pstrValue));
    } else if (NameIs(pstrName, L"padding")) {
        SetPadding(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"gradient")) {
        SetGradient(pstrValue);
    } else if (NameIs(pstrName, L"bkcolor") || NameIs(pstrName, L"bkcolor1")) {
        SetBkColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"bkcolor2")) {
        SetBkColor2(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"bkcolor3")) {
        SetBkColor3(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"forecolor")) {
        SetForeColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"bordercolor")) {
        SetBorderColor(ReadBorderColor(pstrValue));
    } else if (NameIs(pstrName, L"focusbordercolor")) {
        SetFocusBorderColor(ReadBorderColor(pstrValue));
    } else if (NameIs(pstrName, L"colorhsl")) {
        SetColorHSL(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"bordersize")) {
        if (!HasComma(pstrValue))
            SetBorderSize(ReadInt(pstrValue));
        else
            SetBorderSize(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"leftbordersize")) {
        SetLeftBorderSize(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"topbordersize")) {
        SetTopBorderSize(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"rightbordersize")) {
        SetRightBorderSize(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"bottombordersize")) {
        SetBottomBorderSize(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"borderstyle")) {
        SetBorderStyle(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"borderround")) {
        const RECT rc = ReadNumberList(pstrValue);
        SetBorderRound(SIZE { rc.left, rc.top });
    } else if (NameIs(pstrName, L"bkimage")) {
        SetBkImage(pstrValue);
    } else if (NameIs(pstrName, L"foreimage")) {
        SetForeImage(pstrValue);
    } else if (NameIs(pstrName, L"width")) {
        SetFixedWidth(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"height")) {
        SetFixedHeight(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"minwidth")) {
        SetMinWidth(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"minheight")) {
        SetMinHeight(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"maxwidth")) {
        SetMaxWidth(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"maxheight")) {
        SetMaxHeight(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"name")) {
        SetName(pstrValue);
    } else if (NameIs(pstrName, L"drag")) {
        SetDragEnable(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"drop")) {
        SetDropEnable(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"resourcetext")) {
        SetResourceText(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"text")) {
        SetText(pstrValue);
    } else if (NameIs(pstrName, L"hottext")) {
        SetHotText(pstrValue);
    } else if (NameIs(pstrName, L"tooltip")) {
        SetToolTip(pstrValue);
    } else if (NameIs(pstrName, L"userdata")) {
        SetUserData(pstrValue);
    } else if (NameIs(pstrName, L"enabled")) {
        SetEnabled(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"mouse")) {
        SetMouseEnabled(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"keyboard")) {
        SetKeyboardEnabled(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"visible")) {
        SetVisible(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"shortcut")) {
        SetShortcut(pstrValue[0]);
    } else if (NameIs(pstrName, L"menu")) {
        SetContextMenuUsed(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"cursor")) {
        for (const CursorWord& c : kCursorWords) {
            if (CUIString(pstrValue).CompareNoCase(c.word) == 0) {
                SetCursor(c.id);
                break;
            }
        }
    } else if (NameIs(pstrName, L"virtualwnd")) {
        SetVirtualWnd(pstrValue);
    } else if (NameIs(pstrName, L"innerstyle")) {
        ApplyAttributePairs(pstrValue);
    } else if (NameIs(pstrName, L"autobkimagesize")) {
        SetAutoBkimageSize();
    } else if (NameIs(pstrName, L"showline")) {
        SetShowLine(ReadBool(pstrValue));
    } else if (NameIs(pstrName, L"showlinecolor")) {
        ShwoLineColor(ReadColor(pstrValue));
    } else {
        AddCustomAttribute(pstrName, pstrValue);
    }
}

CControlUI* CControlUI::ApplyAttributeList(const wchar_t* pstrList)
{
    if (pstrList == nullptr)
        return this;
    if (m_pManager != nullptr) {
        if (const wchar_t* style = m_pManager->GetStyle(pstrList))
            return ApplyAttributeList(style);
    }
    ApplyAttributePairs(pstrList);
    return this;
}

void CControlUI::ApplyAttributePairs(const wchar_t* pstrList)
{
    CUIString list = pstrList;
    list.Replace(L"&quot;", L"\"");
    const wchar_t* p = list.GetData();
    while (*p != L'\0') {
        const wchar_t* nameEnd = p;
        while (*nameEnd != L'\0' && *nameEnd != L'=')
            ++nameEnd;
        if (nameEnd[0] != L'=' || nameEnd[1] != L'"')
            return;
        const CUIString name(p, static_cast<int>(nameEnd - p));
        const wchar_t* valueStart = nameEnd + 2;
        const wchar_t* valueEnd = std::wcschr(valueStart, L'"');
        if (valueEnd == nullptr)
            return;
        const CUIString value(valueStart, static_cast<int>(valueEnd - valueStart));
        SetAttribute(name, value);
        p = valueEnd + 1;
        if (*p == L'\0')
            return;
        if (*p != L' ' && *p != L',')
            return;
        ++p;
    }
}

void CControlUI::AddCustomAttribute(const wchar_t* pstrName, const wchar_t* pstrAttr)
{
    if (pstrName == nullptr || pstrName[0] == L'\0' || pstrAttr == nullptr || pstrAttr[0] == L'\0')
        return;
    if (m_mCustomAttrHash.Find(pstrName) != nullptr)
        return;
    m_mCustomAttrHash.Insert(pstrName, new CUIString(pstrAttr));  // the map keeps the owned copy
}

const wchar_t* CControlUI::GetCustomAttribute(const wchar_t* pstrName) const
{
    if (pstrName == nullptr || pstrName[0] == L'\0')
        return nullptr;
    const auto* value = static_cast<const CUIString*>(m_mCustomAttrHash.Find(pstrName));
    return value != nullptr ? value->GetData() : nullptr;
}

bool CControlUI::RemoveCustomAttribute(const wchar_t* pstrName)
{
    if (pstrName == nullptr || pstrName[0] == L'\0')
        return false;
    auto* value = static_cast<CUIString*>(m_mCustomAttrHash.Find(pstrName));
    if (value == nullptr)
        return false;
    delete value;
    return m_mCustomAttrHash.Remove(pstrName);
}

void CControlUI::RemoveAllCustomAttribute()
{
    for (int i = 0; i < m_mCustomAttrHash.GetSize(); ++i)
        delete static_cast<CUIString*>(m_mCustomAttrHash.Find(m_mCustomAttrHash.GetAt(i), false));
    m_mCustomAttrHash.Resize(83);
}

void CControlUI::SetAutoBkimageSize()
{
    SetImageSize(GetBkImage());
}

namespace {

// The text between the first quote after `key` and the quote that follows it; empty when absent.
CUIString QuotedAfter(const CUIString& text, const wchar_t* key)
{
    const int keyAt = text.Find(key);
    if (keyAt < 0)
        return CUIString();
    const int open = text.Find(L'\'', keyAt);
    if (open < 0)
        return CUIString();
    const int close = text.Find(L'\'', open + 1);
    if (close < 0)
        return CUIString();
    return text.Mid(open + 1, close - open - 1);
}

}  // namespace

void CControlUI::SetImageSize(CUIString image)
{
    if (image.IsEmpty())
        return;
    if (image.Find(L"source") >= 0) {
        const CUIString source = QuotedAfter(image, L"source");
        int commas = 0;
        for (int i = 0; i < source.GetLength(); ++i)
            commas += source[i] == L',';
        if (commas != 3)
            return;
        const RECT rc = ReadNumberList(source);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
        return;
    }
    CUIString file = image;
    if (image.Find(L"file") >= 0 && image.Find(L'=') >= 0 && image.Find(L'\'') >= 0)
        file = QuotedAfter(image, L"file");
    Gdiplus::Image* picture = CRenderEngine::GdiplusLoadImage(file);
    if (picture == nullptr)
        return;  // a missing image leaves the fixed size as it was
    SetFixedWidth(static_cast<int>(picture->GetWidth()));
    SetFixedHeight(static_cast<int>(picture->GetHeight()));
    delete picture;
}

}  // namespace SkinUI
