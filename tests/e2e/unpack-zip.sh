#!/usr/bin/env bash
# Unpacks a release zip as a user would, into a fresh folder DEST (its path has a Japanese name),
# with Info-ZIP's unzip: not the writer's own library. The zip must hold exactly one folder
# VeltPCTimer with the program, its two icons and readme.txt.
#   unpack-zip.sh ZIP DEST
set -euo pipefail

zip="$1"
dest="$2"

if [[ ! -f $zip ]]; then
    echo "FAIL: $zip does not exist (build the velt_release_zip target first)"
    exit 1
fi
expected="VeltPCTimer/
VeltPCTimer/VeltPCTimer.exe
VeltPCTimer/VELTPOWON.ico
VeltPCTimer/VELTPOWOFF.ico
VeltPCTimer/readme.txt"
listed="$(unzip -Z1 "$zip")"
if [[ $listed != "$expected" ]]; then
    echo "FAIL: $zip holds"
    echo "$listed"
    echo "instead of"
    echo "$expected"
    exit 1
fi
unzip -tq "$zip"

rm -rf "$dest"
mkdir -p "$dest"
unzip -q "$zip" -d "$dest"
echo "unpacked into $dest:"
(cd "$dest" && find . | LC_ALL=C sort)
