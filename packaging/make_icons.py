#!/usr/bin/env python3
"""Draws the icons of the printing programs and of the update agent, once as scalable SVG and once as PNG in each
bitmap size, from one list of shapes per icon, into a hicolor icon-theme tree:

  make_icons.py OUTPUT_FOLDER

writes OUTPUT_FOLDER/hicolor/scalable/apps/NAME.svg and OUTPUT_FOLDER/hicolor/SxS/apps/NAME.png.
"""
import struct
import sys
import zlib
from pathlib import Path

NAVY = (0, 51, 102)
SEA = (51, 153, 204)
LAND = (60, 150, 70)
GOLD = (212, 160, 23)
FILM = (38, 50, 56)
PAPER = (255, 255, 255)
EDGE = (144, 164, 174)
INK = (120, 134, 142)

VIEW = 48  # shapes are given on a 48 x 48 grid
BITMAP_SIZES = (48, 64, 128)
SAMPLES = 4  # per pixel and axis, for smooth edges


class Rect:
    def __init__(self, x, y, w, h, color, radius=0.0):
        self.x, self.y, self.w, self.h, self.color, self.radius = x, y, w, h, color, radius

    def bounds(self):
        return self.x, self.y, self.x + self.w, self.y + self.h

    def contains(self, px, py):
        if not (self.x <= px < self.x + self.w and self.y <= py < self.y + self.h):
            return False
        r = self.radius
        cx = min(max(px, self.x + r), self.x + self.w - r)
        cy = min(max(py, self.y + r), self.y + self.h - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

    def svg(self):
        return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>' % (
            self.x, self.y, self.w, self.h, self.radius, hex_color(self.color))


class Circle:
    def __init__(self, cx, cy, r, color):
        self.cx, self.cy, self.r, self.color = cx, cy, r, color

    def bounds(self):
        return self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r

    def contains(self, px, py):
        return (px - self.cx) ** 2 + (py - self.cy) ** 2 <= self.r * self.r

    def svg(self):
        return '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (
            self.cx, self.cy, self.r, hex_color(self.color))


class Polygon:
    def __init__(self, points, color):
        self.points, self.color = points, color

    def bounds(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return min(xs), min(ys), max(xs), max(ys)

    def contains(self, px, py):
        inside = False
        for (x1, y1), (x2, y2) in zip(self.points, self.points[1:] + self.points[:1]):
            if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
        return inside

    def svg(self):
        return '<polygon points="%s" fill="%s"/>' % (
            " ".join("%g,%g" % p for p in self.points), hex_color(self.color))


def hex_color(rgb):
    return "#%02x%02x%02x" % rgb


def movie_icon():
    """A film frame showing a landscape, with sprocket holes above and below."""
    shapes = [Rect(3, 7, 42, 34, FILM, 4)]
    for x in range(6, 44, 6):
        shapes += [Rect(x, 9.5, 3, 3, PAPER, 0.8), Rect(x, 35.5, 3, 3, PAPER, 0.8)]
    shapes += [
        Rect(7, 15, 34, 18, SEA),
        Circle(33, 20, 3, GOLD),
        Polygon([(7, 33), (7, 27), (15, 20), (24, 29), (29, 25), (41, 33)], LAND),
    ]
    return shapes


def quotation_icon():
    """A letter with a globe in its letterhead, text lines and a signature rule."""
    shapes = [
        Rect(8, 3, 32, 42, EDGE, 3),
        Rect(9, 4, 30, 40, PAPER, 2),
        Circle(17, 12.5, 5, SEA),
        Polygon([(14, 10), (17, 8.5), (19, 11), (17, 13), (18, 16), (15, 15.5), (14, 12.5)], LAND),
        Rect(24, 10, 11, 2, NAVY),
        Rect(24, 14, 8, 1.5, INK),
    ]
    for y, width in ((22, 22), (26, 22), (30, 18), (34, 22)):
        shapes.append(Rect(13, y, width, 1.5, INK))
    shapes.append(Rect(25, 39.5, 10, 1, NAVY))
    return shapes


def tlupdater_icon():
    """A box with a downward arrow coming into it: an update arriving."""
    return [
        Rect(6, 26, 36, 17, NAVY, 3),
        Rect(9, 29, 30, 3, SEA),
        Rect(20, 4, 8, 18, GOLD, 1),
        Polygon([(12, 20), (36, 20), (24, 34)], GOLD),
    ]


ICONS = {
    "org.quillset.movie": movie_icon,
    "org.quillset.quotation": quotation_icon,
    "org.quillset.tlupdater": tlupdater_icon,
}


def svg_text(shapes):
    body = "\n".join("  " + shape.svg() for shape in shapes)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
            "%s\n</svg>\n" % (VIEW, VIEW, VIEW, VIEW, body))


def raster(shapes, size):
    """RGBA rows: each shape covers its pixels by the share of sub-samples inside it, painted
    over what lies below in the order given."""
    scale = VIEW / size
    pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for shape in shapes:
        left, top, right, bottom = shape.bounds()
        for y in range(max(0, int(top / scale)), min(size, int(bottom / scale) + 1)):
            for x in range(max(0, int(left / scale)), min(size, int(right / scale) + 1)):
                hits = sum(shape.contains((x + dx) * scale, (y + dy) * scale)
                           for dx in offsets for dy in offsets)
                if not hits:
                    continue
                alpha = hits / (SAMPLES * SAMPLES)
                pixel = pixels[y * size + x]
                for channel in range(3):
                    pixel[channel] = shape.color[channel] * alpha + pixel[channel] * (1 - alpha)
                pixel[3] = alpha + pixel[3] * (1 - alpha)
    return pixels


def png_bytes(pixels, size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    rows = bytearray()
    for y in range(size):
        rows.append(0)  # no filter
        for r, g, b, a in pixels[y * size:(y + 1) * size]:
            # Colours are kept premultiplied while painting; PNG wants them straight.
            straight = [round(c / a) if a else 0 for c in (r, g, b)]
            rows += bytes(straight + [round(a * 255)])
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    theme = Path(sys.argv[1]) / "hicolor"
    for name, draw in ICONS.items():
        shapes = draw()
        folder = theme / "scalable" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        (folder / (name + ".svg")).write_text(svg_text(shapes))
        for size in BITMAP_SIZES:
            folder = theme / ("%dx%d" % (size, size)) / "apps"
            folder.mkdir(parents=True, exist_ok=True)
            (folder / (name + ".png")).write_bytes(png_bytes(raster(shapes, size), size))


if __name__ == "__main__":
    main()
