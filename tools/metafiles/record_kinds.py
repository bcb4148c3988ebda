"""One small placeable metafile per kind of record that real writers use beyond the sample
pictures: bitmaps, arcs, mapping modes and viewports, clipping, regions, pixels and turned text.
The picture corpus (fuzz/graphics/make_corpus.py) takes them as files that must load and draw, and
the fuzz target starts from them.
"""
import make_pictures as mp

RED = (200, 40, 40)
BLUE = (40, 60, 200)
GREEN = (40, 150, 60)


def framed(width=2000, height=1500, units_per_inch=1000):
    """A metafile with a dark frame at its edge."""
    wmf = mp.Metafile(width, height, units_per_inch)
    wmf.window_org(0, 0)
    wmf.window_ext(width, height)
    edge = wmf.pen((60, 60, 60), 40)
    hollow = wmf.null_brush()
    wmf.select(edge)
    wmf.select(hollow)
    wmf.rectangle(20, 20, width - 20, height - 20)
    wmf.delete(edge)
    wmf.delete(hollow)
    return wmf


def solid(wmf, rgb, outline=None):
    pen = wmf.pen(outline, 20) if outline else wmf.null_pen()
    brush = wmf.brush(rgb)
    wmf.select(pen)
    wmf.select(brush)
    return pen, brush


def arcs():
    wmf = framed()
    solid(wmf, RED, mp.BLACK)
    wmf.arc(0x081A, (100, 100, 900, 900), (900, 500), (500, 100))  # pie, the upper right quarter
    solid(wmf, BLUE, mp.BLACK)
    wmf.arc(0x0830, (1000, 100, 1900, 700), (1000, 400), (1900, 400))  # chord, lower half
    thick = wmf.pen(GREEN, 60)
    wmf.select(thick)
    wmf.arc(0x0817, (200, 950, 1800, 1450), (1800, 1200), (200, 1200))  # arc, upper half
    return wmf.build()


def checker(cell):
    return lambda x, y: RED if (x // cell + y // cell) % 2 else BLUE


def bitmaps():
    wmf = framed()
    wmf.stretch_dib((100, 100, 800, 600), (0, 0, 16, 12), mp.dib(16, 12, 24, checker(4)))
    grey = [(k * 17, k * 17, k * 17) for k in range(16)]
    wmf.dib_stretch_blt((1000, 100, 900, 600), (0, 0, 16, 8),
                        mp.dib(16, 8, 8, lambda x, y: x, grey))
    wmf.dib_bit_blt(100, 800, 40, 40, mp.dib(40, 40, 24, lambda x, y: GREEN))
    solid(wmf, (230, 160, 20))
    wmf.pat_blt(1000, 800, 900, 600)
    wmf.pat_blt(1200, 1000, 300, 200, 0x00000042)  # blackness
    return wmf.build()


def mapping():
    # Twips with y upwards from a viewport origin at the bottom left, then an anisotropic window
    # moved by offset and scale records.
    wmf = framed(2000, 1500, 1440)
    solid(wmf, RED)
    wmf.save()
    wmf.map_mode(6)
    wmf.viewport_org(0, 1500)
    wmf.rectangle(100, 600, 700, 100)  # bottom left, drawn upwards
    wmf.restore()
    wmf.save()
    wmf.map_mode(8)
    wmf.window_org(0, 0)
    wmf.window_ext(100, 100)
    wmf.viewport_org(1000, 0)
    wmf.viewport_ext(1000, 1000)
    wmf.offset_window_org(-10, -10)
    wmf.scale_viewport_ext(1, 2, 3, 2)
    solid(wmf, BLUE)
    wmf.rectangle(0, 0, 80, 40)  # from (1050, 150), 400 wide and 600 high
    wmf.restore()
    return wmf.build()


def clipping():
    wmf = framed()
    solid(wmf, BLUE)
    wmf.save()
    wmf.intersect_clip(200, 200, 1000, 1300)
    wmf.exclude_clip(400, 400, 800, 700)
    wmf.ellipse(0, 0, 1400, 1500)
    wmf.restore()
    region = wmf.region([(1100, 200, 1800, 700), (1300, 700, 1500, 1300)])
    wmf.select_clip_region(region)
    solid(wmf, RED)
    wmf.rectangle(1000, 100, 1900, 1400)
    return wmf.build()


def regions():
    wmf = framed()
    red = wmf.brush(RED)
    blue = wmf.brush(BLUE)
    plus = wmf.region([(300, 200, 600, 500), (100, 500, 800, 800), (300, 800, 600, 1100)])
    wmf.fill_region(plus, red)
    box = wmf.region([(1000, 200, 1800, 1100)])
    wmf.frame_region(box, blue, 80, 80)
    wmf.select(blue)
    small = wmf.region([(1200, 400, 1600, 900)])
    wmf.paint_region(small)
    return wmf.build()


def pixels():
    wmf = mp.Metafile(60, 40, 20)
    for y in range(5, 35):
        for x in range(5, 25):
            wmf.set_pixel(x, y, RED)
    for y in range(10, 30):
        for x in range(35, 55):
            wmf.set_pixel(x, y, BLUE if (x + y) % 2 else GREEN)
    return wmf.build()


def turned_text():
    wmf = framed()
    wmf.bk_mode(True)
    wmf.text_color(BLUE)
    upright = wmf.font(220, "Arial", 700)
    wmf.select(upright)
    wmf.text_out(100, 150, "Across")
    up = wmf.font(220, "Arial", 700, escapement=900)
    wmf.select(up)
    wmf.text_out(1600, 1400, "Upwards")
    wmf.text_color(RED)
    slant = wmf.font(200, "Arial", 700, escapement=300)
    wmf.select(slant)
    wmf.ext_text_out(150, 1300, "Slanted", advances=[130] * 7)
    return wmf.build()


KINDS = {
    "kind-arcs.wmf": arcs,
    "kind-bitmaps.wmf": bitmaps,
    "kind-mapping.wmf": mapping,
    "kind-clipping.wmf": clipping,
    "kind-regions.wmf": regions,
    "kind-pixels.wmf": pixels,
    "kind-turned-text.wmf": turned_text,
}

