#!/usr/bin/env bash
# The whole `quotation --print --pdf` process side by side with a peer that makes a one-page PDF
# from text (groff -ms -Tpdf on a letter of about the same text), timed with hyperfine.
#   bench/quotation/compare.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1
hyperfine --warmup 3 --runs 30 --export-markdown "$out/figures.md" \
  -n "quotation --print --pdf" "$build/bin/quotation --print --pdf $out/quotation.pdf" \
  -n "groff -ms -Tpdf" "groff -ms -Tpdf $here/letter.ms > $out/groff.pdf"
cat "$out/figures.md"
