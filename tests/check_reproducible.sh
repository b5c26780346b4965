#!/usr/bin/env bash
# Builds the release relauncher.exe from two copies of the sources in two
# differently named folders and checks that both are byte for byte the same
# as the one under test: no time stamps, no build paths.
set -euo pipefail
source_dir=$1
tested_exe=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

built=()
for folder in first "second copy/of the sources"; do
    mkdir -p "$work/$folder"
    tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$folder" -xf -
    cmake -S "$work/$folder" --preset release >/dev/null
    cmake --build "$work/$folder/build/release" >/dev/null
    built+=("$work/$folder/build/release/bin/relauncher.exe")
done

status=0
for exe in "${built[@]}"; do
    if ! cmp "$tested_exe" "$exe"; then
        status=1
    fi
done
[ "$status" = 0 ] && echo "identical: $(sha256sum <"$tested_exe" | cut -d' ' -f1) ($(stat -c %s "$tested_exe") bytes)"
exit "$status"
