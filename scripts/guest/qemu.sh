#!/usr/bin/env bash
# Starts the i386 guest in the foreground (the caller keeps its pid and stops it).
#   qemu.sh --image DIR --run DIR --console FILE [--writable] [--init PATH]
#           [--share PATH]... [--port NAME=PTY]...
# --run is the run folder (9p tag "run", /mnt/run in the guest); --share makes a host folder
# visible at the same path in the guest (9p tag share0, share1, ...; the guest's script mounts
# them); --port hands a host pty into the guest as the virtio-serial port NAME. Without
# --writable the disk is a snapshot: the image never changes.
set -u
image= run= console= writable=0 init=/mnt/run/init.sh
shares=() ports=()
while [ $# -gt 0 ]; do
  case "$1" in
    --image) image=$2; shift 2 ;;
    --run) run=$2; shift 2 ;;
    --console) console=$2; shift 2 ;;
    --writable) writable=1; shift ;;
    --init) init=$2; shift 2 ;;
    --share) shares+=("$2"); shift 2 ;;
    --port) ports+=("$2"); shift 2 ;;
    *) echo "qemu.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
command -v qemu-system-i386 >/dev/null ||
  { echo "qemu.sh: qemu-system-i386 is not installed (scripts/install-deps.sh installs it)" >&2; exit 3; }

if [ $writable -eq 1 ]; then
  disk="file=$image/root.img,format=raw,if=virtio,cache=unsafe"
else
  disk="file=$image/root.img,format=raw,if=virtio,cache=unsafe,snapshot=on,readonly=off"
fi
args=(
  # SMAP on makes the guest kernel kill every Wine process (an oops at an iret reading the
  # user stack under this QEMU): it must be off.
  -cpu max,-smap -accel tcg,thread=multi -smp 2 -m 2048
  -nodefaults -no-user-config -display none -no-reboot -serial none -parallel none
  -kernel "$image/vmlinuz" -initrd "$image/initrd.img"
  # The console is a virtio console (hvc0): on ttyS0 Wine would make it COM1. No ISA serial
  # ports either (8250.nr_uarts=0): the kernel would still make ttyS0-3, which open without
  # hardware behind them, and Wine would offer them as COM1-4 that no real PC without ports has.
  -append "console=hvc0 8250.nr_uarts=0 panic=1 loglevel=4 init=$init"
  -drive "$disk"
  -device virtio-serial-pci,max_ports=32
  -chardev "file,id=console,path=$console,append=on"
  -device virtconsole,chardev=console
  -virtfs "local,path=$run,mount_tag=run,security_model=none,id=run"
)
i=0
for s in "${shares[@]}"; do
  args+=(-virtfs "local,path=$s,mount_tag=share$i,security_model=none,id=share$i")
  i=$((i + 1))
done
i=0
for p in "${ports[@]}"; do
  args+=(-chardev "serial,id=port$i,path=${p#*=}" -device "virtserialport,chardev=port$i,name=${p%%=*}")
  i=$((i + 1))
done
exec qemu-system-i386 "${args[@]}"
