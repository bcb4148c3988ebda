#!/usr/bin/env python3
"""Writes one ZIP archive of a named kind, for the unzip tests and the fuzz seed corpus.

    make_archive.py KIND OUT.zip
    make_archive.py --all FOLDER     (every kind, as FOLDER/KIND.zip)

Hostile kinds are named after the fault they carry; each is one an attacker or a broken tool
could hand the update agent.
"""
import lzma
import stat
import struct
import sys
import zipfile
import zlib

DATE = (2003, 3, 7, 9, 5, 0)


def entry(name, mode=0o644, kind=stat.S_IFREG):
    info = zipfile.ZipInfo(name, DATE)
    info.create_system = 3  # Unix, so that the mode in external_attr counts
    info.external_attr = (kind | mode) << 16
    return info


def write(path, members, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, "w", compression) as archive:
        for info, data in members:
            info.compress_type = compression
            archive.writestr(info, data)


def good_file():
    return (entry("good.txt"), b"stays inside\n")


KINDS = {
    # Fine archives.
    "editor": lambda p: write(p, [(entry("EDITOR.EXE", 0o755), b"E" * 123456)]),
    "big-size": lambda p: write(p, [(entry("HUGE.DAT"), b"\0" * 12345678)]),
    "tree": lambda p: write(p, [(entry("top.txt"), b"top\n"), (entry("sub/", 0o755, stat.S_IFDIR), b""),
                                (entry("sub/inner.txt"), b"inner\n"),
                                (entry("sub/deeper/run.sh", 0o755), b"#!/bin/sh\necho hi\n")]),
    "bzip2": lambda p: write(p, [(entry("packed.txt"), b"bzip2 data\n" * 100)], zipfile.ZIP_BZIP2),
    "lzma": lambda p: write(p, [(entry("packed.txt"), b"lzma data\n" * 100)], zipfile.ZIP_LZMA),
    "spaces": lambda p: write(p, [(entry("my folder/my file.txt"), b"spaced\n")]),
    "line-ends": lambda p: write(p, [(entry("unix.txt"), b"one\ntwo\r\nthree\rfour\n"),
                                     (entry("binary.bin"), b"\0\n\x01\n")]),
    "link-inside": lambda p: write(p, [good_file(), (entry("alias.txt", 0o777, stat.S_IFLNK), b"good.txt"),
                                       (entry("sub/up.txt", 0o777, stat.S_IFLNK), b"../good.txt")]),
    # Hostile archives.
    "slip-dotdot": lambda p: write(p, [good_file(), (entry("../evil.txt"), b"escaped\n")]),
    "slip-deep": lambda p: write(p, [good_file(), (entry("sub/../../evil.txt"), b"escaped\n")]),
    "slip-backslash": lambda p: write(p, [good_file(), (entry("..\\evil.txt"), b"escaped\n")]),
    "absolute-name": lambda p: write(p, [good_file(), (entry("/tmp/quillset-unzip-evil.txt"), b"escaped\n")]),
    "drive-name": lambda p: write(p, [good_file(), (entry("C:/evil.txt"), b"escaped\n")]),
    "link-absolute": lambda p: write(p, [good_file(), (entry("etc", 0o777, stat.S_IFLNK), b"/etc")]),
    "link-climbs-out": lambda p: write(p, [good_file(), (entry("up", 0o777, stat.S_IFLNK), b"../..")]),
    "link-then-write-through": lambda p: write(p, [good_file(), (entry("hop", 0o777, stat.S_IFLNK), b"."),
                                                   (entry("hop/evil.txt"), b"through a link\n")]),
    "link-chain-out": lambda p: write(p, [(entry("d/", 0o755, stat.S_IFDIR), b""),
                                          (entry("d/l", 0o777, stat.S_IFLNK), b".."),
                                          (entry("x", 0o777, stat.S_IFLNK), b"d/l/..")]),
    "through-existing-link": lambda p: write(p, [good_file(), (entry("escape/evil.txt"), b"through a link\n")]),
    "temporary-lookalike": lambda p: write(p, [good_file(), (entry(".uz-"), b"a\n"), (entry(".uz-1-0"), b"b\n"),
                                               (entry(".uz-1-0"), b"c\n")]),
    "fifo": lambda p: write(p, [good_file(), (entry("pipe", 0o644, stat.S_IFIFO), b"")]),
    "char-device": lambda p: write(p, [good_file(), (entry("null", 0o666, stat.S_IFCHR), b"")]),
}


def corrupt_crc(path):
    write(path, [(entry("data.txt"), b"A" * 1000)], zipfile.ZIP_STORED)
    raw = bytearray(open(path, "rb").read())
    at = raw.index(b"AAAA")
    raw[at] = ord("B")
    open(path, "wb").write(raw)


