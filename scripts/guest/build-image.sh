#!/usr/bin/env bash
# Builds (or finds) the i386 Debian 12 guest that runs the 32-bit Windows programs, and prints
# the folder that holds it: root.img (ext4, 4 GiB sparse), vmlinuz, initrd.img.
#   build-image.sh [--cache DIR]
# The image is named by a hash of everything that goes into it and is rebuilt only when that
# changes. It is built in a temporary folder and renamed when whole, under a lock, so two runs
# at once neither corrupt it nor build it twice. Progress goes to stderr; the build's log and
# the guest's console are kept in the cache on failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/vesmarin
while [ $# -gt 0 ]; do
  case "$1" in
    --cache) cache=$2; shift 2 ;;
    *) echo "build-image: unknown option $1" >&2; exit 2 ;;
  esac
done

# What the image is made of: the package list and kernel modules (image.conf), the guest's
# scripts, the prefix settings of wine.sh and this recipe.
# shellcheck source=image.conf
. "$here/image.conf"
hash=$(cat "$here/image.conf" "$here/initramfs-init" "$here/stage2.sh" "$root/scripts/wine.sh" \
           "$here/build-image.sh" |
       sha256sum | cut -c1-16)
final=$cache/i386-guest-$hash

log() { printf '[build-image %s] %s\n' "$(date +%T)" "$*" >&2; }

# found IMAGE: prints it and marks it used now, for the pruning below.
found() {
  touch "$1/used" 2>/dev/null
  echo "$1"
  exit 0
}
if [ -f "$final/ok" ]; then
  found "$final"
fi
for tool in debootstrap mke2fs qemu-system-i386 dpkg-deb cpio zstd; do
  command -v "$tool" >/dev/null || command -v "/usr/sbin/$tool" >/dev/null ||
    { echo "build-image: $tool is not installed (scripts/install-deps.sh installs it)" >&2; exit 3; }
done
mkdir -p "$cache"
exec 9>"$cache/i386-guest.lock"
if ! flock -n 9; then
  log "another run is building the image; waiting for it"
  flock 9
fi
if [ -f "$final/ok" ]; then
  found "$final"
fi
# Holding the lock, no other build is running: what an earlier one left (killed outright) goes.
rm -rf "$cache"/.build-*
# Each image takes about 3 GB. Older ones stay while another checkout may still use them, but
# not once a fortnight has passed since one was last used.
for old in "$cache"/i386-guest-*/; do
  [ -d "$old" ] || continue
  stamp=$old/used
  [ -f "$stamp" ] || stamp=$old/ok
  if [ ! -f "$stamp" ] || [ -n "$(find "$stamp" -mtime +13)" ]; then
    log "removing an image unused for two weeks: $old"
    rm -rf "$old"
  fi
done

