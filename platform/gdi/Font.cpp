// Fonts: LOGFONT records resolved to Pango font descriptions through fontconfig.

#include "platform/gdi/GdiObject.h"

#include <cstring>

namespace platform {

FontObject::FontObject(const LOGFONTW& logFont) : GdiObject(GdiKind::Font), m_logFont(logFont)
{
    m_description = pango_font_description_new();
}

FontObject::~FontObject()
{
    pango_font_description_free(m_description);
}

HFONT DefaultGuiFont()
{
    LOGFONTW font {};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    std::wcsncpy(font.lfFaceName, L"Tahoma", LF_FACESIZE - 1);
    return static_cast<HFONT>(RegisterStockObject(std::make_shared<FontObject>(font)));
}

}  // namespace platform
