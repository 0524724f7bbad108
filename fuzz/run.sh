#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, address and undefined-behaviour sanitizers) and runs
# each fuzz target until it reaches a time or a number of executions, whichever comes first.
#
#   bash fuzz/run.sh [-t seconds] [-r runs] [-j parallel] [target...]
#
# Defaults: 1800 seconds and 10 million executions per target, one target at a time, every
# target built. The committed inputs (fuzz/corpus/<target>/) seed each run and are never
# written; new interesting inputs gather in build/fuzz/work/<target>/, findings (crashes,
# violated properties, leaks, time-outs) in build/fuzz/findings/<target>/ and logs in
# build/fuzz/logs/. Keep a finding as a test by copying it into fuzz/corpus/<target>/.
# Exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=1800
runs=10000000
parallel=1
while getopts "t:r:j:h" option; do
  case $option in
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    j) parallel=$OPTARG ;;
    *) sed -n '2,12p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$parallel"

out=build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for binary in "$out"/fuzz/*_fuzzer; do
    name=$(basename "$binary")
    targets+=("${name%_fuzzer}")
  done
fi

run_one() {
  local target=$1
  local work="$out/work/$target" findings="$out/findings/$target" log="$out/logs/$target.log"
  mkdir -p "$work" "$findings" "$out/logs"
  local extra=()
  [ -f "fuzz/dict/$target.dict" ] && extra+=("-dict=fuzz/dict/$target.dict")
  local status=0
  "$out/fuzz/${target}_fuzzer" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
    -artifact_prefix="$findings/" "${extra[@]}" "$work" "fuzz/corpus/$target" >"$log" 2>&1 ||
    status=$?
  local executions
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  [ -n "$executions" ] || executions=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  if [ "$status" -eq 0 ]; then
    echo "$target: ${executions:-?} executions, nothing found"
  elif [ "$status" -eq 72 ]; then
    echo "$target: ${executions:-?} executions, interrupted, nothing found"
    status=0
  else
    echo "$target: ${executions:-?} executions, FOUND (status $status), see $log and $findings/"
  fi
  return "$status"
}

failed=0
running=0
for target in "${targets[@]}"; do
  if [ ! -x "$out/fuzz/${target}_fuzzer" ]; then
    echo "$target: no such fuzz target" >&2
    failed=1
    continue
  fi
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