# The package source is this machine's own: the first Debian URI of its apt configuration,
# unless VESMARIN_GUEST_MIRROR names another (a local mirror, a proxy).
mirror=${VESMARIN_GUEST_MIRROR:-}
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
  mirror=$(awk '/^URIs:/ && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources)
fi
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
  mirror=$(awk '$1 == "deb" && $0 !~ /security/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' /etc/apt/sources.list)
fi
[ -n "$mirror" ] || { echo "build-image: no Debian package source in this machine's apt configuration" >&2; exit 3; }

work=$(mktemp -d "$cache/.build-XXXXXX")
keep_log=
cleanup() {
  local status=$?
  set +e
  [ -n "${qemu_pid:-}" ] && kill "$qemu_pid" 2>/dev/null && wait "$qemu_pid" 2>/dev/null
  if [ $status -ne 0 ]; then
    keep_log=$cache/i386-guest-failed.log
    { cat "$work/build.log" "$work/run/stage2.log" "$work/console.log"; } >"$keep_log" 2>/dev/null
    echo "build-image: failed; its log and the guest's console: $keep_log" >&2
  fi
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

rootfs=$work/rootfs
log "first stage from $mirror (about 270 MB of packages)"
# Downloaded packages are kept (debootstrap checks each against the signed index anyway).
mkdir -p "$cache/debs"
if ! debootstrap --foreign --arch=i386 --variant=minbase --include="$packages" \
     --cache-dir="$cache/debs" \
     "$suite" "$rootfs" "$mirror" >"$work/build.log" 2>&1; then
  tail -n 20 "$work/build.log" >&2
  echo "build-image: debootstrap failed (package source $mirror)" >&2
  exit 4
fi
# --foreign leaves proc pointing at the host's /proc.
rm -rf "$rootfs/proc"
mkdir -p "$rootfs/proc" "$rootfs/mnt/run"
# The kernel boots from outside the disk (qemu -kernel, the initramfs below): installing it in
# the guest would only build an initramfs nobody uses, minutes of the emulated second stage.
# Its package stays downloaded for the unpacking below, off the second stage's lists.
for list in required base; do
  [ -f "$rootfs/debootstrap/$list" ] &&
    sed -i -E 's/(^| )linux-image-[^ ]*//g' "$rootfs/debootstrap/$list"
done
# dpkg's syncs buy nothing on a disk that is thrown away if the build fails, and cost minutes
# under emulation; documentation nobody reads there is not unpacked at all.
mkdir -p "$rootfs/etc/dpkg/dpkg.cfg.d"
cat >"$rootfs/etc/dpkg/dpkg.cfg.d/vesmarin-guest" <<'CFG'
force-unsafe-io
path-exclude=/usr/share/doc/*
path-exclude=/usr/share/man/*
path-exclude=/usr/share/info/*
CFG

# Kernel and initramfs straight from the downloaded packages: the host cannot run the
# guest's binaries, so nothing here is installed, only unpacked.
kpkg=$(ls "$rootfs"/var/cache/apt/archives/linux-image-[0-9]*-686_*.deb | head -n 1)
bpkg=$(ls "$rootfs"/var/cache/apt/archives/busybox-static_*.deb | head -n 1)
mkdir -p "$work/kernel" "$work/busybox" "$work/initramfs"/{bin,proc,sys,dev,newroot,modules}
dpkg-deb -x "$kpkg" "$work/kernel"
dpkg-deb -x "$bpkg" "$work/busybox"
cp "$work/kernel"/boot/vmlinuz-* "$work/vmlinuz"
cp "$work/busybox/bin/busybox" "$work/initramfs/bin/busybox"
cp "$here/initramfs-init" "$work/initramfs/init"
: >"$work/initramfs/modules.order"
for m in $modules; do
  f=$(find "$work/kernel/lib/modules" -name "$m.ko*" | head -n 1)
  if [ -z "$f" ]; then
    # Built into this kernel: nothing to load.
    continue
  fi
  case "$f" in
    *.ko.xz) xz -dc "$f" >"$work/initramfs/modules/$m.ko" ;;
    *.ko.zst) zstd -qdc "$f" >"$work/initramfs/modules/$m.ko" ;;
    *) cp "$f" "$work/initramfs/modules/$m.ko" ;;
  esac
  echo "$m.ko" >>"$work/initramfs/modules.order"
done
(cd "$work/initramfs" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.img"

mke2fs -q -t ext4 -d "$rootfs" -L vesmarin-guest "$work/root.img" 4G >>"$work/build.log" 2>&1
rm -rf "$rootfs"

# Second stage inside the guest: its script and wine.sh come through the run folder.
mkdir -p "$work/run"
cp "$here/stage2.sh" "$root/scripts/wine.sh" "$work/run/"
log "second stage inside the guest (about 7 minutes on an idle 2-core machine): console $work/console.log"
timeout=${VESMARIN_GUEST_IMAGE_TIMEOUT:-3600}
"$here/qemu.sh" --image "$work" --run "$work/run" --console "$work/console.log" \
  --writable --init /mnt/run/stage2.sh &
qemu_pid=$!
waited=0
while kill -0 "$qemu_pid" 2>/dev/null; do
  if [ $waited -ge "$timeout" ]; then
    tail -n 30 "$work/console.log" >&2
    echo "build-image: the second stage did not finish within $timeout s" >&2
    exit 124
  fi
  sleep 2
  waited=$((waited + 2))
done
wait "$qemu_pid" || true
qemu_pid=
if [ "$(cat "$work/run/status" 2>/dev/null)" != 0 ]; then
  tail -n 30 "$work/run/stage2.log" >&2 || true
  tail -n 30 "$work/console.log" >&2 || true
  echo "build-image: the second stage failed (status $(cat "$work/run/status" 2>/dev/null || echo none))" >&2
  exit 5
fi

# The second stage's log stays beside the image: each step with its time since boot.
mv "$work/run/stage2.log" "$work/stage2.log"
rm -rf "$work/run" "$work/kernel" "$work/busybox" "$work/initramfs"
date -u +%FT%TZ >"$work/ok"
# Whole now: publish it under its name. Older images stay, as another checkout may still use
# one, until the pruning above finds them unused for two weeks.
mv -T "$work" "$final"
touch "$final/used"
log "image ready in $waited s of second stage: $final"
echo "$final"
