#!/usr/bin/env bash
# The update demo: a local update server on 127.0.0.1 serves version 2.0 of the demo module DEMO
# (published with tools/publish, the archive protected by the build's archive password and signed
# with the demo's key); version 1.0 is installed in a temporary folder. The demo's agent, built
# with the demo's public key, first refuses a copy of the release changed after signing, then
# installs the signed release and starts it.
#   scripts/update-demo.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
# The demo's agent was built for one port on 127.0.0.1. In a network namespace of its own the demo
# finds that port free whatever listens on it outside; where no namespace may be made, it uses the
# machine's, and says so if the port is taken.
if [ -z "${QUILLSET_DEMO_OWN_NETWORK:-}" ] &&
  unshare --user --map-root-user --net true 2>/dev/null; then
  export QUILLSET_DEMO_OWN_NETWORK=1
  exec unshare --user --map-root-user --net sh -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
build=${1:-build}
# The key pair is made for this build folder when it is configured; only its public half is in
# the agent.
agent=$build/demo/TLUPDATER_demo
private_key=$build/demo/demo-signing.pem
[ -x "$agent" ] || { echo "update demo: $agent is not built" >&2; exit 1; }
[ -f "$private_key" ] || { echo "update demo: $private_key is missing; configure $build again" >&2; exit 1; }

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
tools/publish/publish-module.sh --password "$password" --sign-key "$private_key" DEMO 2.0 \
  "$demo/release" "$demo/server"
echo "== The signed statement, $demo/server/DEMO.SIG:"
cat "$demo/server/DEMO.SIG"

python3 tests/updater/update_server.py --root "$demo/server" --port "$port" >"$demo/server.out" &
server_pid=$!
for _ in $(seq 50); do grep -q '^PORT' "$demo/server.out" 2>/dev/null && break; sleep 0.1; done
grep -q '^PORT' "$demo/server.out" || { echo "update demo: the server could not listen on port $port" >&2; exit 1; }

run_agent() {
  # QUILLSET_DEMO_WRAPPER runs the agent under a measuring tool ("/usr/bin/time -v", valgrind...).
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} QUILLSET_UNATTENDED=1 \
    QUILLSET_UNZIP32="$build/bin/libunzip32.so" XDG_STATE_HOME="$demo/state" \
    ${QUILLSET_DEMO_WRAPPER:-} "$agent" demo 1.0 "${module// /%}"
}
wait_for_start() { # version
  for _ in $(seq 50); do grep -q "Demo module $1 started" "$module/STARTED.TXT" 2>/dev/null && break; sleep 0.1; done
}

echo "== Installed: $(cat "$module/README.TXT")"
echo "== 1. The server's archive has one byte changed after it was signed:"
cp "$demo/server/DEMO.ZIP" "$demo/DEMO.ZIP.signed"
python3 - "$demo/server/DEMO.ZIP" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 2] ^= 1
open(sys.argv[1], "wb").write(bytes(data))
PY
run_agent 2>/dev/null
wait_for_start 1.0
echo "== Agent's log: $(cat "$demo/state/quillset/TLUPDATER.log")"
echo "== Still installed: $(cat "$module/README.TXT")"
grep -q "Demo module 1.0 started" "$module/STARTED.TXT"
grep -q "version 1.0" "$module/README.TXT"

echo "== 2. The release as it was signed:"
mv -f "$demo/DEMO.ZIP.signed" "$demo/server/DEMO.ZIP"
rm -f "$module/STARTED.TXT"
run_agent
wait_for_start 2.0
echo "== Module folder after the update:"
(cd "$module" && find . -type f | sort)
echo "== Now installed: $(cat "$module/README.TXT")"
echo "== Started: $(cat "$module/STARTED.TXT" 2>/dev/null || echo nothing)"
grep -q "Demo module 2.0 started" "$module/STARTED.TXT"
