"""What the update agent's benchmarks share: the bench build of TLUPDATER (built for the port in
BUILD/bench/TLUPDATER_bench.port), a module made like the unzip bench's archive and published with
the project's tool, timed runs of the agent on a copy of an installed module, and curl plus unzip
as the peer.  Used by whole_update.py and origin_bench.py."""
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PASSWORD = "Bench-pw"
sys.path.insert(0, os.path.join(ROOT, "tests", "updater"))
import server_stack  # noqa: E402  (the servers of the tests: nginx, squid, update_server.py)


class AgentBuild:
    """The bench agent of a build folder and the port it asks."""

    def __init__(self, build):
        self.build = os.path.abspath(build)
        # The benchmarks are built only when asked for.
        subprocess.run(["cmake", "--build", self.build, "--target", "benchmarks"], check=True,
                       stdout=subprocess.DEVNULL)
        self.agent = os.path.join(self.build, "bench", "TLUPDATER_bench")
        with open(os.path.join(self.build, "bench", "TLUPDATER_bench.port")) as port:
            self.port = int(port.read().strip())
        if not os.access(self.agent, os.X_OK):
            sys.exit("no bench agent in %s: configure it with QUILLSET_BENCH on"
                     % self.build)

    def url(self, name):
        return "http://127.0.0.1:%d/updates/%s" % (self.port, name)

    def cycle(self, module, version):
        """Runs the agent on `module` installed as `version`; answers the seconds of its update
        cycle, from "Scanning..." to its success message (the timer's fixed wait after load is
        left out), and fails when the update did not succeed."""
        env = dict(os.environ, QUILLSET_UNATTENDED="1", QT_QPA_PLATFORM="offscreen",
                   QUILLSET_UNZIP32=os.path.join(self.build, "bin", "libunzip32.so"))
        process = subprocess.Popen([self.agent, "editor", version, module], env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        start = end = None
        for line in process.stdout:
            if line.startswith("Status: Scanning"):
                start = time.monotonic()
            if "Software updated succesfully!" in line and line.startswith("[TLUPDATER]"):
                end = time.monotonic()
        process.wait()
        if start is None or end is None:
            sys.exit("the agent did not update %s" % module)
        assert not os.path.exists(os.path.join(module, ".tlupdater-staging"))
        return end - start


def make_module(work, name, scale=1.0):
    """A module folder `work/name`: the bench archive's files (see make_bench_archive.py) and
    the program EDITOR.EXE."""
    archive, tree = os.path.join(work, name + ".zip"), os.path.join(work, name)
    subprocess.run([sys.executable, os.path.join(ROOT, "bench/unzip/make_bench_archive.py"),
                    archive, str(scale)], check=True)
    subprocess.run(["unzip", "-q", archive, "-d", tree], check=True)
    os.remove(archive)
    with open(os.path.join(tree, "EDITOR.EXE"), "w") as program:
        program.write("#!/bin/sh\ntrue\n")
    os.chmod(os.path.join(tree, "EDITOR.EXE"), 0o755)
    return tree


def publish(tree, version, output):
    """EDITOR.VER and EDITOR.ZIP of `tree` as `version` in `output` (the project's tool)."""
    subprocess.run([os.path.join(ROOT, "tools/publish/publish-module.sh"), "--password", PASSWORD,
                    "EDITOR", version, tree, output], check=True, stdout=subprocess.DEVNULL)
    return os.path.getsize(os.path.join(output, "EDITOR.ZIP"))


def fresh_copy(template, module):
    """`module` as a copy of `template` (an empty folder for None), flushed to disk."""
    shutil.rmtree(module, ignore_errors=True)
    if template:
        shutil.copytree(template, module, symlinks=True)
    else:
        os.makedirs(module)
    subprocess.run(["sync"], check=True)
    return module


def curl_unzip(url, module):
    """`curl -o` then `unzip -o` of the archive into `module`: the seconds of both, and of the
    `sync` that would make them as durable as the agent."""
    start = time.monotonic()
    archive = os.path.join(module, "EDITOR.ZIP")
    subprocess.run(["curl", "-s", "-f", "-o", archive, url], check=True)
    subprocess.run(["unzip", "-o", "-q", "-P", PASSWORD, archive, "-d", module], check=True)
    unpacked = time.monotonic()
    subprocess.run(["sync"], check=True)
    return unpacked - start, time.monotonic() - unpacked


def same_files(tree, module):
    """Whether every file of `tree` is in `module` with the same bytes."""
    for folder, _, files in os.walk(tree):
        for name in files:
            path = os.path.join(folder, name)
            twin = os.path.join(module, os.path.relpath(path, tree))
            if not os.path.isfile(twin):
                return False
            with open(path, "rb") as one, open(twin, "rb") as other:
                if one.read() != other.read():
                    return False
    return True


def spread(values):
    return "%.2f s ± %.2f  (%s)" % (statistics.mean(values), statistics.pstdev(values),
                                    ", ".join("%.2f" % v for v in values))
