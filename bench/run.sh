#!/usr/bin/env bash
# Runs the benchmarks in one session and prints each figure as a ratio against a baseline
# measured in the same run. Usage: bench/run.sh [fidelity seconds, default 60]
# VORSEL_BENCH_PARTS picks figures (default: atonce startup capture cpu lag save savetake position longopen);
# VORSEL_EXE measures another build's Vorsel.exe against the same baselines.
# VORSEL_BENCH_CPU_ROUNDS sets how many rounds the CPU figures take (default 3).
set -euo pipefail
. "$(dirname "$0")/lib.sh"
FIDELITY_SECONDS=${1:-60}
ms_since() { awk -v a="$1" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
settle() { sync; sleep 1; }
PARTS=" ${VORSEL_BENCH_PARTS:-atonce startup capture cpu lag save savetake position longopen} "
part() { [[ "$PARTS" == *" $1 "* ]]; }

bench_build
work=$(mktemp -d /tmp/vorsel-bench.XXXXXX)
trap 'stop_load; stop_vorsel 2>/dev/null; stop_session; rm -rf "$work"' EXIT
start_session
echo "machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -r), $("$WINE_LOADER" --version), build $(basename "$VORSEL_RUN_BUILD"), program $VORSEL_EXE"

# 0. Record at once: Record posted 100 ms after the window shows, Stop 3 s later, five launches.
#    First from a monitor that delivers only while sound flows (the session's first capture:
#    nothing has recorded in it yet), with a tone playing; then, in a new session, with its
#    silence source, a microphone that always delivers. Against each run's press-to-Stop time.
atonce_runs() {   # atonce_runs LABEL
    local i worst length held stop errs=() worsts=()
    for i in 1 2 3 4 5; do
        read -r worst length held stop < <(probe atonce "$(winpath "$VORSEL_EXE")" "$(winpath "$work/atonce.wav")" 100 3000)
        worsts+=("$worst")
        errs+=("$(awk -v l="$length" -v h="$held" 'BEGIN { printf "%+.0f", l - h }')")
    done
    echo "record at once, $1: worst answer ${worsts[*]} ms; take minus press-to-Stop ${errs[*]} ms (goal: answer <= 100 ms, take within 100 ms)"
}
if part atonce; then
    kill "$VORSEL_SILENCE_PID"
    sox -n -r 44100 -c 2 -b 16 "$work/voice.wav" synth 60 sine 440 vol 0.25
    paplay --latency-msec=20 "$work/voice.wav" &
    voice=$!
    sleep 1
    atonce_runs "a monitor source (tone playing; run 1 is the session's first capture)"
    kill "$voice"; wait "$voice" 2>/dev/null || true
    # A new session, with its silence source running from the start, as the tests have it.
    stop_session
    start_session
    atonce_runs "the silence source (a microphone that always delivers)"
fi

# 1. Start-up: launch to visible main window, against a bare Win32 dialog launched the same way.
#    Vorsel's template shown with nothing behind it is launched in the same rounds: the part of
#    the figure that is the window as laid out, not the program's own work.
if part startup; then
read -r v b t < <(probe startup 15 "$(winpath "$VORSEL_EXE")" Vorsel \
    "$(winpath "$BIN/BaselineDialog.exe")" Baseline "$(winpath "$BIN/TemplateDialog.exe")" Vorsel)
echo "startup: Vorsel $v ms, bare dialog $b ms (medians of 15, launched in turn), ratio $(ratio "$v" "$b")"
echo "startup floor: Vorsel's template alone $t ms, ratio $(ratio "$t" "$b") to the bare dialog; Vorsel $(ratio "$v" "$t") x its template (goal <= 1.1)"
fi

# 2. Capture fidelity under a 2-core load, against parecord recording the same source at the
#    same time: a glitch of the source (the player losing the processor) shows in both.
if part capture; then
sox -n -r 44100 -c 2 -b 16 "$work/signal.wav" synth "$FIDELITY_SECONDS" sine 997 vol 0.25
start_load
start_vorsel
parecord -d vsink.monitor --latency-msec=20 --rate=44100 --channels=2 --format=s16le \
    --file-format=wav "$work/parecord.wav" &
rec=$!
probe command 32774   # Record
sleep 1
paplay --latency-msec=20 "$work/signal.wav"
sleep 1
probe command 32775   # Stop
kill -INT "$rec"; wait "$rec" 2>/dev/null || true
probe settext "$(winpath "$work/vorsel.wav")"
probe save >/dev/null
stop_vorsel
stop_load
read -r vs vd < <(python3 "$(dirname "$0")/analyse.py" "$work/vorsel.wav" 997)
read -r ps pd < <(python3 "$(dirname "$0")/analyse.py" "$work/parecord.wav" 997)
verr=$(awk -v s="$vs" -v t="$FIDELITY_SECONDS" 'BEGIN { printf "%.1f", (s - t) * 1000 }')
perr=$(awk -v s="$ps" -v t="$FIDELITY_SECONDS" 'BEGIN { printf "%.1f", (s - t) * 1000 }')
echo "capture (${FIDELITY_SECONDS} s, 2-core load): Vorsel $vd discontinuities, length error $verr ms; parecord on the same source at the same time $pd discontinuities, length error $perr ms (goal: as many as parecord, within 25 ms)"
fi

# 3. CPU while recording and while playing, against a bare waveIn / waveOut loop under the same
#    Wine (the floor) and against parecord and paplay doing the same. Each is measured over its
#    steady state, from 1 s after it starts, in rounds that alternate Vorsel and the loops: the
#    loops' own cost swings by a third from one process to the next, so the medians are told.
#    The level meter runs whenever Vorsel records or plays; a tone into the sink while the take
#    records (and so in the take that then plays) keeps its bars moving and repainting.
if part cpu; then
ROUNDS=${VORSEL_BENCH_CPU_ROUNDS:-3}
sox -n -r 44100 -c 2 -b 16 "$work/twenty.wav" synth 20 sine 440 vol 0.25
sox -n -r 44100 -c 2 -b 16 "$work/varying.wav" synth 600 sine 440 vol 0.25 tremolo 3 90
paplay "$work/varying.wav" &
varying=$!
# The window's thread is the process's first: its share is the window's drawing and timers.
window_ticks() { awk '{ print $14 + $15 }' "/proc/$1/task/$1/stat"; }
vorsel_cpu() {   # vorsel_cpu COMMAND SECONDS -> "ticks window-thread-ticks" over the middle SECONDS
    local t0 w0
    probe command "$1" >/dev/null; sleep 1
    t0=$(cpu_ticks "$VORSEL_PID"); w0=$(window_ticks "$VORSEL_PID"); sleep "$2"
    echo "$(($(cpu_ticks "$VORSEL_PID") - t0)) $(($(window_ticks "$VORSEL_PID") - w0))"
}
bare_cpu() {   # bare_cpu record|play SECONDS -> clock ticks over the middle SECONDS
    "$WINE_LOADER" "$BIN/VorselProbe.exe" bare "$1" $(($2 + 2)) >/dev/null 2>&1 &
    local launcher=$! pid="" i t0 t1
    for i in $(seq 50); do pid=$(session_pid VorselProbe.exe); [ -n "$pid" ] && break; sleep 0.1; done
    sleep 1; t0=$(cpu_ticks "$pid"); sleep "$2"; t1=$(cpu_ticks "$pid")
    wait "$launcher" 2>/dev/null || true
    echo $((t1 - t0))
}
rrec=(); rplay=(); vrec=0; wrec=0; vplay=0; wplay=0; brec=0; bplay=0
for round in $(seq "$ROUNDS"); do
    start_vorsel
    read -r v w < <(vorsel_cpu 32774 10)   # Record
    mrec=$(probe meter)
    probe command 32775
    vrec=$((vrec + v)); wrec=$((wrec + w))
    b=$(bare_cpu record 10); brec=$((brec + b)); rrec+=("$(ratio "$v" "$b")")
    read -r v w < <(vorsel_cpu 32776 8)    # Play: the take is 11 s long
    mplay=$(probe meter)
    probe command 32775
    vplay=$((vplay + v)); wplay=$((wplay + w))
    stop_vorsel
    b=$(bare_cpu play 8); bplay=$((bplay + b)); rplay+=("$(ratio "$v" "$b")")
done
kill "$varying"; wait "$varying" 2>/dev/null || true
parecord -d vsink.monitor --rate=44100 --channels=2 --format=s16le --file-format=wav "$work/cpu.wav" &
rec=$!; sleep 1; t0=$(cpu_ticks "$rec"); sleep 10; t1=$(cpu_ticks "$rec"); kill -INT "$rec"; wait "$rec" 2>/dev/null || true
prec=$((t1 - t0))
paplay "$work/twenty.wav" &
play=$!; sleep 1; t0=$(cpu_ticks "$play"); sleep 8; t1=$(cpu_ticks "$play"); kill "$play"; wait "$play" 2>/dev/null || true
pplay=$((t1 - t0))
hz=$(getconf CLK_TCK)
pct() { awk -v t="$1" -v s="$2" -v hz="$hz" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
echo "cpu recording ($ROUNDS rounds of 10 s): Vorsel $(pct "$vrec" $((10 * ROUNDS))) % of a core, of which its window's thread $(pct "$wrec" $((10 * ROUNDS))) %; parecord $(pct "$prec" 10) %, ratio $(ratio "$((vrec / ROUNDS))" "$prec") (goal <= 2, under 2 %); a bare waveIn loop under the same Wine $(pct "$brec" $((10 * ROUNDS))) %, ratio to it by round ${rrec[*]}, median $(median "${rrec[@]}") (goal <= 1.1); the meter at the end (left right shown words): $mrec"
echo "cpu playing ($ROUNDS rounds of 8 s): Vorsel $(pct "$vplay" $((8 * ROUNDS))) % of a core, of which its window's thread $(pct "$wplay" $((8 * ROUNDS))) %; paplay $(pct "$pplay" 8) %, ratio $(ratio "$((vplay / ROUNDS))" "$pplay") (goal <= 2, under 2 %); a bare waveOut loop under the same Wine $(pct "$bplay" $((8 * ROUNDS))) %, ratio to it by round ${rplay[*]}, median $(median "${rplay[@]}") (goal <= 1.1); the meter at the end: $mplay"
fi

# 3b. Meter lag: while a take records the session's silence, a tone starts at the output, 20
#     times; from each start to Vorsel's meter showing it, against a bare waveIn loop in the
#     probe seeing the same step through the same sink. The difference is the meter's own lag.
if part lag; then
start_vorsel
probe command 32774   # Record
sleep 1
read -r mlag blag dlag < <(probe lag 20)
probe command 32775
stop_vorsel
echo "meter lag (silence to a tone at the input, medians of 20): Vorsel's meter ${mlag} ms after the tone started, a bare waveIn loop $blag ms, difference $dlag ms (goal: difference <= 100 ms)"
fi

# 4. Saving a 10-minute take, against cp of a file of the same size. Medians of 5, each after
#    a sync and a pause, so that one copy's write-back does not land on the next one's time.
if part save; then
sox -n -r 44100 -c 2 -b 16 "$work/ten.wav" synth 600 sine 440 vol 0.25
start_vorsel
probe open "$(winpath "$work/ten.wav")" >/dev/null
vs=(); cs=(); ds=(); same="identical bytes"
for i in 1 2 3 4 5; do
    probe settext "$(winpath "$work/saved$i.wav")"
    settle; read -r t _ < <(probe save); vs+=("$t")
    cmp -s "$work/ten.wav" "$work/saved$i.wav" || same="BYTES DIFFER"
    rm -f "$work/saved$i.wav"
    settle; s0=$(date +%s%N); cp "$work/ten.wav" "$work/copied.wav"; cs+=("$(ms_since "$s0")")
    rm -f "$work/copied.wav"
    # Vorsel's save reaches the disk before it says so; cp does not. The same copy made durable:
    settle; s0=$(date +%s%N); cp "$work/ten.wav" "$work/copied.wav"; sync "$work/copied.wav"; ds+=("$(ms_since "$s0")")
    rm -f "$work/copied.wav"
done
vsave=$(median "${vs[@]}"); csave=$(median "${cs[@]}"); dsave=$(median "${ds[@]}")
echo "save 10 min ($(stat -c %s "$work/ten.wav") bytes, medians of 5): Vorsel $vsave ms, cp $csave ms, ratio $(ratio "$vsave" "$csave") (goal <= 1.5); cp + sync $dsave ms, ratio $(ratio "$vsave" "$dsave") (goal: no worse than 1.20); saved files: $same"
# The window while a save copies: an hour opened, saved into another folder, three times.
rm -f "$work/ten.wav"
sox -n -r 44100 -c 2 -b 16 "$work/hour.wav" synth 3600 sine 440 vol 0.25
probe open "$(winpath "$work/hour.wav")" >/dev/null
mkdir -p "$work/elsewhere"
worsts=(); totals=()
for i in 1 2 3; do
    probe settext "$(winpath "$work/elsewhere/hour$i.wav")"
    settle; read -r t w _ < <(probe save answers); totals+=("$t"); worsts+=("$w")
    rm -f "$work/elsewhere/hour$i.wav"
done
stop_vorsel
rm -f "$work/hour.wav"
echo "save 1 h into another folder ($((3600 * 176400 + 44)) bytes): ${totals[*]} ms; the window's worst answer meanwhile ${worsts[*]} ms (goal <= 100 ms)"
fi

# 4b. Saving a take of 5 s and of 5 min onto the temporary folder's volume, each against cp + sync
#     of the saved file; a take on its own volume is moved, so the long one costs what the short
#     one does. The short take three times (median), the long one once: each figure is a fresh
#     take's first save (a moved take is the saved file then, and its next save copies).
if part savetake; then
start_vorsel
declare -A takesave takecp
for seconds in 5 300; do
    runs=3; [ "$seconds" -gt 60 ] && runs=1
    vs=(); ds=()
    for i in $(seq "$runs"); do
        probe command 32774; sleep "$seconds"; probe command 32775
        probe settext "$(winpath "$work/take$seconds-$i.wav")"
        settle; read -r t _ < <(probe save); vs+=("$t")
        settle; s0=$(date +%s%N); cp "$work/take$seconds-$i.wav" "$work/copied.wav"; sync "$work/copied.wav"; ds+=("$(ms_since "$s0")")
        rm -f "$work/copied.wav"
    done
    takesave[$seconds]=$(median "${vs[@]}"); takecp[$seconds]=$(median "${ds[@]}")
done
stop_vorsel
rm -f "$work"/take*.wav
for seconds in 5 300; do
    echo "save a take of $seconds s: Vorsel ${takesave[$seconds]} ms, cp + sync ${takecp[$seconds]} ms, ratio $(ratio "${takesave[$seconds]}" "${takecp[$seconds]}")"
done
echo "save a take: 5 min against 5 s, ratio $(ratio "${takesave[300]}" "${takesave[5]}") (goal <= 1.2; cp + sync $(ratio "${takecp[300]}" "${takecp[5]}"))"
fi

# 5. Position during playback against the output's clock, three times, once the saves' write-back
#    is done (a stalled output rightly stalls the position, but that is not what is measured).
if part position; then
sox -n -r 44100 -c 2 -b 16 "$work/ten-s.wav" synth 10 sine 997 vol 0.25
settle; sleep 2
for i in 1 2 3; do
    read -r polls spread step < <("$WINE_LOADER" "$BIN/PositionBench.exe" "$(winpath "$work/ten-s.wav")" 8 2>/dev/null | tr -d '\r')
    echo "position while playing ($i): $polls polls over 8 s, worst deviation from the sample clock $spread ms, largest step $step ms (goal within 50 ms)"
done
# The same while a take records, from the session's silence source; a step is at most a buffer.
for i in 1 2 3; do
    read -r polls spread step < <("$WINE_LOADER" "$BIN/PositionBench.exe" record 8 2>/dev/null | tr -d '\r')
    echo "position while recording ($i): $polls polls over 8 s, worst deviation from the sample clock $spread ms, largest step $step ms (goal: steps within 50 ms)"
done
fi

# 6. Opening a long file: launch to a visible window with a start-up file of 0.3 s, 10 min, 1 h
#    and 6 h (44.1 kHz stereo, made here), and "..." on the same files from one running window
#    (from the Enter in the chooser to the window answering with the file shown), each against
#    the 0.3 s file; and how much the temporary folder grows while the 1-hour file is open.
#    It needs about 5.5 GB free where the benchmark works (4.4 GB more for a program that
#    copies what it opens into the temporary folder).
if part longopen; then
lengths=(0.3 600 3600 21600)
need=$((26200 * 176400 / 1048576 + 1024))   # MiB for the four files, and some room
avail=$(df -Pm "$work" | awk 'NR == 2 { print $4 }')
if [ "$avail" -lt "$need" ]; then
    echo "open a long file: skipped, it needs $need MiB free in $work and there are $avail"
else
    exes=()
    for l in "${lengths[@]}"; do
        mkdir -p "$work/open-$l"
        cp "$VORSEL_EXE" "$work/open-$l/Vorsel.exe"
        sox -n -r 44100 -c 2 -b 16 "$work/open-$l/sample.wav" synth "$l" sine 440 vol 0.25
        exes+=("$(winpath "$work/open-$l/Vorsel.exe")" Vorsel)
    done
    settle
    read -r -a launch < <(probe startup 9 "${exes[@]}")
    start_vorsel
    # Each file is chosen after a short one, so that no figure carries the closing of the last.
    sox -n -r 44100 -c 2 -b 16 "$work/between.wav" synth 0.2 sine 440 vol 0.25
    picked=()
    for i in $(seq 9); do
        for l in "${lengths[@]}"; do
            probe open "$(winpath "$work/between.wav")" >/dev/null
            picked+=("$l $(probe open "$(winpath "$work/open-$l/sample.wav")")")
        done
    done
    temp="$WINEPREFIX/drive_c/users/$(id -un)/Temp"
    probe open "$(winpath "$work/open-0.3/sample.wav")" >/dev/null
    before=$(du -sk "$temp" | cut -f1)
    probe open "$(winpath "$work/open-3600/sample.wav")" >/dev/null
    during=$(du -sk "$temp" | cut -f1)
    stop_vorsel
    for j in 0 1 2 3; do
        l=${lengths[$j]}
        chosen=$(median $(printf '%s\n' "${picked[@]}" | awk -v l="$l" '$1 == l { print $2 }'))
        [ "$j" -eq 0 ] && { base_launch=${launch[0]}; base_chosen=$chosen; }
        echo "open a long file, $l s ($(stat -c %s "$work/open-$l/sample.wav") bytes): start-up $(ratio "${launch[$j]}" "$base_launch") x the 0.3 s file (${launch[$j]} ms, medians of 9, launched in turn); \"...\" $(ratio "$chosen" "$base_chosen") x ($chosen ms, medians of 9) (goal <= 1.2)"
    done
    echo "open a long file: the temporary folder grew by $(((during - before) / 1024)) MiB while the 1-hour file was open ($before KiB before, $during KiB during; goal: it does not grow)"
    rm -rf "$work"/open-*
fi
fi
