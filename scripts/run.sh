#!/usr/bin/env bash
# Sets Yumo up (scripts/setup.sh: packages, build, default data) and starts the window program
# build/yumo. It needs a graphical session: without one (no DISPLAY, no WAYLAND_DISPLAY) it
# says so and exits with status 1 instead of letting Qt abort. Arguments are passed to yumo.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$YUMO_ROOT/scripts/setup.sh"

program="$YUMO_BUILD/yumo"
[ -x "$program" ] || die "$program was not built"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "yumo is a window program and there is no display here (DISPLAY and WAYLAND_DISPLAY" >&2
    echo "are unset). Run $program from a desktop session, or see tests/e2e/run.sh for a" >&2
    echo "private X server." >&2
    exit 1
fi
say "starting $program"
exec "$program" "$@"
