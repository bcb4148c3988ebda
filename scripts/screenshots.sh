#!/usr/bin/env bash
# Makes the README's pictures under a private X server (Xvfb), from the built programs:
#   docs/images/agent-downloading.png  the update agent in the middle of a slow download from a
#                                      local update server (200 MB at 5 MB/s);
#   docs/images/dark-form-and-page.png quotation under a dark desktop theme (GTK's Adwaita dark
#                                      through Qt's gtk3 platform theme) beside the page it prints
#                                      in that theme, rendered with pdftoppm.
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
images=docs/images
agent=$build/demo/TLUPDATER_demo
for program in "$agent" "$build/bin/quotation"; do
  [ -x "$program" ] || { echo "screenshots: $program is not built" >&2; exit 1; }
done
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
url=$(cache_value TLUPDATER_UPDATE_URL)
if ! [[ $url =~ ^http://127\.0\.0\.1:([0-9]+)/ ]]; then
  echo "screenshots: TLUPDATER was built for $url, not for a local server" >&2
  exit 1
fi
port=${BASH_REMATCH[1]}

work=$(mktemp -d /tmp/quillset-screenshots.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; no window manager, so the pictures are the windows' own contents.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1280x900x24 -nolisten tcp 2>/dev/null &
pids+=($!)
read -r -t 10 display <&"$displayfd" || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display QT_QPA_PLATFORM=xcb XDG_STATE_HOME=$work/state
export QUILLSET_DRIVE_C=$build/bin/drive_c

# The window of process $1 titled $2, once it is shown.
window_of() {
  for _ in $(seq 100); do
    id=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -n1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "screenshots: no window \"$2\"" >&2
  exit 1
}

mkdir -p "$images"

# (a) The agent downloading: version 2.0 on the server, 1.0 installed; the archive comes slowly.
mkdir -p "$work/server" "$work/module"
echo 2.0 >"$work/server/DEMO.VER"
printf '#!/bin/sh\n' >"$work/module/DEMO.EXE" && chmod +x "$work/module/DEMO.EXE"
python3 tests/updater/update_server.py --root "$work/server" --port "$port" \
  --rule "DEMO.ZIP=gen=209715200,slow=5242880" >"$work/server.out" &
pids+=($!)
for _ in $(seq 50); do grep -q '^PORT' "$work/server.out" 2>/dev/null && break; sleep 0.1; done
QUILLSET_UNZIP32="$build/bin/libunzip32.so" "$agent" DEMO 1.0 "$work/module" >/dev/null 2>&1 &
agent_pid=$!
pids+=("$agent_pid")
window=$(window_of "$agent_pid" "TL Updater")
# Two seconds before the cycle starts, then a few seconds into the archive.
sleep 6
import -window "$window" "$images/agent-downloading.png"
kill "$agent_pid"

# (b) The form in a dark theme, and its page printed in the same theme.
export QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark
"$build/bin/quotation" >/dev/null 2>&1 &
form_pid=$!
pids+=("$form_pid")
window=$(window_of "$form_pid" "Quotaton - Quillset Demo!")
sleep 1
import -window "$window" "$work/form.png"
kill "$form_pid"
# Unattended: the success message goes to standard output instead of a box waiting for OK.
QUILLSET_UNATTENDED=1 "$build/bin/quotation" --print --pdf "$work/page.pdf" >/dev/null
form_height=$(identify -format '%h' "$work/form.png")
pdftoppm -png -singlefile -scale-to-y "$form_height" -scale-to-x -1 "$work/page.pdf" "$work/page"
convert "$work/form.png" "$work/page.png" -background '#808080' -splice 16x0 +append \
  -strip "$images/dark-form-and-page.png"
echo "screenshots: $(ls "$images"/*.png | tr '\n' ' ')"
