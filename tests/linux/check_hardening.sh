#!/bin/sh
# The programs are built hardened. Linux (ELF): position-independent, so
# ASLR moves them; relocations read-only and bound at start (RELRO,
# BIND_NOW); stack protection; the checked C library calls of
# _FORTIFY_SOURCE. Windows (PE): ASLR (a relocatable image, high-entropy
# addresses on 64 bits) and DEP.
# Usage: check_hardening.sh PROGRAM...
elf_missing() {
    readelf -h "$1" | grep -q 'Type:[[:space:]]*DYN' || echo PIE
    readelf -d "$1" | grep -q 'FLAGS_1.*PIE' || echo PIE-flag
    readelf -lW "$1" | grep -q 'GNU_RELRO' || echo RELRO
    readelf -d "$1" | grep -Eq 'BIND_NOW|FLAGS_1.* NOW' || echo BIND_NOW
    symbols=$(readelf --dyn-syms -W "$1")
    echo "$symbols" | grep -q '__stack_chk_fail' || echo stack-protector
    echo "$symbols" | grep -Eq '__[a-z0-9_]+_chk(@| |$)' || echo FORTIFY_SOURCE
}

pe_missing() {
    headers=$(x86_64-w64-mingw32-objdump -p "$1")
    wanted="DYNAMIC_BASE NX_COMPAT"
    echo "$headers" | grep -q 'Magic.*020b' && wanted="$wanted HIGH_ENTROPY_VA"  # PE32+
    for flag in $wanted; do
        echo "$headers" | grep -q "^[[:space:]]*$flag\$" || echo "$flag"
    done
    # ASLR can only move an image that keeps its relocations.
    x86_64-w64-mingw32-objdump -h "$1" | grep -q ' \.reloc ' || echo .reloc
}

status=0
for program in "$@"; do
    case $(head -c 2 "$program" 2>/dev/null) in
    MZ) missing=$(pe_missing "$program") ;;
    "$(printf '\177E')") missing=$(elf_missing "$program") ;;
    *) missing="the program itself (scripts/test builds it before the tests run)" ;;
    esac
    if [ -n "$missing" ]; then
        echo "$program: missing" $missing
        status=1
    else
        echo "$program: hardened"
    fi
done
exit $status
