#!/usr/bin/env bash
# A print server of our own for tests and demos, in a folder of its own, beside any system one.
#   private-cups.sh start DIR   starts cupsd on DIR/cups.sock with the queue "QuillsetFile",
#                               whose jobs land in DIR/out/job.pdf; prints CUPS_SERVER=...
#   private-cups.sh stop DIR
# cupsd refuses to run its jobs as root, so the folder is opened to the "lp" user.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
dir=$(mkdir -p "${2:?folder}" && cd "$2" && pwd)

if [ "$action" = stop ]; then
  [ -f "$dir/cupsd.pid" ] && kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
  rm -f "$dir/cupsd.pid"
  exit 0
fi

mkdir -p "$dir"/{spool,cache,state,log,ppd,out,serverbin/filter}
for d in backend cgi-bin daemon driver monitor notifier; do
  ln -sfn "/usr/lib/cups/$d" "$dir/serverbin/$d"
done
for f in /usr/lib/cups/filter/*; do ln -sf "$f" "$dir/serverbin/filter/"; done
cat >"$dir/serverbin/filter/quillset-passthrough" <<'FILTER'
#!/bin/sh
# Passes the job through unchanged.
if [ -n "$6" ]; then exec cat "$6"; else exec cat; fi
FILTER

cat >"$dir/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $dir
ServerBin $dir/serverbin
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/spool
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
User lp
Group lp
CONF
cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
chmod -R a+rwX "$dir"
chmod 755 "$dir/serverbin" "$dir/serverbin/filter" "$dir/serverbin/filter/quillset-passthrough"

cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"
export CUPS_SERVER=$dir/cups.sock
# lpstat -r answers 0 whether or not the scheduler runs; its words tell.
for _ in $(seq 100); do
  [ -S "$dir/cups.sock" ] && lpstat -r 2>/dev/null | grep -q "is running" && break
  sleep 0.1
done
for _ in $(seq 20); do
  lpadmin -p QuillsetFile -E -v "file://$dir/out/job.pdf" -P "$here/passthrough.ppd" 2>/dev/null &&
    break
  sleep 0.25
done
lpstat -p QuillsetFile >/dev/null 2>&1 || { echo "private-cups: the queue could not be added" >&2; exit 1; }
echo "CUPS_SERVER=$CUPS_SERVER"
