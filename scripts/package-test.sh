#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a package made by scripts/package.sh as a user would meet it:
#
#   scripts/package-test.sh build/package/xsrating_<version>_<arch>.deb
#
# On a throwaway system (XSRATING_THROWAWAY=1, as in scripts/fresh-debian.sh)
# the package is installed with apt-get, dependencies and all, and the
# programs run from /usr/bin; elsewhere it is unpacked into a temporary folder
# and run from there, leaving the machine as it was. Either way the installed
# command line must find its figure module, write the same table as the build
# folder's program, the window program must start and give its version, and
# the user guide must be in the package's doc folder.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ ${XSRATING_THROWAWAY:-0} == 1 ]]; then
  env DEBIAN_FRONTEND=noninteractive apt-get -qq -o DPkg::Lock::Timeout=600 \
    install -y --no-install-recommends "$deb" >/dev/null
  root=
else
  dpkg-deb -x "$deb" "$work/root"
  root=$work/root
fi
fail() {
  echo "package-test: $*" >&2
  exit 1
}

version=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/xsrating" --version) ||
  fail "xsrating --version failed"
[[ $version == "xsrating $(dpkg-deb -f "$deb" Version)" ]] ||
  fail "xsrating --version says '$version'"

# The user guide, where the window's format help sends the user.
cmp -s "$root/usr/share/doc/xsrating/使用说明.html" build/docs/guide.zh.html ||
  fail "the user guide is not the built one at /usr/share/doc/xsrating/使用说明.html"

mkdir "$work/installed" "$work/built"
cp examples/river_section.txt "$work/installed/"
cp examples/river_section.txt "$work/built/"
export SOURCE_DATE_EPOCH=1796601600
"$root/usr/bin/xsrating-cli" -n 0.03 -s 0.0003 -m 20 --csv --plot=svg \
  "$work/installed/river_section.txt" >/dev/null ||
  fail "the installed xsrating-cli failed"
build/bin/xsrating-cli -n 0.03 -s 0.0003 -m 20 --csv --plot=svg \
  "$work/built/river_section.txt" >/dev/null
# The second line records the survey's path, which differs.
for suffix in txt csv svg; do
  a=$work/installed/river_section成果.$suffix
  b=$work/built/river_section成果.$suffix
  [[ -s $a ]] || fail "no $a"
  if [[ $suffix == txt ]]; then
    cmp -s <(sed 2d "$a") <(sed 2d "$b") || fail "$a differs from $b"
  elif [[ $suffix == csv ]]; then
    cmp -s "$a" "$b" || fail "$a differs from $b"
  fi
done
echo "package-test: $(basename "$deb") installs and runs"