def truncated(path):
    write(path, [(entry("first.txt"), bytes(range(256)) * 64), (entry("second.txt"), b"x" * 5000)])
    raw = open(path, "rb").read()
    open(path, "wb").write(raw[: len(raw) // 2])


def deep_nesting(path):
    # 32,000 folder levels in one name of 64 KB, the most a ZIP name can hold.
    write(path, [good_file(), (entry("d/" * 32000 + "deep.txt"), b"deep\n")])


def raw_zip(path, stored, directory):
    """A ZIP written by hand: `stored` is a list of (name, data) local entries in file order,
    `directory` a list of (name, index of a stored entry, extra offset into it) central entries,
    so that several central entries can point into one stored entry."""
    out, offsets, records = bytearray(), [], []
    for name, data in stored:
        offsets.append(len(out))
        out += local_entry(name, data)
    for name, index, into in directory:
        data = stored[index][1]
        crc = zlib.crc32(data)
        records.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x0314, 20, 0, 0, 0, 0x2E67,
                                   crc, len(data), len(data), len(name), 0, 0, 0, 0,
                                   (stat.S_IFREG | 0o644) << 16, offsets[index] + into)
                       + name.encode())
    directory_bytes = b"".join(records)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(records), len(records),
                      len(directory_bytes), len(out), 0)
    open(path, "wb").write(bytes(out) + directory_bytes + end)


def local_entry(name, data):
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0x2E67, zlib.crc32(data),
                       len(data), len(data), len(name), 0) + name.encode() + data


def overlapping_entries(path):
    # Two names for one stored file.
    stored = [("good.txt", b"stays inside\n"), ("payload.txt", b"payload\n" * 100)]
    raw_zip(path, stored, [("good.txt", 0, 0), ("payload.txt", 1, 0), ("payload-copy.txt", 1, 0)])


def overlapping_data(path):
    # A whole entry hidden inside the data of another, listed in the directory as well.
    inner = local_entry("inner.txt", b"inner\n")
    stored = [("good.txt", b"stays inside\n"), ("outer.bin", inner)]
    raw_zip(path, stored, [("good.txt", 0, 0), ("outer.bin", 1, 0),
                           ("inner.txt", 1, 30 + len("outer.bin"))])
    # The directory entry for inner.txt must describe inner.txt's data, not outer.bin's.
    raw = bytearray(open(path, "rb").read())
    at = raw.rindex(b"inner.txt") - 46
    struct.pack_into("<III", raw, at + 16, zlib.crc32(b"inner\n"), 6, 6)
    open(path, "wb").write(bytes(raw))


def several_troubles(worst_first):
    """A refused name, a name nested too deep and a damaged entry in one archive; the damage is
    the most serious, wherever it comes."""
    def make(path):
        damaged = (entry("data.txt"), b"A" * 1000)
        refused = [(entry("../evil.txt"), b"escaped\n"), (entry("d/" * 200 + "deep.txt"), b"x")]
        members = [damaged] + refused + [good_file()] if worst_first else \
            [good_file()] + refused + [damaged]
        write(path, members, zipfile.ZIP_STORED)
        raw = bytearray(open(path, "rb").read())
        raw[raw.index(b"AAAA")] = ord("B")
        open(path, "wb").write(bytes(raw))
    return make


def lzma_huge_dictionary(path):
    """An LZMA entry whose properties declare a 2 GiB dictionary: the data still decodes with it,
    but the decoder would ask for all of it."""
    packed = entry("packed.txt")
    packed.compress_type = zipfile.ZIP_LZMA
    write(path, [good_file()])
    with zipfile.ZipFile(path, "a") as archive:
        archive.writestr(packed, b"lzma data\n" * 100)
    data = bytearray(open(path, "rb").read())
    local = data.rfind(b"PK\x03\x04")
    name_length, extra_length = struct.unpack_from("<HH", data, local + 26)
    start = local + 30 + name_length + extra_length
    assert struct.unpack_from("<H", data, start + 2)[0] == 5, "LZMA properties expected"
    struct.pack_into("<I", data, start + 5, 1 << 31)
    open(path, "wb").write(bytes(data))


def xz_stream(content, dictionary_code):
    """One xz stream of one block, whose header declares the LZMA2 dictionary of that code (38:
    2 GiB), its CRC made right: the data still decodes with it."""
    data = bytearray(lzma.compress(content, format=lzma.FORMAT_XZ, check=lzma.CHECK_CRC32,
                                   filters=[{"id": lzma.FILTER_LZMA2, "dict_size": 1 << 16}]))
    start, size = 12, (data[12] + 1) * 4
    at = data.index(b"\x21\x01", start + 2, start + size)  # the LZMA2 filter, one property byte
    data[at + 2] = dictionary_code
    struct.pack_into("<I", data, start + size - 4, zlib.crc32(bytes(data[start:start + size - 4])))
    return bytes(data)


