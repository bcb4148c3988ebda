#!/usr/bin/env bash
# The update agent's two speed figures, against the project's update server on loopback:
#  1. CPU time of TLUPDATER while it waits on a version file sent at 1 KB/s for 10 s
#     (target: under 5 % of one core over the run);
#  2. download of a 200 MB file through the transfer control, side by side with `curl -o`
#     (target: at least 0.9 x curl's throughput), timed with hyperfine.
#   bench/updater/run-bench.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target benchmarks >/dev/null  # the benchmarks are built only when asked for
bench=$build/bench
port=$(cat "$bench/TLUPDATER_bench.port")
work=$(mktemp -d /tmp/quillset-updater-bench.XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work" "${out:-}"
}
trap cleanup EXIT

server_port=""
start_server() { # port, extra arguments...; sets server_port
  local port=$1
  shift
  python3 tests/updater/update_server.py --root "$work/server" --port "$port" "$@" \
    >"$work/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 50); do grep -q '^PORT' "$work/server.out" 2>/dev/null && break; sleep 0.1; done
  server_port=$(sed -n 's/^PORT //p' "$work/server.out")
  [ -n "$server_port" ] || { echo "the bench server did not start" >&2; exit 1; }
}
stop_server() { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=""; }

mkdir -p "$work/server" "$work/module"
# 10 KB at 1 KB/s: ten seconds of waiting on a transfer.
{ printf '2.5,'; head -c 10236 /dev/zero | tr '\0' ' '; } >"$work/server/EDITOR.VER"
start_server "$port" --rule EDITOR.VER=slow=1024
echo "== 1. CPU while waiting on a 1 KB/s transfer (10 KB version file)"
python3 - "$bench/TLUPDATER_bench" "$work/module" <<'PY'
import os, resource, subprocess, sys, time
env = dict(os.environ, QUILLSET_UNATTENDED="1", QT_QPA_PLATFORM="offscreen")
start = time.monotonic()
subprocess.run([sys.argv[1], "editor", "2.5", sys.argv[2]], env=env, check=True,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
cpu = usage.ru_utime + usage.ru_stime
# The cycle starts 2 s after load; the transfer takes the rest.
print(f"wall {wall:.2f} s, CPU {cpu:.3f} s (user {usage.ru_utime:.3f}, system {usage.ru_stime:.3f}),"
      f" {100 * cpu / wall:.2f} % of one core; during the wait: {100 * cpu / max(wall - 2, 0.1):.2f} %")
PY
stop_server

echo "== 2. 200 MB over loopback: transfer control vs curl -o"
head -c 200000000 /dev/urandom >"$work/server/BIG.ZIP"
start_server 0
url="http://127.0.0.1:$server_port/updates"
# Both copies go to memory when it can hold them, so the disk's mood does not decide the race.
out=$work
[ -d /dev/shm ] && out=$(mktemp -d /dev/shm/quillset-updater-bench.XXXXXX)
mkdir -p "$out/curl" "$out/control"
hyperfine --warmup 1 --runs 10 --export-markdown "$work/result.md" \
  "curl -s -f -o $out/curl/BIG.ZIP $url/BIG.ZIP" \
  "$bench/transfer_fetch $url/ BIG.ZIP $out/control"
cmp "$work/server/BIG.ZIP" "$out/control/BIG.ZIP" && echo "control's copy is identical"
cat "$work/result.md"
