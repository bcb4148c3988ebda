#!/usr/bin/env python3
"""What updates cost the origin, and how long they take, against real servers (nginx as the origin
with ranges, squid as the cache between, update_server.py as an origin without ranges; see
tests/updater/server_stack.py) with the bench build of TLUPDATER:
  a. four first installs of a module through one squid cache: the body bytes the origin sent,
     in archives;
  b. a release changing 20 of its 2,000 files (1 %; a 32 MB archive): the origin's bytes as a
     share of the archive, and the update's time over a 10 MB/s link (nginx limit_rate) against
     the same update from an nginx that answers no ranges (max_ranges 0: the whole archive);
  c. the same update from update_server.py (no ranges, its slow= directive at 10 MB/s): bytes
     and time;
  d. a first install over 10 MB/s (nginx limit_rate) against `curl -o` then `unzip -o` of the
     same archive into an empty folder, in the same run.
   bench/updater/origin_bench.py [BUILD_DIR] [RUNS]        (default: build-bench 3)
Timed runs are interleaved. The agent's figure is its update cycle, as whole_update.py takes it."""
import os
import random
import shutil
import statistics
import sys
import tempfile

from agent_bench import ROOT, AgentBuild, curl_unzip, fresh_copy, make_module, publish, same_files
from agent_bench import server_stack, spread

RATE = 10_000_000  # bytes a second: the 10 MB/s link
CHANGED = 20
SCALE = 0.76  # of make_bench_archive.py's file sizes: a 32 MB archive


def changed_release(old, new, count):
    """`new` as a copy of the module `old` with `count` of its data files rewritten (same sizes,
    new incompressible bytes, spread over the folders)."""
    shutil.copytree(old, new, symlinks=True)
    data = sorted(os.path.join(d, f) for d, _, fs in os.walk(new) for f in fs if f.endswith(".dat"))
    chosen = random.Random(27)
    for path in data[::len(data) // count][:count]:
        size = os.path.getsize(path)
        with open(path, "wb") as out:
            out.write(chosen.randbytes(size))
    return new


class Bench:
    def __init__(self, build, work):
        self.build, self.work = build, work
        self.old = make_module(work, "old", SCALE)
        self.new = changed_release(self.old, os.path.join(work, "new"), CHANGED)
        self.server = os.path.join(work, "server")
        os.makedirs(self.server)
        self.archive = publish(self.new, "2.0", self.server)
        self.module = os.path.join(work, "module")
        self.log = os.path.join(work, "origin.log")
        files = sum(len(f) for _, _, f in os.walk(self.new))
        print("release: %d files, %d changed; archive %.1f MB"
              % (files, CHANGED, self.archive / 1e6))

    def serve(self, **setup):
        if os.path.exists(self.log):
            os.remove(self.log)
        return server_stack.Stack(self.server, self.log, port=self.build.port, **setup)

    def sent(self):
        """The origin's body bytes for the archive since the last serve(), in archives."""
        return server_stack.origin_bytes(self.log, "EDITOR.ZIP") / self.archive

    def install(self, installed):
        """One agent run from `installed` (None: an empty folder, version 0) to the release."""
        module = fresh_copy(installed, self.module)
        seconds = self.build.cycle(module, "1.0" if installed else "0")
        if not same_files(self.new, module):
            sys.exit("the agent's module differs from the release")
        return seconds


def measure(bench, runs):
    with bench.serve(origin="nginx", cache=True):
        for _ in range(4):
            bench.install(None)
        first_installs = bench.sent()
    ranged, whole, unranged, agent, peer, peer_sync = [], [], [], [], [], []
    for _ in range(runs):
        with bench.serve(origin="nginx", rate=RATE):
            ranged.append(bench.install(bench.old))
            ranged_bytes = bench.sent()
        with bench.serve(origin="nginx", rate=RATE, ranges=False):
            whole.append(bench.install(bench.old))
        with bench.serve(origin="python", arguments=["--rule", "EDITOR.ZIP=slow=%d" % RATE]):
            unranged.append(bench.install(bench.old))
            unranged_bytes = bench.sent()
        with bench.serve(origin="nginx", rate=RATE):
            agent.append(bench.install(None))
            plain, flushing = curl_unzip(bench.build.url("EDITOR.ZIP"),
                                         fresh_copy(None, bench.module))
            peer.append(plain)
            peer_sync.append(plain + flushing)
    mean = statistics.mean
    rows = [
        ("a. four first installs through one squid", "%.2f archives from the origin"
         % first_installs, "≤ 1.5"),
        ("b. 1 % release: origin bytes", "%.1f %% of the archive" % (100 * ranged_bytes),
         "≤ 5 %"),
        ("b. 1 % release at 10 MB/s, vs whole archive", "%.2f× (%s against %s)"
         % (mean(ranged) / mean(whole), spread(ranged), spread(whole)), "≤ 0.5×"),
        ("c. origin without ranges at 10 MB/s", "%.1f %% of the archive; %s"
         % (100 * unranged_bytes, spread(unranged)), "within 5 % of today"),
        ("d. first install at 10 MB/s, vs curl+unzip", "%.2f× (%.2f× with sync; %s against %s)"
         % (mean(agent) / mean(peer), mean(agent) / mean(peer_sync), spread(agent),
            spread(peer)), "≤ 1.0×"),
    ]
    for goal, figure, target in rows:
        print("| %s | %s | %s |" % (goal, figure, target))


def main():
    build = AgentBuild(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-bench"))
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    work = tempfile.mkdtemp(prefix="quillset-origin-bench.",
                            dir=os.environ.get("TMPDIR", "/var/tmp"))
    try:
        measure(Bench(build, work), runs)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
