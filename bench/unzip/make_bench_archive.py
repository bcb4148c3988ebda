#!/usr/bin/env python3
"""Writes the benchmark archive: about 2,000 files and 100 MB in nested folders, a third of the
bytes incompressible (like program files) and the rest text-like.  make_bench_archive.py OUT.zip"""
import random
import sys
import zipfile

random.seed(2026)
WORDS = [b"quillset", b"update", b"module", b"editor", b"print", b"page", b"twips", b"font",
         b"archive", b"version", b"agent", b"schedule", b"quotation", b"\n"]

with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
    for index in range(2000):
        size = random.randint(10_000, 90_000)
        if index % 3 == 0:
            data = random.randbytes(size)
        else:
            data = b" ".join(random.choice(WORDS) for _ in range(size // 7))[:size]
        archive.writestr(f"module/part{index % 40:02d}/file{index:04d}.dat", data)
