#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# apt_archives (scripts/apt-sources.sh) on sources files in both of apt's
# formats: each row is a file name, its text, and the archives expected.
#
#   tests/apt_sources_test.sh scripts/apt-sources.sh
set -euo pipefail
. "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

passed=0 failed=0
row() {  # name text expected
  printf '%b' "$2" >"$work/$1"
  local got
  got=$(apt_archives "$work/$1")
  if [[ $got == "$(printf '%b' "$3")" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'apt_archives %s:\n  text:     %q\n  got:      %q\n  expected: %q\n' \
      "$1" "$(printf '%b' "$2")" "$got" "$(printf '%b' "$3")" >&2
  fi
}

# One line per archive; options, comments, sources and blank lines aside.
row plain.list 'deb http://m.test/debian bookworm main\n' \
  'http://m.test/debian bookworm main'
row options.list \
  'deb [arch=amd64 signed-by=/k.gpg] http://m.test/d bookworm main contrib\n' \
  'http://m.test/d bookworm main contrib'
row spaced_options.list '  deb [ trusted=yes ]  file:/srv/m   bookworm-updates main # local\n' \
  'file:/srv/m bookworm-updates main'
row comments.list '# deb http://old.test/ bookworm main\n\ndeb-src http://m.test/ bookworm main\n' ''
row no_suite.list 'deb http://m.test/\n' ''

# deb822: every URI with every suite; comments inside a stanza, folded
# fields, field names in any case, disabled stanzas and deb-src only skipped.
row two.sources 'Types: deb\n# a note\nURIs: http://a.test/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /k.gpg\n\nTypes: deb\nURIs: http://a.test/debian-security\nSuites: bookworm-security\nComponents: main\n' \
  'http://a.test/debian bookworm main\nhttp://a.test/debian bookworm-updates main\nhttp://a.test/debian-security bookworm-security main'
row folded.sources 'types: deb deb-src\nuris: http://a.test/d\n http://b.test/d\nSUITES: bookworm\nComponents: main\n  contrib\n' \
  'http://a.test/d bookworm main contrib\nhttp://b.test/d bookworm main contrib'
row disabled.sources 'Enabled: no\nTypes: deb\nURIs: http://off.test/\nSuites: bookworm\nComponents: main\n\nTypes: deb-src\nURIs: http://src.test/\nSuites: bookworm\nComponents: main\n\nEnabled: yes\nTypes: deb\nURIs: http://on.test/\nSuites: bookworm\nComponents: main' \
  'http://on.test/ bookworm main'
row blank_lines.sources '\n\nTypes: deb\nURIs: http://a.test/\nSuites: bookworm\nComponents: main\n\n\n' \
  'http://a.test/ bookworm main'

echo "apt_sources_test: $passed passed, $failed failed"
((failed == 0))
