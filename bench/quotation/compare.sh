#!/usr/bin/env bash
# The whole `quotation --print --pdf` process side by side with the toolkit's floor, a minimal Qt
# program that writes a one-page PDF with QPdfWriter (MinimalPdfWriter.cpp, built beside the
# benchmarks), and with a peer that makes a one-page PDF from text (groff -ms -Tpdf on a letter
# of about the same text), timed with hyperfine. Target: at most 1.15x the minimal program.
#   bench/quotation/compare.sh [BUILD_DIR]
# The pages go to a folder in memory (/dev/shm) unless OUT_DIR names another: quotation flushes
# its file to the disk before it reports the page (fsync), the others do not, and on a disk that
# flush is a cost of the disk, not of the program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
cmake --build "$build" --target benchmarks >/dev/null  # the benchmarks are built only when asked for
base=${OUT_DIR:-$([ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
out=$(mktemp -d "$base/quotation-bench.XXXXXX")
trap 'rm -rf "$out"' EXIT
mkdir -m 700 "$out/runtime"
export QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1 XDG_RUNTIME_DIR=$out/runtime
hyperfine --warmup 5 --runs "${RUNS:-40}" --export-json "$out/figures.json" \
  -n "minimal QPdfWriter program" "$build/bench/minimal_pdf_writer $out/minimal.pdf" \
  -n "quotation --print --pdf" "$build/bin/quotation --print --pdf $out/quotation.pdf" \
  -n "groff -ms -Tpdf" "groff -ms -Tpdf $here/letter.ms > $out/groff.pdf"
python3 "$here/../ratios.py" "$out/figures.json"
# The target's figure: the two in turn, round after round, so that both see the same load.
python3 "$here/../alternate.py" "${ROUNDS:-20}" \
  "minimal QPdfWriter program=$build/bench/minimal_pdf_writer $out/minimal.pdf" \
  "quotation --print --pdf=$build/bin/quotation --print --pdf $out/quotation.pdf"
