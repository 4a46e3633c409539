# Shared by run.sh, test.sh and the bench scripts: packages, Wine prefix, build, test session.
# Source it; it defines functions and the variables below and changes nothing by itself.

VORSEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORSEL_BUILD=${VORSEL_BUILD:-$VORSEL_ROOT/build}          # the 32-bit program
VORSEL_BUILD64=${VORSEL_BUILD64:-$VORSEL_ROOT/build64}      # the same sources, 64-bit
VORSEL_NATIVE_BUILD=${VORSEL_NATIVE_BUILD:-$VORSEL_ROOT/build-native}
export WINEPREFIX=${WINEPREFIX:-$HOME/.cache/vorsel/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# fonts-liberation: Wine lays out the dialogs in the fonts it stands in for theirs; with only
# its own, labels are cut and the layout is a pixel off.
VORSEL_PACKAGES="g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake make googletest python3 wine wine32:i386 wine64
  libpulse0:i386 libasound2-plugins:i386 libpulse0:amd64 libasound2-plugins:amd64 pulseaudio pulseaudio-utils xvfb x11-utils
  fonts-liberation imagemagick xdotool sox"

# Wine turns Windows file names into Linux ones in the locale's character set: without a UTF-8
# locale (a minimal install has none set) a name with accented letters cannot be written.
case "$(locale charmap 2>/dev/null)" in
    UTF-8) ;;
    *) export LC_ALL=C.UTF-8 ;;
esac

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
    local missing=()
    for p in $VORSEL_PACKAGES; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

ensure_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE_LOADER" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
}

# Wine runs 32-bit programs only where the kernel runs 32-bit Linux programs (its loader is
# one). Where it cannot, the tests run on a 64-bit build of the very same sources.
can_run_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The build whose programs this machine can run, and the Wine loader that runs them.
if can_run_32bit; then
    VORSEL_RUN_BUILD=$VORSEL_BUILD
    WINE_LOADER=wine
else
    VORSEL_RUN_BUILD=$VORSEL_BUILD64
    WINE_LOADER=/usr/lib/wine/wine64
fi

build_cross() {   # build_cross DIR ARCH [cmake --build args...]
    local dir=$1 arch=$2
    shift 2
    log "building for Windows ($arch) in $dir"
    cmake -S "$VORSEL_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$VORSEL_ROOT/cmake/mingw-$arch.cmake" >/dev/null
    cmake --build "$dir" -j"$(nproc)" "$@"
}

build_native() {
    log "building the portable parts natively (sanitizers) in $VORSEL_NATIVE_BUILD"
    cmake -S "$VORSEL_ROOT" -B "$VORSEL_NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$VORSEL_NATIVE_BUILD" -j"$(nproc)"
}

# A private Xvfb + PulseAudio (null sink) + wineserver session; stop_session ends exactly these.
SESSION_PIDS=()
start_session() {
    export XDG_RUNTIME_DIR=$(mktemp -d /tmp/vorsel-session.XXXXXX)
    chmod 700 "$XDG_RUNTIME_DIR"
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    export DISPLAY=:$display
    # A desktop session loads X resources. Without any, Xlib looks for its resource files again
    # at every font that Wine selects, hundreds of times a second while a meter moves.
    printf '! none of our own\n' >"$XDG_RUNTIME_DIR/Xresources"
    export XENVIRONMENT=$XDG_RUNTIME_DIR/Xresources
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$XDG_RUNTIME_DIR/xvfb.log" 2>&1 &
    SESSION_PIDS+=($!)
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --system=no --high-priority=yes \
        --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=vsink" --load=module-always-sink \
        >"$XDG_RUNTIME_DIR/pulse.log" 2>&1 &
    SESSION_PIDS+=($!)
    export VORSEL_PULSE_PID=$!   # a test freezes it to play a hung sound server
    local i
    for i in $(seq 50); do
        xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && pactl info >/dev/null 2>&1 && break
        sleep 0.2
    done
    pactl set-default-source vsink.monitor >/dev/null 2>&1 || true
    # A real input always delivers, if only noise; the null sink's monitor delivers only while
    # something plays. Silence played all session long makes it behave like a microphone.
    pacat --playback -d vsink --rate=8000 --channels=1 --format=s16le --latency-msec=100 \
        </dev/zero >/dev/null 2>&1 &
    SESSION_PIDS+=($!)
    export VORSEL_SILENCE_PID=$!   # a benchmark stops it to record from a monitor alone
    # Each session runs in its own copy of the prefix: a wineserver is per prefix, and ending
    # ours must not end another session's programs.
    ensure_prefix
    VORSEL_PREFIX_TEMPLATE=$WINEPREFIX
    cp -a "$WINEPREFIX" "$XDG_RUNTIME_DIR/wineprefix"
    export WINEPREFIX=$XDG_RUNTIME_DIR/wineprefix
    wineserver -p
    # No window manager runs on this display. Wine would still hand its windows to one, and
    # then wait 2 s, every time a window is hidden, for the manager to confirm it had shown
    # it: each window a test closes would cost those 2 s. So Wine places the windows itself.
    # This also starts Wine's own services now, holding no pipe of ours: started by a test,
    # they would inherit ctest's output pipe and keep it open, and ctest would wait forever.
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
    # Likewise the desktop process, which the first program with windows would start.
    "$WINE_LOADER" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
    log "session: DISPLAY=$DISPLAY, PulseAudio in $XDG_RUNTIME_DIR"
}

stop_session() {
    case "${WINEPREFIX:-}" in /tmp/vorsel-session.*) wineserver -k >/dev/null 2>&1 || true ;; esac
    local pid
    for pid in "${SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${SESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    SESSION_PIDS=()
    [ -n "${XDG_RUNTIME_DIR:-}" ] && case "$XDG_RUNTIME_DIR" in /tmp/vorsel-session.*) rm -rf "$XDG_RUNTIME_DIR" ;; esac
    # A next session copies the template again, not the copy just removed.
    [ -n "${VORSEL_PREFIX_TEMPLATE:-}" ] && export WINEPREFIX=$VORSEL_PREFIX_TEMPLATE
    return 0
}
