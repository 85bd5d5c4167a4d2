# shellcheck shell=bash
# Shared set-up for the project's scripts: Debian packages, the locale, the Wine prefix and a
# virtual display. Source it; every function is idempotent and cheap once things are in place.

VELT_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
VELT_BUILD="$VELT_ROOT/build"
VELT_WINE_TEMPLATE="$VELT_BUILD/wine-template"
export VELT_ROOT

# What the build, the tests and the run need on a bare Debian 12.
VELT_PACKAGES=(
    cmake ninja-build g++ googletest libgtest-dev
    # libFuzzer and the sanitizers for clang are only a recommends of clang
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64
    # wine's X11 driver loads these at run time (its recommends)
    libxrender1 libxcursor1 libxi6 libxrandr2 libxinerama1 libxcomposite1 libxfixes3 libxxf86vm1
    fonts-wine xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic locales e2fsprogs
    # the release zips are written with python3's zipfile and read back with unzip
    python3 unzip
)

velt_log() { printf '==> %s\n' "$*" >&2; }

velt_as_root() {
    if [[ $(id -u) -eq 0 ]]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Runs "$@" as one set-up step and says how long it took.
velt_step() {
    local name="$1" t0=$SECONDS status=0
    shift
    "$@" || status=$?
    if ((status == 0)); then
        velt_log "$name: $((SECONDS - t0)) s"
    else
        velt_log "$name: failed after $((SECONDS - t0)) s"
    fi
    return "$status"
}

VELT_APT_UPDATED=""
# Why the last velt_ensure_packages failed: apt's own E: lines, on one line.
VELT_APT_REASON=""

# apt's E: lines from a log, joined into one line. apt runs in the C locale here, so that its
# reasons read the same on every machine.
velt_apt_errors() {
    awk '/^E: / { sub(/^E: /, ""); printf "%s%s", sep, $0; sep = "; " }' "$1"
}

# Refreshes the package indexes once per run. An index that cannot be fetched (a mirror in the
# middle of a sync, an architecture the mirror lacks) is not a failed set-up: whatever the other
# indexes offer may still be enough, and the install that follows decides.
velt_apt_update() {
    [[ -n $VELT_APT_UPDATED ]] && return 0
    VELT_APT_UPDATED=1
    local log
    log="$(mktemp "${TMPDIR:-/tmp}/velt-apt-update.XXXXXX")"
    if ! velt_as_root env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 apt-get update -qq >"$log" 2>&1; then
        velt_log "warning: apt-get update could not fetch every package index, going on:" \
            "$(velt_apt_errors "$log")"
    fi
    rm -f "$log"
}

# Installs those of the given Debian packages that are missing. A name may carry an architecture
# (wine32:i386); that architecture is added to dpkg first. On failure it says in one line which
# packages and why (apt's E: lines, also left in VELT_APT_REASON) and returns 1.
velt_ensure_packages() {
    local missing=() pkg arch native log status=0
    local -A installed=()
    VELT_APT_REASON=""
    native="$(dpkg --print-architecture)"
    # a bare name is the package of this machine's architecture (or of all)
    while read -r pkg; do
        installed[$pkg]=1
    done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package} ${Architecture}\n' "$@" 2>/dev/null |
        awk -v native="$native" '$1 == "ii" {
            print $2 ":" $3
            if ($3 == native || $3 == "all") print $2
        }')
    for pkg in "$@"; do
        [[ -n ${installed[$pkg]:-} ]] || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0
    for pkg in "${missing[@]}"; do
        [[ $pkg == *:* ]] || continue
        arch="${pkg##*:}"
        if [[ $arch != "$native" ]] &&
            ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            velt_log "adding the $arch architecture"
            velt_as_root dpkg --add-architecture "$arch"
            VELT_APT_UPDATED=""  # the new architecture's indexes are not there yet
        fi
    done
    velt_log "installing: ${missing[*]}"
    velt_apt_update
    log="$(mktemp "${TMPDIR:-/tmp}/velt-apt-install.XXXXXX")"
    velt_as_root env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 \
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1 || status=$?
    if ((status != 0)); then
        VELT_APT_REASON="$(velt_apt_errors "$log")"
        [[ -n $VELT_APT_REASON ]] || VELT_APT_REASON="apt-get install exited with status $status"
        velt_log "could not install ${missing[*]}: $VELT_APT_REASON"
    fi
    rm -f "$log"
    return "$status"
}

