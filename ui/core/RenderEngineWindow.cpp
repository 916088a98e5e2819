// The render engine's entry points that reach their window through its paint manager: image
// attributes from the image cache, text in the window's fonts, tagged text, control snapshots.

#include "ui/core/RenderEngine.h"

#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

#include <cwchar>
#include <deque>
#include <map>
#include <memory>
#include <type_traits>

namespace SkinUI {

namespace {

// Style variants the tagged-text renderer asks for get ids from here upwards, each its own, so
// adding one never replaces (and deletes) a font that a renderer's font stack still holds.
constexpr int kFirstVariantFontId = 30000;
constexpr int kVariantFontIds = 10000;

class PaintManagerHost : public IRenderHost {
public:
    PaintManagerHost(CPaintManagerUI* manager, HDC hDC, HINSTANCE instance)
        : m_manager(manager), m_dc(hDC), m_instance(instance)
    {
    }

    const HtmlFont* GetDefaultFont() override { return Convert(m_manager->GetDefaultFontInfo()); }
    const HtmlFont* GetFontById(int id) override { return Convert(m_manager->GetFontInfo(id)); }
    const HtmlFont* GetFontByStyle(const wchar_t* face, int size, bool bold, bool underline, bool italic) override
    {
        HFONT font = m_manager->GetFont(face, size, bold, underline, italic);
        if (!font) {
            const int id = FreeVariantId();
            if (id < 0)
                return nullptr;
            font = m_manager->AddFont(id, face, size, bold, underline, italic);
        }
        return font ? Convert(m_manager->GetFontInfo(font)) : nullptr;
    }
    const TImageInfo* GetImage(const wchar_t* name, const wchar_t* type, DWORD mask) override
    {
        return m_manager->GetImageEx(name, type, mask, false, m_instance);
    }
    DWORD GetLinkColor() override { return m_manager->GetDefaultLinkFontColor(); }
    DWORD GetLinkHoverColor() override { return m_manager->GetDefaultLinkHoverFontColor(); }
    DWORD GetSelectedBkColor() override { return m_manager->GetDefaultSelectedBkColor(); }
    POINT GetMousePos() override { return m_manager->GetMousePos(); }
    bool IsLayered() override { return m_manager->IsLayered(); }

private:
    int FreeVariantId() const
    {
        const HFONT fallback = m_manager->GetDefaultFontInfo()->hFont;
        for (int id = kFirstVariantFontId; id < kFirstVariantFontId + kVariantFontIds; ++id)
            if (m_manager->GetFont(id) == fallback)
                return id;
        return -1;
    }

    // A stable copy of the manager's record for this call, measured on the target when the
    // manager has had no device context to measure it with.
    const HtmlFont* Convert(const TFontInfo* info)
    {
        if (!info || !info->hFont)
            return nullptr;
        if (const auto known = m_known.find(info->hFont); known != m_known.end())
            return known->second;
        HtmlFont font = *info;
        if (font.tm.tmHeight == 0) {
            HGDIOBJ old = ::SelectObject(m_dc, font.hFont);
            ::GetTextMetrics(m_dc, &font.tm);
            ::SelectObject(m_dc, old);
        }
        m_fonts.push_back(font);
        return m_known[info->hFont] = &m_fonts.back();
    }

