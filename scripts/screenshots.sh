#!/usr/bin/env bash
# Takes the README's pictures of the main window and the About box under Xvfb, and of the
# level meter while a take records a tone, a tone loud enough to clip, and silence.
# Wine draws the window frames itself here (no window manager runs), in a prefix of its own.
set -euo pipefail
. "$(dirname "$0")/../bench/lib.sh"
export WINEPREFIX=$HOME/.cache/vorsel/screenshot-prefix
out=${1:-$VORSEL_ROOT/docs}
mkdir -p "$out"

bench_build
work=$(mktemp -d /tmp/vorsel-shots.XXXXXX)
trap 'stop_vorsel 2>/dev/null; stop_session; rm -rf "$work"' EXIT
start_session
start_vorsel
sleep 1
shoot() {   # shoot WINDOW-NAME FILE
    local id
    id=$(xdotool search --onlyvisible --name "^$1\$" | head -1)
    import -window "$id" "$2"
    convert "$2" -strip -define png:compression-level=9 "$2"
    echo "wrote $2 ($(identify -format '%wx%h' "$2"))"
}
shoot Vorsel "$out/main-window.png"
meter_shot() {   # meter_shot FILE [sox effects making the tone; none: the session's silence]
    local file=$1 tone=""
    shift
    if [ $# -gt 0 ]; then
        sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 20 sine 440 "$@" 2>/dev/null
        paplay "$work/tone.wav" &
        tone=$!
        sleep 1
    fi
    probe post 32774   # Record; the last shot's take is given up when the window asks
    probe box 1500 6 >/dev/null || true
    sleep 3
    shoot Vorsel "$file"
    [ -z "$tone" ] || kill "$tone"
    probe command 32775   # Stop
}
meter_shot "$out/meter-tone.png" vol 0.5 remix 1 1v0.5   # -6 dBFS left, -12 right
meter_shot "$out/meter-clipped.png" vol 2
meter_shot "$out/meter-silence.png"
probe post 32773   # About
sleep 2
shoot "About Vorsel" "$out/about-box.png"
xdotool key --window "$(xdotool search --onlyvisible --name '^About Vorsel$' | head -1)" Escape || true
sleep 1
stop_vorsel

# A take that an earlier Vorsel left, of 12 min 34 s, its sizes never written: offered at the
# next start, and No asks again before it deletes.
temp=$("$WINE_LOADER" winepath -u "$("$WINE_LOADER" cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')" 2>/dev/null)
take="$temp/Vorsel take 2026-12-08 14-03-21.wav"
sox -n -r 44100 -c 2 -b 16 "$take" synth 754.3 sine 440 vol 0.3
printf '\x24\0\0\0' | dd of="$take" bs=1 seek=4 conv=notrunc 2>/dev/null
printf '\0\0\0\0' | dd of="$take" bs=1 seek=40 conv=notrunc 2>/dev/null
"$WINE_LOADER" "$VORSEL_EXE" >/dev/null 2>&1 &
for _ in $(seq 100); do [ "$(xdotool search --onlyvisible --name '^Vorsel$' | wc -l)" -ge 2 ] && break; sleep 0.2; done
VORSEL_PID=$(session_pid Vorsel.exe)
sleep 1
# A box over the main window is a window of its own: the screen's pixels, in the main window.
shoot_with_box() {   # shoot_with_box FILE
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --name '^Vorsel$' | head -1)")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"
    convert "$1" -strip -define png:compression-level=9 "$1"
    echo "wrote $1 ($(identify -format '%wx%h' "$1"))"
}
shoot_with_box "$out/leftover-question.png"
xdotool key n   # to the box, which has the focus
sleep 2
shoot_with_box "$out/leftover-delete.png"
xdotool key n   # to the box, which has the focus
rm -f "$take"
