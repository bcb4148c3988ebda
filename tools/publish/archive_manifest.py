# The manifest of a module archive for its signed statement (version 2), written to standard
# output: "entries COUNT", then one line per entry in the order of the archive's directory,
#   entry SHA256 SIZE MODE NAME
# SHA256 and SIZE of the uncompressed content, MODE the Unix mode the archive stores (octal, "0"
# when none), NAME the stored name's bytes with each byte outside '!'..'~' and each '%' as %XX.
#
#   python3 archive_manifest.py ARCHIVE SOURCE_FOLDER
#
# The names, sizes, modes and order come from the archive's own directory. The digests come
# from the files under SOURCE_FOLDER at the same names, since an archive with a password would be
# too slow to decrypt here; each file must match its entry's CRC-32 and size, so a file changed
# after it was archived, or missing, stops the publication rather than sign the wrong digest.
import hashlib
import os
import stat
import sys
import zipfile
import zlib

MAX_ENTRIES = 1_000_000  # what an agent reads
MAX_NAME = 4096  # the unzip engine's bound on a name
UTF8_NAME = 0x800
# Hosts whose archives keep a Unix mode in the upper half of the external attributes: Unix, and
# Darwin, as the agent reads them too.
MADE_ON_UNIX = (3, 19)


class Refusal(Exception):
    pass


def stored_name(info):
    # zipfile decoded the stored bytes one of these two ways; encoding back gives them exactly.
    return info.orig_filename.encode("utf-8" if info.flag_bits & UTF8_NAME else "cp437")


def escaped(name):
    return "".join(chr(b) if 0x21 <= b <= 0x7E and b != 0x25 else "%%%02X" % b for b in name)


def content_digest(info, name, source, mode):
    """SHA-256 of the entry's content from its source, checked against the archive's CRC-32."""
    parts = name.rstrip(b"/").split(b"/")
    if name.startswith(b"/") or b".." in parts or b"." in parts or b"" in parts:
        raise Refusal("the entry name %r does not name a file below the module" % name)
    path = os.path.join(source, name)
    digest, crc, size = hashlib.sha256(), 0, 0
    if name.endswith(b"/"):
        if not os.path.isdir(path):
            raise Refusal("the folder %r is not in the module folder" % name)
    elif stat.S_ISLNK(mode):
        target = os.readlink(path)
        digest.update(target)
        crc, size = zlib.crc32(target), len(target)
    else:
        with open(path, "rb") as file:
            while chunk := file.read(1 << 20):
                digest.update(chunk)
                crc, size = zlib.crc32(chunk, crc), size + len(chunk)
    if crc != info.CRC or size != info.file_size:
        raise Refusal("%r is not the archived file (CRC-32 or size differ): changed while it "
                      "was archived?" % name)
    return digest.hexdigest(), size


def manifest(archive, source):
    with zipfile.ZipFile(archive) as zip_file:
        entries = zip_file.infolist()
    if not entries or len(entries) > MAX_ENTRIES:
        raise Refusal("the archive holds %d entries; a signed one holds 1 to %d"
                      % (len(entries), MAX_ENTRIES))
    lines, seen = ["entries %d\n" % len(entries)], set()
    for info in entries:
        name = stored_name(info)
        if len(name) > MAX_NAME or name in seen:
            raise Refusal("the entry name %r is longer than %d bytes or repeated" % (name, MAX_NAME))
        seen.add(name)
        mode = info.external_attr >> 16 if info.create_system in MADE_ON_UNIX else 0
        digest, size = content_digest(info, name, source, mode)
        lines.append("entry %s %d %o %s\n" % (digest, size, mode, escaped(name)))
    return "".join(lines)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: archive_manifest.py ARCHIVE SOURCE_FOLDER")
    try:
        sys.stdout.write(manifest(sys.argv[1], os.fsencode(sys.argv[2])))
    except (Refusal, OSError, zipfile.BadZipFile, UnicodeError) as error:
        sys.exit("archive_manifest.py: %s" % error)


main()
