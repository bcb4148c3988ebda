#!/usr/bin/env bash
# Regenerates the metafiles that real programs write, with an independent reader's rendering of
# each, into tests/graphics/metafiles. The test suite compares our rendering with those on a
# coarse grid, so it needs none of these tools; run this only to change the corpus.
#   tools/metafiles/make_reference_corpus.sh
# Needs: inkscape, libreoffice-draw-nogui (soffice), libwmf-bin (wmf2gd).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(cd "$here/../../tests/platform" && pwd)/metafiles
sources=$here/sources

missing=()
for tool in inkscape soffice wmf2gd; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
  echo "missing: ${missing[*]} (apt-get install -y --no-install-recommends inkscape libreoffice-draw-nogui libwmf-bin)" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
rm -f "$out"/*.wmf "$out"/*.png

# A vector drawing program's export and an office suite's converter, from the same drawings.
for svg in "$sources"/*.svg; do
  name=$(basename "$svg" .svg)
  (cd "$sources" && inkscape "$svg" --export-type=wmf --export-filename="$out/inkscape-$name.wmf") \
    >/dev/null 2>&1
done
HOME=$work soffice --headless --convert-to wmf --outdir "$work/office" \
  "$sources"/*.svg "$sources"/*.fodg >/dev/null 2>&1
for wmf in "$work"/office/*.wmf; do
  cp "$wmf" "$out/libreoffice-$(basename "$wmf")"
done

# The independent reader's rendering of each.
for wmf in "$out"/*.wmf; do
  wmf2gd -t png -o "${wmf%.wmf}.png" "$wmf" 2>/dev/null
done
ls -l "$out"
