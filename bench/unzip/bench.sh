#!/usr/bin/env bash
# Times one unpack of a ~2,000 file / ~100 MB archive three ways in one hyperfine run: through
# CGUnzipFiles and libunzip32.so (unzip_bench), Info-ZIP `unzip -o -q`, and `bsdtar -xf`.
#   bench/unzip/bench.sh [BUILD_FOLDER]      (default: build)
# The work folder is made under TMPDIR: TMPDIR=/dev/shm times the programs rather than the disk.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target benchmarks >/dev/null  # the benchmarks are built only when asked for
cmake --build "$build" --target unzip_bench unzip32 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/unzip/make_bench_archive.py" "$work/bench.zip"
echo "archive: $(unzip -Z1 "$work/bench.zip" | wc -l) files, $(du -m "$work/bench.zip" | cut -f1) MB packed," \
  "$(unzip -l "$work/bench.zip" | tail -1 | awk '{print int($1/1048576)}') MB unpacked"
hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$work/result.md" \
  --prepare "rm -rf '$work/out' && mkdir '$work/out'" \
  -n CGUnzipFiles "'$build/bin/unzip_bench' '$work/bench.zip' '$work/out/'" \
  -n "unzip -o -q" "unzip -o -q '$work/bench.zip' -d '$work/out'" \
  -n "bsdtar -xf" "bsdtar -xf '$work/bench.zip' -C '$work/out'"
cat "$work/result.md"
