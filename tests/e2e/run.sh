#!/usr/bin/env bash
# Runs every end-to-end scenario (tests/e2e/s_*.sh) against the built Windows programs under
# Wine, in one prefix and one X display, and prints "N passed, M failed".
# Usage: tests/e2e/run.sh [FILTER]   FILTER: an extended regular expression over the
# scenario names, such as "temp" or "^scenario_(0[1-9]|32)"
set -u
. "$(dirname "$0")/lib.sh"
filter=${1:-}

start_display
start_wine
trap 'kill_programs; stop_wine' EXIT
# Every settings save asks the privileged object for the autostart state.
register_privileged_object

for file in "$E2E_ROOT"/tests/e2e/s_*.sh; do
  . "$file"
done
for scenario in $(declare -F | awk '{print $3}' | grep '^scenario_' | sort); do
  [ -n "$filter" ] && ! [[ "$scenario" =~ $filter ]] && continue
  SCENARIO=${scenario#scenario_}
  echo "== $SCENARIO"
  kill_programs
  reset_settings
  rm -f "$LOG"
  started=$(date +%s)
  "$scenario"
  kill_programs
  echo "   ($(( $(date +%s) - started )) s)"
done

echo
if [ ${#E2E_FAILURES[@]} -gt 0 ]; then
  echo "Failed end-to-end checks:"
  printf '  %s\n' "${E2E_FAILURES[@]}"
fi
echo "end-to-end $QUILLAR_ARCH: $E2E_PASSED passed, $E2E_FAILED failed, $E2E_SKIPPED skipped"
[ "$E2E_FAILED" -eq 0 ]
