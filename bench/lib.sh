# Shared by the benchmark scripts: session, build, and ways to drive Vorsel from the shell.
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

BIN=$VORSEL_RUN_BUILD/bin
# The program measured; another build's may be named, to measure it against the same baselines.
VORSEL_EXE=${VORSEL_EXE:-$BIN/Vorsel.exe}

bench_build() {
    ensure_packages
    local arch=i686
    [ "$VORSEL_RUN_BUILD" = "$VORSEL_BUILD64" ] && arch=x86_64
    build_cross "$VORSEL_RUN_BUILD" "$arch" --target Vorsel --target VorselProbe \
        --target BaselineDialog --target TemplateDialog --target PositionBench >/dev/null
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }
probe() { "$WINE_LOADER" "$BIN/VorselProbe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# The process of a program running in this session's prefix: other sessions may run it too.
session_pid() {
    local p
    for p in $(pgrep -x "$1"); do
        if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$p"
            return
        fi
    done
}

# Starts Vorsel and waits for its window.
VORSEL_PID=""
start_vorsel() {
    # A take that a Vorsel killed by the bench left would be offered at this start.
    rm -f "$WINEPREFIX"/drive_c/users/*/Temp/"Vorsel take "*.wav
    "$WINE_LOADER" "$VORSEL_EXE" >/dev/null 2>&1 &
    local i
    for i in $(seq 100); do
        probe position >/dev/null && break
        sleep 0.2
    done
    VORSEL_PID=$(session_pid Vorsel.exe)
}

stop_vorsel() {
    probe post 32772 || true   # Exit; an unsaved take's question is left to the kill below
    sleep 1
    [ -n "$VORSEL_PID" ] && kill "$VORSEL_PID" 2>/dev/null || true
    VORSEL_PID=""
}

# CPU time (user + system) of a process, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Two busy loops, one per core of the machine, for the "loaded machine" figures.
LOAD_PIDS=()
start_load() {
    local i
    for i in 1 2; do (while :; do :; done) & LOAD_PIDS+=($!); done
}
stop_load() {
    local p
    for p in "${LOAD_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    LOAD_PIDS=()
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
