#!/usr/bin/env bash
# Writes the seed corpus of the signature file fuzz target into fuzz/signature/corpus/: a file
# the publishing tool signed with a key made for the purpose (and then thrown away) and the ways
# such a file can arrive broken. Run again after changing the seeds and commit the result.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl genpkey -algorithm ed25519 -out "$work/key.pem"
mkdir -p "$work/module/sub"
echo '#!/bin/sh' >"$work/module/EDITOR.EXE"
echo 'odd name' >"$work/module/sub/My Notes ü%.txt"
"$here/../../tools/publish/publish-module.sh" --sign-key "$work/key.pem" EDITOR 2.5 \
  "$work/module" "$work/out" >/dev/null
"$here/../../tools/publish/publish-module.sh" --sign-key "$work/key.pem" --statement-version 1 \
  EDITOR 2.5 "$work/module" "$work/out1" >/dev/null
good="$work/out1/EDITOR.SIG"
manifest="$work/out/EDITOR.SIG"

corpus="$here/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
cp "$good" "$corpus/signed_by_tool"
head -c 100 "$good" >"$corpus/truncated"
head -n 5 "$good" >"$corpus/statement_only"
sed 's/$/\r/' "$good" >"$corpus/crlf"
{ cat "$good"; echo "comment extra line"; } >"$corpus/extra_line"
sed 's/^sha256 ./sha256 /' "$good" >"$corpus/digest_short"
sed 's/^size .*/size 018446744073709551616/' "$good" >"$corpus/size_overflow"
sed 's/^version .*/version 2.5 beta/' "$good" >"$corpus/version_with_space"
tr 'a-f' 'A-F' <"$good" >"$corpus/upper_case_hex"
# Version 2: the manifest's own ways to be wrong.
cp "$manifest" "$corpus/manifest_signed_by_tool"
sed 's/^entries .*/entries 4/' "$manifest" >"$corpus/manifest_count_short"
sed 's/^entries .*/entries 1000001/' "$manifest" >"$corpus/manifest_count_huge"
sed 's/ sub\/$/ EDITOR.EXE/' "$manifest" >"$corpus/manifest_name_repeated"
sed 's/%C3/%c3/' "$manifest" >"$corpus/manifest_escape_lower_case"
sed 's/%20/ /' "$manifest" >"$corpus/manifest_space_unescaped"
sed 's/ 100644 / 1000000 /' "$manifest" >"$corpus/manifest_mode_too_large"
printf '<html><body>404 Not Found</body></html>\n' >"$corpus/html_error"
: >"$corpus/empty"
