#!/usr/bin/env bash
# Installs what the build needs (CMake and the mingw-w64 cross compiler) and,
# with --test, what the tests need too (Wine, GoogleTest's source, pefile).
# Packages that are there already are left alone, so a second run is quick.
set -euo pipefail

want_test=0
[ "${1:-}" = "--test" ] && want_test=1

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

need=()
for p in cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686; do
    have "$p" || need+=("$p")
done
if [ "$want_test" = 1 ]; then
    # wine32-preloader keeps Wine from probing the whole 32-bit address space
    # one 64 KiB block at a time, which costs about 50 s a process under qemu.
    for p in googletest python3-pefile wine wine32:i386 wine32-preloader:i386 wine64; do
        have "$p" || need+=("$p")
    done
fi

if [ "${#need[@]}" -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${need[*]} (run as root to install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    if [ "$want_test" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

[ "$want_test" = 1 ] || exit 0

# Some virtual machines run no 32-bit x86 code natively (the kernel refuses
# i386 ELF files with "Exec format error"). Wine's 32-bit loader then runs
# under qemu's user-mode emulator, registered as the handler for i386 ELF.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    have qemu-user-static || {
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null
    }
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ ! -e "$binfmt/qemu-i386" ]; then
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$binfmt/register"
    fi
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || {
        echo "32-bit x86 programs cannot run on this machine, even under qemu" >&2
        exit 1
    }
fi
