#!/usr/bin/env bash
# A long take: records a steady sine for MINUTES (default 30) through the session's sink, and
# reports the program's memory at 1 minute, at 20 minutes (or the end) and at the end, the
# time to save the take, and the saved take's length and discontinuities, against parecord
# recording the same source over the same time.
# Usage: bench/soak.sh [minutes]
set -euo pipefail
. "$(dirname "$0")/lib.sh"
MINUTES=${1:-30}
HZ=997

bench_build
work=$(mktemp -d /tmp/vorsel-soak.XXXXXX)
TONE_PID=""
REC_PID=""
trap '[ -n "$TONE_PID" ] && kill "$TONE_PID" 2>/dev/null; [ -n "$REC_PID" ] && kill "$REC_PID" 2>/dev/null; stop_vorsel 2>/dev/null; stop_session; rm -rf "$work"' EXIT
start_session
echo "machine: $(nproc) cores, $(uname -r), $("$WINE_LOADER" --version), build $(basename "$VORSEL_RUN_BUILD")"

# The sine runs from before the take starts until after it ends, so the whole take holds it.
seconds=$((MINUTES * 60 + 30))
sox -n -t raw -r 44100 -c 2 -b 16 -e signed - synth "$seconds" sine "$HZ" vol 0.25 |
    pacat --playback -d vsink --latency-msec=20 --rate=44100 --channels=2 --format=s16le &
TONE_PID=$!
start_vorsel
sleep 2
parecord -d vsink.monitor --latency-msec=20 --rate=44100 --channels=2 --format=s16le \
    --file-format=wav "$work/parecord.wav" &
REC_PID=$!
start=$(date +%s%N)
probe command 32774   # Record
# Resident memory of the program's process, as the system counts it.
memory_at() { awk '/^VmRSS/ { print $2 }' "/proc/$VORSEL_PID/status" 2>/dev/null || echo "(process gone)"; }
sleep 60
m1=$(memory_at)
mid=$((MINUTES < 20 ? MINUTES : 20))
[ "$mid" -gt 1 ] && sleep $(((mid - 1) * 60))
m20=$(memory_at)
[ "$MINUTES" -gt "$mid" ] && sleep $(((MINUTES - mid) * 60))
mend=$(memory_at)
probe command 32775   # Stop
stop=$(date +%s%N)
sleep 1
kill -INT "$REC_PID"; wait "$REC_PID" 2>/dev/null || true
REC_PID=""
kill "$TONE_PID" 2>/dev/null || true
TONE_PID=""
wall=$(awk -v a="$start" -v b="$stop" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
echo "memory (resident KiB): at 1 min $m1, at $mid min $m20, at $MINUTES min $mend (goal: flat)"

probe settext "$(winpath "$work/soak.wav")"
read -r save_ms _ save_text < <(probe save)
echo "save: $save_ms ms, $(stat -c %s "$work/soak.wav") bytes; box: $save_text"
stop_vorsel
leftover=$(find "$WINEPREFIX/drive_c" \( -name 'vsv*.tmp' -o -name 'Vorsel take *.wav' \) 2>/dev/null | wc -l)

read -r secs breaks < <(python3 "$(dirname "$0")/analyse.py" "$work/soak.wav" "$HZ")
read -r psecs pbreaks < <(python3 "$(dirname "$0")/analyse.py" "$work/parecord.wav" "$HZ")
echo "take: $secs s of signal for $wall s between Record and Stop (commands sent from outside, about 0.2 s each); $breaks discontinuities (goal 0)"
echo "parecord over the same source and time: $psecs s, $pbreaks discontinuities"
echo "temporary files left after exit: $leftover"
