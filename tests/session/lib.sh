# Shared by the session tests, sourced once they have set wine and bin: drive the running Vorsel
# from outside, fail with a word, and end what the test started. A test puts the processes it
# starts in pids; vorsel is the program's own, while it runs.
probe() { timeout 20 "$wine" "$bin/VorselProbe.exe" "$@" 2>/dev/null | tr -d '\r'; }
fail() { echo "FAILED: $*" >&2; exit 1; }
work=$(mktemp -d)
pids=()
vorsel=""
finish() {
    local p
    for p in "${pids[@]}" $vorsel; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
