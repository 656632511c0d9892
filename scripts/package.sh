#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the release programs and packs them into a Debian package,
# build/package/xsrating_<version>_<arch>.deb, then checks it with lintian
# (any error fails). Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
scripts/build.sh >&2
# The menu entry and the software centre's description, as desktops read them.
desktop-file-validate app/data/org.xsrating.xsrating.desktop >&2
appstreamcli validate --no-net --pedantic \
  app/data/org.xsrating.xsrating.metainfo.xml >&2
(cd build && cpack -G DEB >&2)
deb=$(ls -t build/package/xsrating_*.deb | head -n 1)
# Warnings are shown; errors fail. Run as root in CI, which lintian allows.
lintian --fail-on error --allow-root "$deb" >&2
echo "$deb"
