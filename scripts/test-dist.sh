#!/usr/bin/env bash
# Checks the release archive of `make dist` from the outside: it is named after the version
# that `lyrivane --version` prints, holds the read-me and a stripped Lyrivane.exe that needs
# no DLL of ours, and that program starts under Wine with that same version in its version
# resource (read by Windows' own version API, in version_probe.exe).
#   scripts/test-dist.sh NATIVE/lyrivane WINDOWS/version_probe.exe DIST_FOLDER
set -euo pipefail
cli=$1
probe=$2
dist=$3
root=$(cd "$(dirname "$0")/.." && pwd)

fail() {
  echo "test-dist: $*" >&2
  exit 1
}

version=$("$cli" --version | sed -n 's/^lyrivane //p')
[ -n "$version" ] || fail "lyrivane --version printed no version"
name="Lyrivane-$version-win64"
zip="$dist/$name.zip"
[ -f "$zip" ] || fail "no $zip"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unzip -q "$zip" -d "$tmp"
exe="$tmp/$name/Lyrivane.exe"
[ -f "$exe" ] || fail "no Lyrivane.exe in $zip"
[ -s "$tmp/$name/README.txt" ] || fail "no README.txt in $zip"
[ "$(cd "$tmp" && find . -type f | sort | tr '\n' ' ')" = "./$name/Lyrivane.exe ./$name/README.txt " ] ||
  fail "unexpected files in $zip"

objdump=x86_64-w64-mingw32-objdump
if "$objdump" -h "$exe" | grep -q '\.debug_'; then fail "Lyrivane.exe is not stripped"; fi
if "$objdump" -t "$exe" 2>/dev/null | grep -q '\.text'; then fail "Lyrivane.exe keeps its symbols"; fi
# Static: only the DLLs every Windows has.
ours=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | grep -viE \
  '^(kernel32|user32|gdi32|gdiplus|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|wininet|winmm|msimg32|dwmapi|ws2_32|version|shlwapi|uxtheme|imm32|api-ms-win-.*)\.dll$' || true)
[ -z "$ours" ] || fail "Lyrivane.exe needs DLLs that are not Windows' own: $ours"

# Under Wine: the version resource and a window that comes up.
winexe="Z:$(echo "$exe" | tr / '\\')"
out=$("$root/scripts/wine.sh" run -t 120 "$probe" "$winexe" | tr -d '\r') || fail "probe: $out"
[ "$out" = "version=$version
started=1" ] || fail "the released program says: $out (expected version=$version, started=1)"
echo "$name.zip: Lyrivane.exe $version starts under Wine"
