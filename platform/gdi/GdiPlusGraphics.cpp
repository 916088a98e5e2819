// Gdiplus::Graphics: anti-aliased shapes, images and rotated text on a DC or a Bitmap, with real
// alpha. Coordinates follow Gdiplus: a pixel's centre is at its integer coordinates, so strokes
// are drawn half a pixel down and right of cairo's grid; fills and images are not.

#include "platform/GdiPlus.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/ScopedCairoState.h"
#include "platform/gdi/TextEngine.h"

#include <cmath>
#include <cwchar>
#include <optional>

namespace Gdiplus {

struct Graphics::Target {
    HDC hdc = nullptr;
    Image* image = nullptr;
    platform::CairoPtr<cairo_t> imageCairo;
};

// One drawing call: the cairo context with the target's clip and origin and the world transform.
class GraphicsPainter {
public:
    explicit GraphicsPainter(const Graphics& graphics)
    {
        const Graphics::Target& target = *graphics.m_target;
        if (target.hdc) {
            m_canvas.emplace(platform::DeviceContext::FromHandle(target.hdc));
            m_cairo = m_canvas->Get();
        } else if (target.imageCairo) {
            m_cairo = target.imageCairo.get();
            m_saved.emplace(m_cairo);
        }
        if (!m_cairo)
            return;
        const double* m = graphics.m_matrix;
        cairo_matrix_t world;
        cairo_matrix_init(&world, m[0], m[1], m[2], m[3], m[4], m[5]);
        cairo_transform(m_cairo, &world);
        const bool smooth = graphics.m_smoothing == SmoothingModeAntiAlias || graphics.m_smoothing == SmoothingModeHighQuality;
        cairo_set_antialias(m_cairo, smooth ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    }
    ~GraphicsPainter()
    {
        if (!m_saved)
            return;
        m_saved.reset();  // restored before the flush, as a canvas does
        cairo_surface_flush(cairo_get_target(m_cairo));
    }
    GraphicsPainter(const GraphicsPainter&) = delete;
    GraphicsPainter& operator=(const GraphicsPainter&) = delete;
    cairo_t* Get() const { return m_cairo; }

    static Status StatusOf(const Graphics& graphics) { return graphics.m_status; }
    static TextRenderingHint Hint(const Graphics& graphics) { return graphics.m_textHint; }
    static InterpolationMode Interpolation(const Graphics& graphics) { return graphics.m_interpolation; }

private:
    std::optional<platform::Canvas> m_canvas;
    cairo_t* m_cairo = nullptr;
    std::optional<platform::ScopedCairoState> m_saved;  // drawing on an image
};

namespace {

void SetColor(cairo_t* cr, const Color& color)
{
    cairo_set_source_rgba(cr, color.GetR() / 255.0, color.GetG() / 255.0, color.GetB() / 255.0, color.GetA() / 255.0);
}

std::wstring_view TextOf(const WCHAR* text, INT length)
{
    return platform::WideView(text, length);
}

// Where a measured block goes along one axis of a layout box (extent 0: around the point).
double Align(double start, double extent, double size, StringAlignment alignment)
{
    if (alignment == StringAlignmentCenter)
        return extent > 0 ? start + (extent - size) / 2 : start - size / 2;
    if (alignment == StringAlignmentFar)
        return extent > 0 ? start + extent - size : start - size;
    return start;
}

struct TextBlock {
    PangoLayout* layout = nullptr;
    double x = 0, y = 0;  // where the layout's origin goes
    RectF box;  // the measured box
};

// Lays text out for a layout box; the text lock must be held.
TextBlock LayOut(const Font& font, std::wstring_view text, const RectF& layout, const StringFormat& format, TextRenderingHint hint)
{
    platform::LayoutRequest request;
    request.font = font.Internal();
    request.text = text;
    const bool sharp = hint == TextRenderingHintSingleBitPerPixel || hint == TextRenderingHintSingleBitPerPixelGridFit;
    request.flavor = sharp ? platform::TextFlavor::Sharp : platform::TextFlavor::Smooth;
    const double pad = format.HasPadding() ? font.GetPixelSize() / 6.0 : 0.0;
    const bool bounded = layout.Width > 0;
    const int width = bounded ? std::max(1, static_cast<int>(std::floor(layout.Width - 2 * pad))) : -1;
    request.wrapLines = bounded && !(format.GetFormatFlags() & StringFormatFlagsNoWrap);
    request.wrap = PANGO_WRAP_WORD_CHAR;
    switch (format.GetTrimming()) {
    case StringTrimmingEllipsisCharacter:
    case StringTrimmingEllipsisWord: request.ellipsize = bounded ? PANGO_ELLIPSIZE_END : PANGO_ELLIPSIZE_NONE; break;
    case StringTrimmingEllipsisPath: request.ellipsize = bounded ? PANGO_ELLIPSIZE_MIDDLE : PANGO_ELLIPSIZE_NONE; break;
    default: break;
    }
    if (request.wrapLines || request.ellipsize != PANGO_ELLIPSIZE_NONE)
        request.width = width;
    if (request.wrapLines && request.ellipsize != PANGO_ELLIPSIZE_NONE && layout.Height > 0)
        request.height = static_cast<int>(layout.Height);
    const StringAlignment align = format.GetAlignment();
    request.alignment = align == StringAlignmentCenter ? PANGO_ALIGN_CENTER : align == StringAlignmentFar ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT;

    TextBlock block;
    block.layout = platform::CachedLayout(request);
    PangoRectangle logical;
    pango_layout_get_extents(block.layout, nullptr, &logical);
    const double w = logical.width / double(PANGO_SCALE), h = logical.height / double(PANGO_SCALE);
    const double lx = logical.x / double(PANGO_SCALE), ly = logical.y / double(PANGO_SCALE);
    // With a width Pango places the lines inside the padded box; without one the padded block
    // is placed by the alignment.
    const double boxLeft = request.width >= 0 ? layout.X + lx : Align(layout.X, layout.Width, w + 2 * pad, align);
    const double top = Align(layout.Y, layout.Height, h, format.GetLineAlignment());
    block.x = boxLeft + pad - lx;
    block.y = top - ly;
    block.box = RectF(static_cast<REAL>(boxLeft), static_cast<REAL>(top), static_cast<REAL>(w + 2 * pad), static_cast<REAL>(h));
    return block;
}

cairo_filter_t FilterFor(InterpolationMode mode)
{
    switch (mode) {
    case InterpolationModeNearestNeighbor: return CAIRO_FILTER_NEAREST;
    case InterpolationModeLowQuality: return CAIRO_FILTER_FAST;
    default: return CAIRO_FILTER_GOOD;
    }
}

// A new ARGB32 image holding the pixels of `surface` (width x height).
platform::CairoPtr<cairo_surface_t> CopySurface(cairo_surface_t* surface, int width, int height)
{
    platform::CairoPtr<cairo_surface_t> copy(cairo_surface_create_similar_image(surface, CAIRO_FORMAT_ARGB32, width, height));
    const platform::CairoPtr<cairo_t> cr(cairo_create(copy.get()));
    cairo_set_source_surface(cr.get(), surface, 0, 0);
    cairo_paint(cr.get());
    return copy;
}

}  // namespace

Graphics::Graphics(HDC hdc) : m_target(std::make_unique<Target>())
{
    if (!platform::DeviceContext::FromHandle(hdc)) {
        m_status = InvalidParameter;
        return;
    }
    m_target->hdc = hdc;
}

Graphics::Graphics(Image* image) : m_target(std::make_unique<Target>())
{
    auto* surface = image ? static_cast<cairo_surface_t*>(image->Surface()) : nullptr;
    if (!surface) {
        m_status = InvalidParameter;
        return;
    }
    m_target->image = image;
    m_target->imageCairo.reset(cairo_create(surface));
}

Graphics::~Graphics() = default;

Status Graphics::SetSmoothingMode(SmoothingMode mode)
{
    if (mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias)
        return InvalidParameter;
    m_smoothing = mode;
    return Ok;
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint)
{
    if (hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
        return InvalidParameter;
    m_textHint = hint;
    return Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode)
{
    if (mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic)
        return InvalidParameter;
    m_interpolation = mode;
    return Ok;
}

namespace {

// Prepend: the new step applies to points first; append: last.
void Combine(double* matrix, const cairo_matrix_t& step, MatrixOrder order)
{
    cairo_matrix_t current, result;
    cairo_matrix_init(&current, matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]);
    if (order == MatrixOrderPrepend)
        cairo_matrix_multiply(&result, &step, &current);
    else
        cairo_matrix_multiply(&result, &current, &step);
    const double values[6] = { result.xx, result.yx, result.xy, result.yy, result.x0, result.y0 };
    std::copy(values, values + 6, matrix);
}

}  // namespace

Status Graphics::TranslateTransform(REAL dx, REAL dy, MatrixOrder order)
{
    cairo_matrix_t step;
    cairo_matrix_init_translate(&step, dx, dy);
    Combine(m_matrix, step, order);
    return Ok;
}

Status Graphics::RotateTransform(REAL angle, MatrixOrder order)
{
    cairo_matrix_t step;
    cairo_matrix_init_rotate(&step, angle * M_PI / 180.0);
    Combine(m_matrix, step, order);
    return Ok;
}

Status Graphics::ScaleTransform(REAL sx, REAL sy, MatrixOrder order)
{
    cairo_matrix_t step;
    cairo_matrix_init_scale(&step, sx, sy);
    Combine(m_matrix, step, order);
    return Ok;
}

Status Graphics::ResetTransform()
{
    const double identity[6] = { 1, 0, 0, 1, 0, 0 };
    std::copy(identity, identity + 6, m_matrix);
    return Ok;
}

Status Graphics::Clear(const Color& color)
{
    GraphicsPainter painter(*this);
    if (!painter.Get())
        return m_status;
    cairo_identity_matrix(painter.Get());
    cairo_set_operator(painter.Get(), CAIRO_OPERATOR_SOURCE);
    SetColor(painter.Get(), color);
    cairo_paint(painter.Get());
    return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height)
{
    if (!brush || m_status != Ok)
        return InvalidParameter;
    GraphicsPainter painter(*this);
    if (!painter.Get())
        return Ok;
    SetColor(painter.Get(), brush->GetColorValue());
    cairo_rectangle(painter.Get(), x, y, width, height);
    cairo_fill(painter.Get());
    return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& rect)
{
    return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height)
{
    return FillRectangle(brush, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}

Status Graphics::FillRectangle(const Brush* brush, const Rect& rect)
{
    return FillRectangle(brush, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height)
{
    if (!brush || m_status != Ok)
        return InvalidParameter;
    GraphicsPainter painter(*this);
    if (!painter.Get() || width <= 0 || height <= 0)
        return Ok;
    cairo_t* cr = painter.Get();
    platform::EllipseArc(cr, x + width / 2.0, y + height / 2.0, width / 2.0, height / 2.0, 0, 2 * M_PI);
    SetColor(cr, brush->GetColorValue());
    cairo_fill(cr);
    return Ok;
}

// Centre alignment strokes on the outline; inset keeps the whole stroke inside it, so the
// rectangle's pixels x .. x + width are covered on each side by the pen's width.
Status Graphics::DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height)
{
    if (!pen || m_status != Ok)
        return InvalidParameter;
    GraphicsPainter painter(*this);
    if (!painter.Get())
        return Ok;
    cairo_t* cr = painter.Get();
    const double w = std::max(1.0f, pen->GetWidth());
    SetColor(cr, pen->GetColorValue());
    cairo_set_line_width(cr, w);
    if (pen->GetAlignment() == PenAlignmentInset && w > 1)
        cairo_rectangle(cr, x + w / 2, y + w / 2, std::max(0.0, width + 1 - w), std::max(0.0, height + 1 - w));
    else
        cairo_rectangle(cr, x + 0.5, y + 0.5, width, height);
    cairo_stroke(cr);
    return Ok;
}

Status Graphics::DrawRectangle(const Pen* pen, const RectF& rect)
{
    return DrawRectangle(pen, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height)
{
    return DrawRectangle(pen, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}

Status Graphics::DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2)
{
    if (!pen || m_status != Ok)
        return InvalidParameter;
    GraphicsPainter painter(*this);
    if (!painter.Get())
        return Ok;
    cairo_t* cr = painter.Get();
    SetColor(cr, pen->GetColorValue());
    cairo_set_line_width(cr, std::max(1.0f, pen->GetWidth()));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_move_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_line_to(cr, x2 + 0.5, y2 + 0.5);
    cairo_stroke(cr);
    return Ok;
}

Status Graphics::DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2)
{
    return DrawLine(pen, static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height)
{
    auto* surface = image ? static_cast<cairo_surface_t*>(image->Surface()) : nullptr;
    if (!surface || m_status != Ok)
        return InvalidParameter;
    GraphicsPainter painter(*this);
    if (!painter.Get() || width == 0 || height == 0)
        return Ok;
    cairo_t* cr = painter.Get();
    const double iw = cairo_image_surface_get_width(surface), ih = cairo_image_surface_get_height(surface);
    platform::CairoPtr<cairo_surface_t> source = platform::ShareSurface(surface);
    if (m_target->image && surface == m_target->image->Surface())  // drawing an image onto itself
        source = CopySurface(surface, static_cast<int>(iw), static_cast<int>(ih));
    cairo_translate(cr, x, y);
    cairo_scale(cr, width / iw, height / ih);
    // As in a blit: our own pattern, never cairo_get_source.
    const platform::CairoPtr<cairo_pattern_t> pattern(cairo_pattern_create_for_surface(source.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern.get(), FilterFor(m_interpolation));
    cairo_set_source(cr, pattern.get());
    cairo_rectangle(cr, 0, 0, iw, ih);
    cairo_fill(cr);
    return Ok;
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height)
{
    return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}

Status Graphics::DrawImage(Image* image, const RectF& dest)
{
    return DrawImage(image, dest.X, dest.Y, dest.Width, dest.Height);
}

Status Graphics::DrawImage(Image* image, const Rect& dest)
{
    return DrawImage(image, dest.X, dest.Y, dest.Width, dest.Height);
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y)
{
    if (!image)
        return InvalidParameter;
    return DrawImage(image, x, y, static_cast<REAL>(image->GetWidth()), static_cast<REAL>(image->GetHeight()));
}

Status Graphics::DrawImage(Image* image, INT x, INT y)
{
    return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y));
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layout, const StringFormat* format,
                            const Brush* brush)
{
    if (!text || !font || !font->Internal() || !brush || m_status != Ok)
        return InvalidParameter;
    const StringFormat& used = format ? *format : *StringFormat::GenericDefault();
    std::lock_guard guard(platform::TextLock());
    const TextBlock block = LayOut(*font, TextOf(text, length), layout, used, m_textHint);
    GraphicsPainter painter(*this);
    if (!painter.Get())
        return Ok;
    cairo_t* cr = painter.Get();
    if (!(used.GetFormatFlags() & StringFormatFlagsNoClip) && layout.Width > 0 && layout.Height > 0) {
        cairo_rectangle(cr, layout.X, layout.Y, layout.Width, layout.Height);
        cairo_clip(cr);
    }
    SetColor(cr, brush->GetColorValue());
    cairo_move_to(cr, block.x, block.y);
    pango_cairo_show_layout(cr, block.layout);
    return Ok;
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush)
{
    return DrawString(text, length, font, RectF(origin.X, origin.Y, 0, 0), nullptr, brush);
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const StringFormat* format,
                            const Brush* brush)
{
    return DrawString(text, length, font, RectF(origin.X, origin.Y, 0, 0), format, brush);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layout, const StringFormat* format,
                               RectF* box, INT* codepointsFitted, INT* linesFilled) const
{
    if (!text || !font || !font->Internal() || !box)
        return InvalidParameter;
    const StringFormat& used = format ? *format : *StringFormat::GenericDefault();
    const std::wstring_view view = TextOf(text, length);
    std::lock_guard guard(platform::TextLock());
    const TextBlock block = LayOut(*font, view, layout, used, m_textHint);
    *box = block.box;
    if (codepointsFitted)
        *codepointsFitted = static_cast<INT>(view.size());
    if (linesFilled)
        *linesFilled = pango_layout_get_line_count(block.layout);
    return Ok;
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, RectF* box) const
{
    return MeasureString(text, length, font, RectF(origin.X, origin.Y, 0, 0), nullptr, box);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const StringFormat* format,
                               RectF* box) const
{
    return MeasureString(text, length, font, RectF(origin.X, origin.Y, 0, 0), format, box);
}

}  // namespace Gdiplus
