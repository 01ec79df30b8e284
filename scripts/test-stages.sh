#!/usr/bin/env bash
# The stages of `make test`, side by side where they are independent:
#   test-stages.sh JOBS
# What the native builds need is installed before this starts; the rest installs beside the
# native build. The builds follow one another (each already uses every core); a stage's tests
# start as soon as its build is done and run while the next builds compile: the Windows tests
# under Wine (which mostly wait: on Wine, on the screen, on simulated modems), the native
# tests, the sanitizer tests, the fuzzers. Where 32-bit code cannot run, the Windows tests run
# in the emulated i386 PC instead, whose image is built (or found in the cache) as soon as the
# install is done. Each stage logs to build/logs/STAGE.log. When a stage ends, one
# line says how it went and how long it took, with CTest's summary; a failed stage's whole log
# is printed at the end. Exit status 0 only when every stage passed.
set -u
jobs=${1:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
logs=$root/build/logs
mkdir -p "$logs"
rm -f "$logs"/*.log "$logs"/*.status
# The stages install nothing themselves: the install stage below does, once.
make_quiet() { make --no-print-directory DEPS= JOBS="$jobs" "$@"; }
started=$SECONDS

# set_status NAME STATUS: in one step, since another line of stages may be waiting to read it.
set_status() {
  echo "$2" >"$logs/$1.status.new" && mv -f "$logs/$1.status.new" "$logs/$1.status"
}

# run_stage NAME COMMAND...: runs one stage into its log; records and reports its outcome.
run_stage() {
  local name=$1 log=$logs/$1.log begin=$SECONDS status
  shift
  printf '[%4d s] %s: started\n' $((SECONDS - started)) "$name"
  "$@" >"$log" 2>&1 </dev/null
  status=$?
  set_status "$name" "$status"
  if [ "$status" -eq 0 ]; then
    printf '[%4d s] %s: passed in %d s' $((SECONDS - started)) "$name" $((SECONDS - begin))
  else
    printf '[%4d s] %s: FAILED (exit %d) after %d s' $((SECONDS - started)) "$name" "$status" \
      $((SECONDS - begin))
  fi
  # CTest's and the fuzzers' summaries, on the same line, and how many tests passed only
  # when run a second time.
  local summary second
  summary=$(grep -E '^[0-9]+% tests passed|^fuzz: [0-9]+ passed' "$log" | tr '\n' ' ')
  second=$(passed_on_second_run "$log")
  case "$summary" in *'tests passed'*) summary="$summary($second passed only on their second run) " ;; esac
  printf '%s\n' "${summary:+  -- $summary}"
  return "$status"
}

# passed_on_second_run LOG: tests that CTest (--repeat until-pass:2) reports failed once and
# then passed.
passed_on_second_run() {
  local failed passed
  failed=$(sed -nE 's/.*Test +#[0-9]+: ([^ ]+) .*\*\*\*(Failed|Timeout|Exception).*/\1/p' "$1" | sort -u)
  passed=$(sed -nE 's/.*Test +#[0-9]+: ([^ ]+) .* Passed .*/\1/p' "$1" | sort -u)
  comm -12 <(printf '%s\n' "$failed") <(printf '%s\n' "$passed") | grep -c .
}

# skip_stage NAME WHY: a stage that cannot run because one it needs failed.
skip_stage() {
  printf '[%4d s] %s: skipped (%s)\n' $((SECONDS - started)) "$1" "$2"
  echo "$2" >"$logs/$1.log"
  set_status "$1" skipped
}

# What the native builds need is installed already (make test did that); the rest — the
# cross compiler, Wine, the display, Prometheus, the emulated PC's tools — installs while the
# native build compiles, since most of an install is waiting on downloads.
run_stage install scripts/install-deps.sh &
finished() { [ -f "$logs/$1.status" ]; }
passed() {
  while ! finished "$1"; do sleep 1; done
  [ "$(cat "$logs/$1.status")" = 0 ]
}

