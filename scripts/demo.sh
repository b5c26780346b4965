#!/usr/bin/env bash
# A live self-update under Wine: version 1 of the example application runs,
# starts the relauncher with version 2 staged beside it, is ended and
# replaced, and version 2 starts. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-toolchain.sh --test
cmake --preset test >/dev/null
cmake --build --preset test --target demo >/dev/null
prefix=$PWD/build/test/wineprefix
bash tests/wine-session.sh start "$prefix"
trap 'bash tests/wine-session.sh stop "$prefix"' EXIT
WINEPREFIX=$prefix WINEDEBUG=-all wine build/test/bin/demo.exe
