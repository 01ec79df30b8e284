#!/usr/bin/env bash
# The 32-bit Windows build's tests (build/win32) on a machine that refuses 32-bit code: CTest
# runs them inside the emulated i386 PC (scripts/win32-guest.sh), with the simulator's static
# 32-bit build (build/guest-sim/modemsim) inside the guest too, so the tests' layouts and
# timing work as on any machine. Extra arguments go to CTest.
# Exit status: CTest's; 124 when the guest ran out of time, 125 when it could not run at all.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
limit=${VESMARIN_GUEST_TEST_TIMEOUT:-1200}
sim=build/guest-sim/modemsim

cd "$root" || exit 2
[ -f build/win32/CTestTestfile.cmake ] || { echo "test-win32-guest: build/win32 is not built (make win32)" >&2; exit 2; }
[ -x "$sim" ] || { echo "test-win32-guest: no 32-bit simulator at $sim (make guest-sim)" >&2; exit 2; }

start=$SECONDS
if ! image=$(scripts/guest/build-image.sh); then
  echo "test-win32-guest: the guest's image could not be built (see above)" >&2
  exit 125
fi
echo "test-win32-guest: image $image ready after $((SECONDS - start)) s"
start=$SECONDS
# The same boot first checks the way in for the host's simulated modems (eight of them, as
# win32-guest.sh --modem hands them in), then CTest runs; both must pass. The host-modem
# check goes first: the modem tests replace the prefix's COM links.
modems=()
for n in 5 6 7 8 9 10 11 12; do modems+=(--modem "$n=tools/modemsim/profiles/full-stick.profile"); done
# The guest's two processors, and a failed test once more (as under Wine on the host, the
# Makefile's CTEST_RETRY): the emulated PC runs at about a quarter of the host's pace on
# processors that are threads of the host, which the builds of `make test` share, so the
# machine can stretch a reply past the 50 ms that end a read; a fault of the program fails
# both runs. scripts/test-stages.sh counts the tests that needed the second run.
ctest_line=$(printf '%q ' scripts/guest/ctest-in-guest.sh build/win32 "$sim" --output-on-failure \
  --timeout 600 -j2 --repeat until-pass:2 "$@")
scripts/win32-guest.sh --timeout "$limit" "${modems[@]}" -- \
  "tests/guest/host-modems-check.sh build/win32/vesmarin-cli.exe 5 6 7 8 9 10 11 12; hm=\$?;
   $ctest_line; ct=\$?; [ \$hm -eq 0 ] && exit \$ct; exit 1"
status=$?
echo "test-win32-guest: guest stage $((SECONDS - start)) s, exit $status ($(uptime | sed 's/.*load/load/'))"
exit $status
