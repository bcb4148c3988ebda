#!/usr/bin/env bash
# Prints both documents through a real print server: a private cupsd whose queue writes each job
# to a file; the job must arrive as a PDF carrying the page's text.
#   cups_print_test.sh BIN_DIR WORK_DIR
set -uo pipefail
bin=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
cups=$here/../../scripts/cups/private-cups.sh

if [ "$(id -u)" -ne 0 ] || ! command -v cupsd >/dev/null; then
  echo "SKIP: starting cupsd needs root and the cups package"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work"
trap '"$cups" stop "$work"' EXIT
server=$("$cups" start "$work") || { echo "FAIL: the private print server did not start"; exit 1; }
eval "$server"
export CUPS_SERVER QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1

failures=0
check() { # how the queue is named (option or environment), program, expected texts...
  local how=$1 program=$2; shift 2
  rm -f "$work/out/job.pdf"
  local status=0
  if [ "$how" = option ]; then
    "$bin/$program" --print --printer QuillsetFile >"$work/$program.out" 2>&1 || status=$?
  else
    QUILLSET_PRINTER=QuillsetFile "$bin/$program" --print >"$work/$program.out" 2>&1 || status=$?
  fi
  if [ "$status" -ne 0 ]; then
    echo "FAIL: $program through the queue named by $how: $(cat "$work/$program.out")"
    failures=$((failures + 1)); return
  fi
  grep -q "1 page(s) sent to printer" "$work/$program.out" ||
    { echo "FAIL: $program did not report the page"; failures=$((failures + 1)); }
  for _ in $(seq 100); do
    [ -s "$work/out/job.pdf" ] && [ -z "$(lpstat -o QuillsetFile 2>/dev/null)" ] && break
    sleep 0.1
  done
  local pages text
  pages=$(pdfinfo "$work/out/job.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
  [ "$pages" = 1 ] || { echo "FAIL: the $program job has ${pages:-no} pages"; failures=$((failures + 1)); }
  text=$(pdftotext "$work/out/job.pdf" - 2>/dev/null)
  for expected in "$@"; do
    if ! grep -qF -- "$expected" <<<"$text"; then
      echo "FAIL: the $program job lacks \"$expected\""
      failures=$((failures + 1))
    fi
  done
}

check option quotation "World Express Delivery Inc." "\$45.00 - Delivery to Japan!" "Page 1"
check environment quotation "World Express Delivery Inc."
check option movie "Schedule:" "Rated" "16:00" "Page 1"

# A queue that does not exist fails the job with a message and a non-zero exit.
if "$bin/quotation" --print --printer NoSuchQueue >"$work/missing.out" 2>&1; then
  echo "FAIL: printing to a missing queue reported success"; failures=$((failures + 1))
fi

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
[ "$failures" -eq 0 ]
