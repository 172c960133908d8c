#!/usr/bin/env bash
# Every Windows executable may import only from DLLs that Windows 98 and
# NT 4.0 already have.
set -u
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|COMCTL32|COMDLG32|SHELL32|MSVCRT)\.DLL$'
status=0
for exe in "$@"; do
  dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
  if [ -z "$dlls" ]; then echo "$exe: no import table found"; status=1; continue; fi
  for dll in $dlls; do
    if ! [[ $dll =~ $allowed ]]; then echo "$exe imports $dll"; status=1; fi
  done
  echo "$(basename "$exe"): $(echo $dlls)"
done
exit $status
