#!/usr/bin/env bash
# The archive a Windows user downloads, as scripts/release.sh made it for this test run: its
# checksum holds; it unpacks to one folder with exactly the program, sample.wav and README.txt
# (Windows line endings); the program is a 32-bit Windows GUI program that imports system DLLs
# only, so nothing else has to travel with it, and carries its manifest with its four settings;
# and, started under Wine from the unpacked folder, it finds its sample.wav (no box, the slider
# spans its 2 s) and shows its window.
# Usage: release_archive.sh WINE BIN_DIR run|norun, with VORSEL_RELEASE_ZIP naming the archive.
# With norun (a Wine that cannot start 32-bit programs) it stops before the start and skips.
set -euo pipefail
wine=$1
bin=$2
run=$3
zip=${VORSEL_RELEASE_ZIP:-}
[ -f "$zip" ] || { echo "no archive: scripts/test.sh makes one and names it in VORSEL_RELEASE_ZIP" >&2; exit 1; }

. "$(dirname "$0")/lib.sh"

(cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256") ||
    fail "the archive does not match its .sha256"

name=$(basename "$zip" -win32.zip)
listing=$(python3 -c 'import sys, zipfile; print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")
[ "$listing" = "$name/README.txt $name/Vorsel.exe $name/sample.wav" ] || fail "the archive holds: $listing"
python3 -m zipfile -e "$zip" "$work"   # checks every entry's CRC too
folder=$work/$name
echo "unpacked:" $(cd "$folder" && ls)

readme=$folder/README.txt
[ -s "$readme" ] && [ "$(grep -c '' "$readme")" = "$(grep -c $'\r$' "$readme")" ] ||
    fail "README.txt is empty or has lines without Windows line endings"

dump=$(i686-w64-mingw32-objdump -p "$folder/Vorsel.exe")
grep -q 'file format pei-i386' <<<"$dump" || fail "Vorsel.exe is not a 32-bit Windows program"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || fail "Vorsel.exe is not a Windows GUI program"
dlls=$(sed -nE 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr '[:lower:]' '[:upper:]')
[ -n "$dlls" ] || fail "Vorsel.exe imports nothing: objdump read no import table"
for dll in $dlls; do
    case " ADVAPI32 COMCTL32 COMDLG32 GDI32 KERNEL32 MSVCRT OLE32 OLEAUT32 SHELL32 SHLWAPI USER32 VERSION WINMM " in
        *" ${dll%.DLL} "*) ;;
        *) fail "Vorsel.exe imports $dll, which Windows does not bring" ;;
    esac
done
echo "32-bit GUI program importing" $dlls
# The manifest that makes Windows treat it as a program of today, with its four settings.
python3 "$(dirname "$0")/manifest_check.py" "$folder/Vorsel.exe" >"$work/manifest.txt" ||
    fail "the archive's Vorsel.exe lacks its manifest or one of its settings (above)"
tail -1 "$work/manifest.txt"

if [ "$run" != run ]; then
    echo "this machine's Wine starts no 32-bit programs: the archive's program is not started"
    exit 77
fi
# Started in its own folder, as a double-click starts it.
(cd "$folder" && exec "$wine" ./Vorsel.exe >/dev/null 2>&1) &
vorsel=$!
range=""
for _ in $(seq 150); do
    range=$(probe range) && break
    sleep 0.2
done
[ -n "$range" ] || fail "no window within 30 s of the start (a box about sample.wav comes before it)"
if box=$(probe box 1000); then fail "a box after the start: '$box'"; fi
[ "$range" = 20 ] || fail "the slider's range is '$range', not sample.wav's 2 s in 100 ms steps"
echo "window shown, sample.wav opened: slider range $range"

probe command 32772   # Exit
for _ in $(seq 75); do kill -0 "$vorsel" 2>/dev/null || break; sleep 0.2; done
kill -0 "$vorsel" 2>/dev/null && fail "Vorsel did not end after Exit"
rc=0
wait "$vorsel" || rc=$?
vorsel=""
[ "$rc" -eq 0 ] || fail "Vorsel exited with $rc"
