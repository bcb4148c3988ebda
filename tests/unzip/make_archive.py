#!/usr/bin/env python3
"""Writes one ZIP archive of a named kind, for the unzip tests and the fuzz seed corpus.

    make_archive.py KIND OUT.zip
    make_archive.py --all FOLDER     (every kind, as FOLDER/KIND.zip)

Hostile kinds are named after the fault they carry; each is one an attacker or a broken tool
could hand the update agent.
"""
import stat
import sys
import zipfile

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


def not_a_zip(path):
    open(path, "wb").write(b"This is plain text, not an archive.\n" * 10)


KINDS["corrupt-crc"] = corrupt_crc
KINDS["truncated"] = truncated
KINDS["not-a-zip"] = not_a_zip

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
