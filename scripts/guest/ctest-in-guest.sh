#!/bin/bash
# Inside the guest, from the project root: the 32-bit build's CTest run, as on a machine that
# runs 32-bit code. The build's tests name the host's simulator and the build's own prefix;
# here the simulator is its static 32-bit twin and the prefix the image's prepared one (the
# guest's disk is a throw-away snapshot, so the tests may change it freely).
#   ctest-in-guest.sh BUILD_DIR SIMULATOR [CTEST ARGS...]
set -u
build=$1 sim=$2
shift 2
host_sim=$(sed -n 's/^VESMARIN_MODEMSIM:FILEPATH=//p' "$build/CMakeCache.txt")
# The build's own prefix, by the absolute name its tests use.
prefix=$(cd "$build" && pwd)/wineprefix
[ -n "$host_sim" ] && [ -e "$host_sim" ] || { echo "ctest-in-guest: $build names no simulator" >&2; exit 2; }
[ -x "$sim" ] || { echo "ctest-in-guest: no 32-bit simulator at $sim" >&2; exit 2; }
mount --bind "$sim" "$host_sim" || exit 2
mkdir -p "$prefix"
mount --bind "$WINEPREFIX" "$prefix" || exit 2
# The guest's session keeps one Wine server up on its display (the prefix is the same folder
# under either name, so the server is the same). As in scripts/wine-suite.sh, the tests then
# leave it up between them instead of paying for its start and the prefix's services each time:
# under emulation that start is the larger part of a short test.
cd "$build" && VESMARIN_WINE_SUITE=$prefix ctest "$@"
status=$?
cd /
# Lazily: the Wine server, stopped only at power-off, still holds the prefix.
umount -l "$prefix" "$host_sim"
exit $status
