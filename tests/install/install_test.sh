#!/usr/bin/env bash
# Installs the suite the way a user gets it and runs the installed programs far from the build
# tree, in a clean environment:
#   install_test.sh tree    BUILD_DIR SOURCE_DIR VERSION UPDATE_URL ARCHIVE_PASSWORD
#     cmake --install into a DESTDIR staging prefix, the prefix then moved elsewhere;
#   install_test.sh package BUILD_DIR SOURCE_DIR VERSION UPDATE_URL ARCHIVE_PASSWORD
#     the Debian package made by cpack: its metadata, its files, unpacked with dpkg-deb -x, lintian.
# In both, quotation and movie print to PDF with the installed pictures, and the installed agent
# updates a module from the project's update server with the installed unzip engine.
set -uo pipefail
mode=$1 build=$(cd "$2" && pwd) source=$(cd "$3" && pwd) version=$4 url=$5 password=$6

# Outside the build tree, so that any mention of the build tree in a trace is a real read of it.
work=$(mktemp -d "${TMPDIR:-/tmp}/quillset-install-test.XXXXXX")
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Relative to the prefix: what an installed suite must hold.
expected_files=(
  bin/movie bin/quotation bin/TLUPDATER
  lib/quillset/libunzip32.so lib/quillset/hexcipher lib/quillset/publish-module.sh
  lib/quillset/archive_manifest.py
  lib/quillset/quotation-window.so lib/quillset/movie-window.so
  share/quillset/drive_c/QSET_DEMOS/QUOTATION/GLOBE.WMF
  share/quillset/drive_c/QSET_DEMOS/QUOTATION/LINE.WMF
  share/quillset/drive_c/QSET_DEMOS/QUOTATION/LINE2.WMF
  "share/quillset/drive_c/QSET_DEMOS/FORMATED TEXT/IMAGE1.WMF"
  "share/quillset/drive_c/QSET_DEMOS/FORMATED TEXT/IMAGE2.WMF"
  "share/quillset/drive_c/QSET_DEMOS/FORMATED TEXT/IMAGE3.WMF"
  share/applications/org.quillset.movie.desktop share/applications/org.quillset.quotation.desktop
  share/applications/org.quillset.tlupdater.desktop
  share/metainfo/org.quillset.movie.metainfo.xml share/metainfo/org.quillset.quotation.metainfo.xml
  share/icons/hicolor/scalable/apps/org.quillset.movie.svg
  share/icons/hicolor/scalable/apps/org.quillset.quotation.svg
  share/icons/hicolor/48x48/apps/org.quillset.movie.png
  share/icons/hicolor/48x48/apps/org.quillset.quotation.png
  share/icons/hicolor/48x48/apps/org.quillset.tlupdater.png
  share/doc/quillset/copyright share/doc/quillset/changelog.gz
  share/man/man1/movie.1.gz share/man/man1/quotation.1.gz share/man/man1/TLUPDATER.1.gz
)

# A clean environment: no QUILLSET_* variable, no library path, a private home.
clean_env() {
  mkdir -p "$work/home" && mkdir -p -m 700 "$work/runtime"
  env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_STATE_HOME="$work/home/state" \
    XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen QUILLSET_UNATTENDED=1 "$@"
}

# Runs a command in the clean environment, under strace when it can trace, and fails when the
# run touched the build tree or the source tree.
trace_runs=0
run_away_from_build() { # log command...
  local log=$1; shift
  if strace -f -qq -o /dev/null /bin/true 2>/dev/null; then
    clean_env strace -f -qq -e trace=%file,%process -o "$log.trace" "$@" >"$log" 2>&1
    local status=$?
    if grep -qF -e "$build" -e "$source" "$log.trace"; then
      fail "$* reached the build or source tree: $(grep -F -e "$build" -e "$source" "$log.trace" | head -3)"
    fi
    trace_runs=$((trace_runs + 1))
    return $status
  fi
  clean_env "$@" >"$log" 2>&1
}