def xz_archive(data, content):
    def make(path):
        write(path, [good_file(), (entry("packed.txt"), data)], zipfile.ZIP_STORED)
        # Stored, then marked as xz with the sizes and CRC of what it unpacks to.
        raw = bytearray(open(path, "rb").read())
        local, central = raw.rfind(b"PK\x03\x04"), raw.rfind(b"PK\x01\x02")
        for header, method_at, crc_at in ((local, 8, 14), (central, 10, 16)):
            struct.pack_into("<H", raw, header + method_at, 95)
            struct.pack_into("<I", raw, header + crc_at, zlib.crc32(content))
            struct.pack_into("<I", raw, header + crc_at + 8, len(content))
        open(path, "wb").write(bytes(raw))
    return make


# The decoder would ask for all of the 2 GiB dictionary.
xz_huge_dictionary = xz_archive(xz_stream(b"xz data\n" * 100, 38), b"xz data\n" * 100)


def xz_hidden_block():
    """A small block, then a 2 GiB one that the stream's index leaves out: the decoder meets it
    before it reads the index."""
    small, huge = xz_stream(b"small\n", 16), xz_stream(b"huge\n", 38)
    index_size = (struct.unpack_from("<I", small, len(small) - 8)[0] + 1) * 4
    huge_block = huge[12:len(huge) - 12 - (struct.unpack_from("<I", huge, len(huge) - 8)[0] + 1) * 4]
    at = len(small) - 12 - index_size
    return xz_archive(small[:at] + huge_block + small[at:], b"small\nhuge\n")


def retouched(make_base, local, central):
    """An archive made by `make_base` with fields of its last entry's local and central headers
    rewritten, each an (offset, struct format, value)."""
    def make(path):
        make_base(path)
        raw = bytearray(open(path, "rb").read())
        for header, changes in ((raw.rfind(b"PK\x03\x04"), local), (raw.rfind(b"PK\x01\x02"), central)):
            for at, form, value in changes:
                struct.pack_into(form, raw, header + at, value)
        open(path, "wb").write(bytes(raw))
    return make


def not_a_zip(path):
    open(path, "wb").write(b"This is plain text, not an archive.\n" * 10)


KINDS["corrupt-crc"] = corrupt_crc
KINDS["truncated"] = truncated
KINDS["not-a-zip"] = not_a_zip
KINDS["lzma-huge-dictionary"] = lzma_huge_dictionary
KINDS["xz-huge-dictionary"] = xz_huge_dictionary
# libarchive keeps a method's low byte: 0x805F would be decoded as xz (95).
KINDS["method-high-byte"] = retouched(xz_huge_dictionary, [(8, "<H", 0x805F)], [(10, "<H", 0x805F)])
KINDS["local-method-differs"] = retouched(xz_huge_dictionary, [], [(10, "<H", 0)])
KINDS["local-flags-differ"] = retouched(xz_huge_dictionary, [(6, "<H", 8)], [])
KINDS["local-name-differs"] = retouched(xz_huge_dictionary, [(30, "4s", b"PACK")], [])
KINDS["local-size-differs"] = retouched(xz_huge_dictionary, [], [(20, "<I", 0)])
KINDS["xz-hidden-block"] = xz_hidden_block()
# Sizes after the data (flag 3) and none in the headers: the LZMA properties are read all the same.
KINDS["lzma-size-hidden"] = retouched(lzma_huge_dictionary, [(6, "<H", 10), (18, "<I", 0)],
                                      [(8, "<H", 10), (20, "<I", 0)])
KINDS["deep-nesting"] = deep_nesting
KINDS["overlapping-entries"] = overlapping_entries
KINDS["overlapping-data"] = overlapping_data
KINDS["troubles-worst-first"] = several_troubles(True)
KINDS["troubles-worst-last"] = several_troubles(False)

if __name__ == "__main__":
    if len(sys.argv) == 2 and sys.argv[1] == "--kinds":
        print("\n".join(KINDS))
        sys.exit(0)
    if len(sys.argv) == 3 and sys.argv[1] == "--all":
        for kind, make in KINDS.items():
            make(f"{sys.argv[2]}/{kind}.zip")
        sys.exit(0)
    if len(sys.argv) != 3 or sys.argv[1] not in KINDS:
        sys.exit("usage: make_archive.py KIND OUT.zip  (--kinds lists them)")
    KINDS[sys.argv[1]](sys.argv[2])
