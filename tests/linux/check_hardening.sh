#!/bin/sh
# The Linux programs are built hardened: position-independent (so ASLR moves
# them), relocations read-only and bound at start (RELRO, BIND_NOW), stack
# protection, and the checked C library calls of _FORTIFY_SOURCE.
# Usage: check_hardening.sh ELF...
status=0
for elf in "$@"; do
    if [ ! -f "$elf" ]; then
        echo "$elf: missing"
        status=1
        continue
    fi
    missing=""
    readelf -h "$elf" | grep -q 'Type:[[:space:]]*DYN' || missing="$missing PIE"
    readelf -d "$elf" | grep -q 'FLAGS_1.*PIE' || missing="$missing PIE-flag"
    readelf -lW "$elf" | grep -q 'GNU_RELRO' || missing="$missing RELRO"
    readelf -d "$elf" | grep -Eq 'BIND_NOW|FLAGS_1.* NOW' || missing="$missing BIND_NOW"
    symbols=$(readelf --dyn-syms -W "$elf")
    echo "$symbols" | grep -q '__stack_chk_fail' || missing="$missing stack-protector"
    echo "$symbols" | grep -Eq '__[a-z0-9_]+_chk(@| |$)' || missing="$missing FORTIFY_SOURCE"
    if [ -n "$missing" ]; then
        echo "$elf: missing$missing"
        status=1
    else
        echo "$elf: hardened"
    fi
done
exit $status
