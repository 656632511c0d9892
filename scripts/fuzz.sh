#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz preset and runs each libFuzzer target for SECONDS, starting
# from the committed seeds, the examples and the test surveys. The corpus
# grows in a scratch folder (build-fuzz/fuzz-work/TARGET, or $FUZZ_WORK/TARGET)
# so the committed seeds never change. A crash, hang or leak ends the target's
# run, leaves the input under the scratch folder's artifacts/ and makes this
# script fail.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#
# TARGET is survey_parse_fuzzer, gaugings_parse_fuzzer, whole_run_fuzzer,
# zones_parse_fuzzer or stage_record_parse_fuzzer; all five by default.
set -euo pipefail

usage() {
  echo "usage: $0 SECONDS" \
    "[survey_parse_fuzzer|gaugings_parse_fuzzer|whole_run_fuzzer|zones_parse_fuzzer|stage_record_parse_fuzzer]..." >&2
  exit 2
}
[[ $# -ge 1 && $1 =~ ^[0-9]+$ && $1 -gt 0 ]] || usage
seconds=$1
shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] ||
  targets=(survey_parse_fuzzer gaugings_parse_fuzzer whole_run_fuzzer
    zones_parse_fuzzer stage_record_parse_fuzzer)

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work=${FUZZ_WORK:-$root/build-fuzz/fuzz-work}
jobs=${FUZZ_BUILD_JOBS:-2}

nice -n 10 cmake --preset fuzz >/dev/null
nice -n 10 cmake --build --preset fuzz -j "$jobs" \
  --target survey_parse_fuzzer gaugings_parse_fuzzer whole_run_fuzzer \
  zones_parse_fuzzer stage_record_parse_fuzzer

# Survey files shipped with the project: the examples and the test fixtures,
# but not result files (their names end in 成果.txt).
survey_files() {
  find examples tests/data fuzz/corpus/survey -type f -iname '*.txt' \
    ! -name '*成果.txt' 2>/dev/null | sort
}

seed() {
  local target=$1 corpus=$2
  mkdir -p "$corpus"
  local file name
  case $target in
    survey_parse_fuzzer)
      while IFS= read -r file; do
        name=$(printf '%s' "$file" | tr '/' '_')
        cp -f "$file" "$corpus/seed_$name"
      done < <(survey_files)
      ;;
    gaugings_parse_fuzzer)
      cp -f fuzz/corpus/gaugings/* "$corpus/"
      cp -f examples/*gaugings* "$corpus/"
      ;;
    whole_run_fuzzer)
      cp -f fuzz/corpus/run/* "$corpus/"
      # Every survey once more behind ordinary parameter lines.
      while IFS= read -r file; do
        name=$(printf '%s' "$file" | tr '/' '_')
        { printf '0.025\n0.0004\n20\n/data/%s\n' "$(basename "$file")"
          cat "$file"; } >"$corpus/seed_$name"
      done < <(survey_files)
      ;;
    zones_parse_fuzzer)
      cp -f fuzz/corpus/zones/* "$corpus/"
      ;;
    stage_record_parse_fuzzer)
      cp -f fuzz/corpus/stage_record/* "$corpus/"
      cp -f examples/*stages* "$corpus/"
      ;;
    *)
      echo "unknown target: $target" >&2
      exit 2
      ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  dir=$work/$target
  mkdir -p "$dir/artifacts"
  seed "$target" "$dir/corpus"
  log=$dir/fuzz.log
  echo "== $target for ${seconds}s (log: $log)"
  # -timeout: one input taking longer than this counts as a hang.
  # -rss_limit_mb: reading must stay bounded in memory.
  if nice -n 10 "build-fuzz/bin/$target" "$dir/corpus" \
      -dict=fuzz/survey.dict -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=1024 -max_len=16384 -print_final_stats=1 \
      -artifact_prefix="$dir/artifacts/" >"$log" 2>&1; then
    :
  else
    status=1
    echo "!! $target failed; see $log and $dir/artifacts/" >&2
    tail -n 40 "$log" >&2
  fi
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
  echo "   executions: ${runs:-?}  ${done_line:-no DONE line}"
done
exit $status
