#!/usr/bin/env bash
# Stands in for qemu-system-i386 in the tests of win32-guest.sh: plays the guest's side of a
# run (the run folder's out, err and status, the console) as STUB_GUEST says, on this machine.
run= console= ports=()
while [ $# -gt 0 ]; do
  case "$1" in
    -virtfs) case "$2" in *mount_tag=run,*) run=${2#local,path=}; run=${run%%,*} ;; esac; shift 2 ;;
    -chardev)
      case "$2" in
        file,id=console,*) console=${2#*path=}; console=${console%%,*} ;;
        serial,*) ports+=("${2#*path=}") ;;
      esac
      shift 2 ;;
    *) shift ;;
  esac
done
echo "stub guest booting" >>"$console"
case "${STUB_GUEST:-run}" in
  run)
    # The command runs here, in the project root, as the guest's session would run it.
    (cd "$(sed -n 's/^PROJECT=//p' "$run/env")" && bash -c "$(cat "$run/command")") \
      >"$run/out" 2>"$run/err"
    echo $? >"$run/status" ;;
  shot)
    echo "a picture" >"$run/screenshot.png"
    echo 0 >"$run/status" ;;
  ports)
    for p in "${ports[@]}"; do
      [ -c "$p" ] && echo "port $p" >>"$run/out"
    done
    grep '^PORTS=' "$run/env" >>"$run/out"
    echo 0 >"$run/status" ;;
  hang)
    echo "stub guest stuck at step 7" >>"$console"
    sleep 300 ;;
  panic)
    echo "Kernel panic - not syncing: VFS: Unable to mount root fs" >>"$console" ;;
  oops)
    echo "BUG: unable to handle page fault for address: 0badc0de" >>"$console"
    echo 0 >"$run/status" ;;
  setup)
    echo "Wine did not start in the guest" >"$run/setup-error" ;;
esac
exit 0
