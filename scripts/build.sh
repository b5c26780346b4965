#!/usr/bin/env bash
# Builds the release relauncher.exe, installing the toolchain first when it
# is missing, and says where the file is.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-toolchain.sh
cmake --preset release >/dev/null
cmake --build --preset release
exe=build/release/bin/relauncher.exe
echo "relauncher.exe: $PWD/$exe ($(stat -c %s "$exe") bytes)"
