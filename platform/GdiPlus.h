#pragma once
// GDI+-style drawing services, in namespace Gdiplus as the framework and the editor call them.
//
// Everything drawn here writes real alpha (see the alpha-byte rule in WinGdi.h): a Graphics on a
// DC composes onto the DC's surface with its clip and origin, a Graphics on a Bitmap draws into
// the bitmap's premultiplied ARGB pixels. Text goes through the same Pango machinery as GDI
// text, unhinted (typographic) and anti-aliased unless a single-bit hint is chosen. Images decode
// PNG, JPEG, BMP and GIF (every frame of an animated GIF, with its delays); the encoders write
// PNG and JPEG. Objects report failures through GetLastStatus(); nothing throws.

#include "platform/WinBase.h"  // GUID, CLSID
#include "platform/WinGdi.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class FontObject;
}

// A readable byte stream, the part of the COM stream interface that image loading uses.
struct IStream {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // S_OK (0) with *read < count at the end of the stream.
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;

protected:
    virtual ~IStream() = default;
};
// A stream over a copy of the bytes; the caller releases it.
IStream* SHCreateMemStream(const BYTE* data, UINT size);

// Xlib defines Status as a macro; keep it out of these declarations.
#pragma push_macro("Status")
#undef Status

namespace Gdiplus {

using REAL = float;
using ARGB = DWORD;
using PixelFormat = INT;
using PROPID = ULONG;
using GraphicsState = UINT;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

enum SmoothingMode {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0,
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
};
enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};
enum InterpolationMode {
    InterpolationModeInvalid = -1,
    InterpolationModeDefault = 0,
    InterpolationModeLowQuality = 1,
    InterpolationModeHighQuality = 2,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7,
};
enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5, UnitMillimeter = 6 };
enum FontStyle {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleBoldItalic = 3,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};
enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum StringTrimming {
    StringTrimmingNone = 0,
    StringTrimmingCharacter = 1,
    StringTrimmingWord = 2,
    StringTrimmingEllipsisCharacter = 3,
    StringTrimmingEllipsisWord = 4,
    StringTrimmingEllipsisPath = 5,
};
enum StringFormatFlags {
    StringFormatFlagsDirectionRightToLeft = 0x0001,
    StringFormatFlagsDirectionVertical = 0x0002,
    StringFormatFlagsNoFitBlackBox = 0x0004,
    StringFormatFlagsDisplayFormatControl = 0x0020,
    StringFormatFlagsNoFontFallback = 0x0400,
    StringFormatFlagsMeasureTrailingSpaces = 0x0800,
    StringFormatFlagsNoWrap = 0x1000,
    StringFormatFlagsLineLimit = 0x2000,
    StringFormatFlagsNoClip = 0x4000,
};
enum PenAlignment { PenAlignmentCenter = 0, PenAlignmentInset = 1 };

constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;

constexpr PROPID PropertyTagFrameDelay = 0x5100;
constexpr PROPID PropertyTagLoopCount = 0x5101;
constexpr WORD PropertyTagTypeShort = 3;
constexpr WORD PropertyTagTypeLong = 4;

// The frame dimensions of multi-frame images: GIF frames are in time, other images have one page.
extern const GUID FrameDimensionTime;
extern const GUID FrameDimensionPage;

