#!/usr/bin/env python3
"""Fails when a program or library of the build has an empty or relative RUNPATH or RPATH entry.

    tools/checks/elf_runpaths.py BUILD_FOLDER

The loader reads an empty entry, and any entry that is neither absolute nor starts at $ORIGIN,
from the working folder: a program started from a folder holding, say, a libcurl.so.4 would run
that library's code. Reads every executable and shared ELF file below BUILD_FOLDER with
`readelf -d` and names each bad entry.
"""
import pathlib
import re
import subprocess
import sys

ELF_MAGIC = b"\x7fELF"
EXECUTABLE, SHARED = 2, 3  # e_type; relocatable objects (.o) have no dynamic section
SEARCH_PATH = re.compile(r"\((RUNPATH|RPATH)\)\s+Library r(?:un)?path: \[(.*)\]$")
BATCH = 200


def LinkedElfFiles(root):
    for path in sorted(root.rglob("*")):
        try:
            if path.is_symlink() or not path.is_file():
                continue
            with path.open("rb") as file:
                head = file.read(18)
        except OSError:
            continue  # gone or unreadable meanwhile: a test's scratch file
        if head[:4] == ELF_MAGIC and len(head) == 18:
            if int.from_bytes(head[16:18], "little" if head[5] == 1 else "big") in (EXECUTABLE, SHARED):
                yield path


def Trusted(entry):
    return entry.startswith("/") or re.match(r"^\$(ORIGIN|\{ORIGIN\})(/|$)", entry) is not None


def Untrusted(files):
    """(file, kind, search path) for every search path with an untrusted entry; readelf prints
    "File: NAME" before each file when given several."""
    output = subprocess.run(["readelf", "-d", "-W", *map(str, files)], capture_output=True,
                            text=True, errors="replace").stdout
    current = str(files[0])
    for line in output.splitlines():
        if line.startswith("File: "):
            current = line[len("File: "):]
        elif (match := SEARCH_PATH.search(line)) and not all(map(Trusted, match.group(2).split(":"))):
            yield current, match.group(1), match.group(2)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: elf_runpaths.py BUILD_FOLDER")
    files = list(LinkedElfFiles(pathlib.Path(sys.argv[1])))
    if not files:
        sys.exit(f"no program or library below {sys.argv[1]}: nothing was checked")
    bad = [found for at in range(0, len(files), BATCH) for found in Untrusted(files[at:at + BATCH])]
    for path, kind, value in bad:
        print(f"{path}: {kind} [{value}] has an empty or relative entry, read from the working folder")
    print(f"{len(files)} programs and libraries read, {len(bad)} with an untrusted search path")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