    CPaintManagerUI* m_manager;
    HDC m_dc;
    HINSTANCE m_instance;
    std::deque<HtmlFont> m_fonts;
    std::map<HFONT, const HtmlFont*> m_known;
};

COLORREF GdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

struct DcDeleter {
    void operator()(HDC hDC) const { ::DeleteDC(hDC); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

}  // namespace

bool CRenderEngine::DrawImageInfo(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                  const tagTDrawInfo* pDrawInfo, HINSTANCE instance)
{
    if (!hDC || !pManager || !pDrawInfo)
        return false;
    PaintManagerHost host(pManager, hDC, instance);
    return DrawImageParams(hDC, host, rcItem, rcPaint, *pDrawInfo);
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                    const wchar_t* pStrImage, const wchar_t* pStrModify, HINSTANCE instance)
{
    if (!hDC || !pManager)
        return false;
    return DrawImageInfo(hDC, pManager, rcItem, rcPaint, pManager->GetDrawInfo(pStrImage, pStrModify), instance);
}

bool CRenderEngine::DrawIconImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                        const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    if (!hDC || !pManager)
        return false;
    PaintManagerHost host(pManager, hDC, nullptr);
    return DrawIconImageString(hDC, host, rcItem, rcPaint, pStrImage, pStrModify);
}

void CRenderEngine::DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                              DWORD dwTextColor, int iFont, UINT uStyle)
{
    if (!pstrText || !pManager)
        return;
    const bool gdiplus = pManager->IsLayered() || pManager->IsUseGdiplusText();
    DrawPlainText(hDC, pManager->GetFont(iFont), rc, pstrText, dwTextColor, uStyle, gdiplus,
                  pManager->GetGdiplusTextRenderingHint());
}

void CRenderEngine::DrawTextW(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                              DWORD dwTextColor, int iFont, UINT uStyle, DWORD dwTextBKColor, bool bTransparent)
{
    if (!hDC || !pstrText || !pManager)
        return;
    ::SetBkMode(hDC, bTransparent ? TRANSPARENT : OPAQUE);
    ::SetBkColor(hDC, GdiColour(dwTextBKColor));
    ::SetTextColor(hDC, GdiColour(dwTextColor));
    HGDIOBJ oldFont = ::SelectObject(hDC, pManager->GetFont(iFont));
    ::DrawText(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    ::SelectObject(hDC, oldFont);
}

SIZE CRenderEngine::GetTextSize(HDC hDC, CPaintManagerUI* pManager, const wchar_t* pstrText, int iFont, UINT)
{
    SIZE size {};
    if (!hDC || !pstrText || !pManager)
        return size;
    ::SetBkMode(hDC, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(hDC, pManager->GetFont(iFont));
    ::GetTextExtentPoint32(hDC, pstrText, static_cast<int>(wcslen(pstrText)), &size);
    ::SelectObject(hDC, oldFont);
    return size;
}

void CRenderEngine::DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                                 DWORD dwTextColor, RECT* prcLinks, CUIString* sLinks, int& nLinkRects, UINT uStyle)
{
    if (!pManager || !pstrText)
        return;
    PaintManagerHost host(pManager, hDC, nullptr);
    DrawHtmlText(hDC, host, rc, pstrText, dwTextColor, prcLinks, sLinks, nLinkRects, uStyle);
}

// The control paints into a bitmap as large as its own right-bottom corner, so it can use its own
// coordinates; the caller gets only its rectangle, as a bottom-up 32-bit DIB it then owns.
HBITMAP CRenderEngine::GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, const RECT& rc)
{
    if (!pManager || !pControl)
        return nullptr;
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0 || rc.right <= 0 || rc.bottom <= 0)
        return nullptr;
    HDC paintDc = pManager->GetPaintDC();
    MemoryDc paint(::CreateCompatibleDC(paintDc));
    MemoryDc copy(::CreateCompatibleDC(paintDc));
    if (!paint || !copy)
        return nullptr;
    HBITMAP canvas = ::CreateCompatibleBitmap(paintDc, rc.right, rc.bottom);
    if (!canvas)
        return nullptr;
    HGDIOBJ oldCanvas = ::SelectObject(paint.get(), canvas);
    pControl->DoPaint(paint.get(), rc);

    BYTE* bits = nullptr;
    HBITMAP result = CreateARGB32Bitmap(copy.get(), width, height, &bits);
    if (result) {
        HGDIOBJ oldResult = ::SelectObject(copy.get(), result);
        ::BitBlt(copy.get(), 0, 0, width, height, paint.get(), rc.left, rc.top, SRCCOPY);
        ::SelectObject(copy.get(), oldResult);
    }
    ::GdiFlush();
    ::SelectObject(paint.get(), oldCanvas);
    ::DeleteObject(canvas);
    return result;
}

}  // namespace SkinUI
