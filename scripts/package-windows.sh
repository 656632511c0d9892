#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows programs (the `windows` preset: MinGW-w64, static) and
# packs them into build-windows/package/:
#  - xsrating-<version>-setup.exe, the installer (NSIS, 64-bit, from
#    app/data/windows/installer.nsi);
#  - xsrating-<version>-windows-x64.zip, the portable programs: a folder
#    xsrating-<version> with xsrating.exe, xsrating-cli.exe, the user guide
#    使用说明.html (built from docs/guide.zh.md), README.md and LICENSE.
# Prints the two paths, one a line. Fails, naming it, when a program is not in
# the build. With SOURCE_DATE_EPOCH set, the zip's files carry that time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 >&2

build=$PWD/build-windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || { echo "package-windows: no version in $build" >&2; exit 1; }
programs=(xsrating.exe xsrating-cli.exe)
documents=(README.md LICENSE)
for program in "${programs[@]}"; do
  if [[ ! -f $build/bin/$program ]]; then
    echo "package-windows: $build/bin/$program is missing, so there is" \
      "nothing to package: the build made no such program." >&2
    exit 1
  fi
done

out=$build/package
mkdir -p "$out"
setup=$out/xsrating-$version-setup.exe
zip=$out/xsrating-$version-windows-x64.zip
rm -f "$setup" "$zip"

# What both packages ship, gathered once.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder=$stage/xsrating-$version
mkdir "$folder"
for program in "${programs[@]}"; do cp "$build/bin/$program" "$folder/"; done
cp "${documents[@]}" "$folder/"
guide=$build/docs/guide.zh.html
if [[ ! -f $guide ]]; then
  echo "package-windows: $guide is missing: the build made no user guide." >&2
  exit 1
fi
cp "$guide" "$folder/使用说明.html"
if [[ -n ${SOURCE_DATE_EPOCH-} ]]; then
  find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
fi

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DFILES_DIR="$folder" \
  -DICON="$PWD/win32/xsrating.ico" -DOUT_FILE="$setup" \
  app/data/windows/installer.nsi >&2
# In name order and -X (no Unix owners or extra times), so that the same
# files give the same zip.
(cd "$stage" && find "xsrating-$version" | LC_ALL=C sort | zip -qX -@ "$zip")

echo "$setup"
echo "$zip"