struct GdiplusStartupInput {
    UINT GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
    void* NotificationHook = nullptr;
    void* NotificationUnhook = nullptr;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

class Color {
public:
    enum : ARGB { AlphaShift = 24, RedShift = 16, GreenShift = 8, BlueShift = 0 };
    Color() : m_argb(0xFF000000) { }
    Color(BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(255, r, g, b)) { }
    Color(BYTE a, BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(a, r, g, b)) { }
    Color(ARGB argb) : m_argb(argb) { }
    BYTE GetA() const { return static_cast<BYTE>(m_argb >> AlphaShift); }
    BYTE GetR() const { return static_cast<BYTE>(m_argb >> RedShift); }
    BYTE GetG() const { return static_cast<BYTE>(m_argb >> GreenShift); }
    BYTE GetB() const { return static_cast<BYTE>(m_argb >> BlueShift); }
    BYTE GetAlpha() const { return GetA(); }
    BYTE GetRed() const { return GetR(); }
    BYTE GetGreen() const { return GetG(); }
    BYTE GetBlue() const { return GetB(); }
    ARGB GetValue() const { return m_argb; }
    void SetValue(ARGB argb) { m_argb = argb; }
    static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b)
    {
        return (ARGB(a) << AlphaShift) | (ARGB(r) << RedShift) | (ARGB(g) << GreenShift) | ARGB(b);
    }

private:
    ARGB m_argb;
};

struct PointF {
    PointF() = default;
    PointF(REAL x, REAL y) : X(x), Y(y) { }
    REAL X = 0, Y = 0;
};
struct Point {
    Point() = default;
    Point(INT x, INT y) : X(x), Y(y) { }
    INT X = 0, Y = 0;
};
struct RectF {
    RectF() = default;
    RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) { }
    REAL GetLeft() const { return X; }
    REAL GetTop() const { return Y; }
    REAL GetRight() const { return X + Width; }
    REAL GetBottom() const { return Y + Height; }
    REAL X = 0, Y = 0, Width = 0, Height = 0;
};
struct Rect {
    Rect() = default;
    Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) { }
    INT GetLeft() const { return X; }
    INT GetTop() const { return Y; }
    INT GetRight() const { return X + Width; }
    INT GetBottom() const { return Y + Height; }
    INT X = 0, Y = 0, Width = 0, Height = 0;
};

struct PropertyItem {
    PROPID id;
    ULONG length;  // bytes of value
    WORD type;
    void* value;
};

struct ImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};
struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    void* Value;
};
struct EncoderParameters {  // accepted and ignored: the encoders have fixed settings
    UINT Count;
    EncoderParameter Parameter[1];
};
Status GetImageEncodersSize(UINT* count, UINT* size);
Status GetImageEncoders(UINT count, UINT size, ImageCodecInfo* encoders);

// ---- Fonts and text formats -------------------------------------------------------------------

class FontFamily {
public:
    FontFamily() = default;
    explicit FontFamily(const WCHAR* name, const void* collection = nullptr);
    Status GetFamilyName(WCHAR name[LF_FACESIZE], WORD language = 0) const;
    BOOL IsAvailable() const { return !m_name.empty(); }
    Status GetLastStatus() const { return m_status; }
    const std::wstring& Name() const { return m_name; }

private:
    friend class InstalledFontCollection;
    std::wstring m_name;
    Status m_status = Ok;
};

// The font families installed for this process (system fonts and fonts added from memory).
class InstalledFontCollection {
public:
    InstalledFontCollection();
    INT GetFamilyCount() const { return static_cast<INT>(m_names.size()); }
    Status GetFamilies(INT wanted, FontFamily* families, INT* found) const;

    // The installed family that text asked for in `family` is drawn with: the family itself when
    // installed, else the desktop's substitute for it (a Windows face maps to a font of its kind).
    static std::wstring DrawnFamily(const std::wstring& family);

private:
    std::vector<std::wstring> m_names;
};

class Font {
public:
    Font(HDC hdc);  // the DC's selected font
    Font(HDC hdc, HFONT font);
    Font(HDC hdc, const LOGFONTW* font);
    Font(const WCHAR* family, REAL emSize, INT style = FontStyleRegular, Unit unit = UnitPoint, const void* collection = nullptr);
    Font(const FontFamily* family, REAL emSize, INT style = FontStyleRegular, Unit unit = UnitPoint);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    Status GetLastStatus() const { return m_status; }
    BOOL IsAvailable() const { return m_font != nullptr; }
    INT GetStyle() const { return m_style; }
    REAL GetSize() const { return m_size; }
    Unit GetUnit() const { return m_unit; }
    REAL GetPixelSize() const { return m_pixelSize; }
    const platform::FontObject* Internal() const { return m_font.get(); }

private:
    void Make(LOGFONTW font, REAL pixelSize);
    std::shared_ptr<platform::FontObject> m_font;
    INT m_style = FontStyleRegular;
    REAL m_size = 0, m_pixelSize = 0;
    Unit m_unit = UnitPixel;
    Status m_status = Ok;
};

