#!/usr/bin/env bash
# Builds the Windows zip from one build, unpacks it, and checks what a user gets: the files
# listed in SHA256SUMS match, the programs are stripped, the README and the licence have
# Windows line ends, and the unpacked vesmarin-cli.exe says the project's version.
#   check-windows-zip.sh BUILD-DIR SCRATCH-DIR RUNNER...   (RUNNER runs a Windows program)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
scratch=$2
shift 2
fail() { echo "check-windows-zip: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
version=$("$root/scripts/project-version.sh")
zip=$("$root/scripts/make-windows-zip.sh" "$build" "$scratch/out")
case $(basename "$zip") in
  "vesmarin-$version-windows.zip" | "vesmarin-$version-windows-x64.zip") ;;
  *) fail "named $zip" ;;
esac
unzip -q "$zip" -d "$scratch/unzipped"
folder=$scratch/unzipped/vesmarin-$version
expected="LICENSE.txt README.txt SHA256SUMS vesmarin-cli.exe"
[ -f "$build/Vesmarin.exe" ] && expected="LICENSE.txt README.txt SHA256SUMS vesmarin-cli.exe Vesmarin.exe"
got=$(cd "$folder" && LC_ALL=C ls | LC_ALL=C sort -f | tr '\n' ' ' | sed 's/ $//')
[ "$got" = "$expected" ] || fail "the zip holds '$got', expected '$expected'"
(cd "$folder" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l < "$folder/SHA256SUMS")" -eq $(($(echo "$expected" | wc -w) - 1)) ] || fail "SHA256SUMS misses a file"
objdump=$(command -v objdump || command -v i686-w64-mingw32-objdump) || fail "no objdump"
for exe in "$folder"/*.exe; do
  sections=$("$objdump" -h "$exe")
  grep -q '\.debug_' <<<"$sections" && fail "$(basename "$exe") is not stripped"
done
for text in README.txt LICENSE.txt; do
  head -n 1 "$folder/$text" | grep -q $'\r$' || fail "$text lacks Windows line ends"
done
tr -d '\r' < "$folder/LICENSE.txt" | cmp -s - "$root/LICENSE" || fail "LICENSE.txt is not the project's LICENSE"

said=$("$@" "$folder/vesmarin-cli.exe" --version | tr -d '\r')
[ "$said" = "vesmarin-cli $version" ] || fail "vesmarin-cli.exe --version says '$said'"
echo "check-windows-zip: $zip is good"
