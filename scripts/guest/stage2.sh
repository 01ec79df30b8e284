#!/bin/sh
# The image's second stage, run once as the guest's first process: finishes debootstrap,
# generates the Russian locale and prepares the Wine prefix the runs start from. Its output
# goes to the run folder's stage2.log; "status" there holds 0 only when every step passed.
exec >/mnt/run/stage2.log 2>&1
# Each step's time shows in the log (uptime's first field is seconds since boot).
PS4='+ [$(cut -d" " -f1 /proc/uptime 2>/dev/null)] '
set -x
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
# debootstrap unmounts what it finds mounted when it ends; Wine cannot start without /proc.
mount_system() {
  mountpoint -q /proc || mount -t proc proc /proc
  mountpoint -q /sys || mount -t sysfs sysfs /sys
  mkdir -p /dev/pts /dev/shm
  mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
  mountpoint -q /dev/shm || mount -t tmpfs tmpfs /dev/shm
}
mount_system
mount -t tmpfs tmpfs /tmp

finish() {
  echo "$1" >/mnt/run/status
  sync
  mount -o remount,ro / 2>/dev/null
  # A reboot ends qemu (-no-reboot); the ACPI power-off did not, measured.
  busybox reboot -f
  echo b >/proc/sysrq-trigger
  sleep 60
  # The first process ending panics the kernel, which reboots it (panic=1): qemu ends anyway.
  exit 1
}

/debootstrap/debootstrap --second-stage || finish 10
mount_system
echo 'ru_RU.UTF-8 UTF-8' >/etc/locale.gen
locale-gen || finish 11
# The runs' simulator ports are ptys; the hostname only quiets tools.
echo vesmarin-guest >/etc/hostname
apt-get clean
rm -rf /var/lib/apt/lists/*

# The prefix every run starts from (the disk is a snapshot, so a run never changes it),
# made by the same script that makes the host's prefixes.
# The display is announced only once it accepts clients (-displayfd).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>/tmp/display >/tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 600); do [ -s /tmp/display ] && break; sleep 0.2; done
[ -s /tmp/display ] || finish 15
DISPLAY=:$(head -n 1 /tmp/display) /mnt/run/wine.sh --arch win32 --prefix /opt/vesmarin/wineprefix --init || finish 12
[ -f /opt/vesmarin/wineprefix/system.reg ] || finish 13
grep -q 'Liberation Serif' /opt/vesmarin/wineprefix/system.reg || finish 14
kill "$xvfb"
# The prefix's own COM links point at the guest's absent ISA ports: the runs add their own.
rm -f /opt/vesmarin/wineprefix/dosdevices/com*
finish 0