class StringFormat {
public:
    explicit StringFormat(INT flags = 0, WORD language = 0) : m_flags(flags) { (void)language; }
    StringFormat(const StringFormat* format);
    static const StringFormat* GenericDefault();
    static const StringFormat* GenericTypographic();
    StringFormat* Clone() const { return new StringFormat(this); }
    Status SetFormatFlags(INT flags) { m_flags = flags; return Ok; }
    INT GetFormatFlags() const { return m_flags; }
    Status SetAlignment(StringAlignment align) { m_alignment = align; return Ok; }
    StringAlignment GetAlignment() const { return m_alignment; }
    Status SetLineAlignment(StringAlignment align) { m_lineAlignment = align; return Ok; }
    StringAlignment GetLineAlignment() const { return m_lineAlignment; }
    Status SetTrimming(StringTrimming trimming) { m_trimming = trimming; return Ok; }
    StringTrimming GetTrimming() const { return m_trimming; }
    Status GetLastStatus() const { return Ok; }
    // Every format but the typographic one (and its copies) keeps a sixth of the font's em size
    // free on each side of the text, in measuring and in drawing.
    bool HasPadding() const { return m_padded; }

private:
    bool m_padded = true;
    INT m_flags = 0;
    StringAlignment m_alignment = StringAlignmentNear;
    StringAlignment m_lineAlignment = StringAlignmentNear;
    StringTrimming m_trimming = StringTrimmingCharacter;
};

// ---- Brushes and pens -------------------------------------------------------------------------

class Brush {
public:
    virtual ~Brush() = default;
    virtual Color GetColorValue() const = 0;
    Status GetLastStatus() const { return Ok; }
};

class SolidBrush : public Brush {
public:
    explicit SolidBrush(const Color& color) : m_color(color) { }
    Status GetColor(Color* color) const
    {
        if (!color)
            return InvalidParameter;
        *color = m_color;
        return Ok;
    }
    Status SetColor(const Color& color) { m_color = color; return Ok; }
    Color GetColorValue() const override { return m_color; }

private:
    Color m_color;
};

class Pen {
public:
    Pen(const Color& color, REAL width = 1.0f) : m_color(color), m_width(width) { }
    Status SetAlignment(PenAlignment alignment) { m_alignment = alignment; return Ok; }
    PenAlignment GetAlignment() const { return m_alignment; }
    Status SetWidth(REAL width) { m_width = width; return Ok; }
    REAL GetWidth() const { return m_width; }
    Status SetColor(const Color& color) { m_color = color; return Ok; }
    Color GetColorValue() const { return m_color; }
    Status GetLastStatus() const { return Ok; }

private:
    Color m_color;
    REAL m_width;
    PenAlignment m_alignment = PenAlignmentCenter;
};

// ---- Images -----------------------------------------------------------------------------------

class Graphics;

class Image {
public:
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    Image(const WCHAR* path, BOOL useEmbeddedColorManagement = FALSE);
    Image(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
    static Image* FromFile(const WCHAR* path, BOOL useEmbeddedColorManagement = FALSE);
    static Image* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);

