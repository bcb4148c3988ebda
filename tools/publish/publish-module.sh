#!/usr/bin/env bash
# Publishes a module for the update server: writes NAME.VER (the version as its first item) and
# NAME.ZIP (the module's files, optionally encrypted with a password) into an output folder.
#
#   publish-module.sh [--password PASSWORD] NAME VERSION MODULE_FOLDER OUTPUT_FOLDER
#
# NAME is upper-cased, as the agent asks for it; MODULE_FOLDER must hold NAME.EXE at its top.
# VERSION is a decimal number with "." (the agent compares versions as numbers, not dotted).
# Both files are written under temporary names and renamed, so a running server never hands out
# half of them.
set -euo pipefail

usage() {
  echo "usage: $0 [--password PASSWORD] NAME VERSION MODULE_FOLDER OUTPUT_FOLDER" >&2
  exit 2
}

password=""
if [ "${1:-}" = "--password" ]; then
  [ $# -ge 2 ] || usage
  password=$2
  shift 2
fi
[ $# -eq 4 ] || usage
name=$(printf '%s' "$1" | tr '[:lower:]' '[:upper:]')
version=$2
module=$3
output=$4

if ! [[ $name =~ ^[A-Z0-9_-]+$ ]]; then
  echo "$0: the module name must be letters, digits, '_' or '-': $1" >&2
  exit 1
fi
if ! [[ $version =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
  echo "$0: the version must be a decimal number such as 2.6: $version" >&2
  exit 1
fi
if [ ! -f "$module/$name.EXE" ]; then
  echo "$0: $module holds no $name.EXE; the agent would have no program to start" >&2
  exit 1
fi
command -v zip >/dev/null || { echo "$0: needs the zip program" >&2; exit 1; }
mkdir -p "$output"
output=$(cd "$output" && pwd)

work=$(mktemp -d "$output/.publish-XXXXXX")
trap 'rm -rf "$work"' EXIT
zip_options=(-r -q -X)
[ -n "$password" ] && zip_options+=(-P "$password")
(cd "$module" && zip "${zip_options[@]}" "$work/$name.ZIP" .)
printf '%s\r\n' "$version" >"$work/$name.VER"
mv -f "$work/$name.ZIP" "$output/$name.ZIP"
mv -f "$work/$name.VER" "$output/$name.VER"
echo "published $name $version: $output/$name.VER, $output/$name.ZIP"
