#!/usr/bin/env bash
# The signed-update check's cost on a 100 MB archive: the agent's whole check (signature file
# read, Ed25519 verification, size and SHA-256 of the archive) side by side with `sha256sum` on
# the same file, timed with hyperfine with the file in the page cache.
#   bench/signature/bench.sh [BUILD_DIR]      (default: build; needs QUILLSET_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target benchmarks >/dev/null  # the benchmarks are built only when asked for
check=$build/bench/release_check
[ -x "$check" ] || { echo "bench: $check is not built" >&2; exit 1; }
work=$(mktemp -d /tmp/quillset-signature-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

openssl genpkey -algorithm ed25519 -out "$work/key.pem"
openssl pkey -in "$work/key.pem" -pubout -out "$work/key.pub.pem"
mkdir -p "$work/module"
echo '#!/bin/sh' >"$work/module/BENCH.EXE"
head -c 100000000 /dev/urandom >"$work/module/DATA.BIN"
tools/publish/publish-module.sh --sign-key "$work/key.pem" BENCH 2.0 "$work/module" "$work/out"
archive=$work/out/BENCH.ZIP
echo "== archive: $(stat -c %s "$archive") bytes"
"$check" "$work/key.pub.pem" "$work/out/BENCH.SIG" "$archive" BENCH 2.0 1000
hyperfine --warmup 2 --runs "${RUNS:-10}" \
  "$check $work/key.pub.pem $work/out/BENCH.SIG $archive BENCH 2.0" \
  "sha256sum $archive"
