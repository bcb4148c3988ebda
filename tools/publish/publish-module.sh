#!/usr/bin/env bash
# Publishes a module for the update server: writes NAME.VER (the version as its first item) and
# NAME.ZIP (the module's files, optionally encrypted with a password) into an output folder, and
# with a signing key NAME.SIG, the signed statement of what NAME.ZIP is.
#
#   publish-module.sh [--password PASSWORD] [--sign-key PRIVATE.pem [--statement-version 1|2]]
#                     NAME VERSION MODULE_FOLDER OUTPUT_FOLDER
#
# NAME is upper-cased, as the agent asks for it; MODULE_FOLDER must hold NAME.EXE at its top.
# VERSION is a decimal number with "." (the agent compares versions as numbers, not dotted).
# PRIVATE.pem is an Ed25519 private key (openssl genpkey -algorithm ed25519); agents built with
# its public key install only releases it signed. NAME.SIG holds, one per line ending in a line
# feed:
#   quillset-release-signature 2
#   module NAME
#   version VERSION          (the text written into NAME.VER)
#   size BYTES               (of NAME.ZIP)
#   sha256 DIGEST            (of NAME.ZIP, 64 lower-case hexadecimal digits)
#   entries COUNT            (NAME.ZIP's entries, then one line each: archive_manifest.py)
#   entry SHA256 SIZE MODE NAME
#   signature SIGNATURE      (Ed25519 over every line above, 128 lower-case hex digits)
# --statement-version 1 writes the first five lines and the signature alone, for agents that
# read no other; version 2 needs python3.
# Every file is written under a temporary name and renamed, NAME.VER last, so a running server
# never hands out half of one, and an agent sees the new version only once its files are there.
set -euo pipefail

usage() {
  echo "usage: $0 [--password PASSWORD] [--sign-key PRIVATE.pem [--statement-version 1|2]] NAME VERSION MODULE_FOLDER OUTPUT_FOLDER" >&2
  exit 2
}

password=""
sign_key=""
statement_version=""
arguments=()
while [ $# -gt 0 ]; do
  case $1 in
    --password)
      [ $# -ge 2 ] || usage
      password=$2
      shift 2
      ;;
    --sign-key)
      [ $# -ge 2 ] || usage
      sign_key=$2
      shift 2
      ;;
    --statement-version)
      [ $# -ge 2 ] && [[ $2 =~ ^[12]$ ]] || usage
      statement_version=$2
      shift 2
      ;;
    --*) usage ;;
    *)
      arguments+=("$1")
      shift
      ;;
  esac
done
[ ${#arguments[@]} -eq 4 ] || usage
name=$(printf '%s' "${arguments[0]}" | tr '[:lower:]' '[:upper:]')
version=${arguments[1]}
module=${arguments[2]}
output=${arguments[3]}

if ! [[ $name =~ ^[A-Z0-9_-]+$ ]]; then
  echo "$0: the module name must be letters, digits, '_' or '-': ${arguments[0]}" >&2
  exit 1
fi
if ! [[ $version =~ ^[0-9]+(\.[0-9]+)?$ ]] || [ ${#version} -gt 64 ]; then
  echo "$0: the version must be a decimal number such as 2.6: $version" >&2
  exit 1
fi
if [ ! -f "$module/$name.EXE" ]; then
  echo "$0: $module holds no $name.EXE; the agent would have no program to start" >&2
  exit 1
fi
command -v zip >/dev/null || { echo "$0: needs the zip program" >&2; exit 1; }
if [ -n "$statement_version" ] && [ -z "$sign_key" ]; then
  echo "$0: --statement-version is for a signed publication; give --sign-key" >&2
  exit 1
fi
statement_version=${statement_version:-2}
# Found beside this script, wherever it is installed or linked from.
manifest_tool=$(dirname "$(readlink -f "$0")")/archive_manifest.py
if [ -n "$sign_key" ] && [ "$statement_version" = 2 ]; then
  if ! command -v python3 >/dev/null || [ ! -f "$manifest_tool" ]; then
    echo "$0: a version 2 signature needs python3 and $manifest_tool (or --statement-version 1)" >&2
    exit 1
  fi
fi
if [ -n "$sign_key" ]; then
  command -v openssl >/dev/null || { echo "$0: signing needs the openssl program" >&2; exit 1; }
  if ! openssl pkey -in "$sign_key" -noout -text 2>/dev/null | grep -q '^ED25519 Private-Key'; then
    echo "$0: $sign_key is not an Ed25519 private key in PEM (openssl genpkey -algorithm ed25519)" >&2
    exit 1
  fi
fi
mkdir -p "$output"
output=$(cd "$output" && pwd)

work=$(mktemp -d "$output/.publish-XXXXXX")
trap 'rm -rf "$work"' EXIT
zip_options=(-r -q -X)
[ -n "$password" ] && zip_options+=(-P "$password")
(cd "$module" && zip "${zip_options[@]}" "$work/$name.ZIP" .)
printf '%s\r\n' "$version" >"$work/$name.VER"

if [ -n "$sign_key" ]; then
  {
    echo "quillset-release-signature $statement_version"
    echo "module $name"
    echo "version $version"
    echo "size $(stat -c %s "$work/$name.ZIP")"
    echo "sha256 $(sha256sum "$work/$name.ZIP" | cut -d' ' -f1)"
  } >"$work/statement"
  if [ "$statement_version" = 2 ]; then
    python3 "$manifest_tool" "$work/$name.ZIP" "$module" >>"$work/statement"
    # What an agent reads at most: the statement and the 139 bytes of the signature line.
    statement_bytes=$(stat -c %s "$work/statement")
    if [ $((statement_bytes + 139)) -gt $((16 << 20)) ]; then
      echo "$0: the signature file would be larger than the 16 MiB an agent reads;" \
        "publish fewer files or with --statement-version 1" >&2
      exit 1
    fi
  fi
  openssl pkeyutl -sign -rawin -inkey "$sign_key" -in "$work/statement" -out "$work/signature"
  cp "$work/statement" "$work/$name.SIG"
  echo "signature $(od -An -v -tx1 "$work/signature" | tr -d ' \n')" >>"$work/$name.SIG"
fi

mv -f "$work/$name.ZIP" "$output/$name.ZIP"
if [ -n "$sign_key" ]; then
  mv -f "$work/$name.SIG" "$output/$name.SIG"
else
  # A signature of an earlier release would only make signing agents refuse this one for the
  # wrong reason.
  rm -f "$output/$name.SIG"
fi
mv -f "$work/$name.VER" "$output/$name.VER"
echo "published $name $version: $output/$name.VER, $output/$name.ZIP${sign_key:+, $output/$name.SIG}"
