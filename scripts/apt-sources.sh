# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts: reads apt's own list of package archives.
#
#   apt_archives [FILE...]
#
# Prints one line "URI SUITE [COMPONENT...]" for each binary-package archive
# (type deb) that the files name and do not disable, in their order. FILE
# ending in .sources is read in the deb822 format ("Types: deb", "URIs: ...",
# "Suites: ...", "Enabled: no"), any other in the one-line format
# ("deb [options] URI SUITE COMPONENT..."). Without FILE: the files that apt
# itself reads, /etc/apt/sources.list and /etc/apt/sources.list.d/*.list and
# *.sources (apt ignores other names there).
apt_archives() {
  local files=("$@") file
  if ((${#files[@]} == 0)); then
    files=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list
      /etc/apt/sources.list.d/*.sources)
  fi
  for file in "${files[@]}"; do
    [[ -f $file && -r $file ]] || continue
    if [[ $file == *.sources ]]; then
      _apt_archives_deb822 <"$file"
    else
      _apt_archives_one_line <"$file"
    fi
  done
}

_apt_archives_one_line() {
  awk '{
    sub(/#.*/, "")
    gsub(/\[[^]]*\]/, " ")  # Options such as [arch=amd64 signed-by=...].
    if ($1 != "deb" || NF < 3) next
    line = $2 " " $3
    for (i = 4; i <= NF; i++) line = line " " $i
    print line
  }'
}

# A stanza is a run of lines up to a blank one; a line that starts with a
# space or tab goes on the field before; a line that starts with # is a
# comment, also inside a stanza.
_apt_archives_deb822() {
  awk '
    function trim(text) {
      gsub(/^[ \t]+|[ \t]+$/, "", text)
      return text
    }
    function flush(   n, u, s, types, uris, suites, i, j, k, is_deb) {
      if (tolower(trim(field["enabled"])) != "no") {
        n = split(field["types"], types, " ")
        for (i = 1; i <= n; i++) if (types[i] == "deb") is_deb = 1
        if (is_deb) {
          u = split(field["uris"], uris, " ")
          s = split(field["suites"], suites, " ")
          for (j = 1; j <= u; j++)
            for (k = 1; k <= s; k++) {
              line = uris[j] " " suites[k]
              if (trim(field["components"]) != "")
                line = line " " field["components"]
              print line
            }
        }
      }
      split("", field)
      name = ""
    }
    /^#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^[ \t]/ {
      if (name != "") field[name] = field[name] " " $0
      next
    }
    {
      colon = index($0, ":")
      if (colon == 0) next
      name = tolower(substr($0, 1, colon - 1))
      field[name] = substr($0, colon + 1)
    }
    END { flush() }
  ' | awk '{ $1 = $1; print }'  # One space between fields.
}