# Wine reads LC_ALL itself for the code page (GetACP() is 932 either way), but converts file names
# with the C library's locale: without ja_JP.UTF-8 generated, every non-ASCII path fails.
velt_locale_ready() {
    locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'
}

velt_ensure_locale() {
    velt_locale_ready && return 0
    # A folder of its own rather than the locale archive: glibc maps the archive once per
    # process, so a locale added to it stays unknown to this very shell, which then warns when
    # it exports LC_ALL. A folder is looked up afresh every time.
    velt_as_root localedef -i ja_JP -c -f UTF-8 --no-archive /usr/lib/locale/ja_JP.utf8 ||
        velt_locale_ready
}

# Whether this machine runs 32-bit x86 programs at all (a kernel without IA32 emulation does
# not). Probed with a hand-made static i386 program of 96 bytes that only exits with status 42
# through int 0x80, so that no 32-bit library is needed before anything is installed.
velt_runs_i386() {
    local probe="$VELT_BUILD/i386-probe" status=0
    if [[ ! -x $probe ]]; then
        mkdir -p "$VELT_BUILD"
        # ELF header, one loadable segment at 0x08048000, then mov eax,1; mov ebx,42; int 0x80
        printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
            '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00' \
            '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00' \
            '\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00' \
            '\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' \
            >"$probe.$$"
        chmod +x "$probe.$$"
        mv "$probe.$$" "$probe"
    fi
    "$probe" 2>/dev/null || status=$?
    ((status == 42))
}

VELT_WINE32_LOADER=/usr/lib/wine/wine
VELT_WINE32_KERNEL32=/usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll

# Whether Wine's 32-bit half is installed whole and its loader starts: a wine32 that apt left
# half-configured, or whose 32-bit libraries are missing, is not.
velt_wine32_usable() {
    velt_runs_i386 || return 1
    [[ -x $VELT_WINE32_LOADER && -f $VELT_WINE32_KERNEL32 ]] || return 1
    [[ "$(dpkg-query -W -f='${db:Status-Abbrev}' wine32:i386 2>/dev/null)" == ii* ]] || return 1
    "$VELT_WINE32_LOADER" --version >/dev/null 2>&1
}

# What the build, the 64-bit program and its tests need, and the locale.
velt_ensure_all() {
    velt_step "packages" velt_ensure_packages "${VELT_PACKAGES[@]}" || return 1
    velt_step "locale ja_JP.UTF-8" velt_ensure_locale
}

# Why the 32-bit program cannot run here, when it cannot (empty when it can).
VELT_WINE32_MISSING=""

# Wine's 32-bit half, for the 32-bit program and its tests (the same prefix serves both). Only
# where 32-bit programs run. Any failure leaves the 32-bit program untested, with the reason in
# VELT_WINE32_MISSING; the 64-bit side does not depend on it.
velt_ensure_wine32() {
    VELT_WINE32_MISSING=""
    if ! velt_runs_i386; then
        VELT_WINE32_MISSING="this machine cannot run 32-bit programs"
        return 1
    fi
    local had_i386=1
    dpkg --print-foreign-architectures | grep -qx i386 || had_i386=""
    if ! velt_step "packages (32-bit Wine)" velt_ensure_packages wine32:i386; then
        VELT_WINE32_MISSING="wine32:i386 could not be installed: $VELT_APT_REASON"
        # an architecture added for nothing would make every later apt-get update fetch its indexes
        if [[ -z $had_i386 ]] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
            velt_as_root dpkg --remove-architecture i386 2>/dev/null || true
        fi
    fi
    if [[ -z $VELT_WINE32_MISSING ]] && ! velt_wine32_usable; then
        VELT_WINE32_MISSING="wine32:i386 is installed but cannot start 32-bit programs"
        velt_log "$VELT_WINE32_MISSING: Wine runs 64-bit only"
    fi
    [[ -z $VELT_WINE32_MISSING ]]
}

