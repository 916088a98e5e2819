#!/usr/bin/env python3
"""Draws the skins' images as PNG files with nothing but zlib and struct.

Run from anywhere: writes skins/images/ (the editor's frame) and tests/ui/SkinData/images/ (the
test skin). The output is committed, so the build needs no Python; run this again after changing
a drawing and commit what it writes.
"""
import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, colour, coverage=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or coverage <= 0:
            return
        r, g, b, a = colour
        a = a / 255.0 * min(coverage, 1.0)
        dst = self.pixels[y * self.width + x]
        da = dst[3] / 255.0
        out_a = a + da * (1 - a)
        if out_a == 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = int(round((c * a + dst[i] * da * (1 - a)) / out_a))
        dst[3] = int(round(out_a * 255))

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.blend(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x + 0.5, x0 + radius), x1 - radius)
                cy = min(max(y + 0.5, y0 + radius), y1 - radius)
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                self.blend(x, y, colour, radius + 0.5 - d)

    def line(self, xa, ya, xb, yb, width, colour):
        """An anti-aliased segment: coverage falls off over the last half pixel of its width."""
        dx, dy = xb - xa, yb - ya
        length2 = dx * dx + dy * dy or 1e-9
        for y in range(self.height):
            for x in range(self.width):
                px, py = x + 0.5, y + 0.5
                t = max(0.0, min(1.0, ((px - xa) * dx + (py - ya) * dy) / length2))
                d = math.hypot(px - (xa + t * dx), py - (ya + t * dy))
                self.blend(x, y, colour, width / 2 + 0.5 - d)

    def frame(self, x0, y0, x1, y1, width, colour):
        self.line(x0, y0, x1, y0, width, colour)
        self.line(x1, y0, x1, y1, width, colour)
        self.line(x1, y1, x0, y1, width, colour)
        self.line(x0, y1, x0, y0, width, colour)

    def triangle(self, points, colour):
        (ax, ay), (bx, by), (cx, cy) = points
        area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay)
        for y in range(self.height):
            for x in range(self.width):
                hits = 0
                for sx, sy in ((0.25, 0.25), (0.75, 0.25), (0.25, 0.75), (0.75, 0.75)):
                    px, py = x + sx, y + sy
                    w0 = (bx - px) * (cy - py) - (cx - px) * (by - py)
                    w1 = (cx - px) * (ay - py) - (ax - px) * (cy - py)
                    w2 = (ax - px) * (by - py) - (bx - px) * (ay - py)
                    if all(w * area >= 0 for w in (w0, w1, w2)):
                        hits += 1
                self.blend(x, y, colour, hits / 4)

    def png(self):
        raw = b"".join(b"\x00" + bytes(v for p in self.pixels[y * self.width:(y + 1) * self.width] for v in p)
                       for y in range(self.height))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")

    def save(self, path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(self.png())


GLYPH = (222, 224, 230, 255)
HOT = (255, 255, 255, 24)
PUSHED = (255, 255, 255, 40)
CLOSE_HOT = (232, 17, 35, 255)
CLOSE_PUSHED = (241, 112, 122, 255)
BUTTON_W, BUTTON_H = 46, 40


def caption_button(glyph, background, glyph_colour=GLYPH):
    canvas = Canvas(BUTTON_W, BUTTON_H)
    if background:
        canvas.rect(0, 0, BUTTON_W, BUTTON_H, background)
    glyph(canvas, BUTTON_W / 2, BUTTON_H / 2, glyph_colour)
    return canvas


def close_glyph(c, x, y, colour):
    c.line(x - 5, y - 5, x + 5, y + 5, 1.2, colour)
    c.line(x + 5, y - 5, x - 5, y + 5, 1.2, colour)


def min_glyph(c, x, y, colour):
    c.line(x - 5, y, x + 5, y, 1.2, colour)


def max_glyph(c, x, y, colour):
    c.frame(x - 5, y - 5, x + 5, y + 5, 1.2, colour)


def restore_glyph(c, x, y, colour):
    c.frame(x - 5, y - 3, x + 3, y + 5, 1.2, colour)
    c.line(x - 3, y - 5, x + 5, y - 5, 1.2, colour)
    c.line(x + 5, y - 5, x + 5, y + 3, 1.2, colour)


def logo():
    canvas = Canvas(24, 24)
    canvas.round_rect(0, 0, 24, 24, 6, (94, 92, 230, 255))
    canvas.triangle(((9, 6.5), (9, 17.5), (18, 12)), (255, 255, 255, 255))
    return canvas


def editor_skin():
    out = os.path.join(ROOT, "skins", "images")
    for name, glyph in (("close", close_glyph), ("min", min_glyph), ("max", max_glyph), ("restore", restore_glyph)):
        hot, pushed = (CLOSE_HOT, CLOSE_PUSHED) if name == "close" else (HOT, PUSHED)
        caption_button(glyph, None).save(os.path.join(out, name + "_normal.png"))
        caption_button(glyph, hot, (255, 255, 255, 255) if name == "close" else GLYPH).save(
            os.path.join(out, name + "_hot.png"))
        caption_button(glyph, pushed, (255, 255, 255, 255) if name == "close" else GLYPH).save(
            os.path.join(out, name + "_pushed.png"))
    logo().save(os.path.join(out, "logo.png"))


SHADOW_SIZE, SHADOW_CORNER = 25, 30


def window_shadow():
    """The dialogs' shadow: drawn as a nine-grid with corners of SHADOW_CORNER, the window's edge
    SHADOW_SIZE pixels in from the picture's; soft and faint outward, clear where the window is."""
    side = 2 * SHADOW_CORNER + 1
    canvas = Canvas(side, side)
    inner0, inner1, radius = SHADOW_SIZE, side - SHADOW_SIZE, 6
    for y in range(side):
        for x in range(side):
            cx = min(max(x + 0.5, inner0 + radius), inner1 - radius)
            cy = min(max(y + 0.5, inner0 + radius), inner1 - radius)
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius
            if d <= 0:
                continue
            fade = max(0.0, 1.0 - d / SHADOW_SIZE)
            canvas.blend(x, y, (0, 0, 0, int(round(70 * fade * fade))))
    return canvas


def light_button_states(width, height, radius):
    """A light rounded button, normal above hot, for dark text on the editor's dark dialogs."""
    canvas = Canvas(width, height * 2)
    for row, (border, fill) in enumerate((((201, 206, 214, 255), (233, 236, 241, 255)),
                                          ((176, 184, 196, 255), (221, 226, 234, 255)))):
        top = row * height
        canvas.round_rect(0, top, width, top + height, radius, border)
        canvas.round_rect(1, top + 1, width - 1, top + height - 1, radius - 1, fill)
    return canvas


# ---- High-DPI variants ----
# The image lookup asks for "name@<scale>.png" at every scale but 100 (125, 150, 175 and 200 %),
# with the skin's source rectangles scaled by the same rounding (half away from zero).
DPI_SCALES = (125, 150, 175, 200)


def scaled_length(length, scale):
    return (length * scale * 2 + 100) // 200


class ScaledCanvas(Canvas):
    """A canvas for a drawing written in 100 % units, drawn at `scale` percent: coordinates, radii
    and line widths are multiplied, so glyphs stay sharp instead of being enlarged pixels."""

    def __init__(self, width, height, scale):
        super().__init__(scaled_length(width, scale), scaled_length(height, scale))
        self.factor = scale / 100.0

    def rect(self, x0, y0, x1, y1, colour):
        f = self.factor
        super().rect(round(x0 * f), round(y0 * f), round(x1 * f), round(y1 * f), colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        f = self.factor
        super().round_rect(round(x0 * f), round(y0 * f), round(x1 * f), round(y1 * f), radius * f, colour)

    def line(self, xa, ya, xb, yb, width, colour):
        f = self.factor
        super().line(xa * f, ya * f, xb * f, yb * f, width * f, colour)

    def triangle(self, points, colour):
        super().triangle([(x * self.factor, y * self.factor) for x, y in points], colour)


def scaled_name(path, scale):
    stem, ext = os.path.splitext(path)
    return "%s@%d%s" % (stem, scale, ext)


def editor_skin_scaled():
    """The caption buttons and the logo at every high-DPI scale, under the names the lookup asks."""
    out = os.path.join(ROOT, "skins", "images")
    white = (255, 255, 255, 255)
    buttons = (("close", close_glyph), ("min", min_glyph), ("max", max_glyph), ("restore", restore_glyph))
    for scale in DPI_SCALES:
        for name, glyph in buttons:
            hot, pushed = (CLOSE_HOT, CLOSE_PUSHED) if name == "close" else (HOT, PUSHED)
            on_colour = white if name == "close" else GLYPH
            for state, background, colour in (("normal", None, GLYPH), ("hot", hot, on_colour),
                                              ("pushed", pushed, on_colour)):
                canvas = ScaledCanvas(BUTTON_W, BUTTON_H, scale)
                if background:
                    canvas.rect(0, 0, BUTTON_W, BUTTON_H, background)
                glyph(canvas, BUTTON_W / 2, BUTTON_H / 2, colour)
                canvas.save(scaled_name(os.path.join(out, "%s_%s.png" % (name, state)), scale))
        canvas = ScaledCanvas(24, 24, scale)
        canvas.round_rect(0, 0, 24, 24, 6, (94, 92, 230, 255))
        canvas.triangle(((9, 6.5), (9, 17.5), (18, 12)), white)
        canvas.save(scaled_name(os.path.join(out, "logo.png"), scale))


def slider_thumbs(canvas, size):
    """A slider's thumb, normal, hot and pushed side by side: a white disc, ringed in blue when hot,
    blue with a white core while dragged."""
    blue, white = (61, 139, 253, 255), (255, 255, 255, 255)
    for cell, (ring, core, inset) in enumerate(((white, white, 0), (blue, white, 2), (white, blue, 2))):
        x = cell * size
        canvas.round_rect(x, 0, x + size, size, size / 2, ring)
        if inset:
            canvas.round_rect(x + inset, inset, x + size - inset, size - inset, size / 2 - inset, core)


def combo_arrow(canvas, height):
    """The drop-down chevron, drawn in the right 20 pixels of a combo of this height (the skin
    stretches the picture with corner='0,0,20,0', so the chevron keeps its shape)."""
    middle = height / 2
    colour = (154, 160, 172, 255)
    canvas.line(6, middle - 2, 10, middle + 2, 1.5, colour)
    canvas.line(10, middle + 2, 14, middle - 2, 1.5, colour)


def control_images():
    """Slider thumbs and combo arrows at 100 % and at every high-DPI scale."""
    out = os.path.join(ROOT, "skins", "images")
    for scale in (100,) + DPI_SCALES:
        def save(canvas, name):
            path = os.path.join(out, name)
            canvas.save(path if scale == 100 else scaled_name(path, scale))
        for size in (10, 12):
            canvas = ScaledCanvas(3 * size, size, scale)
            slider_thumbs(canvas, size)
            save(canvas, "slider_thumb%d.png" % size)
        for height, name in ((24, "combo_arrow.png"), (30, "combo_arrow30.png")):
            canvas = ScaledCanvas(20, height, scale)
            combo_arrow(canvas, height)
            save(canvas, name)


def dialog_images():
    window_shadow().save(os.path.join(ROOT, "skins", "images", "shadow.png"))
    # The message box names its file-notice cancel button by this bare name, so it sits beside
    # the skins rather than among their images.
    light_button_states(97, 34, 6).save(os.path.join(ROOT, "skins", "Caccel.png"))
    rename_pencil_states().save(os.path.join(ROOT, "skins", "images", "bianji.png"))


def rename_pencil_states():
    """An 18x18 pencil, normal, hot and pushed side by side: the subtitle list's rename button."""
    canvas = Canvas(54, 18)
    for state, colour in enumerate(((128, 134, 145, 255), (52, 122, 235, 255), (40, 96, 190, 255))):
        x = state * 18
        canvas.line(x + 4.5, 13.5, x + 12.5, 5.5, 3.0, colour)
        canvas.triangle(((x + 2.5, 15.5), (x + 3.2, 12.0), (x + 6.0, 14.8)), colour)
        canvas.line(x + 3.0, 16.5, x + 15.0, 16.5, 1.0, colour)
    return canvas


UPDATER_BLUE = (52, 122, 234, 255)


def updater_close(size, colour, disc):
    scale = size / 18
    canvas = Canvas(size, size)
    if disc:
        canvas.round_rect(0, 0, size, size, size // 2, disc)
    c = size / 2
    canvas.line(c - 4.5 * scale, c - 4.5 * scale, c + 4.5 * scale, c + 4.5 * scale, 1.4 * scale, colour)
    canvas.line(c + 4.5 * scale, c - 4.5 * scale, c - 4.5 * scale, c + 4.5 * scale, 1.4 * scale, colour)
    return canvas


def updater_logo(size):
    """The editor's logo: a rounded violet tile with a white play mark and a short cut line."""
    s = size / 56
    canvas = Canvas(size, size)
    canvas.round_rect(0, 0, size, size, int(14 * s), (94, 92, 230, 255))
    canvas.triangle(((21 * s, 15 * s), (21 * s, 41 * s), (42 * s, 28 * s)), (255, 255, 255, 255))
    canvas.line(12 * s, 46 * s, 44 * s, 46 * s, 2.2 * s, (255, 255, 255, 150))
    return canvas


def program_icon():
    """The icon both programs give their windows: the logo at the sizes desktops show, each a PNG
    in one icon file (a directory of width, height and offset, then the images)."""
    sizes = (16, 24, 32, 48, 64, 128, 256)
    images = [updater_logo(size).png() for size in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(os.path.join(ROOT, "skins", "Quillmoor.ico"), "wb") as f:
        f.write(out)


def updater_button(scale, colour):
    canvas = Canvas(40 * scale, 40 * scale)
    canvas.round_rect(0, 0, 40 * scale, 40 * scale, 6 * scale, colour)
    return canvas


def updater_bar(scale, colour):
    canvas = Canvas(40 * scale, 8 * scale)
    canvas.round_rect(0, 0, 40 * scale, 8 * scale, 4 * scale, colour)
    return canvas


def updater_skin():
    """The update dialog's own archive: each picture at 100 % and as "name@.png" at 200 %."""
    out = os.path.join(ROOT, "updater", "skin")
    pictures = {
        "navbar_icon_close_n": lambda k: updater_close(18 * k, (153, 153, 153, 255), None),
        "navbar_icon_close_h": lambda k: updater_close(18 * k, (51, 51, 51, 255), (235, 237, 241, 255)),
        "logo": lambda k: updater_logo(56 * k),
        "bt1-1": lambda k: updater_button(k, UPDATER_BLUE),
        "bt1-2": lambda k: updater_button(k, (74, 140, 242, 255)),
        "bt1-3": lambda k: updater_button(k, (38, 100, 200, 255)),
        "03": lambda k: updater_bar(k, (230, 233, 239, 255)),
        "02": lambda k: updater_bar(k, UPDATER_BLUE),
    }
    for name, draw in pictures.items():
        draw(1).save(os.path.join(out, name + ".png"))
        draw(2).save(os.path.join(out, name + "@.png"))
    window_shadow().save(os.path.join(out, "shadow.png"))
    window_shadow().save(os.path.join(out, "shadow@.png"))


def save_gif(path, width, height, palette, frames, delay):
    """An animated GIF: one solid frame per palette index in `frames`, each `delay` hundredths."""
    palette = (list(palette) + [(0, 0, 0, 255)] * 4)[:4]
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0xF1, 0, 0)
    for r, g, b, _ in palette:
        out += bytes((r, g, b))
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for index in frames:
        out += b"\x21\xF9\x04\x00" + struct.pack("<H", delay) + b"\x00\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x02"
        # Literal codes only, three bits each: a clear code before every pair keeps the table
        # from growing, so the code size never changes.
        codes = []
        pixels = [index] * (width * height)
        for i in range(0, len(pixels), 2):
            codes.append(4)
            codes.extend(pixels[i:i + 2])
        codes.append(5)
        bits, count, data = 0, 0, bytearray()
        for code in codes:
            bits |= code << count
            count += 3
            while count >= 8:
                data.append(bits & 0xFF)
                bits >>= 8
                count -= 8
        if count:
            data.append(bits & 0xFF)
        for i in range(0, len(data), 255):
            block = data[i:i + 255]
            out += bytes((len(block),)) + block
        out += b"\x00"
    out += b"\x3B"
    with open(path, "wb") as f:
        f.write(out)


def test_skin():
    out = os.path.join(ROOT, "tests", "ui", "SkinData", "images")
    swatch = Canvas(8, 8)
    swatch.rect(0, 0, 8, 8, (0, 128, 255, 255))
    swatch.save(os.path.join(out, "swatch.png"))
    # One 16x16 solid block per control state, left to right: normal, hot, pushed, focused,
    # disabled, selected; tests pick a block with source='x,0,x+16,16' and probe its colour. The
    # 150 % variant has the same blocks at 24x24, as the scaled source rectangle expects.
    colours = [(255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 0, 255),
               (128, 128, 128, 255), (255, 0, 255, 255)]
    for name, side in (("states.png", 16), ("states@150.png", 24)):
        states = Canvas(side * len(colours), side)
        for i, colour in enumerate(colours):
            states.rect(side * i, 0, side * i + side, side, colour)
        states.save(os.path.join(out, name))
    # Four 50-pixel vertical bands (red, green, blue, yellow) filling a 200x40 bar: a fore image
    # squeezed into part of the bar shows all four, one cut to that part shows only the first.
    bands = Canvas(200, 40)
    for i, colour in enumerate(colours[:4]):
        bands.rect(50 * i, 0, 50 * i + 50, 40, colour)
    bands.save(os.path.join(out, "bands.png"))
    # Three solid 8x8 frames (red, green, blue) with no frame delays: a player must pick its own.
    save_gif(os.path.join(out, "frames.gif"), 8, 8, colours[:3], [0, 1, 2], delay=0)


def volume_thumb(ring):
    """The thumb of the volume popup's vertical slider: a white disc with a blue ring when hot."""
    canvas = Canvas(12, 12)
    canvas.round_rect(0, 0, 12, 12, 6, ring)
    canvas.round_rect(2, 2, 10, 10, 4, (255, 255, 255, 255))
    return canvas


def menu_images():
    out = os.path.join(ROOT, "skins", "images")
    volume_thumb((255, 255, 255, 255)).save(os.path.join(out, "volume_thumb.png"))
    volume_thumb((61, 139, 253, 255)).save(os.path.join(out, "volume_thumb_hot.png"))

CROP_BLUE = (24, 133, 221, 255)


def overlay_images():
    """The crop frame: a blue border with heavier corner marks and a clear middle (stretched with
    corner='12,12,12,12'), and a grid cell whose faint edges split the frame into thirds."""
    out = os.path.join(ROOT, "skins", "images")
    frame = Canvas(36, 36)
    for x0, y0, x1, y1 in ((0, 0, 36, 1), (0, 35, 36, 36), (0, 0, 1, 36), (35, 0, 36, 36)):
        frame.rect(x0, y0, x1, y1, CROP_BLUE)
    for x0, y0 in ((0, 0), (24, 0), (0, 24), (24, 24)):
        cx = 0 if x0 == 0 else 33
        cy = 0 if y0 == 0 else 33
        frame.rect(x0, cy, x0 + 12, cy + 3, CROP_BLUE)
        frame.rect(cx, y0, cx + 3, y0 + 12, CROP_BLUE)
    frame.save(os.path.join(out, "zhegai.png"))
    cell = Canvas(16, 16)
    for i in range(0, 16, 4):
        cell.rect(i, 15, i + 2, 16, (255, 255, 255, 70))
        cell.rect(15, i, 16, i + 2, (255, 255, 255, 70))
    cell.save(os.path.join(out, "zheceng.png"))


def default_avatar(size):
    """The account area's picture while no account picture is known: a head and shoulders on a disc."""
    canvas = Canvas(size, size)
    f = size / 38.0
    canvas.round_rect(0, 0, size, size, size / 2, (58, 63, 74, 255))
    person = (154, 160, 172, 255)
    canvas.round_rect(round(13 * f), round(7 * f), round(25 * f), round(19 * f), 6 * f, person)
    # The shoulders: the lower half of a wide disc, cut by the round picture's edge.
    for y in range(round(21 * f), size):
        for x in range(size):
            d_body = math.hypot((x + 0.5 - size / 2) / 1.15, y + 0.5 - 34 * f) - 12 * f
            d_edge = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2) - size / 2
            canvas.blend(x, y, person, min(0.5 - d_body, 0.5 - d_edge))
    return canvas


def split_marker():
    """The split page's point marker: an orange handle with a grip line, 12 x 23."""
    canvas = Canvas(12, 23)
    canvas.round_rect(0, 0, 12, 23, 3, (245, 166, 35, 255))
    canvas.rect(5, 5, 7, 18, (255, 255, 255, 220))
    return canvas


def check_boxes():
    """The options that read as a yes or no: a 14 x 14 box, empty, hot and ticked."""
    out = os.path.join(ROOT, "skins", "images")
    for name, border, fill in (("check_off", (128, 134, 145, 255), (21, 22, 26, 255)),
                               ("check_hot", (90, 157, 255, 255), (21, 22, 26, 255)),
                               ("check_on", (61, 139, 253, 255), (61, 139, 253, 255))):
        box = Canvas(14, 14)
        box.round_rect(0, 0, 14, 14, 3, border)
        box.round_rect(1, 1, 13, 13, 2, fill)
        if name == "check_on":
            box.line(3.5, 7.2, 6, 9.8, 1.8, (255, 255, 255, 255))
            box.line(6, 9.8, 10.8, 4.4, 1.8, (255, 255, 255, 255))
        box.save(os.path.join(out, name + ".png"))


def scroll_thumbs():
    """The lists' scroll thumb, 8 x 24, normal and hot: a rounded bar stretched by its 4-pixel ends."""
    out = os.path.join(ROOT, "skins", "images")
    for name, colour in (("scroll_thumb", (92, 98, 110, 255)), ("scroll_thumb_hot", (128, 134, 145, 255))):
        thumb = Canvas(8, 24)
        thumb.round_rect(1, 0, 7, 24, 3, colour)
        thumb.save(os.path.join(out, name + ".png"))


def main_window_images():
    # The skin names both by their bare names, so they sit beside the skins.
    default_avatar(38).save(os.path.join(ROOT, "skins", "morentouxiang32.png"))
    split_marker().save(os.path.join(ROOT, "skins", "33.png"))
    check_boxes()
    scroll_thumbs()


def list_row_images():
    """The list rows' pictures: done mark, arrow, rename pencil, delete cross and merge connectors."""
    out = os.path.join(ROOT, "skins", "images")
    blue, white, grey = (61, 139, 253, 255), (255, 255, 255, 255), (128, 134, 145, 255)
    done = Canvas(21, 21)
    done.round_rect(0, 0, 21, 21, 10, (46, 160, 90, 255))
    done.line(5.5, 11, 9, 14.5, 2.0, white)
    done.line(9, 14.5, 15.5, 7, 2.0, white)
    done.save(os.path.join(out, "Finish.png"))
    arrow = Canvas(29, 16)
    arrow.line(2, 8, 22, 8, 2.0, grey)
    arrow.triangle(((20, 3), (27, 8), (20, 13)), grey)
    arrow.save(os.path.join(out, "jiantou.png"))
    # The rename pencil: normal, hot and pushed.
    for state, colour in (("1", grey), ("2", blue), ("3", (40, 96, 190, 255))):
        pencil = Canvas(16, 16)
        pencil.line(4, 12, 11.5, 4.5, 2.6, colour)
        pencil.triangle(((2.2, 14), (2.8, 10.8), (5.4, 13.3)), colour)
        pencil.save(os.path.join(out, "bianji-%s.png" % state))
    for state, colour in (("1", grey), ("2", (229, 72, 77, 255)), ("3", (190, 50, 56, 255))):
        cross = Canvas(12, 12)
        cross.line(2, 2, 10, 10, 1.6, colour)
        cross.line(10, 2, 2, 10, 1.6, colour)
        cross.save(os.path.join(out, "deleteList-%s.png" % state))
    # The connector strip: a link's lower half (0..12) above its upper half (10..19), and the two
    # halves alone as the rows between the first and the last show them.
    strip = Canvas(7, 19)
    strip.rect(3, 0, 4, 12, blue)
    strip.round_rect(1, 10, 6, 15, 2, blue)
    strip.rect(3, 14, 4, 19, blue)
    strip.save(os.path.join(out, "lianjie.png"))
    lower = Canvas(7, 12)
    lower.round_rect(1, 0, 6, 5, 2, blue)
    lower.rect(3, 4, 4, 12, blue)
    lower.save(os.path.join(out, "lianjie_01.png"))
    upper = Canvas(7, 9)
    upper.rect(3, 0, 4, 5, blue)
    upper.round_rect(1, 4, 6, 9, 2, blue)
    upper.save(os.path.join(out, "lianjie_02.png"))


if __name__ == "__main__":
    list_row_images()
    editor_skin()
    editor_skin_scaled()
    dialog_images()
    menu_images()
    main_window_images()
    control_images()
    updater_skin()
    program_icon()
    test_skin()
    overlay_images()
