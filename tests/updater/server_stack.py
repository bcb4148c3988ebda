#!/usr/bin/env python3
"""Real HTTP servers for the update tests and benchmarks, each started with a configuration of its
own in a scratch folder, on a port of its own, as the user that starts it (never the system
services the Debian packages may have started):
  nginx (Debian package nginx-light) as an origin with ranges: the files of ROOT by the last
    segment of the request path, like update_server.py; nginx's strong ETag and Last-Modified,
    keep-alive and If-Range as it gives them; --no-ranges answers every Range with 200 whole
    (max_ranges 0), --rate BYTES sends at most BYTES a second on each connection (limit_rate);
  update_server.py as an origin without ranges (or with the ranges and lies its directives ask for);
  squid (Debian package squid) with --cache, in front of either origin as the cache between: an
    accelerator, so an agent's plain http address names it and it asks the origin.
Both origins append one line per request to LOG, in the fields update_server.py documents.

   server_stack.py --root ROOT --log LOG [--origin nginx|python] [--cache] [--rate BYTES]
                   [--no-ranges] [--port PORT] [-- UPDATE_SERVER_ARGUMENT...]
prints "PORT n" (squid's port with --cache, else the origin's; PORT 0 or none takes a free one)
once every part answers, then runs until SIGTERM or SIGINT, stops them and removes what they wrote
except LOG. The benchmarks use Stack and origin_requests from it directly.
"""
import argparse
import ctypes
import glob
import os
import pwd
import re
import secrets
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SEARCH_PATH = os.pathsep.join([os.environ.get("PATH", ""), "/usr/sbin", "/sbin"])
READY_PATH = "/.quillset-ready"
START_SECONDS = 15
PORT_TRIES = 5
PR_SET_PDEATHSIG = 1


class StartError(RuntimeError):
    pass


