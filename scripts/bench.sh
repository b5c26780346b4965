#!/usr/bin/env bash
# Measures the relauncher under Wine over several runs (10 unless given) and
# prints a Markdown table with the date and the machine, as in the README.
# Installs what it needs first. Not a test: nothing here passes or fails.
set -euo pipefail
runs=${1:-10}

# Installed first, so that the lines below can ask Wine its version.
bash "$(dirname "$0")/install-toolchain.sh" --test
emulation="32-bit code runs natively"
[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && emulation="32-bit code runs under qemu-i386 (user mode)"
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)

echo "Measured on $(date -u +%Y-%m-%d) with \`bash scripts/bench.sh $runs\`:"
echo "$(nproc) cores of ${cpu:-an unknown CPU}, $(free -g | awk '/^Mem:/ {print $2}') GiB,"
echo "$(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version), $emulation."
echo
bash "$(dirname "$0")/run-under-wine.sh" benchmark "$runs"