    Status GetLastStatus() const { return m_status; }
    UINT GetWidth() const;
    UINT GetHeight() const;
    PixelFormat GetPixelFormat() const { return PixelFormat32bppARGB; }
    UINT GetFrameDimensionsCount() const { return 1; }
    Status GetFrameDimensionsList(GUID* dimensions, UINT count) const;
    UINT GetFrameCount(const GUID* dimension) const;
    Status SelectActiveFrame(const GUID* dimension, UINT index);
    UINT GetPropertyCount() const;
    UINT GetPropertyItemSize(PROPID id) const;
    Status GetPropertyItem(PROPID id, UINT size, PropertyItem* buffer) const;
    // Writes to a file beside the target and renames it into place: no half-written file.
    Status Save(const WCHAR* path, const CLSID* encoder, const EncoderParameters* parameters = nullptr);

    // The active frame's pixels (a cairo image surface), for the drawing code.
    void* Surface() const;

protected:
    Image();
    struct Frames;
    std::unique_ptr<Frames> m_frames;
    Status m_status = Ok;
    bool m_animated = false;

private:
    void Decode(const std::vector<BYTE>& bytes);
};

class Bitmap : public Image {
public:
    Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
    Bitmap(INT width, INT height, Graphics* target);
    Bitmap(const WCHAR* path, BOOL useEmbeddedColorManagement = FALSE) : Image(path, useEmbeddedColorManagement) { }
    Bitmap(IStream* stream, BOOL useEmbeddedColorManagement = FALSE) : Image(stream, useEmbeddedColorManagement) { }
    static Bitmap* FromFile(const WCHAR* path, BOOL useEmbeddedColorManagement = FALSE);
    static Bitmap* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
    Status GetPixel(INT x, INT y, Color* color) const;  // unpremultiplied
    Status SetPixel(INT x, INT y, const Color& color);
};

// ---- Graphics ---------------------------------------------------------------------------------

class Graphics {
public:
    explicit Graphics(HDC hdc);
    explicit Graphics(Image* image);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    static Graphics* FromHDC(HDC hdc) { return new Graphics(hdc); }
    static Graphics* FromImage(Image* image) { return new Graphics(image); }
    Status GetLastStatus() const { return m_status; }

    Status SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const { return m_smoothing; }
    Status SetTextRenderingHint(TextRenderingHint hint);
    TextRenderingHint GetTextRenderingHint() const { return m_textHint; }
    Status SetInterpolationMode(InterpolationMode mode);
    InterpolationMode GetInterpolationMode() const { return m_interpolation; }

    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend);
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend);
    Status ResetTransform();

    Status Clear(const Color& color);
    Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
    Status FillRectangle(const Brush* brush, const RectF& rect);
    Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
    Status FillRectangle(const Brush* brush, const Rect& rect);
    Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
    Status DrawRectangle(const Pen* pen, const RectF& rect);
    Status DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height);
    Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
    Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2);
    Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height);

    Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
    Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
    Status DrawImage(Image* image, const RectF& dest);
    Status DrawImage(Image* image, const Rect& dest);
    Status DrawImage(Image* image, REAL x, REAL y);
    Status DrawImage(Image* image, INT x, INT y);

    // length -1: up to the terminating 0. Without a layout rectangle (or with a zero width) the
    // text does not wrap.
    Status DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layout, const StringFormat* format,
                      const Brush* brush);
    Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush);
    Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const StringFormat* format,
                      const Brush* brush);
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const RectF& layout, const StringFormat* format,
                         RectF* box, INT* codepointsFitted = nullptr, INT* linesFilled = nullptr) const;
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, RectF* box) const;
    Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const StringFormat* format,
                         RectF* box) const;

    struct Target;  // where the drawing goes

private:
    std::unique_ptr<Target> m_target;
    double m_matrix[6] = { 1, 0, 0, 1, 0, 0 };  // cairo order: xx, yx, xy, yy, x0, y0
    SmoothingMode m_smoothing = SmoothingModeDefault;
    TextRenderingHint m_textHint = TextRenderingHintSystemDefault;
    InterpolationMode m_interpolation = InterpolationModeDefault;
    Status m_status = Ok;

    friend class GraphicsPainter;
};

}  // namespace Gdiplus

#pragma pop_macro("Status")
