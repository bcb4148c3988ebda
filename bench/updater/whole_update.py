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
import subprocess
import sys
import tempfile
import time

root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build"))
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
agent = os.path.join(build, "bench", "TLUPDATER_bench")
port = open(os.path.join(build, "bench", "TLUPDATER_bench.port")).read().strip()
password = "Bench-pw"

work = tempfile.mkdtemp(prefix="quillset-whole-update.", dir=os.environ.get("TMPDIR", "/var/tmp"))
server = None
try:
    tree, server_root, template = (os.path.join(work, n) for n in ("tree", "server", "template"))
    subprocess.run([sys.executable, os.path.join(root, "bench/unzip/make_bench_archive.py"),
                    os.path.join(work, "content.zip")], check=True)
    subprocess.run(["unzip", "-q", os.path.join(work, "content.zip"), "-d", tree], check=True)
    with open(os.path.join(tree, "EDITOR.EXE"), "w") as program:
        program.write("#!/bin/sh\ntrue\n")
    os.chmod(os.path.join(tree, "EDITOR.EXE"), 0o755)
    os.makedirs(server_root)
    subprocess.run([os.path.join(root, "tools/publish/publish-module.sh"), "--password", password,
                    "EDITOR", "2.0", tree, server_root], check=True, stdout=subprocess.DEVNULL)
    # The installed module: the same files, an older program.
    shutil.copytree(tree, template, symlinks=True)
    files = sum(len(f) for _, _, f in os.walk(template))
    size = sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(template) for f in fs)
    print(f"module: {files} files, {size / 1e6:.0f} MB; archive "
          f"{os.path.getsize(os.path.join(server_root, 'EDITOR.ZIP')) / 1e6:.0f} MB")

    server = subprocess.Popen([sys.executable, os.path.join(root, "tests/updater/update_server.py"),
                               "--root", server_root, "--port", port], stdout=subprocess.PIPE)
    server.stdout.readline()
    url = f"http://127.0.0.1:{port}/updates/EDITOR.ZIP"

    def fresh_module():
        module = os.path.join(work, "module")
        shutil.rmtree(module, ignore_errors=True)
        shutil.copytree(template, module, symlinks=True)
        subprocess.run(["sync"], check=True)
        return module

    def agent_cycle():
        module = fresh_module()
        env = dict(os.environ, QUILLSET_UNATTENDED="1", QT_QPA_PLATFORM="offscreen",
                   QUILLSET_UNZIP32=os.path.join(build, "bin", "libunzip32.so"))
        process = subprocess.Popen([agent, "editor", "1.0", module], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        start = None
        for line in process.stdout:
            if line.startswith("Status: Scanning"):
                start = time.monotonic()
            if "Software updated succesfully!" in line and line.startswith("[TLUPDATER]"):
                end = time.monotonic()
        process.wait()
        assert not os.path.exists(os.path.join(module, ".tlupdater-staging"))
        return end - start

    def curl_unzip(flush):
        module = fresh_module()
        start = time.monotonic()
        archive = os.path.join(module, "EDITOR.ZIP")
        subprocess.run(["curl", "-s", "-f", "-o", archive, url], check=True)
        subprocess.run(["unzip", "-o", "-q", "-P", password, archive, "-d", module], check=True)
        unpacked = time.monotonic()
        if flush:
            subprocess.run(["sync"], check=True)
        return unpacked - start, time.monotonic() - unpacked

    figures = {"agent": [], "curl+unzip": [], "sync after": []}
    for _ in range(runs):
        figures["agent"].append(agent_cycle())
        plain, flushing = curl_unzip(True)
        figures["curl+unzip"].append(plain)
        figures["sync after"].append(flushing)
    for name, values in figures.items():
        print(f"{name:12s} {statistics.mean(values):6.2f} s ± {statistics.pstdev(values):.2f}"
              f"  ({', '.join(f'{v:.2f}' for v in values)})")
    agent_mean = statistics.mean(figures["agent"])
    plain_mean = statistics.mean(figures["curl+unzip"])
    flushed_mean = plain_mean + statistics.mean(figures["sync after"])
    print(f"agent / (curl+unzip) = {agent_mean / plain_mean:.2f}x; "
          f"agent / (curl+unzip+sync) = {agent_mean / flushed_mean:.2f}x")
finally:
    if server:
        server.terminate()
        server.wait()
    shutil.rmtree(work, ignore_errors=True)
