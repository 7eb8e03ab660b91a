#!/bin/sh
# The Windows programs are built for ASLR (a relocatable image, high-entropy
# addresses on 64 bits) and DEP.
# Usage: check_hardening.sh EXE...
status=0
for exe in "$@"; do
    if [ ! -f "$exe" ]; then
        echo "$exe: missing (scripts/test builds it before the tests run)"
        status=1
        continue
    fi
    headers=$(x86_64-w64-mingw32-objdump -p "$exe")
    wanted="DYNAMIC_BASE NX_COMPAT"
    echo "$headers" | grep -q 'Magic.*020b' && wanted="$wanted HIGH_ENTROPY_VA"  # PE32+
    missing=""
    for flag in $wanted; do
        echo "$headers" | grep -q "^[[:space:]]*$flag\$" || missing="$missing $flag"
    done
    # ASLR can only move an image that keeps its relocations.
    x86_64-w64-mingw32-objdump -h "$exe" | grep -q ' \.reloc ' || missing="$missing .reloc"
    if [ -n "$missing" ]; then
        echo "$exe: missing$missing"
        status=1
    else
        echo "$exe: $wanted"
    fi
done
exit $status
