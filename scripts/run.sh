#!/usr/bin/env bash
# Builds Vorsel and starts it under Wine on the current X display.
set -euo pipefail
. "$(dirname "$0")/common.sh"

ensure_packages
build_cross "$VORSEL_BUILD" i686 --target Vorsel
if [ "$VORSEL_RUN_BUILD" != "$VORSEL_BUILD" ]; then
    log "this kernel cannot run 32-bit Wine; starting the 64-bit build of the same sources"
    build_cross "$VORSEL_BUILD64" x86_64 --target Vorsel
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: set DISPLAY (or run under xvfb-run) to see the window." >&2
    exit 1
fi
ensure_prefix
exec "$WINE_LOADER" "$VORSEL_RUN_BUILD/bin/Vorsel.exe"