print_both() { # bin folder
  local bin=$1 program words
  for program in quotation movie; do
    words="World Express Delivery Inc."
    [ "$program" = movie ] && words="Schedule:"
    local pdf=$work/$program-$mode.pdf
    rm -f "$pdf"
    if ! run_away_from_build "$work/$program.out" "$bin/$program" --print --pdf "$pdf"; then
      fail "$bin/$program --print failed: $(cat "$work/$program.out")"
      continue
    fi
    grep -q "1 page(s) sent to printer" "$work/$program.out" ||
      fail "$program did not report its page: $(cat "$work/$program.out")"
    local pages
    pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')
    [ "$pages" = 1 ] || fail "the $program PDF has ${pages:-no} pages"
    pdftotext "$pdf" - 2>/dev/null | grep -qF "$words" || fail "the $program PDF lacks \"$words\""
  done
}

# Without its installed pictures a program prints nothing: so the page above really came from
# the installed picture folder, not from a folder of the build.
pictures_come_from() { # prefix
  local drive=$1/share/quillset/drive_c
  mv "$drive" "$drive.away"
  if clean_env "$1/bin/quotation" --print --pdf "$work/no-pictures.pdf" >"$work/no-pictures.out" 2>&1; then
    fail "quotation printed without the installed pictures"
  fi
  grep -q "GLOBE.WMF" "$work/no-pictures.out" ||
    fail "quotation without pictures did not name the missing file: $(cat "$work/no-pictures.out")"
  mv "$drive.away" "$drive"
}

start_server() { # root port
  # The installed agent's address is fixed at build time, so the port is too; another suite on
  # this machine may hold it for a moment.
  local attempt
  for attempt in $(seq 60); do
    python3 "$source/tests/updater/update_server.py" --root "$1" --port "$2" >"$work/server.out" 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do
      grep -q '^PORT' "$work/server.out" 2>/dev/null && return 0
      kill -0 "$server_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""
    sleep 0.5
  done
  return 1
}

write_module() { # folder version
  mkdir -p "$1"
  printf '#!/bin/sh\necho "module %s started" >> "$(dirname "$0")/STARTED.TXT"\n' "$2" >"$1/DEMO.EXE"
  chmod +x "$1/DEMO.EXE"
  echo "version $2" >"$1/README.TXT"
}

