#!/usr/bin/env python3
"""Writes the benchmark archive: about 2,000 files and 100 MB in nested folders, a third of the
bytes incompressible (like program files) and the rest text-like.  SCALE multiplies every file's
size (0.76: about 76 MB, a 32 MB archive).  make_bench_archive.py OUT.zip [SCALE]"""
import random
import sys
import zipfile

random.seed(2026)
WORDS = [b"quillset", b"update", b"module", b"editor", b"print", b"page", b"twips", b"font",
         b"archive", b"version", b"agent", b"schedule", b"quotation", b"\n"]
scale = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0

with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
    for index in range(2000):
        size = int(random.randint(10_000, 90_000) * scale)
        if index % 3 == 0:
            data = random.randbytes(size)
        else:
            data = b" ".join(random.choice(WORDS) for _ in range(size // 7))[:size]
        archive.writestr(f"module/part{index % 40:02d}/file{index:04d}.dat", data)
