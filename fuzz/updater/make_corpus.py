#!/usr/bin/env python3
"""Writes the seed corpora of the agent's fuzz targets into fuzz/updater/corpus/.

command_line/: texts as a starting program writes them, and the odd ones it might.
version_file/: version files as a server might send them.
zip_directory/: archives whose tails a server might send: plain, ZIP64 throughout, after a stub.
Run again after changing the seeds and commit the result.
"""
import io
import os
import shutil
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

COMMAND_LINES = {
    "typical": "EDITOR 2.5 C:\\APPS%DIR\\EDITOR",
    "lower_case": "editor 2.5 c:\\apps",
    "module_only": "EDITOR",
    "blanks": "     ",
    "two_spaces": "EDITOR  2.5",
    "surplus_field": "EDITOR 2.5 C:\\APPS DIR",
    "dotted_version": "EDITOR 1.2.3 /home/me/apps/",
    "signed_version": "EDITOR -0.5e3 X",
    "huge_version": "EDITOR " + "9" * 400 + " X",
    "non_ascii": "éditeur 2 c:\\ñ%ü",
    "percent_only": "A 1 %%%",
}

VERSION_FILES = {
    "plain": b"2.6",
    "line_end": b"2.5\r\n",
    "comma_items": b"3,1",
    "quoted": b'"2.7"',
    "quote_unclosed": b'"4.5',
    "blanks_first": b"  \t1.9\n",
    "empty_line": b"\n2.9",
    "html_error": b"<html><body>404 Not Found</body></html>",
    "binary": bytes(range(256)),
    "long_number": b"1" * 5000 + b".5",
}


def archive(zip64=False, stub=b""):
    limit = zipfile.ZIP64_LIMIT
    if zip64:
        zipfile.ZIP64_LIMIT = 0
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("EDITOR.EXE", b"program" * 20)
        z.writestr(zipfile.ZipInfo("DATA/"), b"")
        z.writestr("DATA/TABLE.DAT", bytes(range(256)) * 4)
        z.writestr("caf\u00e9.txt", b"named in UTF-8")
    zipfile.ZIP64_LIMIT = limit
    return stub + out.getvalue()


ZIP_DIRECTORIES = {
    "plain": archive(),
    "zip64": archive(zip64=True),
    "after_stub": archive(stub=b"MZ" * 500),
}


def write(folder, seeds):
    path = os.path.join(HERE, "corpus", folder)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    for name, content in seeds.items():
        data = content.encode("utf-8") if isinstance(content, str) else content
        with open(os.path.join(path, name), "wb") as out:
            out.write(data)


write("command_line", COMMAND_LINES)
write("version_file", VERSION_FILES)
write("zip_directory", ZIP_DIRECTORIES)