def find_program(name, package):
    path = shutil.which(name, path=SEARCH_PATH)
    if not path:
        raise StartError("%s is not installed: the update tests need the Debian package %s "
                         "(./scripts/install-deps.sh installs it)" % (name, package))
    return path


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def end_with_parent():
    """Run in the child before it starts the program: a crashed test leaves no server behind."""
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def answers(port, token):
    """Whether the server on `port` is the one started here: its answer names `token`."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1) as connection:
            connection.sendall(b"GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n" % READY_PATH.encode())
            reply = b""
            while len(reply) < 65536:
                piece = connection.recv(65536)
                if not piece:
                    break
                reply += piece
            return token.encode() in reply
    except OSError:
        return False


def config_text(value):
    """A path or word as one quoted nginx parameter; refused where the servers would misread it."""
    if re.search(r'[$"\\\s;{}]', value):
        raise StartError("a path the test servers cannot be configured with: %r" % value)
    return value


def stop_process(process, signal_number=signal.SIGTERM):
    if process.poll() is None:
        process.send_signal(signal_number)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def origin_requests(log):
    """The lines of an origin's LOG as dicts: method, path and the NAME=VALUE fields."""
    requests = []
    if not os.path.exists(log):
        return requests
    with open(log, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            first, *fields = line.rstrip("\n").split("\t")
            method, _, path = first.partition(" ")
            request = {"method": method, "path": path}
            request.update(field.partition("=")[::2] for field in fields)
            requests.append(request)
    return requests


def origin_bytes(log, name):
    """Body bytes the origin sent for the file `name`, over every request."""
    return sum(int(r.get("bytes", 0)) for r in origin_requests(log)
               if r["path"].rsplit("/", 1)[-1] == name)


class Stack:
    """An origin and optionally squid in front of it, for a `with` block."""

    def __init__(self, root, log, origin="nginx", cache=False, rate=0, ranges=True, port=0,
                 arguments=()):
        if origin not in ("nginx", "python"):
            raise StartError("no such origin: %s" % origin)
        self.root, self.log, self.origin, self.cache = os.path.abspath(root), log, origin, cache
        self.rate, self.ranges, self.wanted_port, self.arguments = rate, ranges, port, arguments
        self.processes, self.cleanups, self.port, self.scratch = [], [], 0, None

    def __enter__(self):
        try:
            self.scratch = tempfile.mkdtemp(prefix="quillset-servers.")
            front = 0 if self.cache else self.wanted_port
            origin_port = (self.start_nginx(front) if self.origin == "nginx"
                           else self.start_python(front))
            self.port = self.start_squid(origin_port) if self.cache else origin_port
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *error):
        self.stop()

    def stop(self):
        for process, signal_number in reversed(self.processes):
            stop_process(process, signal_number)
        self.processes = []
        for cleanup in self.cleanups:
            cleanup()
        if self.scratch:
            shutil.rmtree(self.scratch, ignore_errors=True)
            self.scratch = None

    def start_answering(self, name, command_for, port, token, messages):
        """Starts command_for(port) and waits until it answers `token` there. A port picked here
        that another program took in between is picked again; a given one is not."""
        for _ in range(PORT_TRIES):
            chosen = port or free_port()
            errors = open(os.path.join(self.scratch, name + ".stderr"), "w")
            process = subprocess.Popen(command_for(chosen), stdin=subprocess.DEVNULL,
                                       stdout=errors, stderr=subprocess.STDOUT,
                                       preexec_fn=end_with_parent)
            errors.close()
            deadline = time.monotonic() + START_SECONDS
            while process.poll() is None and time.monotonic() < deadline:
                if answers(chosen, token):
                    return process, chosen
                time.sleep(0.02)
            stop_process(process, signal.SIGKILL)
            text = "".join(open(f, errors="replace").read() for f in messages + [errors.name]
                           if os.path.exists(f))
            if port or "Address already in use" not in text:
                break
        raise StartError("%s did not start on port %d:\n%s" % (name, chosen, text[-4000:]))

    def start_nginx(self, port):
        nginx = find_program("nginx", "nginx-light")
        prefix = os.path.join(self.scratch, "nginx")
        os.mkdir(prefix)
        token = secrets.token_hex(8)
        conf = os.path.join(prefix, "nginx.conf")
        error_log = os.path.join(prefix, "error.log")

        def command(chosen):
            with open(conf, "w") as out:
                out.write(self.nginx_conf(prefix, chosen, token))
            return [nginx, "-p", prefix, "-c", conf, "-e", error_log, "-g", "daemon off;"]
        process, port = self.start_answering("nginx", command, port, token, [error_log])
        self.processes.append((process, signal.SIGTERM))
        return port

    def nginx_conf(self, prefix, port, token):
        # One process (no master, no workers that could outlive it), nothing written outside
        # the prefix, a log line per request in update_server.py's fields.
        temp = "\n".join("  %s_temp_path %s;" % (kind, config_text(os.path.join(prefix, kind)))
                         for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        limits = ("    limit_rate %d;\n" % self.rate if self.rate else "") + (
            "" if self.ranges else "    max_ranges 0;\n")
        return f"""master_process off;
pid {config_text(os.path.join(prefix, "nginx.pid"))};
error_log {config_text(os.path.join(prefix, "error.log"))} warn;
events {{ worker_connections 512; }}
http {{
  log_format quillset '$request_method $uri\\tstatus=$status\\tbytes=$body_bytes_sent'
                      '\\trange=$http_range\\tif-range=$http_if_range'
                      '\\tcache-control=$http_cache_control\\tconnection=$connection'
                      '\\tconnection-requests=$connection_requests\\tuser-agent=$http_user_agent';
  access_log {config_text(self.log)} quillset;
{temp}
  default_type application/octet-stream;
  sendfile on;
  keepalive_requests 10000;
  server {{
    listen 127.0.0.1:{port};
{limits}    location = {READY_PATH} {{ access_log off; return 200 "{token}"; }}
    location ~ ([^/]+)$ {{ alias {config_text(self.root)}/$1; }}
  }}
}}
"""

    def start_python(self, port):
        command = [sys.executable, os.path.join(HERE, "update_server.py"), "--root", self.root,
                   "--port", str(port), "--log", self.log] + list(self.arguments)
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   preexec_fn=end_with_parent)
        self.processes.append((process, signal.SIGTERM))
        line = process.stdout.readline().decode(errors="replace")
        if not line.startswith("PORT "):
            raise StartError("update_server.py did not start on port %d" % port)
        return int(line.split()[1])

    def start_squid(self, origin_port):
        squid = find_program("squid", "squid")
        token = "quillset%s" % secrets.token_hex(6)
        # Squid started by root runs as another user, which must reach its folder; its shared
        # memory segments are named after the service name, one per cache here.
        user = squid_user()
        folder = tempfile.mkdtemp(prefix="quillset-squid.", dir="/tmp" if user else None)
        self.cleanups.append(lambda: shutil.rmtree(folder, ignore_errors=True))
        self.cleanups.append(lambda: [os.remove(f) for f in glob.glob("/dev/shm/%s-*" % token)])
        if user:
            os.chown(folder, user.pw_uid, user.pw_gid)
        conf = os.path.join(folder, "squid.conf")

        def command(chosen):
            with open(conf, "w") as out:
                out.write(squid_conf(folder, chosen, origin_port, token, user))
            return [squid, "-N", "-n", token, "-f", conf]
        process, port = self.start_answering("squid", command, self.wanted_port, token,
                                             [os.path.join(folder, "cache.log")])
        # Squid's orderly shutdown takes seconds whatever shutdown_lifetime says, and a cache
        # here holds nothing worth it.
        self.processes.append((process, signal.SIGKILL))
        return port


