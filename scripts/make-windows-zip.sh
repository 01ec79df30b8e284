#!/usr/bin/env bash
# Packs the Windows programs of one build into a zip for users.
#   make-windows-zip.sh BUILD-DIR OUTPUT-DIR
# The zip holds the stripped vesmarin-cli.exe, Vesmarin.exe when the build made it, the README
# and the licence as text with Windows line ends, and SHA256SUMS of those files, all in one folder
# vesmarin-VERSION. A 32-bit build gives vesmarin-VERSION-windows.zip (the release), a 64-bit
# one vesmarin-VERSION-windows-x64.zip. Prints the zip's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
out=$2
version=$("$root/scripts/project-version.sh")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
# Also read by strip for the PE time stamp it writes.
export SOURCE_DATE_EPOCH=$epoch

cli=$build/vesmarin-cli.exe
[ -f "$cli" ] || { echo "make-windows-zip: no $cli" >&2; exit 1; }
# Any objdump reads the file format; the emulated i386 PC has only the cross one.
objdump=$(command -v objdump || command -v i686-w64-mingw32-objdump) ||
  { echo "make-windows-zip: no objdump" >&2; exit 1; }
case $("$objdump" -f "$cli" | sed -n 's/.*file format //p') in
  pei-i386) strip=i686-w64-mingw32-strip; name=vesmarin-$version-windows ;;
  pei-x86-64) strip=x86_64-w64-mingw32-strip; name=vesmarin-$version-windows-x64 ;;
  *) echo "make-windows-zip: $cli is not a Windows program" >&2; exit 1 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 022
folder=$work/vesmarin-$version
mkdir -p "$folder"
programs=(vesmarin-cli.exe)
# The window program joins the release once its build makes it.
[ -f "$build/Vesmarin.exe" ] && programs=(Vesmarin.exe "${programs[@]}")
for program in "${programs[@]}"; do
  "$strip" --strip-all -o "$folder/$program" "$build/$program"
done
sed 's/$/\r/' "$root/README.md" > "$folder/README.txt"
sed 's/$/\r/' "$root/LICENSE" > "$folder/LICENSE.txt"
(cd "$folder" && sha256sum "${programs[@]}" README.txt LICENSE.txt > SHA256SUMS)
find "$work" -exec touch -d "@$epoch" {} +

mkdir -p "$out"
zip=$(cd "$out" && pwd)/$name.zip
rm -f "$zip"
(cd "$work" && TZ=UTC zip -q -X -r "$zip" "vesmarin-$version")
echo "$zip"
