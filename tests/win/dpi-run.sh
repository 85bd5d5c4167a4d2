#!/usr/bin/env bash
# Runs the display-scale tests in a prefix of their own that runs at DPI.
#   dpi-run.sh DPI ROOT TESTS.exe [SHOTS]
# ROOT/dpi-DPI is a fresh copy of the template prefix with LogPixels set; SHOTS, where given,
# gets a picture of each window off the screen (main-window-125.png, ...). The prefix is removed
# afterwards.
# Each Wine call below sets its prefix in a subshell of its own, on purpose.
# shellcheck disable=SC2030,SC2031
set -euo pipefail

# shellcheck source=scripts/lib/common.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/lib/common.sh"

dpi="$1"
root="$2"
tests="$3"
shots="${4:-}"
prefix="$root/dpi-$dpi"

stop_prefix() {
    [[ -d $prefix ]] || return 0
    (velt_wine_env && export WINEPREFIX="$prefix" && wineserver -k && wineserver -w) >/dev/null 2>&1 || true
}

# Without a display given, one of its own: the shared one ends by itself when the project
# prefix's desktop leaves, which may happen while this prefix is still being made. The pictures
# are taken off the display the test runs on.
if [[ -z ${DISPLAY:-} ]]; then
    velt_xvfb_start
    trap velt_xvfb_stop EXIT
fi
stop_prefix
mkdir -p "$root"
velt_fresh_prefix "$prefix"
(
    velt_wine_env
    export WINEPREFIX="$prefix"
    unset DISPLAY
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f
    # the scale is read when the prefix starts
    wineserver -k || true
    wineserver -w
) >"$root/dpi-$dpi.log" 2>&1

shots_w=""
work="$root/dpi-$dpi-shots"
rm -rf "$work"
if [[ -n $shots ]] && command -v import >/dev/null; then
    mkdir -p "$shots" "$work"
    shots_w="Z:${work//\//\\}"
fi
status=0
WINEPREFIX="$prefix" VELT_EXPECT_DPI="$dpi" VELT_SHOTS="$shots_w" \
    "$VELT_ROOT/scripts/wine-exec" "$tests" --gtest_filter='DpiFit.*' &
run=$!
# The test holds its windows still and says where they are; the pictures come off the X screen.
if [[ -n $shots_w ]]; then
    scale=$((dpi * 100 / 96))
    for _ in $(seq 1 600); do
        [[ -f $work/windows.txt ]] && break
        kill -0 "$run" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -f $work/windows.txt ]]; then
        sleep 1  # the X server draws in its own time
        while read -r name left top width height; do
            import -window root -crop "${width}x${height}+${left}+${top}" +repage "$shots/$name-$scale.png" || true
        done <"$work/windows.txt"
        touch "$work/taken"
    fi
fi
wait "$run" || status=$?
stop_prefix
rm -rf "$prefix" "$work"
exit "$status"
