#!/usr/bin/env python3
"""Writes the picture corpus: sound pictures (good-*), pictures each broken in one named way
(bad-*), and pictures whose outcome is the decoder's business (any-*). The fuzz target starts from
it and the test suite replays it: good ones must load, bad ones must be refused, none may crash.

  make_corpus.py OUTPUT_FOLDER
"""
import struct
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "metafiles"))
import make_pictures as mp  # noqa: E402
import record_kinds  # noqa: E402


def with_checksum(data):
    data = bytearray(data)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", bytes(data[:20])):
        checksum ^= word
    struct.pack_into("<H", data, 20, checksum)
    return bytes(data)


def patched(data, offset, fmt, *values, fix_checksum=True):
    data = bytearray(data)
    struct.pack_into(fmt, data, offset, *values)
    return with_checksum(data) if fix_checksum else bytes(data)


def square(build):
    """A 100 x 100 metafile whose records come from build(wmf)."""
    wmf = mp.Metafile(100, 100)
    build(wmf)
    return wmf.build()


def raw_record(wmf, function, *words):
    wmf.records.append(struct.pack("<IH", 3 + len(words), function) +
                       struct.pack("<%dH" % len(words), *words))


def set_object_count(data, count):
    return patched(data, 22 + 10, "<H", count)


def files():
    globe = mp.globe_logo()
    out = {
        "good-globe.wmf": globe,
        "good-line.wmf": mp.rule(9615, 100, [mp.TEAL]),
        "good-strip.wmf": mp.decorative_strip(),
        "good-emblem.wmf": mp.emblem(),
        "good-form-logo.wmf": mp.form_logo(),
        "good-odd-width.bmp": mp.bitmap_24(7, 5, lambda x, y: (x * 30, y * 40, 90)),
        "good-sample.bmp": mp.poster(20, 18, 120),
    }
    for name, make in record_kinds.KINDS.items():
        out["good-" + name] = make()
    out["good-size-counts-placeable-header.wmf"] = patched(globe, 22 + 6, "<I", len(globe) // 2)
    first_record = 22 + 18
    out["bad-key.wmf"] = patched(globe, 0, "<I", 0x9AC6CDD6)
    out["bad-checksum.wmf"] = patched(globe, 20, "<H", struct.unpack_from("<H", globe, 20)[0] ^ 1,
                                      fix_checksum=False)
    out["bad-empty-frame.wmf"] = patched(globe, 10, "<h", 0)
    out["bad-zero-units-per-inch.wmf"] = patched(globe, 14, "<H", 0)
    out["bad-header-size.wmf"] = patched(globe, 22 + 2, "<H", 10)
    out["bad-version.wmf"] = patched(globe, 22 + 4, "<H", 0x0200)
    out["bad-declared-size-too-big.wmf"] = patched(globe, 22 + 6, "<I", len(globe))
    out["bad-record-size-zero.wmf"] = patched(globe, first_record, "<I", 0)
    out["bad-record-overruns-file.wmf"] = patched(globe, first_record, "<I", 0x7FFFFFFF)
    out["bad-no-eof.wmf"] = patched(globe[:-6], 22 + 6, "<I", (len(globe) - 6 - 22) // 2)
    out["bad-object-index.wmf"] = square(lambda w: (w.pen(mp.BLACK), w.select(7)))
    out["bad-too-many-objects.wmf"] = set_object_count(
        square(lambda w: (w.pen(mp.BLACK), w.pen(mp.TEAL))), 1)
    out["bad-selects-deleted-object.wmf"] = square(
        lambda w: (w.pen(mp.BLACK), w.brush(mp.TEAL), w.delete(0), w.select(0)))
    out["bad-restore-unsaved.wmf"] = square(lambda w: w.restore(-1))
    out["bad-restore-zero.wmf"] = square(lambda w: (w.save(), w.restore(0)))
    out["bad-window-extent-zero.wmf"] = square(lambda w: w.window_ext(0, 100))
    out["bad-polygon-count.wmf"] = square(lambda w: raw_record(w, 0x0324, 1000, 0, 0, 10, 10))
    out["bad-polyline-negative-count.wmf"] = square(lambda w: raw_record(w, 0x0325, 0xFFFF, 0, 0))
    out["bad-polypolygon-count.wmf"] = square(
        lambda w: raw_record(w, 0x0538, 2, 3, 900, 0, 0, 10, 0, 10, 10))
    out["bad-text-length.wmf"] = square(lambda w: raw_record(w, 0x0521, 500, 0x4141, 0, 0))
    out["bad-text-negative-length.wmf"] = square(lambda w: raw_record(w, 0x0521, 0x8000, 0, 0))
    out["bad-exttext-length.wmf"] = square(lambda w: raw_record(w, 0x0A32, 0, 0, 300, 0, 0x4141))
    out["bad-short-pen.wmf"] = square(lambda w: raw_record(w, 0x02FA, 0))
    out["bad-short-font.wmf"] = square(lambda w: raw_record(w, 0x02FB, 20, 0))
    out["bad-short-rectangle.wmf"] = square(lambda w: raw_record(w, 0x041B, 1, 2))
    out["bad-deep-savedc.wmf"] = square(lambda w: [w.save() for _ in range(1025)])
    out["bad-dib-too-large.wmf"] = square(
        lambda w: w.stretch_dib((0, 0, 100, 100), (0, 0, 1, 1), bmp_header(20000, 20000, 24)[14:]))
    out["bad-dib-palette-past-record.wmf"] = square(
        lambda w: w.stretch_dib((0, 0, 100, 100), (0, 0, 1, 1),
                                mp.dib(2, 2, 8, lambda x, y: 0, [(0, 0, 0)] * 2)[:40] +
                                b"\0" * 4))
    out["bad-scale-zero-denominator.wmf"] = square(lambda w: w.scale_window_ext(1, 0, 1, 1))
    out["bad-region-odd-edges.wmf"] = square(
        lambda w: raw_record(w, 0x06FF, 0, 6, 0, 0, 30, 1, 1, 0, 0, 10, 10, 3, 0, 10, 0, 5, 7, 3))
    out["bad-too-short.wmf"] = globe[:30]
    out["bad-not-a-picture.txt"] = b"Dear Sirs, this is not a picture.\n"
    out["bad-bmp-20000-square.bmp"] = bmp_header(20000, 20000, 24) + b"\0" * 64
    out["bad-bmp-300-megabytes.bmp"] = bmp_header(9000, 9000, 32) + b"\0" * 64
    out["bad-bmp-negative-width.bmp"] = bmp_header(-40, 40, 24) + b"\0" * 64
    out["any-bmp-truncated.bmp"] = mp.poster(40, 40, 60)[:900]
    return out


def bmp_header(width, height, bits):
    stride = (abs(width) * bits // 8 + 3) & ~3
    size = stride * abs(height)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, size, 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", (14 + 40 + size) & 0xFFFFFFFF, 0, 0, 54) + info


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in files().items():
        mp.write(folder / name, data)


if __name__ == "__main__":
    main()
