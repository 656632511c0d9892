#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows programs (the `windows` preset: MinGW-w64, static) and
# tests them under Wine, without a display:
#  - each .exe needs no DLL beyond those of Windows itself;
#  - the core's and the command line's tests;
#  - xsrating-cli.exe on each example, with a Chinese file name, against the
#    Linux program: the result, table and SVG figure files must be the same
#    bytes, the recorded path line aside (build/bin/xsrating-cli must exist);
#  - a survey reached by a UNC path (\\localhost\share\...);
#  - '*' and '?' in the arguments expanded by the program;
#  - messages on a console window (a pseudo-terminal) and in a pipe;
#  - the window, xsrating.exe: a GUI-subsystem program, driven through its
#    messages on a virtual display (Xvfb) in a fresh Wine prefix whose SimSun
#    is WenQuanYi Zen Hei, and a screenshot of it in
#    build-windows/artifacts/form1.png; the zones dialog's at 1280 x 800, at
#    96 and 144 dots per inch, in build-windows/artifacts/zones-dialog-*.png;
#    the viewer with gaugings, a save dialog and a failed import's box at
#    1280 x 800, 96 and 144 dots per inch, in build-windows/artifacts/viewer-*;
#    the viewer's saves against the command line's files;
#  - xsrating-cli.exe --plot svg and --plot png (GDI+), the PNG decoded, and
#    with a stage record, the SVG against Linux's and the PNG's hydrograph;
#  - the installer and the portable zip (scripts/package-windows.sh): installed
#    silently in a fresh prefix (the user guide 使用说明.html beside the
#    programs, its Start-menu shortcut, the window's shortcut starting in the
#    user's Documents), run, and uninstalled.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows -j2
# The tests' Wine prefix, fresh for each run and made before the tests start
# in parallel: two programs that make a prefix at once break it.
rm -rf build-windows/wine
env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$PWD/build-windows/wine" \
  WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
  "$(command -v /usr/lib/wine/wine64 wine64 wine | head -n1)" wineboot -i \
  >/dev/null 2>&1
ctest --preset windows -j2

failures=0
fail() {
  echo "test-windows: $*" >&2
  failures=$((failures + 1))
}

build=$PWD/build-windows
linux_cli=$PWD/build/bin/xsrating-cli
windows_cli=$build/bin/xsrating-cli.exe
[[ -x $linux_cli ]] || { echo "missing $linux_cli: run scripts/build.sh" >&2; exit 1; }

# Each program runs alone: it needs no DLL beyond those every Windows has.
for exe in "$build"/bin/*.exe; do
  extra=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|msvcrt|user32|gdi32|advapi32|shell32|ws2_32|gdiplus|ole32|comctl32|comdlg32)\.dll$' ||
    true)
  [[ -z $extra ]] || fail "$(basename "$exe") needs $extra"
done

# The window runs in the GUI subsystem: no console window opens beside it.
subsystem=$(x86_64-w64-mingw32-objdump -p "$build/bin/xsrating.exe" |
  sed -n 's/^Subsystem\s*//p')
[[ $subsystem == 00000002* ]] ||
  fail "xsrating.exe is not a GUI program: subsystem $subsystem"

export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine)

work=$(mktemp -d)
trap 'rm -rf "$work"; rm -f "$WINEPREFIX/dosdevices/unc/localhost/share"' EXIT

