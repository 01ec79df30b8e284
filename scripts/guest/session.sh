#!/bin/bash
# One run inside the guest, started as its first process (init=/mnt/run/init.sh): mounts the
# host's folders at their own paths, starts Xvfb, the Wine server and the relays of the host's
# simulated modems, runs the command from the project root, and powers off. The host reads
# out, err and status from the run folder; "status" is written only once the command ended.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
run=/mnt/run
exec </dev/null >"$run/session.log" 2>&1

mount -t proc proc /proc
mount -t sysfs sysfs /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts -o ptmxmode=0666 devpts /dev/pts
ln -sf /dev/pts/ptmx /dev/ptmx
# What udev would make: bash's process substitution reads through /dev/fd.
ln -sfn /proc/self/fd /dev/fd
ln -sf /proc/self/fd/0 /dev/stdin
ln -sf /proc/self/fd/1 /dev/stdout
ln -sf /proc/self/fd/2 /dev/stderr
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run 2>/dev/null
hostname vesmarin-guest

# Milestones go to the console too: a host that stops a stuck guest shows its tail.
note() { echo "vesmarin-guest: $*" >/dev/console 2>/dev/null; }

power_off() {
  sync
  umount -a -t 9p 2>/dev/null
  mount -o remount,ro / 2>/dev/null
  # A reboot ends qemu (-no-reboot); the ACPI power-off did not, measured.
  busybox reboot -f
  echo b >/proc/sysrq-trigger
  sleep 60
  # The first process ending panics the kernel, which reboots it (panic=1): qemu ends anyway.
  exit 1
}
setup_failed() {
  note "$1"
  echo "$1" >"$run/setup-error"
  power_off
}

# shellcheck source=/dev/null
. "$run/env"

i=0
for path in "${SHARES[@]}"; do
  mkdir -p "$path"
  # cache=loose: Wine maps the programs it runs, and 9p without a page cache serves such
  # mappings wrong (measured: a fault on the first instruction of main, cache=mmap too).
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose "share$i" "$path" ||
    setup_failed "cannot mount the host's $path"
  i=$((i + 1))
done

# Emulated, this PC is several times slower than the host: the window checks that must finish
# while the program's first scan lasts make it last longer (tests/gui/gui-session.sh).
export VESMARIN_GUI_SLOWDOWN=4
export WINEPREFIX=/opt/vesmarin/wineprefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all,err+module}
# No debugger on a crash: it would wait for a person, and the run for it.
export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"

Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp -noreset 3>/tmp/display >/tmp/xvfb.log 2>&1 &
for _ in $(seq 600); do
  [ -s /tmp/display ] && break
  sleep 0.1
done
[ -s /tmp/display ] || setup_failed "Xvfb did not start: $(cat /tmp/xvfb.log)"
export DISPLAY=:$(head -n 1 /tmp/display)

# The host's simulated modems arrive as virtio-serial ports named comN. Wine needs a
# terminal (it sets the line with termios, which a virtio port refuses), so each is relayed
# to a pty, and that pty becomes the prefix's COMN.
mkdir -p /tmp/ports
for n in "${PORTS[@]}"; do
  dev=
  for f in /sys/class/virtio-ports/*/name; do
    [ "$(cat "$f")" = "com$n" ] && dev=/dev/$(basename "$(dirname "$f")")
  done
  [ -n "$dev" ] || setup_failed "no virtio port com$n in the guest"
  socat "GOPEN:$dev" "pty,rawer,link=/tmp/ports/com$n" 2>>/tmp/socat.log &
  for _ in $(seq 100); do
    [ -L "/tmp/ports/com$n" ] && break
    sleep 0.1
  done
  [ -L "/tmp/ports/com$n" ] || setup_failed "the relay of com$n did not start: $(cat /tmp/socat.log)"
  ln -sfn "$(readlink "/tmp/ports/com$n")" "$WINEPREFIX/dosdevices/com$n"
done

# Wine's server and services up before the command, with stdio closed so nothing waits on
# them (and the display is this one).
(/usr/lib/wine/wineserver32 -p && LC_ALL=ru_RU.UTF-8 /usr/lib/wine/wine cmd /c exit) </dev/null >/dev/null 2>&1 ||
  setup_failed "Wine did not start in the guest"
echo ready >"$run/ready"
note "Wine is up on display $DISPLAY; running the command"

cd "$PROJECT" || setup_failed "no project folder $PROJECT"
bash -c "$(cat "$run/command")" >"$run/out" 2>"$run/err"
status=$?
note "the command ended with status $status"
cd /
if [ -n "$SCREENSHOT" ]; then
  import -window root "$run/screenshot.png" 2>>"$run/err"
fi
/usr/lib/wine/wineserver32 -k 2>/dev/null
/usr/lib/wine/wineserver32 -w 2>/dev/null
echo "$status" >"$run/status"
power_off
