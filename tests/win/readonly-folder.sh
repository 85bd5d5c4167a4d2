#!/bin/sh
# Makes (setup) or removes (cleanup) a folder that nobody, root included, can write in: the
# immutable attribute. It holds a set.ini the tests expect to find unchanged.
set -eu
action="$1"
dir="$2"
if [ -d "$dir" ]; then
    chattr -i "$dir"
    rm -rf "$dir"
fi
if [ "$action" = setup ]; then
    mkdir -p "$dir"
    printf '0\r\n00\r\n00\r\nFalse\r\n' >"$dir/set.ini"
    chattr +i "$dir"
    if touch "$dir/probe" 2>/dev/null; then
        echo "the folder is still writable: chattr +i has no effect here" >&2
        exit 1
    fi
fi
