#!/usr/bin/env bash
# Builds relauncher.exe with its tests and runs them all under Wine,
# installing the toolchain and Wine first when they are missing. Under CI
# (CI=true) compiler warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-toolchain.sh --test
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake --preset test -DRELAUNCHER_WARNINGS_AS_ERRORS=$werror >/dev/null
cmake --build --preset test -j2
ctest --preset test
