#!/usr/bin/env bash
# Writes the seed corpus of the unzip fuzz targets into FOLDER: every archive kind of the tests
# (fine, hostile and broken ones), archives encrypted by zip and, when present, 7z, and the inputs
# the fuzzers once found faults with (found/), so that every run tries them first.
set -euo pipefail
folder=${1:?usage: make-seeds.sh FOLDER}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$folder"
python3 "$here/../../tests/unzip/make_archive.py" --all "$folder"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'fuzz\n' >"$work/a.txt"
mkdir -p "$work/d" && printf 'inner\n' >"$work/d/b.txt"
(cd "$work" && zip -q -r -P fuzz "$folder/traditional.zip" a.txt d)
if command -v 7z >/dev/null; then
  (cd "$work" && 7z a -tzip -mem=AES256 -pfuzz "$folder/aes.zip" a.txt d >/dev/null)
fi
cp "$here"/found/*.zip "$folder/"