# The same run on both systems. SOURCE_DATE_EPOCH fixes the time line, so
# only the second line, the survey's path, may differ.
same_files() {  # name roughness slope stages
  local name=$1
  shift
  mkdir -p "$work/linux" "$work/windows"
  cp "examples/$name.txt" "$work/linux/黄河$name.txt"
  cp "examples/$name.txt" "$work/windows/黄河$name.txt"
  (cd "$work/linux" &&
    SOURCE_DATE_EPOCH=1796615227 "$linux_cli" -n "$1" -s "$2" -m "$3" --csv \
      --plot "黄河$name.txt" >/dev/null)
  (cd "$work/windows" &&
    SOURCE_DATE_EPOCH=1796615227 "$wine" "$windows_cli" -n "$1" -s "$2" \
      -m "$3" --csv --plot "黄河$name.txt" >/dev/null)
  local result=黄河${name}成果.txt table=黄河${name}成果.csv
  local figure=黄河${name}成果.svg
  if ! cmp -s <(sed 2d "$work/linux/$result") \
      <(sed 2d "$work/windows/$result"); then
    fail "$result differs between Linux and Windows"
  fi
  if ! sed -n 2p "$work/windows/$result" | iconv -f GBK -t UTF-8 |
      grep -q '^地形测文件：Z:\\.*\\黄河'"$name"'\.txt'$'\r''$'; then
    fail "$result records the path as: $(sed -n 2p "$work/windows/$result" |
      iconv -f GBK -t UTF-8)"
  fi
  cmp -s "$work/linux/$table" "$work/windows/$table" ||
    fail "$table differs between Linux and Windows"
  # The figure is drawn by the program itself: the same bytes too.
  cmp -s "$work/linux/$figure" "$work/windows/$figure" ||
    fail "$figure differs between Linux and Windows"
}
same_files v_section 0.025 0.0004 5
same_files river_section 0.03 0.00025 20

# With a stage record the figure ends with its hydrograph: the SVG the same
# bytes on both systems, and the PNG of GDI+ a row higher, with the
# hydrograph's lines drawn in that row.
for side in linux windows; do
  mkdir -p "$work/record-$side"
  cp examples/river_section.txt examples/river_section_stages.txt \
    "$work/record-$side/"
done
record_run=(-n 0.03 -s 0.0003 -m 20 --stage-record river_section_stages.txt)
(cd "$work/record-linux" &&
  "$linux_cli" "${record_run[@]}" --plot river_section.txt >/dev/null 2>&1)
(cd "$work/record-windows" &&
  "$wine" "$windows_cli" "${record_run[@]}" --plot river_section.txt \
    >/dev/null 2>&1)
cmp -s "$work/record-linux/river_section成果.svg" \
  "$work/record-windows/river_section成果.svg" ||
  fail "the figure with a hydrograph differs between Linux and Windows"
(cd "$work/record-windows" &&
  "$wine" "$windows_cli" "${record_run[@]}" --plot=png river_section.txt \
    >/dev/null 2>&1) || fail "xsrating-cli.exe --plot=png with a record failed"
record_png=$work/record-windows/river_section成果.png
mkdir -p "$build/artifacts"
cp "$record_png" "$build/artifacts/cli-windows-hydrograph.png"
[[ $(identify -format '%wx%h' "$record_png" 2>/dev/null) == 1200x1394 ]] ||
  fail "--plot=png with a record: $(identify -format '%wx%h' "$record_png" \
    2>&1), not 1200x1394"
saturation=$(convert "$record_png" -crop 1000x300+100+1010 -colorspace HSL \
  -channel G -separate -format '%[fx:mean]' info: 2>/dev/null || echo 0)
awk -v m="$saturation" 'BEGIN { exit !(m > 0.002) }' ||
  fail "--plot=png with a record: no hydrograph drawn (saturation $saturation)"

# A network share: Wine finds \\localhost\share in the prefix's dosdevices.
mkdir -p "$WINEPREFIX/dosdevices/unc/localhost" "$work/share"
ln -sfn "$work/share" "$WINEPREFIX/dosdevices/unc/localhost/share"
cp examples/v_section.txt "$work/share/sec1.txt"
out=$("$wine" "$windows_cli" -n 0.025 -s 0.0004 -m 5 \
  '\\localhost\share\sec1.txt' 2>&1 | iconv -f GBK -t UTF-8 | tr -d '\r' ||
  true)
[[ $out == '\\localhost\share\sec1成果.txt' ]] ||
  fail "UNC path printed as: $out"
sed -n 2p "$work/share/sec1成果.txt" 2>/dev/null | iconv -f GBK -t UTF-8 |
  grep -qF '地形测文件：\\localhost\share\sec1.txt' ||
  fail "UNC survey: result file missing or path not recorded"
ls -A "$work/share" | grep -q '^\.' && fail "UNC survey: temporary file left"