def squid_user():
    """The user squid drops to when started by root (it refuses to serve as root): Debian's."""
    if os.geteuid() != 0:
        return None
    for name in ("proxy", "nobody"):
        try:
            return pwd.getpwnam(name)
        except KeyError:
            pass
    raise StartError("squid started by root needs a user proxy or nobody to run as")


def squid_conf(folder, port, origin_port, token, user):
    path = lambda name: config_text(os.path.join(folder, name))  # noqa: E731
    return f"""# An accelerator on {port}: agents ask it with plain http addresses, it asks the origin.
http_port 127.0.0.1:{port} accel defaultsite=127.0.0.1 no-vhost
cache_peer 127.0.0.1 parent {origin_port} 0 no-query no-digest originserver name=origin
cache_peer_access origin allow all
never_direct allow all
# The readiness probe is answered by squid itself (403 naming visible_hostname), never the origin.
acl probe urlpath_regex ^{re.escape(READY_PATH)}$
http_access deny probe
http_access allow localhost
http_access deny all
visible_hostname {token}
{"cache_effective_user " + user.pw_name if user else ""}
# The archive lives in memory, one cache per test; nothing of it goes to disk.
cache_mem 256 MB
maximum_object_size_in_memory 128 MB
maximum_object_size 128 MB
memory_cache_shared off
# Static files: fresh for a fifth of their age since Last-Modified, three days at most. A client's
# Cache-Control: max-age=0 still makes squid revalidate (If-Modified-Since/If-None-Match, 304) and
# answer from its copy; no-cache or Pragma: no-cache make it fetch the whole body again.
refresh_pattern . 0 20% 4320
# A Range for an object squid holds is answered from its copy. One it does not hold is passed to
# the origin as asked and its 206 not kept: with range_offset_limit above 0 (or none) squid
# would instead fetch the object from its start up to the range (all of it for a tail), so a
# client asking a few entries of an uncached archive would cost the origin the whole archive.
range_offset_limit 0
pid_filename {path("squid.pid")}
cache_log {path("cache.log")}
access_log stdio:{path("access.log")} squid
cache_store_log none
coredump_dir {config_text(folder)}
netdb_filename none
icp_port 0
htcp_port 0
snmp_port 0
pinger_enable off
shutdown_lifetime 0 seconds
"""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--origin", choices=("nginx", "python"), default="nginx")
    parser.add_argument("--cache", action="store_true")
    parser.add_argument("--rate", type=int, default=0)
    parser.add_argument("--no-ranges", action="store_true")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("arguments", nargs="*")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        with Stack(args.root, args.log, args.origin, args.cache, args.rate, not args.no_ranges,
                   args.port, args.arguments) as stack:
            print("PORT %d" % stack.port, flush=True)
            while True:
                signal.pause()
    except StartError as error:
        print(error, file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        return 0


if __name__ == "__main__":
    sys.exit(main())
