#!/usr/bin/env bash
# The Wine prefix of the end-to-end tests.
#   e2e-prefix.sh setup ROOT    a fresh ROOT/wineprefix (a copy of the project's template), an
#                               empty ROOT/work, and a stand-in browser that appends every
#                               address it is asked to open to ROOT/browser-calls.txt
#   e2e-prefix.sh cleanup ROOT  stops the prefix's wineserver and clears what a run left behind
# Each Wine call below sets its prefix in a subshell of its own, on purpose.
# shellcheck disable=SC2030,SC2031
set -euo pipefail

# shellcheck source=scripts/lib/common.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/lib/common.sh"

action="$1"
root="$2"
prefix="$root/wineprefix"

stop_prefix() {
    if [[ -d $prefix ]]; then
        # -k asks everything to go; -w waits until the server (and with it every process of the
        # prefix) is gone, so that nothing writes into the prefix while it is replaced.
        (velt_wine_env && export WINEPREFIX="$prefix" && wineserver -k && wineserver -w) \
            >/dev/null 2>&1 || true
    fi
    # A run that was cut short may have left folders immutable.
    if [[ -d $root/work ]]; then
        chattr -R -i "$root/work" >/dev/null 2>&1 || true
        rm -rf "$root/work"
    fi
}

case "$action" in
setup)
    if [[ -z ${DISPLAY:-} ]]; then
        echo "DISPLAY is not set: the end-to-end tests need an X server (scripts/test starts Xvfb)" >&2
        exit 1
    fi
    stop_prefix
    mkdir -p "$root/work"
    rm -f "$root/browser-calls.txt"
    velt_fresh_prefix "$prefix"

    cat >"$root/browser.sh" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$root/browser-calls.txt"
EOF
    chmod +x "$root/browser.sh"
    (
        velt_wine_env
        export WINEPREFIX="$prefix"
        wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_SZ /d "$root/browser.sh" /f \
            >"$root/prefix-setup.log" 2>&1
    )
    echo "end-to-end prefix ready: $prefix"
    ;;
cleanup)
    stop_prefix
    ;;
*)
    echo "usage: $0 setup|cleanup ROOT" >&2
    exit 2
    ;;
esac
