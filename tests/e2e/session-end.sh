#!/usr/bin/env bash
# The session end, end to end: for each action the program starts in a Wine prefix of its own
# with set.ini holding the current minute and "True", registers it at start-up, fires at the
# next tick and asks Wine to end the session. A relay trace of user32.ExitWindowsEx and
# shell32.Shell_NotifyIconA shows the flags and whether the tray icon went first; the program
# must end with the Wine session. Wine's ExitWindowsEx only ends the session inside the prefix
# (it runs wineboot there); nothing reaches this machine.
#   session-end.sh DIST ROOT    DIST holds VeltPCTimer.exe and the icons; ROOT is scratch space
# Each Wine call below sets its prefix in a subshell of its own, on purpose.
# shellcheck disable=SC2030,SC2031
set -euo pipefail

# shellcheck source=scripts/lib/common.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/lib/common.sh"

dist="$1"
root="$2"

if [[ -z ${DISPLAY:-} ]]; then
    echo "DISPLAY is not set: the program needs an X server (scripts/test starts Xvfb)" >&2
    exit 1
fi

rm -rf "$root"
mkdir -p "$root"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# action code -> ExitWindowsEx flags: log off 0, restart 2, power off 1
declare -A flags=([0]=0 [1]=2 [2]=1)
declare -A names=([0]="log off" [1]="restart" [2]="power off")

for action in 0 1 2; do
    prefix="$root/prefix-$action"
    app="$root/app-$action"
    trace="$root/trace-$action.log"
    velt_fresh_prefix "$prefix"
    (
        velt_wine_env
        export WINEPREFIX="$prefix"
        wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
            /d 'user32.ExitWindowsEx;shell32.Shell_NotifyIconA' /f >"$root/reg-$action.log" 2>&1
    )
    mkdir -p "$app"
    cp "$dist/VeltPCTimer.exe" "$dist/VELTPOWON.ico" "$dist/VELTPOWOFF.ico" "$app/"

    # The current minute fires at the next tick; with less than 3 s of it left, the next one.
    if ((10#$(date +%S) >= 57)); then
        minute="$(date -d '+1 minute' +%H:%M)"
    else
        minute="$(date +%H:%M)"
    fi
    printf '%s\r\n%s\r\n%s\r\nTrue\r\n' "$action" "${minute%:*}" "${minute#*:}" >"$app/set.ini"

    started=$SECONDS
    (
        velt_wine_env
        export WINEPREFIX="$prefix" WINEDEBUG=+relay
        exec wine "$app/VeltPCTimer.exe"
    ) </dev/null >"$trace" 2>&1 &
    program=$!

    # It fires within the minute (at most 3 s away) and the session takes it down.
    for _ in $(seq 1 200); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        fail "${names[$action]}: the program still runs $((SECONDS - started)) s after start"
        kill "$program" 2>/dev/null || true
    fi
    status=0
    wait "$program" || status=$?

    calls="$(grep -c 'Call user32\.ExitWindowsEx(' "$trace" || true)"
    expected="Call user32.ExitWindowsEx($(printf '%08x' "${flags[$action]}"),00000000)"
    if [[ $calls -ne 1 ]]; then
        fail "${names[$action]}: ExitWindowsEx was called $calls times (once expected)"
    elif ! grep -qF "$expected" "$trace"; then
        fail "${names[$action]}: expected '$expected', got '$(grep -o 'Call user32\.ExitWindowsEx([^)]*)' "$trace")'"
    fi

    # The tray call just before the request: NIM_DELETE (2) for a log off, else the NIM_ADD (0)
    # of the start-up registration.
    before="$(grep -E 'Call (shell32\.Shell_NotifyIconA|user32\.ExitWindowsEx)\(' "$trace" |
        grep -B1 'ExitWindowsEx' | head -n1 | grep -o 'Shell_NotifyIconA([0-9a-f]*' || true)"
    want=00000000
    [[ $action == 0 ]] && want=00000002
    if [[ $before != "Shell_NotifyIconA($want" ]]; then
        fail "${names[$action]}: the tray call before the request was '${before:-none}', not $want"
    fi

    if [[ $status -ne 0 ]]; then
        fail "${names[$action]}: the program ended with status $status"
    fi
    echo "${names[$action]} at $minute: $(grep -o 'Call user32\.ExitWindowsEx([^)]*)' "$trace" | head -n1)," \
        "program ended with status $status after $((SECONDS - started)) s"

    (velt_wine_env && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1) || true
done

if ((failures)); then
    echo "$failures failure(s); traces in $root"
    exit 1
fi
rm -rf "$root"
echo "all three actions ended the Wine session with the right flags"
