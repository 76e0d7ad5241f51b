#!/usr/bin/env bash
# Sets Yumo up (scripts/setup.sh) and runs every test with ctest in the build folder; ends with
# a "tests: N passed, M failed" line and exits non-zero when any test failed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$YUMO_ROOT/scripts/setup.sh"

say "running the tests in $YUMO_BUILD"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
status=0
(cd "$YUMO_BUILD" && ctest --output-on-failure --no-tests=error -j "$YUMO_JOBS") 2>&1 |
    tee "$log" || status=$?
# ctest closes with "NN% tests passed, F tests failed out of T".
read -r failed total < <(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1) || true
if [ -z "${total:-}" ]; then
    echo "tests: no summary from ctest (exit status $status)"
    exit $((status == 0 ? 1 : status))
fi
echo "tests: $((total - failed)) passed, $failed failed"
exit "$status"
