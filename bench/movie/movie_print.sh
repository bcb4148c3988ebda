#!/usr/bin/env bash
# The whole `movie --print --pdf` process (start, page with five pictures and two text canvases,
# PDF written, exit) side by side with the toolkit's floor, a minimal Qt program that writes a
# one-page PDF with QPdfWriter (bench/quotation/MinimalPdfWriter.cpp): once with one line in the
# default typeface, once with a line in each of the page's three typefaces, which Qt embeds each
# with a pass over the face's whole character map; with the quotation program; and with groff
# setting the same two descriptions as justified paragraphs on one PDF page. Target: at most
# 1.15x the minimal program.
#   bench/movie/movie_print.sh [BUILD_DIR]
# As bench/quotation/compare.sh, the pages go to /dev/shm unless OUT_DIR names another folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cmake --build "$build" --target benchmarks >/dev/null  # the benchmarks are built only when asked for
base=${OUT_DIR:-$([ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
work=$(mktemp -d "$base/movie-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1 QUILLSET_DRIVE_C=$build/bin/drive_c
export XDG_RUNTIME_DIR=$work/runtime
unset QUILLSET_PRINTER

# The groff peer sets the words of the schedule page, as justified text on one PDF page.
"$build/bin/movie" --print --pdf "$work/movie.pdf" >/dev/null
{
  printf '.ll 4.3i\n.ps 8\n'
  pdftotext "$work/movie.pdf" - | sed "s/^[.']/\\\&&/"
} >"$work/peer.tr"

hyperfine --warmup 5 --runs "${RUNS:-40}" --export-json "$work/figures.json" \
  -n "minimal QPdfWriter program" "$build/bench/minimal_pdf_writer $work/minimal.pdf" \
  -n "minimal, the page's three typefaces" \
  "$build/bench/minimal_pdf_writer $work/minimal3.pdf Arial 'Courier New' 'Times New Roman:bold:italic'" \
  -n "movie --print --pdf" "$build/bin/movie --print --pdf $work/movie.pdf" \
  -n "quotation --print --pdf" "$build/bin/quotation --print --pdf $work/quotation.pdf" \
  -n "groff -Tpdf (peer)" "groff -Tpdf $work/peer.tr >$work/peer.pdf"
python3 "$here/../ratios.py" "$work/figures.json"
# The target's figure: the programs and the floors in turn, round after round, under one load.
python3 "$here/../alternate.py" "${ROUNDS:-20}" \
  "minimal QPdfWriter program=$build/bench/minimal_pdf_writer $work/minimal.pdf" \
  "minimal, three typefaces=$build/bench/minimal_pdf_writer $work/minimal3.pdf Arial 'Courier New' 'Times New Roman:bold:italic'" \
  "movie --print --pdf=$build/bin/movie --print --pdf $work/movie.pdf"
