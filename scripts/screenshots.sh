#!/usr/bin/env bash
# Takes the README's pictures of the main window and the About box under Xvfb.
# Wine draws the window frames itself here (no window manager runs), in a prefix of its own.
set -euo pipefail
. "$(dirname "$0")/../bench/lib.sh"
export WINEPREFIX=$HOME/.cache/vorsel/screenshot-prefix
out=${1:-$VORSEL_ROOT/docs}
mkdir -p "$out"

bench_build
trap 'stop_vorsel 2>/dev/null; stop_session' EXIT
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
probe post 32773   # About
sleep 2
shoot "About Vorsel" "$out/about-box.png"
xdotool key --window "$(xdotool search --onlyvisible --name '^About Vorsel$' | head -1)" Escape || true
