#!/usr/bin/env python3
"""Writes the sample pictures of the printing programs: placeable Windows metafiles drawn record
by record, two 24-bit bitmaps, and the form logo as a C++ source that embeds its bytes.

  make_pictures.py demos DRIVE_C_QSET_DEMOS_FOLDER
  make_pictures.py form-logo OUTPUT.cpp
"""
import math
import struct
import sys
from pathlib import Path

TEAL = (0, 128, 128)
NAVY = (0, 51, 102)
SEA = (51, 153, 204)
LAND = (60, 150, 70)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GOLD = (212, 160, 23)


def colorref(rgb):
    return bytes((rgb[0], rgb[1], rgb[2], 0))


class Metafile:
    """A placeable metafile built one record at a time, with the object table kept as GDI keeps
    it: a new object takes the lowest free slot."""

    def __init__(self, width, height, units_per_inch=1440):
        self.frame = (0, 0, width, height)
        self.units_per_inch = units_per_inch
        self.records = []
        self.slots = []
        self.most_objects = 0

    def record(self, function, params=b""):
        if len(params) % 2:
            params += b"\0"
        self.records.append(struct.pack("<IH", 3 + len(params) // 2, function) + params)

    def words(self, function, *values):
        self.record(function, struct.pack("<%dh" % len(values), *values))

    def new_object(self, function, params):
        self.record(function, params)
        index = self.slots.index(False) if False in self.slots else len(self.slots)
        if index == len(self.slots):
            self.slots.append(True)
        self.slots[index] = True
        self.most_objects = max(self.most_objects, len(self.slots))
        return index

    # State records.
    def window_org(self, x, y):
        self.words(0x020B, y, x)

    def window_ext(self, w, h):
        self.words(0x020C, h, w)

    def save(self):
        self.record(0x001E)

    def restore(self, which=-1):
        self.words(0x0127, which)

    def bk_mode(self, transparent):
        self.words(0x0102, 1 if transparent else 2)

    def text_color(self, rgb):
        self.record(0x0209, colorref(rgb))

    def text_align(self, flags):
        self.words(0x012E, flags)

    def pen(self, rgb, width=0, style=0):
        return self.new_object(0x02FA, struct.pack("<Hhh", style, width, 0) + colorref(rgb))

    def null_pen(self):
        return self.pen(BLACK, 0, 5)

    def brush(self, rgb, style=0, hatch=0):
        return self.new_object(0x02FC, struct.pack("<H", style) + colorref(rgb) +
                               struct.pack("<H", hatch))

    def null_brush(self):
        return self.brush(BLACK, 1)

    def font(self, height, face="Arial", weight=700, italic=False, escapement=0):
        params = struct.pack("<hhhhh8B", -height, 0, escapement, escapement, weight, int(italic),
                             0, 0, 0, 0, 0, 0, 0)
        return self.new_object(0x02FB, params + face.encode("cp1252") + b"\0")

    def select(self, index):
        self.words(0x012D, index)

    def delete(self, index):
        self.words(0x01F0, index)
        self.slots[index] = False

    # Drawing records.
    def move_to(self, x, y):
        self.words(0x0214, y, x)

    def line_to(self, x, y):
        self.words(0x0213, y, x)

    def rectangle(self, left, top, right, bottom):
        self.words(0x041B, bottom, right, top, left)

    def ellipse(self, left, top, right, bottom):
        self.words(0x0418, bottom, right, top, left)

    def round_rect(self, left, top, right, bottom, corner_w, corner_h):
        self.words(0x061C, corner_h, corner_w, bottom, right, top, left)

    def polygon(self, points):
        self.words(0x0324, len(points), *[v for p in points for v in p])

    def polyline(self, points):
        self.words(0x0325, len(points), *[v for p in points for v in p])

    def poly_polygon(self, polygons):
        counts = [len(p) for p in polygons]
        coords = [v for poly in polygons for p in poly for v in p]
        self.words(0x0538, len(polygons), *counts, *coords)

    def text_out(self, x, y, text):
        data = text.encode("cp1252")
        if len(data) % 2:
            data += b"\0"
        self.record(0x0521, struct.pack("<h", len(text)) + data + struct.pack("<hh", y, x))

    def map_mode(self, mode):
        self.words(0x0103, mode)

    def viewport_org(self, x, y):
        self.words(0x020D, y, x)

    def viewport_ext(self, w, h):
        self.words(0x020E, h, w)

    def offset_window_org(self, dx, dy):
        self.words(0x020F, dy, dx)

    def offset_viewport_org(self, dx, dy):
        self.words(0x0211, dy, dx)

    def scale_window_ext(self, x_num, x_denom, y_num, y_denom):
        self.words(0x0410, y_denom, y_num, x_denom, x_num)

    def scale_viewport_ext(self, x_num, x_denom, y_num, y_denom):
        self.words(0x0412, y_denom, y_num, x_denom, x_num)

    def arc(self, function, box, start, end):
        left, top, right, bottom = box
        self.words(function, end[1], end[0], start[1], start[0], bottom, right, top, left)

    def set_pixel(self, x, y, rgb):
        self.record(0x041F, colorref(rgb) + struct.pack("<hh", y, x))

    def intersect_clip(self, left, top, right, bottom):
        self.words(0x0416, bottom, right, top, left)

    def exclude_clip(self, left, top, right, bottom):
        self.words(0x0415, bottom, right, top, left)

    def region(self, rects):
        """A region of non-overlapping rectangles, one scan per rectangle, sorted by top."""
        scans = b""
        for left, top, right, bottom in sorted(rects, key=lambda r: (r[1], r[0])):
            scans += struct.pack("<hhhhhh", 2, top, bottom, left, right, 2)
        xs = [r[0] for r in rects] + [r[2] for r in rects]
        ys = [r[1] for r in rects] + [r[3] for r in rects]
        head = struct.pack("<hhihhhhhhh", 0, 6, 0, 22 + len(scans), len(rects), 1,
                           min(xs), min(ys), max(xs), max(ys))
        return self.new_object(0x06FF, head + scans)

    def fill_region(self, region, brush):
        self.words(0x0228, region, brush)

    def frame_region(self, region, brush, width, height):
        self.words(0x0429, region, brush, height, width)

    def paint_region(self, region):
        self.words(0x012B, region)

    def invert_region(self, region):
        self.words(0x012A, region)

    def select_clip_region(self, region):
        self.words(0x012C, region)

    def pat_blt(self, left, top, width, height, operation=0x00F00021):
        self.record(0x061D, struct.pack("<Ihhhh", operation, height, width, top, left))

    def stretch_dib(self, target, source, dib, operation=0x00CC0020):
        (x, y, w, h), (sx, sy, sw, sh) = target, source
        self.record(0x0F43, struct.pack("<IHhhhhhhhh", operation, 0, sh, sw, sy, sx, h, w, y, x) +
                    dib)

    def dib_stretch_blt(self, target, source, dib, operation=0x00CC0020):
        (x, y, w, h), (sx, sy, sw, sh) = target, source
        self.record(0x0B41, struct.pack("<Ihhhhhhhh", operation, sh, sw, sy, sx, h, w, y, x) + dib)

    def dib_bit_blt(self, x, y, w, h, dib, operation=0x00CC0020):
        self.record(0x0940, struct.pack("<Ihhhhhh", operation, 0, 0, h, w, y, x) + dib)

    def bit_blt(self, x, y, w, h, bitmap16, operation=0x00CC0020):
        self.record(0x0922, struct.pack("<Ihhhhhh", operation, 0, 0, h, w, y, x) + bitmap16)

    def ext_text_out(self, x, y, text, advances=None, box=None, options=0):
        data = text.encode("cp1252")
        if len(data) % 2:
            data += b"\0"
        params = struct.pack("<hhhH", y, x, len(text), options)
        if box is not None:
            params += struct.pack("<hhhh", *box)
        params += data
        if advances is not None:
            params += struct.pack("<%dh" % len(advances), *advances)
        self.record(0x0A32, params)

    def comment(self, data):
        self.record(0x0626, struct.pack("<HH", 15, len(data)) + data)

    def build(self, exact_size=None):
        body = b"".join(self.records)
        eof = struct.pack("<IH", 3, 0)
        if exact_size is not None:
            # A comment record (an escape the players skip) makes up the bytes to the size asked.
            spare = exact_size - (22 + 18 + len(body) + len(eof))
            if spare < 10 or spare % 2:
                raise SystemExit("the picture does not fit in %d bytes" % exact_size)
            self.comment(b"\0" * (spare - 10))
            body = b"".join(self.records)
        largest = max([3] + [struct.unpack_from("<I", r)[0] for r in self.records])
        total_words = (18 + len(body) + len(eof)) // 2
        header = struct.pack("<HHHIHIH", 1, 9, 0x0300, total_words, self.most_objects, largest, 0)
        left, top, right, bottom = self.frame
        placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, left, top, right, bottom,
                                self.units_per_inch, 0)
        checksum = 0
        for (word,) in struct.iter_unpack("<H", placeable):
            checksum ^= word
        return placeable + struct.pack("<H", checksum) + header + body + eof


def circle_points(cx, cy, rx, ry, count, start=0.0):
    return [(round(cx + rx * math.cos(start + 2 * math.pi * k / count)),
             round(cy + ry * math.sin(start + 2 * math.pi * k / count))) for k in range(count)]


def draw_globe(wmf, size):
    """A globe in a square logical window of `size` units: sea, two continents, meridians and
    parallels."""
    c, r = size // 2, size * 45 // 100
    outline = wmf.pen(NAVY, max(1, size // 100))
    sea = wmf.brush(SEA)
    wmf.select(outline)
    wmf.select(sea)
    wmf.ellipse(c - r, c - r, c + r, c + r)
    land = wmf.brush(LAND)
    wmf.select(land)
    wmf.save()
    thin = wmf.pen(LAND, 0)
    wmf.select(thin)
    wmf.polygon([(c - r * 6 // 10, c - r * 5 // 10), (c - r * 2 // 10, c - r * 7 // 10),
                 (c + r * 1 // 10, c - r * 3 // 10), (c - r * 1 // 10, c + r * 2 // 10),
                 (c - r * 4 // 10, c + r * 1 // 10)])
    wmf.poly_polygon([
        [(c + r * 3 // 10, c + r * 1 // 10), (c + r * 7 // 10, c), (c + r * 6 // 10, c + r // 2),
         (c + r * 3 // 10, c + r * 6 // 10)],
        [(c - r // 2, c + r * 5 // 10), (c - r * 3 // 10, c + r * 5 // 10),
         (c - r * 4 // 10, c + r * 7 // 10)],
    ])
    wmf.restore(-1)
    wmf.delete(thin)
    grid = wmf.pen(WHITE, 0, 2)
    wmf.select(grid)
    hollow = wmf.null_brush()
    wmf.select(hollow)
    for k in (3, 6):
        wmf.ellipse(c - r * k // 10, c - r, c + r * k // 10, c + r)
    wmf.move_to(c, c - r)
    wmf.line_to(c, c + r)
    for k in (-6, -3, 0, 3, 6):
        half = round(r * math.sqrt(1 - (k / 10) ** 2))
        wmf.move_to(c - half, c + r * k // 10)
        wmf.line_to(c + half, c + r * k // 10)
    wmf.select(outline)
    for index in (grid, hollow, land, sea):
        wmf.delete(index)


def globe_logo():
    """The letterhead logo, 1515 x 1695 twips: the globe over the company's initials."""
    wmf = Metafile(1515, 1695)
    wmf.window_org(0, 0)
    wmf.window_ext(1000, 1119)
    draw_globe(wmf, 1000)
    wmf.bk_mode(True)
    wmf.text_color(TEAL)
    wmf.text_align(6)  # centred on the reference point, top-aligned
    # The letter's own regular face: a bold one would be one more font embedded in every letter,
    # and the largest single cost of writing its PDF.
    face = wmf.font(110, weight=400)
    wmf.select(face)
    wmf.text_out(500, 995, "W E D")
    wmf.delete(face)
    return wmf.build()


def form_logo():
    """The form's logo, 4,246 bytes: the globe ringed by an orbit, in 1290 x 1260 twips."""
    wmf = Metafile(1290, 1260)
    wmf.window_ext(1290, 1260)
    wmf.window_org(0, 0)
    wmf.save()
    wmf.window_ext(1000, 1000)
    draw_globe(wmf, 1000)
    orbit = wmf.pen(GOLD, 18)
    wmf.select(orbit)
    wmf.polyline(circle_points(500, 500, 490, 150, 48) + circle_points(500, 500, 490, 150, 1))
    wmf.restore(1)
    wmf.delete(orbit)
    return wmf.build(exact_size=4246)


def rule(width, height, colours):
    """A horizontal rule: bands of the given colours, top to bottom."""
    wmf = Metafile(width, height)
    none = wmf.null_pen()
    wmf.select(none)
    band = height // len(colours)
    for k, colour in enumerate(colours):
        fill = wmf.brush(colour)
        wmf.select(fill)
        bottom = height if k == len(colours) - 1 else (k + 1) * band
        wmf.rectangle(0, k * band, width, bottom)
        wmf.delete(fill)
    return wmf.build()


# The schedule places the strip at (615, 585) on the page and prints its footer line at y 14500
# from x 567: in the strip that line runs from 13915 to about 14200, and across the whole strip
# (the line starts left of it and runs on to the right, about 3000 twips long). The strip is light
# there from edge to edge, a film leader without the frame's sides, so that the line crosses no
# dark edge and reads on paper.
LEADER_TOP, LEADER_BOTTOM = 13750, 14400
LEADER = (246, 242, 230)


def decorative_strip():
    """A tall strip, 1215 x 14730 twips: a film strip with sprocket holes and stars, and a light
    leader across its whole width under the page's footer line."""
    width, height = 1215, 14730
    wmf = Metafile(width, height)
    dark = wmf.brush((30, 30, 40))
    frame_pen = wmf.pen(BLACK, 10)
    wmf.select(frame_pen)
    wmf.select(dark)
    # The frame's pen, 10 wide, stays inside the picture's bounds.
    wmf.rectangle(5, 5, width - 5, height - 5)
    leader = wmf.brush(LEADER)
    wmf.select(leader)
    no_outline = wmf.null_pen()
    wmf.select(no_outline)
    # A rectangle without outline leaves its right and bottom edges out: one unit more.
    wmf.rectangle(0, LEADER_TOP, width + 1, LEADER_BOTTOM)
    wmf.select(frame_pen)
    hole = wmf.brush(WHITE)
    wmf.select(hole)
    for y in range(150, height - 150, 450):
        if y + 220 > LEADER_TOP and y < LEADER_BOTTOM:
            continue
        wmf.round_rect(60, y, 220, y + 220, 60, 60)
        wmf.round_rect(width - 220, y, width - 60, y + 220, 60, 60)
    star = wmf.brush(GOLD)
    wmf.select(star)
    for y in range(600, height - 600, 1800):
        points = []
        for k in range(10):
            radius = 300 if k % 2 == 0 else 120
            angle = -math.pi / 2 + k * math.pi / 5
            points.append((round(width / 2 + radius * math.cos(angle)),
                           round(y + radius * math.sin(angle))))
        wmf.polygon(points)
    return wmf.build()


def emblem():
    """A small emblem, 1417 x 1237 twips: a ticket with a pentagon badge and a caption."""
    wmf = Metafile(1417, 1237)
    border = wmf.pen(TEAL, 20)
    paper = wmf.brush((250, 240, 210))
    wmf.select(border)
    wmf.select(paper)
    wmf.round_rect(20, 20, 1397, 1217, 200, 200)
    hatch = wmf.brush(TEAL, 2, 5)
    wmf.select(hatch)
    wmf.bk_mode(True)
    wmf.rectangle(120, 120, 1297, 300)
    gold = wmf.brush(GOLD)
    wmf.select(gold)
    wmf.polygon(circle_points(708, 640, 260, 260, 5, -math.pi / 2))
    wmf.text_color(NAVY)
    wmf.text_align(6)
    caption = wmf.font(150, "Times New Roman", 700, True)
    wmf.select(caption)
    wmf.text_out(708, 960, "Premiere")
    return wmf.build()


def bitmap_24(width, height, paint):
    """A bottom-up 24-bit Windows bitmap; paint(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = paint(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row) + b"\0" * (stride - width * 3))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def dib(width, height, bits, paint, palette=None):
    """A bottom-up device-independent bitmap as records carry it: info header, colour table (for
    8 bits a pixel, `palette` of (r, g, b)), pixels. paint(x, y) gives (r, g, b), or an index."""
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            value = paint(x, y)
            row += bytes((value,)) if bits == 8 else bytes((value[2], value[1], value[0]))
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    pixels = b"".join(rows)
    colours = palette or []
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(colours), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    return info + table + pixels


def poster(width, height, hue):
    def paint(x, y):
        t = y / height
        ring = (math.hypot(x - width / 2, y - height / 2) // 12) % 2
        base = [int(40 + 180 * t), int(60 + 120 * (1 - t)), hue]
        return tuple(min(255, v + 35) if ring else v for v in base)
    return bitmap_24(width, height, paint)


def write(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    if not path.exists() or path.read_bytes() != data:
        path.write_bytes(data)


def write_demos(root):
    quotation = root / "QUOTATION"
    write(quotation / "GLOBE.WMF", globe_logo())
    write(quotation / "LINE.WMF", rule(9615, 100, [TEAL]))
    write(quotation / "LINE2.WMF", rule(3405, 100, [NAVY, TEAL]))
    movie = root / "FORMATED TEXT"
    write(movie / "IMAGE1.WMF", decorative_strip())
    write(movie / "IMAGE2.WMF", rule(9450, 286, [NAVY, GOLD, NAVY]))
    write(movie / "IMAGE3.WMF", emblem())
    write(movie / "SAMPLE1.BMP", poster(198, 189, 200))
    write(movie / "SAMPLE2.BMP", poster(224, 226, 90))


def write_form_logo(target):
    data = form_logo()
    lines = ["// Made by tools/metafiles/make_pictures.py; do not edit.",
             "#include \"quotation/FormLogo.h\"", "", "namespace quillset {", "",
             "namespace {", "const char kFormLogo[] = {"]
    for start in range(0, len(data), 16):
        lines.append("    " + ", ".join("'\\x%02x'" % b for b in data[start:start + 16]) + ",")
    lines += ["};", "} // namespace", "",
              "QByteArrayView FormLogoData() {",
              "    return QByteArrayView(kFormLogo, sizeof kFormLogo);", "}", "",
              "} // namespace quillset", ""]
    write(Path(target), "\n".join(lines).encode())


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("demos", "form-logo"):
        raise SystemExit(__doc__)
    if sys.argv[1] == "demos":
        write_demos(Path(sys.argv[2]))
    else:
        write_form_logo(sys.argv[2])


if __name__ == "__main__":
    main()