update_module() { # bin folder, private folder
  local bin=$1 private=$2
  if ! [[ $url =~ ^http://127\.0\.0\.1:([0-9]+)/ ]]; then
    echo "SKIP: the agent was built for $url, not for a local server; no update run"
    return
  fi
  local port=${BASH_REMATCH[1]} module="$work/Demo Apps/demo-$mode"
  write_module "$module" 1.0
  write_module "$work/release" 2.0
  # The installed publishing tool makes the server's files, signed with its installed manifest
  # helper (this agent has no key, so it ignores the signature).
  openssl genpkey -algorithm ed25519 -out "$work/signing.pem" 2>/dev/null
  clean_env "$private/publish-module.sh" --password "$password" --sign-key "$work/signing.pem" \
    DEMO 2.0 "$work/release" "$work/server" >"$work/publish.out" 2>&1 ||
    { fail "publishing failed: $(cat "$work/publish.out")"; return; }
  grep -q "^entry .* DEMO.EXE$" "$work/server/DEMO.SIG" || fail "DEMO.SIG lists no DEMO.EXE"
  # The tree and the package runs of this build take turns on the port, and only here.
  exec 9>"$build/installed-agent-port.lock" && flock 9
  start_server "$work/server" "$port" || { flock -u 9; fail "no update server on port $port"; return; }
  # LD_DEBUG names the file the loader opened for the engine.
  run_away_from_build "$work/agent.out" env LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/loader" \
    "$bin/TLUPDATER" DEMO 1.0 "${module// /%}" || fail "the agent failed: $(cat "$work/agent.out")"
  for _ in $(seq 100); do [ -s "$module/STARTED.TXT" ] && break; sleep 0.1; done
  kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; server_pid=""
  flock -u 9
  grep -q "module 2.0 started" "$module/STARTED.TXT" 2>/dev/null ||
    fail "the agent did not update and start the module: $(cat "$work/agent.out")"
  grep -q "version 2.0" "$module/README.TXT" || fail "the module's files are not those of 2.0"
  local engine
  engine=$(cat "$work"/loader.* 2>/dev/null | sed -n 's/.*calling init: \(.*libunzip32\.so\)$/\1/p' | head -1)
  [ -n "$engine" ] && [ "$(realpath "$engine")" = "$(realpath "$private/libunzip32.so")" ] ||
    fail "the agent did not load the engine from $private but from '${engine:-nothing}'"
  rm -rf "$work/server" "$work/release" "$work"/loader.*
}

# --version is checked where the programs know it.
versions() { # bin folder
  local program out
  for program in movie quotation TLUPDATER; do
    grep -q -a -- "--version" "$1/$program" || continue
    out=$(clean_env "$1/$program" --version 2>&1) || { fail "$program --version failed: $out"; continue; }
    grep -qF "$version" <<<"$out" || fail "$program --version does not say $version: $out"
  done
}

if [ "$mode" = tree ]; then
  DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/quillset >"$work/install.out" 2>&1 ||
    { fail "cmake --install failed: $(tail -5 "$work/install.out")"; exit 1; }
  # Moved away from where it was installed for: the installed tree must not care.
  mkdir -p "$work/elsewhere" && mv "$work/stage/opt/quillset" "$work/elsewhere/quillset"
  prefix=$work/elsewhere/quillset
  for file in "${expected_files[@]}"; do
    [ -e "$prefix/$file" ] || fail "not installed: $file"
  done
  print_both "$prefix/bin"
  pictures_come_from "$prefix"
  update_module "$prefix/bin" "$prefix/lib/quillset"
  versions "$prefix/bin"
elif [ "$mode" = package ]; then
  cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.out" 2>&1 ||
    { fail "cpack failed: $(tail -20 "$work/cpack.out")"; exit 1; }
  deb=$work/package/quillset_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || { fail "no $(basename "$deb"): $(ls "$work/package")"; exit 1; }
  info=$(dpkg-deb --info "$deb")
  grep -q "^ Package: quillset$" <<<"$info" || fail "package name: $info"
  grep -q "^ Version: $version$" <<<"$info" || fail "package version is not $version: $info"
  # Computed from the binaries: what the programs and their window modules link (Qt, libcurl) and
  # what the private engine links (libarchive); and, named by hand, the fonts whose metrics the
  # layouts are measured in and libcups, which the programs open only to print to a queue.
  depends=$(sed -n 's/^ Depends: //p' <<<"$info")
  names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
  for library in libc6 libstdc++6 libqt6widgets6 libcups2 libcurl4 libarchive13 fonts-liberation; do
    grep -qxF "$library" <<<"$names" || fail "Depends lacks $library: $depends"
  done
  grep -q "^ Recommends: .*python3" <<<"$info" || fail "Recommends lacks the publishing tool's python3"
  contents=$(dpkg-deb --contents "$deb" | sed 's/.* \.\//\//')
  for file in "${expected_files[@]}"; do
    grep -qxF "/usr/$file" <<<"$contents" || fail "not in the package: /usr/$file"
  done
  grep -F "$build" <<<"$contents" && fail "the package names the build tree"
  dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
  print_both "$work/root/usr/bin"
  update_module "$work/root/usr/bin" "$work/root/usr/lib/quillset"
  versions "$work/root/usr/bin"
  # lintian: errors fail; what it only warns about is shown.
  lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.out" 2>&1 ||
    fail "lintian reports errors: $(grep '^E:' "$work/lintian.out")"
  sed 's/^/lintian: /' "$work/lintian.out"
else
  echo "usage: $0 tree|package BUILD_DIR SOURCE_DIR VERSION UPDATE_URL ARCHIVE_PASSWORD" >&2
  exit 2
fi

echo "$mode: $trace_runs program runs traced; $failures failure(s)"
[ "$failures" -eq 0 ]
