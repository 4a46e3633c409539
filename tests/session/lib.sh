# Shared by the session tests, sourced once they have set wine and bin: drive the running Vorsel
# from outside, fail with a word, and end what the test started. A test puts the processes it
# starts in pids; vorsel is the program's own, while it runs.
probe() { timeout 20 "$wine" "$bin/VorselProbe.exe" "$@" 2>/dev/null | tr -d '\r'; }
fail() { echo "FAILED: $*" >&2; exit 1; }
work=$(mktemp -d)
pids=()
vorsel=""
# The programs the test starts get a temporary folder of its own, so that a take one test leaves
# never surprises another. Wine takes it from the prefix's registry, not from the environment.
set_temp() {
    local v
    for v in TEMP TMP; do "$wine" reg add 'HKCU\Environment' /v $v /d "$1" /f </dev/null >/dev/null 2>&1 || true; done
}
session_temp=$("$wine" cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
mkdir "$work/temp"
set_temp "Z:${work//\//\\}\\temp"
finish() {
    local p
    for p in "${pids[@]}" $vorsel; do kill "$p" 2>/dev/null || true; done
    [ -n "$session_temp" ] && set_temp "$session_temp"
    rm -rf "$work"
}
trap finish EXIT
