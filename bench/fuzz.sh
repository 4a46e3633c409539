#!/usr/bin/env bash
# Builds the WAVE parser fuzzer with clang and runs it for N seconds (default 60). The corpus it
# grows is kept in build-fuzz/corpus, seeded from tests/corpus, so each run goes on from the
# last; the committed corpus is never rewritten.
# Usage: bench/fuzz.sh [seconds]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

CXX=clang++ CC=clang cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target wave_fuzzer >/dev/null
corpus="$build/corpus"
mkdir -p "$corpus" "$work/artifacts"
cp -n "$root"/tests/corpus/*.wav "$corpus/"

set +e
"$build/tests/native/wave_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$corpus" \
    >"$work/fuzz.log" 2>&1
status=$?
set -e
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/fuzz.log" || true
if [ "$status" -ne 0 ]; then
    tail -40 "$work/fuzz.log"
    mkdir -p "$root/build-fuzz/crashes"
    cp "$work"/artifacts/* "$root/build-fuzz/crashes/" 2>/dev/null || true
    echo "FUZZ FAILED after up to ${seconds}s (exit $status); inputs kept in build-fuzz/crashes"
    exit "$status"
fi
echo "fuzz ok: ${seconds}s, no crash, leak, timeout or invariant failure; corpus of $(ls "$corpus" | wc -l) inputs kept in $corpus"
