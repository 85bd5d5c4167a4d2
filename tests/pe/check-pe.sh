#!/usr/bin/env bash
# Checks the hardening of a Windows executable from its PE headers:
#   dynamic base (ASLR), NX compatible, high-entropy VA (64-bit), no section both writable and
#   executable, and every imported DLL one that Windows only ever loads from System32 (the
#   KnownDLLs, plus ntdll and the api-ms-win-* sets, which the loader resolves itself).
# Usage: check-pe.sh OBJDUMP EXE. Prints one line per failed check; exits 1 on any failure.
set -euo pipefail

objdump="$1"
exe="$2"

if [[ ! -f $exe ]]; then
    echo "FAIL: $exe does not exist (build it first)"
    exit 1
fi

declare -A known_dll
for dll in advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 \
    msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi \
    user32 wldap32 ws2_32 ntdll kernelbase; do
    known_dll[$dll.dll]=1
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

headers="$(mktemp)"
trap 'rm -f "$headers"' EXIT
"$objdump" -p "$exe" >"$headers"

# --- optional header: the DllCharacteristics flags
magic="$(awk '$1 == "Magic" { print $2; exit }' "$headers")"
characteristics="$(awk '$1 == "DllCharacteristics" { print $2; exit }' "$headers")"
if [[ -z $characteristics ]]; then
    fail "no DllCharacteristics in the headers of $exe"
    characteristics=0
fi
flags=$((16#$characteristics))
((flags & 0x0040)) || fail "dynamic base (ASLR) is off"
((flags & 0x0100)) || fail "NX compatible is off"
if [[ $magic == 020b ]]; then
    ((flags & 0x0020)) || fail "high-entropy VA is off"
fi

# --- section table, read from the file itself: Characteristics of each section
u16() { od -An -tu2 -j "$1" -N2 "$exe" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$exe" | tr -d ' '; }
pe="$(u32 60)"
if [[ "$(od -An -tx1 -j "$pe" -N4 "$exe" | tr -d ' ')" != 50450000 ]]; then
    fail "$exe is not a PE file"
else
    sections="$(u16 $((pe + 6)))"
    optional_size="$(u16 $((pe + 20)))"
    table=$((pe + 24 + optional_size))
    for ((i = 0; i < sections; i++)); do
        entry=$((table + 40 * i))
        name="$(od -An -c -j "$entry" -N8 "$exe" | tr -d ' ' | sed 's/\\0//g')"
        scn=$(u32 $((entry + 36)))
        # IMAGE_SCN_MEM_EXECUTE 0x20000000, IMAGE_SCN_MEM_WRITE 0x80000000
        if ((scn & 0x20000000)) && ((scn & 0x80000000)); then
            fail "section $name is both writable and executable"
        fi
    done
fi

# --- imports (the ordinary and the delay-loaded ones)
while read -r dll; do
    lower="${dll,,}"
    if [[ $lower == api-ms-win-* || $lower == ext-ms-win-* ]]; then
        continue
    fi
    if [[ -z ${known_dll[$lower]:-} ]]; then
        fail "imports $dll, which is not a KnownDLL (a copy beside the program would be loaded)"
    fi
done < <(awk '/DLL Name:/ { print $NF }' "$headers" | sort -u)

if ((failures)); then
    echo "$exe: $failures check(s) failed"
    exit 1
fi
echo "$exe: dynamic base, NX, $([[ $magic == 020b ]] && echo "high-entropy VA, ")no W+X section, imports: $(awk '/DLL Name:/ { printf "%s ", $NF }' "$headers")"
