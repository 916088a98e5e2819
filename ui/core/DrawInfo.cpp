#include "ui/core/DrawInfo.h"

#include <cwchar>
#include <cwctype>

#include "ui/core/PaintManagerUI.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

namespace {

bool IsBlank(wchar_t ch)
{
    return ch != 0 && ch <= 32;
}

// Up to four integers, each read from one character past the end of the previous one, so any
// single separator works. A list cut short leaves the rest 0 (never reads past the text's end).
RECT ReadRect(const wchar_t* value)
{
    LONG parts[4] = {};
    const wchar_t* p = value;
    for (int i = 0; i < 4; ++i) {
        wchar_t* end = nullptr;
        parts[i] = ReadSkinNumber(p, &end);
        if (*end == 0)
            break;
        p = end + 1;
    }
    return { parts[0], parts[1], parts[2], parts[3] };
}

bool ReadTrue(const CUIString& value)
{
    return wcscasecmp(value.GetData(), L"true") == 0;
}

DWORD ReadMask(const CUIString& value)
{
    const wchar_t* p = value.GetData();
    if (*p == L'#')
        ++p;
    return static_cast<DWORD>(wcstoul(p, nullptr, 16));
}

struct ParseContext {
    tagTDrawInfo* info;
    CPaintManagerUI* manager;
};

RECT Scaled(RECT rc, CPaintManagerUI* manager)
{
    if (manager)
        manager->GetDPIObj()->Scale(&rc);
    return rc;
}

void ApplyPair(void* context, const CUIString& key, const CUIString& value)
{
    auto* ctx = static_cast<ParseContext*>(context);
    tagTDrawInfo& info = *ctx->info;
    if (key == L"file" || key == L"res")
        info.sImageName = value;
    else if (key == L"restype")
        info.sResType = value;
    else if (key == L"dest")
        info.rcDest = Scaled(ReadRect(value.GetData()), ctx->manager);
    else if (key == L"source")
        info.rcSource = Scaled(ReadRect(value.GetData()), ctx->manager);
    else if (key == L"corner")
        info.rcCorner = Scaled(ReadRect(value.GetData()), ctx->manager);
    else if (key == L"mask")
        info.dwMask = ReadMask(value);
    else if (key == L"fade")
        info.uFade = static_cast<BYTE>(wcstol(value.GetData(), nullptr, 10));
    else if (key == L"hole")
        info.bHole = ReadTrue(value);
    else if (key == L"xtiled")
        info.bTiledX = ReadTrue(value);
    else if (key == L"ytiled")
        info.bTiledY = ReadTrue(value);
    else if (key == L"hsl")
        info.bHSL = ReadTrue(value);
}

}  // namespace

void ForEachImageAttribute(const wchar_t* text,
                           void (*visit)(void* context, const CUIString& key, const CUIString& value), void* context)
{
    const wchar_t* p = text;
    while (p && *p) {
        while (IsBlank(*p))
            ++p;
        const wchar_t* keyStart = p;
        while (*p && *p != L'=' && !IsBlank(*p))
            ++p;
        const CUIString key(keyStart, static_cast<int>(p - keyStart));
        while (IsBlank(*p))
            ++p;
        if (*p++ != L'=')
            return;
        while (IsBlank(*p))
            ++p;
        if (*p++ != L'\'')
            return;
        const wchar_t* valueStart = p;
        while (*p && *p != L'\'')
            ++p;
        if (*p != L'\'')
            return;
        const CUIString value(valueStart, static_cast<int>(p - valueStart));
        ++p;
        if (!value.IsEmpty())
            visit(context, key, value);
        if (*p != L' ' || p[1] == 0)
            return;
        ++p;
    }
}

tagTDrawInfo::tagTDrawInfo()
{
    Clear();
}

void tagTDrawInfo::Clear()
{
    sDrawString.Empty();
    sDrawModify.Empty();
    sImageName.Empty();
    rcDest = {};
    rcSource = {};
    rcCorner = {};
    dwMask = 0;
    uFade = 255;
    bHole = false;
    bTiledX = false;
    bTiledY = false;
    bHSL = false;
}

void tagTDrawInfo::Parse(const wchar_t* pStrImage, const wchar_t* pStrModify, CPaintManagerUI* pManager)
{
    sDrawString = pStrImage;
    sDrawModify = pStrModify;
    sImageName = pStrImage;
    ParseContext context { this, pManager };
    ForEachImageAttribute(pStrImage, ApplyPair, &context);
    ForEachImageAttribute(pStrModify, ApplyPair, &context);
    if (!pManager)
        return;
    const UINT scale = pManager->GetDPIObj()->GetScale();
    if (scale == 100)
        return;
    // A skin ships "name@150.png" for one scale or "name@.png" for every other scale; the image
    // cache falls back to the plain name, enlarged.
    CUIString variant;
    variant.Format(L"@%d.", scale);
    sImageName.Replace(L".", variant);
}

}  // namespace SkinUI
