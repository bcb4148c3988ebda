#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: the programs' windows where there is a
# display; without one, both documents printed to PDF files and the update demo.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# The same build folder as ./test.sh, so neither command rebuilds what the other built.
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target quotation movie TLUPDATER TLUPDATER_demo unzip32
bin=build/bin

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$bin/quotation" &
  "$bin/movie" &
  wait
  exit 0
fi

out_dir=${QUILLSET_OUT_DIR:-$PWD/out}
mkdir -p "$out_dir"
export QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
for program in quotation movie; do
  if [ -x "$bin/$program" ]; then
    "$bin/$program" --print --pdf "$out_dir/$program.pdf"
    echo "$program: printed to $out_dir/$program.pdf"
  fi
done
if [ -x scripts/update-demo.sh ]; then
  scripts/update-demo.sh
fi
