#!/usr/bin/env bash
# A kernel driver image must be native-subsystem PE32 and import only from
# ntoskrnl.exe and hal.dll.
set -u
status=0
for sys in "$@"; do
  dump=$(i686-w64-mingw32-objdump -p "$sys") || { echo "$sys: not a PE image"; status=1; continue; }
  grep -q 'Subsystem.*(NT native)' <<<"$dump" || { echo "$sys: subsystem is not native"; status=1; }
  grep -q '^architecture: i386' <(i686-w64-mingw32-objdump -f "$sys") || { echo "$sys: not i386"; status=1; }
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '[:lower:]' '[:upper:]')
  [ -n "$dlls" ] || { echo "$sys: no import table"; status=1; }
  for dll in $dlls; do
    [[ $dll =~ ^(NTOSKRNL\.EXE|HAL\.DLL)$ ]] || { echo "$sys imports $dll"; status=1; }
  done
  echo "$(basename "$sys"): $(echo $dlls)"
done
exit $status
