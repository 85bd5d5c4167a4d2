#!/usr/bin/env bash
# Runs the display-scale tests in a prefix of their own that runs at DPI.
#   dpi-run.sh DPI ROOT TESTS.exe [SHOTS]
# ROOT/dpi-DPI is a fresh copy of the template prefix with LogPixels set; SHOTS, where given,
# gets a picture of each window (main-window-125.png, ...). The prefix is removed afterwards.
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
if [[ -n $shots ]]; then
    mkdir -p "$shots"
    shots_w="Z:${shots//\//\\}"
fi
status=0
WINEPREFIX="$prefix" VELT_EXPECT_DPI="$dpi" VELT_SHOTS="$shots_w" \
    "$VELT_ROOT/scripts/wine-exec" "$tests" --gtest_filter='DpiFit.*' || status=$?
stop_prefix
rm -rf "$prefix"

if [[ -n $shots ]] && command -v convert >/dev/null; then
    for bmp in "$shots"/*-window-$((dpi * 100 / 96)).bmp; do
        [[ -f $bmp ]] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
fi
exit "$status"
