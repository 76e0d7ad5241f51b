#!/usr/bin/env bash
# Measures the window program on private X and sound servers (tests/e2e/servers.sh) with
# yumo-window-figures: start to window shown, a full paint of the client area, CPU over a
# night with the window shown, resized, minimised and hidden, resident memory. The sound it
# played meanwhile is recorded and checked for breaks (yumo-check-recording).
#
#   scripts/window_figures.sh [SECONDS]     (default 60, per phase; build/ must be built)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$YUMO_ROOT/tests/e2e/servers.sh"

seconds="${1:-60}"
e2e_require Xvfb pulseaudio pactl parecord
for program in yumo-window-figures yumo-check-recording; do
    [ -x "$YUMO_BUILD/$program" ] || die "$YUMO_BUILD/$program is missing: build first"
done
e2e_start_display
e2e_start_sound_server
recording="$E2E_WORK/figures.wav"
e2e_start_recording "$recording"
cd "$E2E_WORK"
"$YUMO_BUILD/yumo-window-figures" "$seconds"
e2e_stop_recording
"$YUMO_BUILD/yumo-check-recording" "$recording" --min-peak 1000