# --- Wine ------------------------------------------------------------------------------------

# A wine32 that is installed but cannot start programs would take every Wine call down with it:
# Debian's wine starts everything with the 32-bit loader once that exists. Wine is then run
# through its 64-bit loader alone, as on a machine without wine32. Decided once per run.
velt_wine_mode() {
    [[ -n ${VELT_WINE64_ONLY+set} ]] && return 0
    VELT_WINE64_ONLY=""
    if [[ -x $VELT_WINE32_LOADER ]] && ! velt_wine32_usable; then
        VELT_WINE64_ONLY=1
    fi
    export VELT_WINE64_ONLY
}

# Whether Wine runs 32-bit programs in this run (and a prefix must have its 32-bit half).
velt_wine_runs_32bit() {
    velt_wine_mode
    [[ -z $VELT_WINE64_ONLY && -x $VELT_WINE32_LOADER ]]
}

velt_wine_env() {
    velt_wine_mode
    if [[ -n $VELT_WINE64_ONLY ]]; then
        local shim="$VELT_BUILD/wine64-only"
        if [[ ! -x $shim/wine-stable ]]; then
            mkdir -p "$shim"
            # wine's helper commands (wineboot, ...) start wine-stable by name
            printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/wine.$$"
            chmod +x "$shim/wine.$$"
            cp "$shim/wine.$$" "$shim/wine-stable"
            mv "$shim/wine.$$" "$shim/wine"
        fi
        [[ :$PATH: == *":$shim:"* ]] || export PATH="$shim:$PATH"
        export WINELOADER=/usr/lib/wine/wine64
    fi
    # only a locale that exists: bash warns at every start of a shell under a missing one
    velt_locale_ready || velt_ensure_locale
    export LC_ALL=ja_JP.UTF-8
    export WINEPREFIX="${WINEPREFIX:-$VELT_BUILD/wineprefix}"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEARCH=win64
}

# Whether DIR is a finished prefix of ours. Once wine32 is installed it must have its 32-bit half
# too: a prefix made before has an empty syswow64, and every 32-bit program in it fails with
# "could not load kernel32.dll".
velt_prefix_ready() {
    local dir="$1"
    [[ -f $dir/.velt-ready ]] || return 1
    ! velt_wine_runs_32bit || [[ -f $dir/drive_c/windows/syswow64/kernel32.dll ]]
}

