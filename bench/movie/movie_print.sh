#!/usr/bin/env bash
# The whole `movie --print --pdf` process (start, page with five pictures and two text canvases,
# PDF written, exit), side by side with the quotation program and with groff setting the same two
# descriptions as justified paragraphs on one PDF page. Target: movie under 0.5 s.
#   bench/movie/movie_print.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1 QUILLSET_DRIVE_C=$build/bin/drive_c
unset QUILLSET_PRINTER

# The groff peer sets the words of the schedule page, as justified text on one PDF page.
"$build/bin/movie" --print --pdf "$work/movie.pdf" >/dev/null
{
  printf '.ll 4.3i\n.ps 8\n'
  pdftotext "$work/movie.pdf" - | sed "s/^[.']/\\\&&/"
} >"$work/peer.tr"

hyperfine --warmup 3 --min-runs 20 \
  -n "movie --print --pdf" "$build/bin/movie --print --pdf $work/movie.pdf" \
  -n "quotation --print --pdf" "$build/bin/quotation --print --pdf $work/quotation.pdf" \
  -n "groff -Tpdf (peer)" "groff -Tpdf $work/peer.tr >$work/peer.pdf"
