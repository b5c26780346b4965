#!/usr/bin/env bash
# Measures the relauncher under Wine over several runs (10 unless given) and
# prints a Markdown table with the date and the machine, as in the README.
# Installs what it needs first. Not a test: nothing here passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}

bash scripts/install-toolchain.sh --test
cmake --preset test >/dev/null
cmake --build --preset test --target benchmark >/dev/null
prefix=$PWD/build/test/wineprefix
bash tests/wine-session.sh start "$prefix"
trap 'bash tests/wine-session.sh stop "$prefix"' EXIT

emulation="32-bit code runs natively"
[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && emulation="32-bit code runs under qemu-i386 (user mode)"
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)

echo "Measured on $(date -u +%Y-%m-%d) with \`bash scripts/bench.sh $runs\`:"
echo "$(nproc) cores of ${cpu:-an unknown CPU}, $(free -g | awk '/^Mem:/ {print $2}') GiB,"
echo "$(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version), $emulation."
echo
WINEPREFIX=$prefix WINEDEBUG=-all wine build/test/bin/benchmark.exe "$runs" 2>/dev/null
