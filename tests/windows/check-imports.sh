#!/bin/sh
# The Windows programs are linked statically: each may import only DLLs that
# every Windows 10 and 11 has. Prints every other import; fails on any.
set -eu
allowed="d3d9.dll kernel32.dll msvcrt.dll user32.dll gdi32.dll shell32.dll winmm.dll"
status=0
for program in "$@"; do
    imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^.*DLL Name: //p')
    [ -n "$imports" ] || { echo "$program: no imports found"; status=1; }
    for dll in $imports; do
        lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
        case " $allowed " in
            *" $lower "*) ;;
            *) echo "$program imports $dll"; status=1 ;;
        esac
    done
done
[ $status -eq 0 ] && echo "imports: system DLLs only"
exit $status