# cmd and PowerShell pass "*.txt" on as typed: the program expands '*' and
# '?' itself. Wine quotes no argument without a space, as cmd would not. The
# results of the first run, met again by the second, are skipped.
mkdir -p "$work/wild"
cp examples/v_section.txt "$work/wild/甲.txt"
cp examples/v_section.txt "$work/wild/乙.txt"
wild() {  # pattern: runs the program in $work/wild, prints its exit status
  (cd "$work/wild" && "$wine" "$windows_cli" -n 0.025 -s 0.0004 -m 5 "$1" \
    >out 2>err && echo 0 || echo $?)
}
status=$(wild '*.txt')
[[ $status == 0 && $(grep -c '成果.txt' <(iconv -f GBK -t UTF-8 \
  "$work/wild/out")) == 2 ]] || fail "*.txt not expanded: exit $status"
status=$(wild '?.txt')
iconv -f GBK -t UTF-8 "$work/wild/err" | grep -qF \
  '共 2 个文件：算成 2 个，失败 0 个，跳过 0 个。' ||
  fail "?.txt not expanded: exit $status"
status=$(wild '*.txt')
[[ $status == 0 ]] && iconv -f GBK -t UTF-8 "$work/wild/err" | grep -qF \
  '共 4 个文件：算成 2 个，失败 0 个，跳过 2 个。' ||
  fail "earlier results not skipped: exit $status"
status=$(wild 'none*.txt')
[[ $status == 1 ]] && iconv -f GBK -t UTF-8 "$work/wild/err" | grep -qF \
  '没有与“none*.txt”相符的文件。' ||
  fail "a pattern matching nothing: exit $status"

# A console shows UTF-16 whatever its code page: under a pseudo-terminal Wine
# gives the program a console and passes what it shows on as UTF-8. A pipe
# gets GBK.
message=找不到地形文件
console=$(cd "$work" && script -qec \
  "'$wine' '$windows_cli' -n 0.025 -s 0.0004 -m 5 缺少.txt" /dev/null \
  </dev/null || true)
grep -qF "$message" <<<"$console" ||
  fail "console message not readable: $console"
piped=$(cd "$work" && "$wine" "$windows_cli" -n 0.025 -s 0.0004 -m 5 \
  缺少.txt 2>&1 >/dev/null | iconv -f GBK -t UTF-8 || true)
grep -qF "$message" <<<"$piped" || fail "piped message not GBK: $piped"

# The window, on a display of its own, in a fresh prefix.
window_start=$SECONDS
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" \
  >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work";
  rm -f "$build/wine/dosdevices/unc/localhost/share"' EXIT
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
display=:$(cat "$work/display")
window_prefix=$work/prefix
gui=(env DISPLAY="$display" LANG=C.UTF-8 WINEPREFIX="$window_prefix")
"${gui[@]}" "$wine" wineboot -i >/dev/null 2>&1
# Chinese Windows' faces, which Debian lacks, drawn with a CJK face it has.
for face in SimSun 宋体 SimHei 黑体 KaiTi 楷体_GB2312; do
  "${gui[@]}" "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v "$face" /t REG_SZ /d 'WenQuanYi Zen Hei' /f >/dev/null 2>&1
done
(cd "$work" && "${gui[@]}" "$wine" "$build/bin/form1_window_tests.exe") ||
  fail "the window's tests under Wine"
# The layout again on a screen of 144 dots per inch.
"${gui[@]}" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
  /t REG_DWORD /d 144 /f >/dev/null 2>&1
(cd "$work" && XSRATING_TEST_DPI=144 "${gui[@]}" "$wine" \
  "$build/bin/form1_window_tests.exe" --gtest_filter='*Twips*') ||
  fail "the window's layout at 144 dots per inch"
"${gui[@]}" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
  /t REG_DWORD /d 96 /f >/dev/null 2>&1

