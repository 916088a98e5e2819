// Gdiplus start-up, font families, fonts and string formats.

#include "platform/GdiPlus.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/TextEngine.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <set>

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput*)
{
    if (!token || !input)
        return InvalidParameter;
    if (input->GdiplusVersion != 1)
        return UnsupportedGdiplusVersion;
    *token = 1;  // nothing to start: the services are ready whenever they are called
    return Ok;
}

void GdiplusShutdown(ULONG_PTR)
{
}

FontFamily::FontFamily(const WCHAR* name, const void*)
{
    if (!name || !*name) {
        m_status = InvalidParameter;
        return;
    }
    m_name = name;
}

Status FontFamily::GetFamilyName(WCHAR name[LF_FACESIZE], WORD) const
{
    if (!name)
        return InvalidParameter;
    std::wcsncpy(name, m_name.c_str(), LF_FACESIZE - 1);
    name[LF_FACESIZE - 1] = 0;
    return Ok;
}

InstalledFontCollection::InstalledFontCollection()
{
    std::lock_guard guard(platform::TextLock());
    platform::TextContext(true);  // fontconfig set up, fonts added from memory included
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    std::set<std::wstring> names;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
            names.insert(platform::Utf8ToWide(reinterpret_cast<const char*>(family)));
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    m_names.assign(names.begin(), names.end());
}

std::wstring InstalledFontCollection::DrawnFamily(const std::wstring& family)
{
    std::lock_guard guard(platform::TextLock());
    platform::TextContext(true);  // fontconfig set up with the Windows faces' aliases
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(platform::WideToUtf8(family).c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::wstring drawn = family;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
        drawn = platform::Utf8ToWide(reinterpret_cast<const char*>(name));
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return drawn;
}

Status InstalledFontCollection::GetFamilies(INT wanted, FontFamily* families, INT* found) const
{
    if (!families || !found || wanted < 0)
        return InvalidParameter;
    const INT count = std::min<INT>(wanted, GetFamilyCount());
    for (INT i = 0; i < count; ++i)
        families[i].m_name = m_names[i];
    *found = count;
    return Ok;
}

namespace {

REAL PixelsPerUnit(Unit unit)
{
    switch (unit) {
    case UnitPoint: return 96.0f / 72.0f;
    case UnitInch: return 96.0f;
    case UnitDocument: return 96.0f / 300.0f;
    case UnitMillimeter: return 96.0f / 25.4f;
    default: return 1.0f;
    }
}

INT StyleOf(const LOGFONTW& font)
{
    return (font.lfWeight >= FW_BOLD ? FontStyleBold : 0) | (font.lfItalic ? FontStyleItalic : 0)
        | (font.lfUnderline ? FontStyleUnderline : 0) | (font.lfStrikeOut ? FontStyleStrikeout : 0);
}

LOGFONTW LogFontOf(const WCHAR* family, INT style)
{
    LOGFONTW font {};
    font.lfWeight = (style & FontStyleBold) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & FontStyleItalic) ? 1 : 0;
    font.lfUnderline = (style & FontStyleUnderline) ? 1 : 0;
    font.lfStrikeOut = (style & FontStyleStrikeout) ? 1 : 0;
    if (family)
        std::wcsncpy(font.lfFaceName, family, LF_FACESIZE - 1);
    return font;
}

}  // namespace

void Font::Make(LOGFONTW font, REAL pixelSize)
{
    if (!(pixelSize > 0)) {
        m_status = InvalidParameter;
        return;
    }
    font.lfHeight = -static_cast<LONG>(std::lround(pixelSize));
    m_pixelSize = pixelSize;
    m_font = std::make_shared<platform::FontObject>(font, pixelSize);
}

Font::Font(HDC hdc) : Font(hdc, static_cast<HFONT>(GetCurrentObject(hdc, OBJ_FONT)))
{
}

Font::Font(HDC, HFONT font)
{
    LOGFONTW logFont {};
    if (!font || GetObject(font, sizeof logFont, &logFont) != static_cast<int>(sizeof logFont)) {
        m_status = InvalidParameter;
        return;
    }
    m_style = StyleOf(logFont);
    m_unit = UnitPixel;
    m_font = std::make_shared<platform::FontObject>(logFont);
    m_pixelSize = m_size = static_cast<REAL>(pango_font_description_get_size(m_font->Description())) / PANGO_SCALE;
}

Font::Font(HDC, const LOGFONTW* font)
{
    if (!font) {
        m_status = InvalidParameter;
        return;
    }
    m_style = StyleOf(*font);
    m_unit = UnitPixel;
    m_font = std::make_shared<platform::FontObject>(*font);
    m_pixelSize = m_size = static_cast<REAL>(pango_font_description_get_size(m_font->Description())) / PANGO_SCALE;
}

// A family that is not installed falls back to what fontconfig finds closest.
Font::Font(const WCHAR* family, REAL emSize, INT style, Unit unit, const void*) : m_style(style), m_size(emSize), m_unit(unit)
{
    Make(LogFontOf(family, style), emSize * PixelsPerUnit(unit));
}

Font::Font(const FontFamily* family, REAL emSize, INT style, Unit unit) : m_style(style), m_size(emSize), m_unit(unit)
{
    if (!family) {
        m_status = InvalidParameter;
        return;
    }
    Make(LogFontOf(family->Name().c_str(), style), emSize * PixelsPerUnit(unit));
}

Font::~Font() = default;

StringFormat::StringFormat(const StringFormat* format)
{
    if (format)
        *this = *format;
}

const StringFormat* StringFormat::GenericDefault()
{
    static const StringFormat format;
    return &format;
}

// Typographic: no trimming and no room kept around the text.
const StringFormat* StringFormat::GenericTypographic()
{
    static const StringFormat format = [] {
        StringFormat made(StringFormatFlagsNoFitBlackBox | StringFormatFlagsLineLimit | StringFormatFlagsNoClip);
        made.SetTrimming(StringTrimmingNone);
        made.m_padded = false;
        return made;
    }();
    return &format;
}

}  // namespace Gdiplus
