#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build (make fuzz-build) for SECONDS each, at most two
# at a time, and reports one line per target and a summary line.
#   run-fuzzers.sh BUILD_DIR SECONDS
# Under BUILD_DIR: seeds/ (remade on each run from the repository's modem profiles), corpus/
# (what the fuzzers found worth keeping; grows from run to run), artifacts/ (crash inputs,
# named TARGET-crash-..., TARGET-oom-..., TARGET-timeout-...) and logs/TARGET.log.
# Exit status 0 when every target ran its time without a finding, 1 otherwise, 2 on misuse.
# Replay a finding with: BUILD_DIR/fuzzers/TARGET_fuzzer ARTIFACT
set -u

if [ $# -ne 2 ] || ! [[ "$2" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: run-fuzzers.sh BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "run-fuzzers: no build directory $1" >&2; exit 2; }
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
fuzzers="$build/fuzzers"
targets="$fuzzers/targets.txt"
parallel=2   # the machine has two cores

if [ ! -f "$targets" ]; then
  echo "run-fuzzers: $targets is missing; build with 'make fuzz-build' first" >&2
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

mkdir -p "$build/corpus" "$build/artifacts" "$build/logs"
rm -rf "$build/seeds"
mapfile -t profiles < <(find "$root/tools/modemsim/profiles" "$root/tests/profiles" \
                             "$root/tests/link/profiles" -name '*.profile' -type f 2>/dev/null | sort)
if ! "$fuzzers/fuzz_seed_maker" "$build/seeds" "${profiles[@]}"; then
  echo "run-fuzzers: making the seed corpora failed" >&2
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

export UBSAN_OPTIONS=print_stacktrace=1

# run_target NAME MAX_LEN DICT OPTIONS: one libFuzzer run; its exit status goes to logs/NAME.rc.
run_target() {
  local name=$1 max_len=$2 dict=$3 options=$4
  local log="$build/logs/$name.log"
  mkdir -p "$build/corpus/$name" "$build/seeds/$name"
  # shellcheck disable=SC2086  # OPTIONS is a list of separate flags
  timeout --kill-after=10 $((seconds + 300)) \
    "$fuzzers/${name}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" -dict="$dict" \
      -timeout=25 -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" $options \
      "$build/corpus/$name" "$build/seeds/$name" >"$log" 2>&1
  echo $? >"$build/logs/$name.rc"
}

names=()
while IFS=$'\t' read -r name max_len dict options; do
  case "$name" in ''|'#'*) continue ;; esac
  names+=("$name")
  rm -f "$build/logs/$name.rc"
  if [ ! -x "$fuzzers/${name}_fuzzer" ]; then
    echo "run-fuzzers: $fuzzers/${name}_fuzzer is missing" >"$build/logs/$name.log"
    echo 127 >"$build/logs/$name.rc"
    continue
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n; done
  run_target "$name" "$max_len" "$dict" "${options:-}" &
done <"$targets"
wait

passed=0
failed=0
for name in "${names[@]}"; do
  log="$build/logs/$name.log"
  rc=$(cat "$build/logs/$name.rc" 2>/dev/null || echo 1)
  if [ "$rc" = 0 ]; then
    runs=$(sed -n 's/^Done \([0-9]*\) runs in .*/\1/p' "$log" | tail -n 1)
    cov=$(sed -n 's/^#[0-9]*.*DONE.* cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
    echo "fuzz $name: passed (${runs:-?} runs, coverage ${cov:-?}, ${seconds} s)"
    passed=$((passed + 1))
  else
    reason=$(grep -m 1 -E 'fuzz invariant violated|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|is missing' "$log")
    crash=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    echo "fuzz $name: FAILED (exit $rc${reason:+: ${reason#*==ERROR: }}); crash file: ${crash:-none}; log: $log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