# A screenshot of the window over a Chinese folder of the examples.
mkdir -p "$work/shot/测站 甲" "$build/artifacts"
cp examples/*.txt "$work/shot/测站 甲/"
(cd "$work/shot/测站 甲" && exec "${gui[@]}" "$wine" "$build/bin/xsrating.exe") &
window=$!
for _ in $(seq 100); do
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q '"Form1"' && break
  sleep 0.2
done
sleep 2
DISPLAY=$display import -window root "$build/artifacts/form1.png" ||
  fail "no screenshot of the window"
kill "$window" 2>/dev/null || true
"${gui[@]}" /usr/lib/wine/wineserver -k 2>/dev/null || true
wait "$window" 2>/dev/null || true
# The zones dialog over the window, with the example's zones, on a screen of
# 1280 x 800 at 96 and at 144 dots per inch.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display2" \
  >/dev/null 2>&1 &
xvfb2=$!
for _ in $(seq 50); do [[ -s $work/display2 ]] && break; sleep 0.1; done
display2=:$(cat "$work/display2")
small=(env DISPLAY="$display2" LANG=C.UTF-8 WINEPREFIX="$window_prefix")
for dpi in 96 144; do
  "${small[@]}" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "${small[@]}" /usr/lib/wine/wineserver -k 2>/dev/null || true
  (cd "$work" && XSRATING_SHOT_SECONDS=10 exec "${small[@]}" "$wine" \
    "$build/bin/form1_window_tests.exe" --gtest_also_run_disabled_tests \
    --gtest_filter='*DISABLED_ZonesDialogForAScreenshot') >/dev/null 2>&1 &
  shot=$!
  for _ in $(seq 100); do
    DISPLAY=$display2 xwininfo -root -tree 2>/dev/null | grep -q '"分区糙率"' &&
      break
    sleep 0.2
  done
  sleep 2
  DISPLAY=$display2 import -window root \
    "$build/artifacts/zones-dialog-${dpi}dpi.png" ||
    fail "no screenshot of the zones dialog at $dpi dots per inch"
  wait "$shot" || fail "the zones dialog's screenshot run at $dpi dots per inch"
  # The viewer at this scale, photographed with gaugings, over a save dialog
  # and under a failed import's box; at 96 its saves are kept to compare.
  mkdir -p "$build/artifacts/viewer-${dpi}dpi" "$work/viewer-saves"
  (cd "$work" && XSRATING_TEST_DPI=$dpi \
    XSRATING_TEST_SHOTS="Z:$build/artifacts/viewer-${dpi}dpi" \
    XSRATING_TEST_ARTIFACTS="Z:$work/viewer-saves" "${small[@]}" "$wine" \
    "$build/bin/form1_window_tests.exe" --gtest_filter='ViewerWindowTest.*') \
    >/dev/null 2>&1 || fail "the viewer's tests at $dpi dots per inch"
done
"${small[@]}" "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
  /t REG_DWORD /d 96 /f >/dev/null 2>&1
"${small[@]}" /usr/lib/wine/wineserver -k 2>/dev/null || true
kill "$xvfb2" 2>/dev/null || true
echo "test-windows: the window's part took $((SECONDS - window_start)) s"

# The viewer's files against the command line's for the same run: the table
# the same bytes, the rating report and the flow table apart from their path
# and time rows, and the figure (with the hydrograph) the same SVG as
# xsrating-cli.exe --plot svg draws.
mkdir -p "$work/viewer-cli/linux" "$work/viewer-cli/windows"
for side in linux windows; do
  cp examples/river_section.txt examples/river_section_gaugings.txt \
    examples/river_section_stages.txt "$work/viewer-cli/$side/"
done
(cd "$work/viewer-cli/linux" && "$linux_cli" -n 0.03 -s 0.00025 -m 20 --csv \
  --gaugings river_section_gaugings.txt \
  --stage-record river_section_stages.txt river_section.txt >/dev/null 2>&1)
(cd "$work/viewer-cli/windows" && "$wine" "$windows_cli" -n 0.03 -s 0.00025 \
  -m 20 --plot=svg --gaugings river_section_gaugings.txt \
  --stage-record river_section_stages.txt river_section.txt >/dev/null 2>&1)
saves=$work/viewer-saves
cmp -s "$saves/viewer-river_section成果.csv" \
  "$work/viewer-cli/linux/river_section成果.csv" ||
  fail "the viewer's table differs from the command line's"
without_path_and_time() { grep -avE '^(地形文件|实测流量文件|计算时间),' "$1"; }
cmp -s <(without_path_and_time "$saves/viewer-river_section率定.csv") \
  <(without_path_and_time "$work/viewer-cli/linux/river_section率定.csv") ||
  fail "the viewer's rating report differs from the command line's"
without_flow_paths() { grep -avE '^(水位过程文件|地形文件|计算时间),' "$1"; }
cmp -s <(without_flow_paths "$saves/viewer-river_section_stages流量.csv") \
  <(without_flow_paths "$work/viewer-cli/linux/river_section_stages流量.csv") ||
  fail "the viewer's flow table differs from the command line's"
cmp -s "$saves/viewer-river_section成果.svg" \
  "$work/viewer-cli/windows/river_section成果.svg" ||
  fail "the viewer's SVG differs from xsrating-cli.exe --plot svg"

# xsrating-cli.exe --plot png draws with GDI+ inside the program: the PNG,
# decoded here, is the figure page (1200 wide: the heading, the section
# across, then two charts a row) with the own-file mark where a later save
# reads it, and ink inside every chart's plot area.
(cd "$work/viewer-cli/windows" && "$wine" "$windows_cli" -n 0.03 -s 0.00025 \
  -m 20 --plot=png --gaugings river_section_gaugings.txt river_section.txt \
  >/dev/null 2>&1) || fail "xsrating-cli.exe --plot png failed"
png=$work/viewer-cli/windows/river_section成果.png
cp "$png" "$build/artifacts/cli-windows.png" 2>/dev/null || true
[[ $(identify -format '%wx%h' "$png" 2>/dev/null) == 1200x1394 ]] ||
  fail "--plot png: $(identify -format '%wx%h' "$png" 2>&1), not 1200x1394"
head -c 4096 "$png" | grep -aq 'tEXtSoftware.xsrating' ||
  fail "--plot png: no own-file mark in the opening"
# Inside each chart's plot area, colour: the series (the grid and frame are
# grey, the ground white, and have no saturation).
for box in 1000x300+150+110 400x300+120+560 400x300+720+560 \
  400x300+120+1010 400x300+720+1010; do
  saturation=$(convert "$png" -crop "$box" -colorspace HSL -channel G \
    -separate -format '%[fx:mean]' info: 2>/dev/null || echo 0)
  awk -v m="$saturation" 'BEGIN { exit !(m > 0.002) }' ||
    fail "--plot png: no series drawn in $box (saturation $saturation)"
done

# The installer and the portable zip (scripts/package-windows.sh). The
# installer runs silently in a fresh prefix of its own: both programs and the
# user guide in Program Files\xsrating, the window's shortcut in the Start
# menu, starting in the user's Documents, the guide's shortcut 使用说明 and
# the uninstall entry; the installed command line gives Linux's files; a silent
# uninstall leaves Program Files as it was. Wine's menu builder stays off, so
# that the shortcut makes no menu entry on this machine.
package_start=$SECONDS
packages=$(scripts/package-windows.sh)
setup=$(sed -n 1p <<<"$packages")
portable=$(sed -n 2p <<<"$packages")
echo "test-windows: packages built in $((SECONDS - package_start)) s"
# What both should hold: the programs as built, and the documents.
shipped=(xsrating.exe xsrating-cli.exe 使用说明.html README.md LICENSE)
mkdir -p "$work/shipped"
cp "$build/bin/xsrating.exe" "$build/bin/xsrating-cli.exe" README.md LICENSE \
  "$work/shipped/"
cp "$build/docs/guide.zh.html" "$work/shipped/使用说明.html"
install_start=$SECONDS
export WINEPREFIX=$work/installed
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wineserver=$(dirname "$wine")/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
program_files=$WINEPREFIX/drive_c/Program\ Files
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
shortcut="$start_menu/河道断面水位流量关系计算.lnk"
guide_shortcut="$start_menu/河道断面水位流量关系计算/使用说明.lnk"
listing() { (cd "$program_files" && find . | LC_ALL=C sort); }
# A value of the uninstall entry as text, or nothing: read from the prefix's
# registry file (complete once the Wine server has ended), where texts are
# quoted with \\, \" and \x<hex> for what is not ASCII.
registry_value() {  # name
  sed -n '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\xsrating\]/,/^$/p' \
    "$WINEPREFIX/system.reg" | sed -n "s/^\"$1\"=\"\(.*\)\"$/\1/p" |
    perl -CS -pe 's/\\(x([0-9a-f]{1,4})|.)/defined $2 ? chr(hex $2) : $1/ge'
}
before=$(listing)

"$wine" "$setup" /S
"$wineserver" -w
installed=$program_files/xsrating
for file in "${shipped[@]}"; do
  cmp -s "$work/shipped/$file" "$installed/$file" ||
    fail "installer: Program Files\\xsrating\\$file missing or not the built one"
done
[[ -f $installed/uninstall.exe ]] || fail "installer: no uninstall.exe"
# A shell link keeps its target's path as text, narrow or wide.
window_exe='C:\Program Files\xsrating\xsrating.exe'
if [[ ! -f $shortcut ]]; then
  fail "installer: no Start-menu shortcut $(basename "$shortcut")"
elif ! grep -qiF "$window_exe" <<<"$(strings -a "$shortcut"
  strings -a -el "$shortcut")"; then
  fail "installer: the shortcut does not start $window_exe"
fi
# True when the shell link $1 holds the path $2 as Windows keeps it, in
# UTF-16 (strings cannot see Chinese there): matched byte for byte.
link_holds() {  # link path
  local bytes
  bytes=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v |
    tr -s ' \n' ' ' | sed 's/ \([0-9a-f][0-9a-f]\)/\\x\1/g' | tr -d ' ')
  LC_ALL=C grep -qaiP "$bytes" "$1"
}
# The window starts in the Documents of the user who installed, where the
# surveys are, not in Program Files: the shortcut's start-in field.
documents=$("$wine" cmd /c echo '%USERPROFILE%' | tr -d '\r')'\Documents'
link_holds "$shortcut" "$documents" ||
  fail "installer: the window's shortcut does not start in $documents"
if [[ ! -f $guide_shortcut ]]; then
  fail "installer: no Start-menu shortcut 使用说明"
# A link keeps its target's folder as text and the file's own name, in
# UTF-16, in the last item of its path (the text's 使用说明 is in the ANSI
# code page, which under Wine here holds no Chinese).
elif ! grep -qiF 'C:\Program Files\xsrating\' <(strings -a "$guide_shortcut") ||
  ! link_holds "$guide_shortcut" '使用说明.html'; then
  fail "installer: the shortcut 使用说明 does not open the installed guide"
fi
[[ $(registry_value DisplayName) == 河道断面水位流量关系计算 ]] ||
  fail "installer: the uninstall entry is named '$(registry_value DisplayName)'"
[[ $(registry_value UninstallString) == '"C:\Program Files\xsrating\uninstall.exe"' ]] ||
  fail "installer: the uninstall entry runs '$(registry_value UninstallString)'"
[[ $(registry_value QuietUninstallString) == *' /S' ]] ||
  fail "installer: the uninstall entry has no silent uninstall"
windows_cli='C:\Program Files\xsrating\xsrating-cli.exe'
same_files v_section 0.025 0.0004 5

"$wine" 'C:\Program Files\xsrating\uninstall.exe' /S
"$wineserver" -w
[[ $(listing) == "$before" ]] ||
  fail "uninstaller left in Program Files: $(diff <(echo "$before") <(listing) | sed -n 's/^> //p')"
[[ ! -e $shortcut ]] || fail "uninstaller left the Start-menu shortcut"
[[ ! -e $(dirname "$guide_shortcut") ]] ||
  fail "uninstaller left the Start-menu folder of the guide"
[[ -z $(registry_value DisplayName) ]] ||
  fail "uninstaller left the uninstall entry"
echo "test-windows: installed, run and uninstalled in $((SECONDS - install_start)) s"

# The portable zip: one folder with the two programs as built, the guide and
# the README.
folder=$(basename "$portable" -windows-x64.zip)
expected=$(printf '%s/\n' "$folder"
  printf "$folder/%s\n" "${shipped[@]}" | LC_ALL=C sort)
[[ $(unzip -Z1 "$portable" | LC_ALL=C sort) == "$expected" ]] ||
  fail "portable zip holds: $(unzip -Z1 "$portable" | tr '\n' ' ')"
for file in "${shipped[@]}"; do
  cmp -s "$work/shipped/$file" <(unzip -p "$portable" "$folder/$file") ||
    fail "portable zip: $file is not the built one"
done

if ((failures > 0)); then
  echo "test-windows: $failures failed" >&2
  exit 1
fi
echo "test-windows: all passed"
