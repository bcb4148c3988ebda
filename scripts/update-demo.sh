#!/usr/bin/env bash
# The update demo: a local update server on 127.0.0.1 serves version 2.0 of the demo module DEMO
# (published with tools/publish, the archive protected by the build's archive password); version
# 1.0 is installed in a temporary folder and TLUPDATER brings it up to date and starts it.
#   scripts/update-demo.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
agent=$build/bin/TLUPDATER
[ -x "$agent" ] || { echo "update demo: $agent is not built" >&2; exit 1; }

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
url=$(cache_value TLUPDATER_UPDATE_URL)
password=$(cache_value TLUPDATER_ARCHIVE_PASSWORD)
if ! [[ $url =~ ^http://127\.0\.0\.1:([0-9]+)/ ]]; then
  echo "update demo: skipped, TLUPDATER was built for $url, not for a local server"
  exit 0
fi
port=${BASH_REMATCH[1]}

demo=$(mktemp -d /tmp/quillset-update-demo.XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$demo"
}
trap cleanup EXIT

write_module() { # folder version
  mkdir -p "$1"
  cat >"$1/DEMO.EXE" <<SCRIPT
#!/bin/sh
# The demo module's program: says which version runs.
echo "Demo module $2 started" >> "\$(dirname "\$0")/STARTED.TXT"
SCRIPT
  chmod +x "$1/DEMO.EXE"
  echo "Demo module, version $2" >"$1/README.TXT"
}

module="$demo/Demo Apps/demo"
write_module "$module" 1.0
write_module "$demo/release" 2.0
mkdir -p "$demo/release/DOCS" && echo "What is new in 2.0" >"$demo/release/DOCS/NEWS.TXT"
tools/publish/publish-module.sh --password "$password" DEMO 2.0 "$demo/release" "$demo/server"

python3 tests/updater/update_server.py --root "$demo/server" --port "$port" >"$demo/server.out" &
server_pid=$!
for _ in $(seq 50); do grep -q '^PORT' "$demo/server.out" 2>/dev/null && break; sleep 0.1; done
grep -q '^PORT' "$demo/server.out" || { echo "update demo: the server could not listen on port $port" >&2; exit 1; }

echo "== Installed: $(cat "$module/README.TXT")"
# QUILLSET_DEMO_WRAPPER runs the agent under a measuring tool ("/usr/bin/time -v", valgrind...).
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QUILLSET_UNATTENDED=1 \
  ${QUILLSET_DEMO_WRAPPER:-} "$agent" demo 1.0 "${module// /%}"
for _ in $(seq 50); do [ -s "$module/STARTED.TXT" ] && break; sleep 0.1; done
echo "== Module folder after the update:"
(cd "$module" && find . -type f | sort)
echo "== Now installed: $(cat "$module/README.TXT")"
echo "== Started: $(cat "$module/STARTED.TXT" 2>/dev/null || echo nothing)"
grep -q "Demo module 2.0 started" "$module/STARTED.TXT"
