#!/usr/bin/env bash
# Prints the project's version: the one in the top-level CMakeLists.txt's project() line,
# which is also what `vesmarin-cli --version` prints.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "project-version: no VERSION in $root/CMakeLists.txt" >&2; exit 1; }
echo "$version"
