#!/usr/bin/env bash
# Vorsel opens the sound input when Record is pressed and at no other time: the sound server
# shows no capture stream from launch to Record, while a file plays, or after Stop.
# Usage: capture_streams.sh WINE BIN_DIR [VORSEL_EXE]. Runs inside the test session (it watches
# that session's sound server) and prints, for each phase, how many of its polls saw one.
set -euo pipefail
wine=$1
bin=$2
exe=${3:-$bin/Vorsel.exe}

. "$(dirname "$0")/lib.sh"

# Capture streams that run. When Wine's audio driver starts it probes the server with streams
# it creates corked and removes within milliseconds; they never capture, and are not counted.
capturing() { pactl list source-outputs 2>/dev/null | grep -c 'Corked: no' || true; }
# Each poll is stamped with the moment it began.
( while :; do t=$(date +%s%N); echo "$t $(capturing)"; sleep 0.05; done ) >"$work/polls" &
pids+=($!)
mark() { echo "$(date +%s%N) $1" >>"$work/marks"; }
# A phase runs from after its command has been handled (the probe sends it and waits) to before
# the next is sent; the moments between belong to no phase.
phase() { mark "$1"; sleep "$2"; mark -; }

mark launch
"$wine" "$exe" >/dev/null 2>&1 &
vorsel=$!
for _ in $(seq 100); do probe position >/dev/null && break; sleep 0.2; done
probe position >/dev/null || fail "Vorsel showed no window"
phase idle 3
probe command 32776; phase play 1   # the start-up file
probe command 32774; phase record 2.5
probe command 32775; phase stopped 1.5
probe command 32776; phase play-take 2
probe command 32775; phase stopped-again 1
probe settext "Z:${work//\//\\}\\take.wav"
probe save >/dev/null || true   # saved: Exit then asks nothing
probe post 32772

# Each phase's polls: those taken between its mark and the next.
report=$(awk 'NR == FNR { t[NR] = $1; name[NR] = $2; n = NR; next }
              { for (i = 1; i < n; ++i) if ($1 >= t[i] && $1 < t[i + 1]) { polls[i]++; if ($2 > 0) seen[i]++ } }
              END { for (i = 1; i < n; ++i) if (name[i] != "-") printf "%s %d %d\n", name[i], seen[i] + 0, polls[i] + 0 }' \
         "$work/marks" "$work/polls")
echo "$report" | awk '{ printf "%-14s %d of %d polls saw a capture stream\n", $1, $2, $3 }'
while read -r phase seen polls; do
    [ "$polls" -gt 0 ] || fail "no polls in phase $phase"
    if [ "$phase" = record ]; then
        [ "$seen" -gt 0 ] || fail "no capture stream while recording: the check sees nothing"
    else
        [ "$seen" -eq 0 ] || fail "a capture stream in phase $phase ($seen of $polls polls)"
    fi
done <<<"$report"
