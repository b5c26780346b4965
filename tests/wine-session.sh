#!/usr/bin/env bash
# start PREFIX: creates the Wine prefix if needed and starts a persistent
#   wineserver for it, so that each program the tests run starts in a fraction
#   of a second instead of seconds.
#   Drive D: of the prefix is a folder on /dev/shm, a file system of its
#   own, so that tests can move files across volumes.
# stop PREFIX: ends that wineserver and every Wine process of the prefix.
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
other_volume=/dev/shm/relauncher-$(printf '%s' "$WINEPREFIX" | md5sum | cut -c1-12)

case "$action" in
start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 </dev/null
    fi
    mkdir -p "$other_volume"
    ln -sfn "$other_volume" "$WINEPREFIX/dosdevices/d:"
    # The server and Wine's services inherit the pipes of whoever starts them,
    # and ctest would wait for those pipes to close: detach them all.
    setsid wineserver --persistent </dev/null >/dev/null 2>&1 &
    # A program that crashes ends there and then: the debugger that Wine
    # would start for it waits for a user who is not there.
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
        </dev/null >/dev/null 2>&1 || true
    ;;
stop)
    wineserver --kill || true
    rm -rf "$other_volume"
    ;;
*)
    echo "usage: $0 start|stop PREFIX" >&2
    exit 2
    ;;
esac
