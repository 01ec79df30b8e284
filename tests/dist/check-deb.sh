#!/usr/bin/env bash
# Builds the Debian package from a vesmarin-cli binary, unpacks it into a scratch root as
# dpkg would install it, and checks what a user gets: the tool runs from /usr/bin and says
# the project's version, it is stripped, the manual page covers every command and names the
# dialout group, the control fields are right, and the service and the alerting rules are the
# repository's.
#   check-deb.sh PATH-TO-vesmarin-cli SCRATCH-DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=$1
scratch=$2
fail() { echo "check-deb: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
version=$("$root/scripts/project-version.sh")
deb=$("$root/scripts/make-deb.sh" "$cli" "$scratch/out")
[ "$(basename "$deb")" = "vesmarin-cli_${version}_$(dpkg --print-architecture).deb" ] || fail "named $deb"

dpkg-deb -x "$deb" "$scratch/root"
installed=$scratch/root/usr/bin/vesmarin-cli
[ -x "$installed" ] || fail "no executable /usr/bin/vesmarin-cli in the package"
got=$("$installed" --version)
[ "$got" = "vesmarin-cli $version" ] || fail "--version says '$got', expected 'vesmarin-cli $version'"
"$installed" --help >/dev/null || fail "--help fails"
readelf -S "$installed" | grep -Eq '\.(symtab|debug_)' && fail "the binary is not stripped"

[ "$(dpkg-deb -f "$deb" Package)" = vesmarin-cli ] || fail "Package field"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version field"
# Fields are read whole first: with pipefail, grep -q leaving a pipe early would fail the
# writer with SIGPIPE now and then, and the check with it.
depends=$(dpkg-deb -f "$deb" Depends)
description=$(dpkg-deb -f "$deb" Description)
grep -q 'libc6 (>= ' <<<"$depends" || fail "Depends lacks libc6"
grep -q dialout <<<"$description" || fail "the description does not note the dialout group"
owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[ "$owners" = root/root ] || fail "files owned by $owners"
# The exporter's service: confined to the modems' ports and the lock directory, and never
# enabled or started by the package itself.
unit=$scratch/root/lib/systemd/system/vesmarin-exporter.service
[ -f "$unit" ] || fail "no vesmarin-exporter.service in the package"
for line in 'DynamicUser=yes' 'SupplementaryGroups=dialout' 'DevicePolicy=closed' 'DeviceAllow=char-ttyUSB rw' \
            'DeviceAllow=char-ttyACM rw' 'ProtectSystem=strict' 'ReadWritePaths=/run/lock'; do
  grep -qx "$line" "$unit" || fail "the service lacks '$line'"
done
grep -Eq '^(PrivateDevices|ProtectProc)=' "$unit" && fail "the service hides the ports or the port holders"
cmp -s "$unit" "$root/scripts/deb/vesmarin-exporter.service" || fail "the packaged service is not scripts/deb's"
rules=$scratch/root/usr/share/vesmarin/prometheus/vesmarin-alerts.yml
cmp -s "$rules" "$root/prometheus/vesmarin-alerts.yml" || fail "no alerting rules in /usr/share/vesmarin/prometheus"
dpkg-deb -e "$deb" "$scratch/control"
[ ! -e "$scratch/control/postinst" ] || fail "the package has a postinst (the service must stay disabled)"
for doc in copyright changelog.gz; do
  [ -f "$scratch/root/usr/share/doc/vesmarin-cli/$doc" ] || fail "no /usr/share/doc/vesmarin-cli/$doc"
done
# The licence as Debian reads it: the machine-readable format, one licence for every file,
# and its text whole (the first and last lines of the grant and the disclaimer).
copyright=$(cat "$scratch/root/usr/share/doc/vesmarin-cli/copyright")
head -n 1 <<<"$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
[ "$(grep -c '^License: Expat$' <<<"$copyright")" -eq 2 ] || fail "the copyright file does not license the files under Expat (MIT)"
grep -q '^ Permission is hereby granted, free of charge' <<<"$copyright" || fail "the copyright file lacks the licence's grant"
tail -n 1 <<<"$copyright" | grep -qx ' SOFTWARE.' || fail "the copyright file's licence text is cut short"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[ "$maintainer" = "${DEB_MAINTAINER:-Vesmarin <maintainers@vesmarin.example.org>}" ] ||
  fail "Maintainer field is '$maintainer'"

page=$scratch/vesmarin-cli.1
zcat "$scratch/root/usr/share/man/man1/vesmarin-cli.1.gz" > "$page"
grep -q dialout "$page" || fail "the manual page does not name the dialout group"
grep -q "vesmarin\\\\-cli $version" "$page" || fail "the manual page does not carry version $version"
for command in $("$installed" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p'); do
  grep -qx ".SS $command" "$page" || fail "the manual page has no section for '$command'"
done
if command -v groff >/dev/null 2>&1; then
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
fi
echo "check-deb: $deb is good"
