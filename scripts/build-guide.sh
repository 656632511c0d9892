#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the user guide: Markdown to HTML with cmark-gfm (CommonMark with
# tables), between the guide's head and foot (docs/guide-head.html,
# docs/guide-foot.html), with each PNG picture that the guide names beside it
# put inside the page, so that the guide is one file wherever it is installed.
#   scripts/build-guide.sh CMARK GUIDE.md OUT.html
# Fails, naming it, when a picture is missing; writes OUT.html only whole.
set -euo pipefail
cmark=$1 guide=$2 out=$3
docs=$(dirname "$guide")

html=$(cat "$docs/guide-head.html"
  "$cmark" --extension table "$guide"
  cat "$docs/guide-foot.html")
# Pictures are named as cmark writes them: <img src="name.png" ...>.
for name in $(grep -o 'src="[^"/]*\.png"' <<<"$html" | sed 's/^src="//; s/"$//' |
    sort -u); do
  if [[ ! -f $docs/$name ]]; then
    echo "build-guide: the guide shows $name, which is not in $docs" >&2
    exit 1
  fi
  # A parameter expansion, not a command's argument: a picture's text may be
  # longer than one argument can be.
  data=$(base64 -w0 "$docs/$name")
  html=${html//src=\"$name\"/src=\"data:image/png;base64,$data\"}
done
printf '%s\n' "$html" >"$out.tmp"
mv "$out.tmp" "$out"