# beside_guest COMMAND...: where the Windows tests run in the emulated PC, the builds beside
# them yield the processor to it: the PC cannot keep the link's timing (a 100 ms silence ends
# a reply) while it waits for the host's cores, and the builds lose little, taking what the
# PC leaves idle. (A subshell that lowers its own priority, since COMMAND may be a function.)
beside_guest() {
  if finished install && passed install && [ "$(scripts/windows-test-arch.sh)" = win64 ]; then
    (renice -n 19 -p "$BASHPID" >/dev/null && "$@")
  else
    "$@"
  fi
}
# run_asan: the sanitizer build, and its tests beside whatever builds next.
run_asan() {
  if run_stage build-asan beside_guest make_quiet asan; then
    run_stage test-asan make_quiet run-test-asan &
  else
    skip_stage test-asan "its build failed"
  fi
}

# On a machine that refuses 32-bit code the Windows tests run in the emulated i386 PC. Its
# image (cached after the first time) is the longest path, so it is built as soon as the
# install tells which way this machine goes, beside the builds; its tests start once both it
# and the builds they need exist.
guest_line() {
  passed install || return
  [ "$(scripts/windows-test-arch.sh)" = win64 ] || return
  if ! run_stage guest-image scripts/guest/build-image.sh; then
    skip_stage test-win32-guest "the guest's image was not built"
    return
  fi
  while ! finished build-guest-sim; do sleep 1; done
  if [ "$(cat "$logs/build-guest-sim.status")" = 0 ]; then
    run_stage test-win32-guest make_quiet run-test-win32-guest
  else
    skip_stage test-win32-guest "a build it needs failed"
  fi
}
guest_line &

native_ok=0
run_stage build-native make_quiet native && native_ok=1
# While the install still runs, the sanitizer build (which needs nothing more) goes first.
asan_done=0
if ! finished install; then
  run_asan
  asan_done=1
fi
if ! passed install; then
  for stage in build-win32 test-windows test-native build-guest-sim; do
    skip_stage "$stage" "the install failed"
  done
elif [ $native_ok -eq 0 ]; then
  for stage in build-win32 test-windows test-native build-guest-sim; do
    skip_stage "$stage" "a build it needs failed"
  done
else
  arch=$(scripts/windows-test-arch.sh)
  if [ "$arch" = win32 ]; then
    # 32-bit code runs here: the product's build is tested under plain 32-bit Wine.
    if run_stage build-win32 make_quiet win32; then
      run_stage test-windows make_quiet run-test-windows &
      run_stage test-native make_quiet run-test-native &
    else
      skip_stage test-windows "a build it needs failed"
      skip_stage test-native "a build it needs failed"
    fi
  else
    # This machine refuses 32-bit code: the 32-bit build's Windows tests run in the emulated
    # i386 PC, whose image the guest line (started at the beginning) builds or finds.
    if run_stage build-win32 make_quiet win32; then
      run_stage test-native make_quiet run-test-native &
      run_stage build-guest-sim make_quiet guest-sim
    else
      skip_stage test-native "a build it needs failed"
      skip_stage build-guest-sim "a build it needs failed"
    fi
  fi
fi
[ $asan_done -eq 1 ] || run_asan
if run_stage build-fuzz beside_guest make_quiet fuzz-build; then
  run_stage fuzz-smoke make_quiet run-fuzz-smoke &
else
  skip_stage fuzz-smoke "its build failed"
fi
wait

failed=()
for status_file in "$logs"/*.status; do
  [ "$(cat "$status_file")" = 0 ] || failed+=("$(basename "$status_file" .status)")
done
for name in "${failed[@]}"; do
  printf '\n======== %s: log (%s) ========\n' "$name" "$logs/$name.log"
  cat "$logs/$name.log"
done
if [ ${#failed[@]} -eq 0 ]; then
  printf '\nmake test: every stage passed in %d s\n' $((SECONDS - started))
  exit 0
fi
printf '\nmake test: %d stage(s) failed: %s (%d s)\n' ${#failed[@]} "${failed[*]}" $((SECONDS - started))
exit 1