# The template prefix is made once (about 12 s); prefixes are copies of it (about 1 s). Locked:
# several scripts or tests may want it at the same moment.
velt_make_wine_template() {
    velt_prefix_ready "$VELT_WINE_TEMPLATE" && return 0
    velt_ensure_locale  # the font names below are Japanese
    mkdir -p "$VELT_BUILD"
    (
        flock 8
        velt_prefix_ready "$VELT_WINE_TEMPLATE" && exit 0
        if [[ -d $VELT_WINE_TEMPLATE ]]; then
            velt_log "the Wine template prefix has no 32-bit half (made before wine32): making it again"
        else
            velt_log "creating the Wine template prefix (once)"
        fi
        local tmp="$VELT_WINE_TEMPLATE.tmp.$$"
        rm -rf "$tmp"
        (
            velt_wine_env
            export WINEPREFIX="$tmp"
            unset DISPLAY
            {
                wineboot -i
                wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
                # Japanese dialog fonts resolve to IPA Gothic
                wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' \
                    /t REG_SZ /d IPAPGothic /f
                wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
                    /t REG_SZ /d IPAPGothic /f
                wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' \
                    /t REG_SZ /d IPAGothic /f
            } >"$VELT_BUILD/wine-template.log" 2>&1
            wineserver -w
        )
        cp /usr/share/wine/fonts/*.ttf "$tmp/drive_c/windows/Fonts/"
        # Debian's wineserver notes its private /tmp folder here; copies make their own.
        rm -f "$tmp/wineserver"
        touch "$tmp/.velt-ready"
        rm -rf "$VELT_WINE_TEMPLATE"
        mv "$tmp" "$VELT_WINE_TEMPLATE"
    ) 8>"$VELT_BUILD/.wine-template.lock"
}

# Makes DIR a fresh copy of the template prefix (for tests that want a prefix of their own).
velt_fresh_prefix() {
    local dir="$1"
    velt_make_wine_template
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    cp -a "$VELT_WINE_TEMPLATE" "$dir"
}

# The project prefix, build/wineprefix, made from the template when missing. Serialized with a
# lock: ctest may start several Wine tests at once.
velt_ensure_prefix() {
    local prefix="$VELT_BUILD/wineprefix"
    velt_prefix_ready "$prefix" && return 0
    mkdir -p "$VELT_BUILD"
    (
        flock 9
        if ! velt_prefix_ready "$prefix"; then
            if [[ -f $prefix/.velt-ready ]]; then
                velt_log "the Wine prefix has no 32-bit half (made before wine32): making it again"
                # nothing of the old prefix may still run while it is replaced
                (velt_wine_env && WINEPREFIX="$prefix" wineserver -k && WINEPREFIX="$prefix" wineserver -w) \
                    >/dev/null 2>&1 || true
            fi
            velt_fresh_prefix "$prefix"
        fi
    ) 9>"$VELT_BUILD/.wineprefix.lock"
}

# Stops the project prefix's wineserver and everything running in it.
velt_wine_stop() {
    (velt_wine_env && wineserver -k >/dev/null 2>&1) || true
}

# --- a virtual display -----------------------------------------------------------------------

VELT_XVFB_PID=""

# Starts Xvfb on a free display and exports DISPLAY; waits until it answers. Call it in the
# script's own shell, not in a subshell or $(...): velt_xvfb_stop needs the process id it keeps.
velt_xvfb_start() {
    local n
    for n in $(seq 90 140); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$VELT_BUILD/xvfb-$n.log" 2>&1 &
        VELT_XVFB_PID=$!
        for _ in $(seq 1 100); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$VELT_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$VELT_XVFB_PID" 2>/dev/null || true
        wait "$VELT_XVFB_PID" 2>/dev/null || true
        VELT_XVFB_PID=""
    done
    velt_log "could not start Xvfb"
    return 1
}

velt_xvfb_stop() {
    if [[ -n $VELT_XVFB_PID ]]; then
        kill "$VELT_XVFB_PID" 2>/dev/null || true
        wait "$VELT_XVFB_PID" 2>/dev/null || true
        VELT_XVFB_PID=""
    fi
}

# A display for Wine when there is none (ctest run by hand): one Xvfb shared through a note in
# build/, started with -terminate so that it ends by itself when its last client, the prefix's
# desktop process, goes away with the wineserver. Probed by its socket only: a probing client
# would end it.
velt_ensure_display() {
    [[ -n ${DISPLAY:-} ]] && return 0
    local note="$VELT_BUILD/xvfb-auto.display" lock display="" pid="" n
    mkdir -p "$VELT_BUILD"
    exec {lock}>"$VELT_BUILD/.xvfb-auto.lock"
    flock "$lock"
    if [[ -f $note ]]; then
        read -r display pid <"$note" || true
    fi
    if [[ -z $pid || -z $display ]] || ! kill -0 "$pid" 2>/dev/null ||
        [[ ! -S /tmp/.X11-unix/X${display#:} ]]; then
        display=""
        for n in $(seq 160 199); do
            [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -terminate \
                </dev/null >"$VELT_BUILD/xvfb-auto.log" 2>&1 &
            pid=$!
            for _ in $(seq 1 100); do
                [[ -S /tmp/.X11-unix/X$n ]] && break
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            if [[ -S /tmp/.X11-unix/X$n ]]; then
                display=":$n"
                echo "$display $pid" >"$note"
                break
            fi
        done
    fi
    flock -u "$lock"
    exec {lock}>&-
    if [[ -z $display ]]; then
        velt_log "could not start Xvfb"
        return 1
    fi
    export DISPLAY="$display"
}

# --- CMake -----------------------------------------------------------------------------------

# Configures a preset once; later builds re-run CMake by themselves when its files change.
velt_configure() {
    local preset="$1"
    if [[ ! -f $VELT_BUILD/$preset/build.ninja ]]; then
        cmake --preset "$preset" -S "$VELT_ROOT"
    fi
}
