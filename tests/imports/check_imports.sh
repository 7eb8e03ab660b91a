#!/bin/sh
# A program run from a downloads folder must import only DLLs that the
# system always loads from its own directory, so that no DLL planted beside
# it is loaded instead; and being linked statically, no compiler runtime.
# Usage: check_imports.sh EXE...
allowed="kernel32.dll user32.dll gdi32.dll shell32.dll comdlg32.dll advapi32.dll msvcrt.dll ole32.dll shlwapi.dll comctl32.dll setupapi.dll"
status=0
for exe in "$@"; do
    if [ ! -f "$exe" ]; then
        echo "$exe: missing (scripts/test builds it before the tests run)"
        status=1
        continue
    fi
    imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
    if [ -z "$imports" ]; then
        echo "$exe: no import table found"
        status=1
    fi
    for dll in $imports; do
        case " $allowed " in
        *" $dll "*) ;;
        *) echo "$exe imports $dll"; status=1 ;;
        esac
    done
    echo "$exe: $(echo $imports)"
done
exit $status
