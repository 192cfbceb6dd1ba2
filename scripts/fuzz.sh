#!/usr/bin/env bash
# Builds the fuzz targets (build/fuzz) and runs each one for the given seconds
# (default 60) on a copy of its seed corpus with its dictionary, then prints per
# target: executions, executions per second, coverage (edges) and findings. A
# finding is saved under build/fuzz/artifacts/; rerun it with the target and the
# file name. Exits non-zero when any target found something.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
seconds=${1:-60}
bash scripts/setup.sh >/dev/null || exit 1
zr_build_fuzz || exit 1

dir=$ZR_BUILD/fuzz/tests/fuzz
runs=$ZR_BUILD/fuzz/runs
artifacts=$ZR_BUILD/fuzz/artifacts
rm -rf "$runs"; mkdir -p "$runs" "$artifacts"
status=0
printf '%-14s %12s %10s %8s  %s\n' target executions exec/s edges findings
for exe in "$dir"/fuzz_*; do
  [ -x "$exe" ] && [ -f "$exe" ] || continue
  name=${exe##*/fuzz_}
  mkdir -p "$runs/$name"
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$runs/$name/"
  read -r -a extra < "$dir/fuzz_$name.args" || true
  [ -f "tests/fuzz/dict/$name.dict" ] && extra+=("-dict=tests/fuzz/dict/$name.dict")
  "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "${extra[@]}" "$runs/$name" >"$runs/$name.log" 2>&1
  rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$runs/$name.log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$runs/$name.log" | tail -1)
  edges=$(grep -oE 'cov: [0-9]+' "$runs/$name.log" | tail -1 | grep -oE '[0-9]+')
  finding=none
  if [ $rc != 0 ]; then
    status=1
    finding="$(grep -m1 -E 'property failed|ERROR: ' "$runs/$name.log" | cut -c1-100) ($(grep -o "$artifacts/[^ ]*" "$runs/$name.log" | tail -1))"
  fi
  printf '%-14s %12s %10s %8s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "${edges:-?}" "$finding"
done
exit $status
