#!/usr/bin/env bash
# The package set-up meets a registry that fails: an index that cannot be fetched must not end
# it, and an install that fails must say apt's own reason. Runs the real apt-get against a
# throwaway configuration (its own sources, lists, cache and dpkg status, all under WORK), so it
# needs no network and changes nothing on the machine.
set -euo pipefail

work="$1"
rm -rf "$work"
mkdir -p "$work"/{etc/apt.conf.d,etc/preferences.d,etc/trusted.gpg.d,etc/sources.list.d,state/lists/partial,cache/archives/partial,log,tmp}
work="$(cd "$work" && pwd)"
: >"$work/state/status"
# a repository that is not there: its update fails as an unreachable mirror's would
echo "deb [trusted=yes] file:$work/no-such-mirror bookworm main" >"$work/etc/sources.list"
cat >"$work/apt.conf" <<CONF
Dir::Etc::main "$work/etc/apt.conf";
Dir::Etc::parts "$work/etc/apt.conf.d";
Dir::Etc::sourcelist "$work/etc/sources.list";
Dir::Etc::sourceparts "$work/etc/sources.list.d";
Dir::Etc::preferences "$work/etc/preferences";
Dir::Etc::preferencesparts "$work/etc/preferences.d";
Dir::Etc::trustedparts "$work/etc/trusted.gpg.d";
Dir::State "$work/state";
Dir::State::status "$work/state/status";
Dir::Cache "$work/cache";
Dir::Log "$work/log";
CONF
export APT_CONFIG="$work/apt.conf" TMPDIR="$work/tmp"

# shellcheck source=scripts/lib/common.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/lib/common.sh"
# the throwaway configuration needs no root, and this test must never ask for it
velt_as_root() { "$@"; }

fail() {
    echo "FAIL: $*" >&2
    sed 's/^/  | /' "$work/setup.log" >&2
    exit 1
}

status=0
velt_ensure_packages velt-no-such-package 2>"$work/setup.log" || status=$?

((status != 0)) || fail "an install that cannot succeed was reported as done"
grep -q 'apt-get update could not fetch every package index, going on' "$work/setup.log" ||
    fail "the failed index was not reported"
# apt's reason for the install, which only comes once set-up went on past the failed update
grep -qx '==> could not install velt-no-such-package: Unable to locate package velt-no-such-package' \
    "$work/setup.log" || fail "the failed install did not give apt's reason in one line"
[[ $VELT_APT_REASON == 'Unable to locate package velt-no-such-package' ]] ||
    fail "VELT_APT_REASON is '$VELT_APT_REASON'"
# nothing left behind but in WORK
[[ -z "$(ls "$work/tmp")" ]] || fail "temporary files left: $(ls "$work/tmp")"
echo "ok: set-up went on past the failed index and gave apt's reason"
