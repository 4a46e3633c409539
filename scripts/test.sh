#!/usr/bin/env bash
# Builds everything and runs every test: the portable parts natively under sanitizers, then
# the Windows program and its tests under Wine in a private Xvfb + PulseAudio session.
set -euo pipefail
. "$(dirname "$0")/common.sh"

ensure_packages
build_native
(cd "$VORSEL_NATIVE_BUILD" && ctest --output-on-failure)

# The product is the 32-bit program: it and its tests always build for 32-bit Windows.
build_cross "$VORSEL_BUILD" i686
i686-w64-mingw32-objdump -f "$VORSEL_BUILD/bin/Vorsel.exe" | grep -q 'file format pei-i386' || {
    echo "Vorsel.exe is not a 32-bit Windows program" >&2; exit 1; }
# The archive a Windows user downloads, from its own clean build: the ReleaseArchive test
# unpacks it and starts the program in it.
VORSEL_RELEASE_ZIP=$(bash "$VORSEL_ROOT/scripts/release.sh")
export VORSEL_RELEASE_ZIP
if [ "$VORSEL_RUN_BUILD" != "$VORSEL_BUILD" ]; then
    log "this kernel cannot run 32-bit Linux programs, so Wine cannot run 32-bit Windows ones:"
    log "running the tests on the 64-bit build of the same sources"
    build_cross "$VORSEL_BUILD64" x86_64
fi

trap stop_session EXIT
start_session
cd "$VORSEL_RUN_BUILD"
ctest --output-on-failure --timeout 300 "$@"
