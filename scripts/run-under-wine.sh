#!/usr/bin/env bash
# run-under-wine.sh PROGRAM [ARGUMENTS...]: builds PROGRAM of the test
# configuration (demo, benchmark, ...) and runs it under Wine, in the build
# tree's own prefix with a wineserver of its own. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$1
shift

bash scripts/install-toolchain.sh --test
cmake --preset test >/dev/null
cmake --build --preset test --target "$program" >/dev/null
prefix=$PWD/build/test/wineprefix
bash tests/wine-session.sh start "$prefix"
trap 'bash tests/wine-session.sh stop "$prefix"' EXIT
WINEPREFIX=$prefix WINEDEBUG=-all wine "build/test/bin/$program.exe" "$@"
