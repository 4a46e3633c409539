#!/usr/bin/env bash
# Makes the archive a Windows user downloads: builds the 32-bit release program from a clean
# build folder and writes dist/Vorsel-VERSION-win32.zip and its .sha256 beside it. Prints the
# archive's path. The version is the version record's, in res/Vorsel.rc.
#   scripts/release.sh           build and pack
#   scripts/release.sh --twice   then build and pack again from other clean folders, and fail
#                                unless both archives are the same, byte for byte
set -euo pipefail
. "$(dirname "$0")/common.sh"

twice=no
case "${1:-}" in
    "") ;;
    --twice) twice=yes ;;
    *) echo "usage: scripts/release.sh [--twice]" >&2; exit 2 ;;
esac

# The four places of the version record must agree; the archive is named after them.
version_record() {
    local found
    found=$(sed -nE -e 's/^ *(FILE|PRODUCT)VERSION +([0-9]+),([0-9]+),([0-9]+),([0-9]+) *$/\2.\3.\4.\5/p' \
        -e 's/.*VALUE "(File|Product)Version", "([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+)\\0".*/\2.\3.\4.\5/p' \
        "$VORSEL_ROOT/res/Vorsel.rc")
    if [ "$(printf '%s\n' "$found" | grep -c .)" -ne 4 ] || [ "$(printf '%s\n' "$found" | sort -u | wc -l)" -ne 1 ]; then
        echo "res/Vorsel.rc: FILEVERSION, PRODUCTVERSION, FileVersion and ProductVersion must give one version; read:" $found >&2
        exit 1
    fi
    found=$(printf '%s\n' "$found" | head -1)
    # 1.3.1.0 is release 1.3.1; a build number shows only when it is not 0.
    printf '%s\n' "${found%.0}"
}

# make_archive BUILD_DIR OUT_DIR: a clean build of the program alone, packed into OUT_DIR.
make_archive() {
    local build=$1 out=$2
    rm -rf "$build"
    build_cross "$build" i686 --target Vorsel >&2
    mkdir -p "$out"
    local zip=$out/Vorsel-$VERSION-win32.zip
    python3 "$VORSEL_ROOT/scripts/pack_release.py" "$VERSION" "$build/bin/Vorsel.exe" \
        "$VORSEL_ROOT/res/sample.wav" "$VORSEL_ROOT/README.md" "$zip" "$EPOCH"
    (cd "$out" && sha256sum "${zip##*/}" >"${zip##*/}.sha256")
    printf '%s\n' "$zip"
}

ensure_packages
# Flags from the environment would make this machine's archive differ from another's.
unset CFLAGS CXXFLAGS LDFLAGS CPPFLAGS RCFLAGS
VERSION=$(version_record)
# The entries' time: the last commit's, so that it says when the sources were, not the build.
EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$VORSEL_ROOT" log -1 --format=%ct 2>/dev/null || echo 315532800)}

log "release $VERSION"
[ -z "$(git -C "$VORSEL_ROOT" status --porcelain --untracked-files=no 2>/dev/null)" ] ||
    log "the sources differ from the last commit: this archive is not that commit's"
zip=$(make_archive "$VORSEL_ROOT/build-release" "$VORSEL_ROOT/dist")
if [ "$twice" = yes ]; then
    again=$(mktemp -d /tmp/vorsel-release.XXXXXX)
    trap 'rm -rf "$again"' EXIT
    other=$(make_archive "$again/build" "$again/dist")
    sha256sum "$zip" "$other" >&2
    cmp "$zip" "$other" >&2 || { echo "two clean builds gave different archives" >&2; exit 1; }
    log "two clean builds gave the same archive"
fi
log "$(cat "$zip.sha256")"
printf '%s\n' "$zip"
