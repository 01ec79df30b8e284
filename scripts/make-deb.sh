#!/usr/bin/env bash
# Builds the Debian package of the native command-line tool and checks it with lintian.
#   make-deb.sh PATH-TO-vesmarin-cli OUTPUT-DIR
# Writes OUTPUT-DIR/vesmarin-cli_VERSION_ARCH.deb and prints its path. The version is the
# project's (project-version.sh); the package is native, so it has no Debian revision.
# DEB_MAINTAINER overrides the maintainer field.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
binary=$1
out=$2
package=vesmarin-cli
version=$("$root/scripts/project-version.sh")
arch=$(dpkg --print-architecture)
maintainer=${DEB_MAINTAINER:-Vesmarin <maintainers@vesmarin.example.org>}
# Dates come from the last commit, so the same sources give the same package.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH=$epoch

built=$("$binary" --version)
if [ "$built" != "$package $version" ]; then
  echo "make-deb: $binary says '$built', the project is at $version: rebuild it" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
umask 022
pkg=$work/$package
doc=$pkg/usr/share/doc/$package
install -d "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/usr/share/man/man1" "$doc"
install -m 0755 "$binary" "$pkg/usr/bin/$package"
# The exporter as a service, not enabled: no maintainer script starts or enables it.
install -d "$pkg/lib/systemd/system"
install -m 0644 "$root/scripts/deb/vesmarin-exporter.service" "$pkg/lib/systemd/system/vesmarin-exporter.service"
# Its alerting rules, for a Prometheus server to load (rule_files).
install -d "$pkg/usr/share/vesmarin/prometheus"
install -m 0644 "$root/prometheus/vesmarin-alerts.yml" "$pkg/usr/share/vesmarin/prometheus/vesmarin-alerts.yml"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$pkg/usr/bin/$package"

"$root/scripts/make-manpage.sh" "$pkg/usr/bin/$package" "$(date -u -d "@$epoch" +%Y-%m-%d)" |
  gzip -9n > "$pkg/usr/share/man/man1/$package.1.gz"

# Machine-readable; Debian calls the MIT licence's usual text "Expat". The licence text is
# the repository's LICENSE from its permission grant on, blank lines written as " .".
{
  printf 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n'
  printf 'Upstream-Name: Vesmarin\n'
  printf 'Upstream-Contact: %s\n\n' "$maintainer"
  printf 'Files: *\n'
  printf 'Copyright: %s\n' "$(sed -n 's/^Copyright (c) //p' "$root/LICENSE")"
  printf 'License: Expat\n\n'
  printf 'License: Expat\n'
  sed -n '/^Permission is hereby granted/,$p' "$root/LICENSE" | sed 's/^$/./; s/^/ /'
} > "$doc/copyright"

{
  printf '%s (%s) unstable; urgency=medium\n\n' "$package" "$version"
  printf '  * Release %s.\n\n' "$version"
  printf ' -- %s  %s\n' "$maintainer" "$(date -u -R -d "@$epoch")"
} | gzip -9n > "$doc/changelog.gz"

# Library dependencies as dpkg computes them for any package.
mkdir -p "$work/debian"
printf 'Source: vesmarin\n\nPackage: %s\nArchitecture: any\n' "$package" > "$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O -e"$pkg/usr/bin/$package" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "make-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

cat > "$pkg/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
Depends: $depends
Section: comm
Priority: optional
Description: read information from 3G USB modems over their AT port
 vesmarin-cli finds the serial ports behind which a modem answers, sends AT
 commands and reads the modem's information table: maker, model, firmware,
 IMEI, IMSI, network and SIM state, signal, operator, band settings and the
 SIM-lock state.
 .
 The modem's ports (/dev/ttyUSB*, /dev/ttyACM*) belong to the dialout group:
 add the users who run the tool to that group.
 .
 The package ships a Prometheus exporter for every modem of the machine as the
 service vesmarin-exporter, not enabled: systemctl enable --now
 vesmarin-exporter starts it on 127.0.0.1:9733. Alerting rules for it are in
 /usr/share/vesmarin/prometheus.
CONTROL
(cd "$pkg" && find lib usr -type f | LC_ALL=C sort | xargs md5sum) > "$pkg/DEBIAN/md5sums"
chmod 0644 "$pkg/DEBIAN/control" "$pkg/DEBIAN/md5sums"
find "$pkg" -exec touch -h -d "@$epoch" {} +

mkdir -p "$out"
deb=$(cd "$out" && pwd)/${package}_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null

if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$deb" >&2
else
  echo "make-deb: lintian is not installed; $deb is not checked" >&2
fi
echo "$deb"
