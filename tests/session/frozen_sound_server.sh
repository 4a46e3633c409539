#!/usr/bin/env bash
# A sound server that stops answering, without going away, must neither hang the window nor
# hide the failure: playback and a take each end in a warning box within seconds, while the
# server is still frozen, and what was recorded until then can be saved. A Stop or Pause
# pressed while the server is frozen holds the window a few seconds at most; a Record never
# holds it, and says within seconds that the driver is not ready. A server frozen before start-up does not
# keep the window from showing, and a Record then says the driver is not ready too.
# Usage: frozen_sound_server.sh WINE BIN_DIR. Runs inside the test session and freezes its
# sound server (VORSEL_PULSE_PID), which it always thaws again.
set -euo pipefail
wine=$1
bin=$2
[ -n "${VORSEL_PULSE_PID:-}" ] || { echo "no sound server of a test session to freeze" >&2; exit 1; }

. "$(dirname "$0")/lib.sh"
trap 'kill -CONT "$VORSEL_PULSE_PID" 2>/dev/null || true; finish' EXIT   # the server is always thawed

freeze_and_expect_box() {   # freeze_and_expect_box TEXT [COMMAND posted once frozen]
    kill -STOP "$VORSEL_PULSE_PID"
    [ -z "${2:-}" ] || probe post "$2"
    # The box can only be read from a window whose thread still answers.
    local box
    box=$(probe box 8000) || fail "no box within 8 s of the freeze, or the window hung"
    [[ "$box" == "$1"* ]] || fail "box says '$box', expected '$1...'"
    echo "frozen server: box '$box'"
    kill -CONT "$VORSEL_PULSE_PID"
    sleep 1
}

# Record with a take that holds sound and is unsaved asks first; Yes records anew.
record_anew() {
    probe post 32774
    local question
    question=$(probe box 3000 6) || fail "Record did not ask before it dropped the take"
    [[ "$question" == "The recording has not been saved."* ]] || fail "Record asked '$question'"
}

# Record while the server is frozen must say, within WAIT_MS, that the driver is not ready;
# then the server is thawed.
record_expect_not_ready() {   # record_expect_not_ready WAIT_MS WHEN [anew]
    if [ -n "${3:-}" ]; then record_anew; else probe post 32774; fi
    local box
    box=$(probe box "$1") || fail "no box within $1 ms of Record $2"
    [[ "$box" == "The device driver is not ready."* ]] || fail "Record $2: box '$box'"
    echo "Record $2: box '$box'"
    while box=$(probe box 1000); do echo "then: $box"; done
    kill -CONT "$VORSEL_PULSE_PID"
}

kill -STOP "$VORSEL_PULSE_PID"                        # start while the server is frozen
"$wine" "$bin/Vorsel.exe" >/dev/null 2>&1 &
vorsel=$!
for _ in $(seq 100); do probe position >/dev/null && break; sleep 0.2; done
probe position >/dev/null || fail "Vorsel did not show its window while the server was frozen"
record_expect_not_ready 12000 "after a start under a frozen server"
sleep 4   # the priming ends once the server answers again

probe command 32774; sleep 6; probe command 32775   # record a take long enough to play
probe command 32776; sleep 1                         # play it
freeze_and_expect_box "Playback stopped: the sound output failed"
probe command 32776; sleep 1                         # play it again, and pause it when frozen
freeze_and_expect_box "Playback stopped: the sound output failed" 32777

record_anew; sleep 2                                  # a new take
freeze_and_expect_box "The recording stopped: the sound input or the disk failed."
record_anew; sleep 2                                  # a take paused when frozen
freeze_and_expect_box "The recording stopped: the sound input or the disk failed." 32777
length=$(probe length)
[ -n "$length" ] && [ "$length" != "00:00:00" ] || fail "the take was lost: length '$length'"

target=$work/kept.wav
probe settext "Z:${target//\//\\}"
probe save >/dev/null || fail "no box after saving"
size=$(stat -c %s "$target" 2>/dev/null || echo 0)
# At 44.1 kHz stereo 16 bits, one second is 176,400 bytes; the take ran for about two, and
# at least one and a half of them must be kept.
[ "$size" -gt 264644 ] || fail "the saved take has $size bytes"
echo "take of $length kept and saved: $size bytes"

probe command 32774; sleep 2                          # a take stopped while the server is frozen
kill -STOP "$VORSEL_PULSE_PID"
probe post 32775
sleep 0.5
# The stop waits for the frozen driver a few seconds at most, then the window answers again.
length=$(timeout 6 "$wine" "$bin/VorselProbe.exe" length 2>/dev/null | tr -d '\r') ||
    fail "the window hung after Stop while the server was frozen"
[ -n "$length" ] && [ "$length" != "00:00:00" ] || fail "the stopped take was lost: length '$length'"
# Answering a sent message proves little (a thread waiting in SendMessage answers them too);
# opening the About box from a posted command shows the window's own loop runs.
probe post 32773
box=$(probe box 6000) || fail "the window took no command after Stop while the server was frozen"
[ "$box" = "About Vorsel" ] || fail "not the About box after Stop under a frozen server: '$box'"
echo "stopped under a frozen server: take of $length kept, window takes commands"
kill -CONT "$VORSEL_PULSE_PID"
sleep 1

kill -STOP "$VORSEL_PULSE_PID"
record_expect_not_ready 9000 "under a frozen server" anew
sleep 1
probe command 32772   # Exit
rc=0
wait "$vorsel" || rc=$?
vorsel=""
[ "$rc" -eq 0 ] || fail "Vorsel exited with $rc after the server came back"
