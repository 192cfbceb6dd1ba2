#!/usr/bin/env bash
# Sets everything up, builds the three trees and runs every test: native tests of the
# portable core and the tools, a short run of each fuzz target on its corpus, Windows
# tests under Wine, and the Python end-to-end tests with the real zr.exe under Xvfb
# and Wine. Exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ZR_ROOT"
bash scripts/setup.sh || exit 1
start=$(date +%s)
zr_build_host || exit 1
zr_build_windows || exit 1
zr_build_fuzz || exit 1
echo "test: build took $(( $(date +%s) - start )) s"

trap zr_stop_all EXIT
zr_start_xvfb || exit 1
zr_start_wine

passed=0 failed=0
count_ctest() {  # reads ctest's summary line from a log
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + ${total:-0} - ${bad:-0})); failed=$((failed + ${bad:-0}))
}
status=0
log=$(mktemp)

echo "== native tests"
ctest --test-dir "$ZR_BUILD/host" -j2 --output-on-failure 2>&1 | tee "$log"; [ ${PIPESTATUS[0]} = 0 ] || status=1
count_ctest "$log"

echo "== fuzz targets, a few seconds each on their corpora (scripts/fuzz.sh runs them longer)"
ctest --test-dir "$ZR_BUILD/fuzz" -j2 --output-on-failure 2>&1 | tee "$log"; [ ${PIPESTATUS[0]} = 0 ] || status=1
count_ctest "$log"

echo "== Windows tests under Wine"
# One at a time: several cases share the registry of the test prefix.
ctest --test-dir "$ZR_BUILD/win" --output-on-failure --timeout 120 2>&1 | tee "$log"; [ ${PIPESTATUS[0]} = 0 ] || status=1
count_ctest "$log"

echo "== end-to-end and fixture tests"
# The tools' own pytest suite runs under CTest with the native tests.
ZR_BUILD_DIR=$ZR_BUILD $PY -m pytest -q -p no:cacheprovider --ignore=tests/tools tests 2>&1 | tee "$log"; rc=${PIPESTATUS[0]}
[ $rc = 0 ] || [ $rc = 5 ] || status=1
p=$(grep -oE '[0-9]+ passed' "$log" | tail -1 | grep -oE '[0-9]+'); f=$(grep -oE '[0-9]+ (failed|error)' "$log" | awk '{s+=$1} END {print s+0}')
passed=$((passed + ${p:-0})); failed=$((failed + ${f:-0}))
rm -f "$log"

echo "test: whole run took $(( $(date +%s) - start )) s"
[ $status = 0 ] || [ $failed -gt 0 ] || failed=1
echo "test-suite: $passed passed, $failed failed"
exit $status
