#!/bin/sh
# Makes (setup) or removes (cleanup) folders that Windows calls cannot get through, from the
# Linux side where nothing inside Wine can undo it. Each holds a set.ini with the old lines:
#   folder-only/  the folder immutable (nothing created, renamed or deleted in it); set.ini writable
#   both/         the folder and set.ini immutable: even root cannot write either
#   empty/        the folder immutable, no set.ini
#   loop/         set.ini a symbolic link to itself: its attributes cannot be read
set -eu
action="$1"
dir="$2"
if [ -d "$dir" ]; then
    chattr -R -i "$dir" 2>/dev/null || true
    rm -rf "$dir"
fi
if [ "$action" = setup ]; then
    for sub in folder-only both empty loop; do
        mkdir -p "$dir/$sub"
    done
    printf '0\r\n00\r\n00\r\nFalse\r\n' >"$dir/folder-only/set.ini"
    printf '0\r\n00\r\n00\r\nFalse\r\n' >"$dir/both/set.ini"
    ln -s set.ini "$dir/loop/set.ini"
    chattr +i "$dir/both/set.ini" "$dir/folder-only" "$dir/both" "$dir/empty"
    if touch "$dir/empty/probe" 2>/dev/null; then
        echo "the folder is still writable: chattr +i has no effect here" >&2
        exit 1
    fi
fi
