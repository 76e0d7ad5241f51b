#!/usr/bin/env bash
# The installed program as a user meets it: `cmake --install` into a temporary prefix, the
# layout checked (the metainfo beside its desktop entry with no remark from appstreamcli, not
# even a pedantic one, but the missing home page's; every shipped data file named in the
# copyright file), then yumo started from an empty folder on private X, sound and session-bus
# servers, reached only the way the desktop reaches it:
#   - it finds its data in PREFIX/share/yumo (the media player can start a night) and writes
#     nothing there nor into the folder it was started from;
#   - a second start raises the first and ends; one window stays;
#   - the media-player interface (MPRIS) starts and ends a night; the sound stream carries
#     the name "Yumo", its icon and the role "music";
#   - quitting over the bus ends it with status 0 and its settings are in ~/.config/yumo/;
#   - --lang en shows the window in English.
# Screenshots go to BUILD/install-check/ (yumo-ja.png and yumo-en.png are the AppStream ones).
#
#   tests/install/check_install.sh [BUILD]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
out="$build/install-check"
source "$here/../e2e/servers.sh"
e2e_require Xvfb xdotool pulseaudio pactl dbus-daemon dbus-send import desktop-file-validate \
    appstreamcli
mkdir -p "$out"
rm -f "$out"/*.png

prefix="$E2E_WORK/prefix"
cmake --install "$build" --prefix "$prefix" >"$out/install.log" || e2e_fail "cmake --install failed"
for file in bin/yumo bin/yumo-tool share/yumo/hrtf/head01.bir share/yumo/ymv/Yumone.ymv \
    share/yumo/ymv/Yumone.ymi share/yumo/img/Anime.txt \
    share/applications/org.yumo.Yumo.desktop share/metainfo/org.yumo.yumo.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.yumo.Yumo.svg \
    share/icons/hicolor/48x48/apps/org.yumo.Yumo.png share/icons/hicolor/256x256/apps/org.yumo.Yumo.png \
    share/man/man1/yumo.1.gz share/man/man1/yumo-tool.1.gz share/doc/yumo/copyright; do
    [ -s "$prefix/$file" ] || e2e_fail "the install lacks $file"
done
[ ! -e "$prefix/share/yumo/img/Image.txt" ] || e2e_fail "the picture lists were installed"
[ -z "$(find "$prefix/share/yumo" -type f -perm /222)" ] || e2e_fail "shipped data is writable"
desktop-file-validate "$prefix/share/applications/org.yumo.Yumo.desktop"
source "$here/../scripts/appstream_remarks.sh"
metainfo="$prefix/share/metainfo/org.yumo.yumo.metainfo.xml"
remarks="$(appstream_remarks validate-tree "$prefix" "$metainfo")" ||
    e2e_fail "appstreamcli has remarks on the installed metainfo: $remarks"

# Every shipped data file has a Files paragraph of its own in the copyright file, which names
# it as the build makes it (data/...).
copyright="$prefix/share/doc/yumo/copyright"
readonly DEP5_FORMAT="https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
[ "$(head -n 1 "$copyright")" = "Format: $DEP5_FORMAT" ] ||
    e2e_fail "the copyright file is not in Debian's format"
# The patterns of every Files field (continued on indented lines) but the catch-all "*".
mapfile -t patterns < <(awk '/^Files:/ { sub(/^Files:/, ""); on = 1; print; next }
    /^[^ \t]/ { on = 0 } on' "$copyright" | tr -s ' \t' '\n\n' | grep -v '^$' | grep -vx '\*')
while read -r shipped; do
    named="data/${shipped#"$prefix/share/yumo/"}"
    found=no
    for pattern in "${patterns[@]}"; do
        # shellcheck disable=SC2053 # the copyright format's patterns are globs
        if [[ $named == $pattern ]]; then found=yes && break; fi
    done
    [ "$found" = yes ] || e2e_fail "the copyright file does not name the shipped $named"
done < <(find "$prefix/share/yumo" -type f)
find "$prefix/share/yumo" -type f -printf '%p %s %T@\n' | sort >"$E2E_WORK/shipped.before"

empty="$E2E_WORK/empty"
mkdir "$empty"
cd "$empty"
"$prefix/bin/yumo" --help | grep -q -- '--lang' || e2e_fail "yumo --help does not work without a display"
"$prefix/bin/yumo-tool" night --voice "$prefix/share/yumo/ymv/Yumone.ymv" --start 23:00 \
    --minutes 0.05 --out "$E2E_WORK/night.wav" || e2e_fail "yumo-tool night did not find its data"

export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
e2e_start_display
e2e_start_sound_server
e2e_start_session_bus

can_play() { [ "$(e2e_property org.mpris.MediaPlayer2.Player CanPlay)" = "boolean true" ]; }
status_is() { [ "$(e2e_property org.mpris.MediaPlayer2.Player PlaybackStatus)" = "$1" ]; }
start_yumo() {
    "$prefix/bin/yumo" "$@" >>"$out/yumo.log" 2>&1 &
    yumo=$!
    E2E_PIDS+=("$yumo")
    e2e_wait_for 20 can_play || e2e_fail "yumo did not load its default voice: $(cat "$out/yumo.log")"
    window="$(xdotool search --sync --onlyvisible --name '^Yumo$' | head -n 1)"
}
quit_yumo() {
    e2e_player org.mpris.MediaPlayer2.Quit
    local status=0
    timeout 10 tail --pid="$yumo" -f /dev/null || e2e_fail "yumo did not end when asked to quit"
    wait "$yumo" || status=$?
    [ "$status" -eq 0 ] || e2e_fail "yumo ended with status $status: $(cat "$out/yumo.log")"
}

: >"$out/yumo.log"
start_yumo
[ "$(e2e_property org.mpris.MediaPlayer2 Identity)" = "Yumo" ] || e2e_fail "MPRIS identity"
sleep 1
import -window "$window" "$out/yumo-ja.png"

# A second start raises the first and ends.
timeout 20 "$prefix/bin/yumo" >>"$out/yumo.log" 2>&1 || e2e_fail "the second start failed"
kill -0 "$yumo" || e2e_fail "the first yumo ended when a second was started"
[ "$(xdotool search --onlyvisible --name '^Yumo$' | wc -l)" -eq 1 ] || e2e_fail "two windows"

e2e_player org.mpris.MediaPlayer2.Player.Play
e2e_wait_for 5 status_is Playing || e2e_fail "Play did not start a night"
e2e_wait_for 5 eval 'pactl list sink-inputs | grep -q "application.name = \"Yumo\""' ||
    e2e_fail "the stream is not named Yumo: $(pactl list sink-inputs)"
pactl list sink-inputs >"$out/sink-inputs.txt"
grep -q 'media.role = "music"' "$out/sink-inputs.txt" || e2e_fail "the stream's role is not music"
grep -q 'application.icon_name = "org.yumo.Yumo"' "$out/sink-inputs.txt" ||
    e2e_fail "the stream has no icon name"
sleep 2
import -window "$window" "$out/night-ja.png"
e2e_player org.mpris.MediaPlayer2.Player.Stop
e2e_wait_for 5 status_is Stopped || e2e_fail "Stop did not end the night"
quit_yumo
[ -s "$HOME/.config/yumo/yumo.conf" ] || e2e_fail "no settings in ~/.config/yumo"
grep -q '^language=ja' "$HOME/.config/yumo/yumo.conf" || e2e_fail "the language was not kept"

start_yumo --lang en
e2e_player org.mpris.MediaPlayer2.Player.Play
e2e_wait_for 5 status_is Playing || e2e_fail "Play did not start a night in English"
sleep 2
import -window "$window" "$out/yumo-en.png"
# The title is the status pane's activity, in English now.
e2e_property org.mpris.MediaPlayer2.Player Metadata >"$out/metadata-en.txt"
grep -q 'xesam:title.*…' "$out/metadata-en.txt" || e2e_fail "no activity title: $(cat "$out/metadata-en.txt")"
quit_yumo
grep -q '^language=ja' "$HOME/.config/yumo/yumo.conf" || e2e_fail "--lang en was remembered"

find "$prefix/share/yumo" -type f -printf '%p %s %T@\n' | sort >"$E2E_WORK/shipped.after"
cmp -s "$E2E_WORK/shipped.before" "$E2E_WORK/shipped.after" || e2e_fail "yumo changed its shipped data"
[ -z "$(ls -A "$empty")" ] || e2e_fail "yumo wrote into the folder it was started from"
echo "install check: passed; screenshots in $out"
