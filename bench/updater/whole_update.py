#!/usr/bin/env python3
"""A whole update of a 2,000-file, 100 MB module by TLUPDATER (staging, journal, flushes on),
against `curl -o` plus `unzip -o` of the same archive into a copy of the same module, in one run,
the runs interleaved.  The flushing cost is shown on its own as `sync` after curl plus unzip.
   bench/updater/whole_update.py [BUILD_DIR] [RUNS]        (default: build 5)
The agent's figure is its update cycle, from "Scanning..." to its end, without the fixed two
seconds its timer waits after load."""
import os
import shutil
import statistics
import sys
import tempfile

from agent_bench import ROOT, AgentBuild, curl_unzip, fresh_copy, make_module, publish, spread
from agent_bench import server_stack

build = AgentBuild(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5

work = tempfile.mkdtemp(prefix="quillset-whole-update.", dir=os.environ.get("TMPDIR", "/var/tmp"))
try:
    tree, server_root = make_module(work, "tree"), os.path.join(work, "server")
    os.makedirs(server_root)
    archive = publish(tree, "2.0", server_root)
    files = sum(len(f) for _, _, f in os.walk(tree))
    size = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(tree) for f in fs)
    print(f"module: {files} files, {size / 1e6:.0f} MB; archive {archive / 1e6:.0f} MB")
    module = os.path.join(work, "module")
    # The installed module: the same files, an older version.
    figures = {"agent": [], "curl+unzip": [], "sync after": []}
    with server_stack.Stack(server_root, os.path.join(work, "origin.log"), origin="python",
                            port=build.port):
        for _ in range(runs):
            figures["agent"].append(build.cycle(fresh_copy(tree, module), "1.0"))
            plain, flushing = curl_unzip(build.url("EDITOR.ZIP"), fresh_copy(tree, module))
            figures["curl+unzip"].append(plain)
            figures["sync after"].append(flushing)
    for name, values in figures.items():
        print(f"{name:12s} {spread(values)}")
    agent_mean = statistics.mean(figures["agent"])
    plain_mean = statistics.mean(figures["curl+unzip"])
    flushed_mean = plain_mean + statistics.mean(figures["sync after"])
    print(f"agent / (curl+unzip) = {agent_mean / plain_mean:.2f}x; "
          f"agent / (curl+unzip+sync) = {agent_mean / flushed_mean:.2f}x")
finally:
    shutil.rmtree(work, ignore_errors=True)
