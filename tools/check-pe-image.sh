#!/usr/bin/env bash
# Checks shipped PE images against the oldest systems they must load on:
# Windows NT 4.0 SP6a and Windows 98 SE for the programs, NT 4.0 for the
# drivers. Their loaders refuse an image that imports a function its DLL does
# not export, so every import must be in the vetted list, and the header must
# ask for nothing newer than 4.0.
#
#   tools/check-pe-image.sh LIST IMAGE...
#
# LIST: one "DLL function" per line; blank lines and text after '#' ignored.
# An .exe must be Windows GUI, a .sys native and import from NTOSKRNL.EXE and
# HAL.DLL only. One line per problem, one summary line per good image; the
# exit status is 1 when anything is wrong.
set -u
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

if [ $# -lt 2 ]; then
    echo "usage: $0 LIST IMAGE..." >&2
    exit 2
fi
list=$1
shift
if [ ! -s "$list" ]; then
    echo "$list: vetted import list missing or empty"
    exit 1
fi

status=0
for image in "$@"; do
    name=${image##*/}
    case $name in
    *.exe | *.EXE) subsystem=2 ;;
    *.sys | *.SYS) subsystem=1 ;;
    *)
        echo "$name: neither .exe nor .sys, so its subsystem cannot be checked"
        status=1
        continue
        ;;
    esac
    if ! headers=$("$objdump" -p "$image" 2>&1) || ! fileinfo=$("$objdump" -f "$image" 2>&1); then
        echo "$name: not readable as a PE32 image: $(head -n 1 <<<"$headers")"
        status=1
        continue
    fi
    arch=$(awk '$1 == "architecture:" { sub(/,$/, "", $2); print $2 }' <<<"$fileinfo")
    awk -v name="$name" -v arch="$arch" -v subsystem="$subsystem" '
        function problem(text) { print name ": " text; bad = 1 }
        FNR == NR {
            sub(/#.*/, "")
            if (NF == 0) next
            if (NF < 2) { problem(FILENAME " line " FNR " is not \"DLL function\""); next }
            vetted[toupper($1) " " $2] = 1
            next
        }
        # A line starting in column one begins another section of the dump.
        /^[^ \t]/ { dll = "" }
        $1 == "Magic" { magic = $2 }
        $1 ~ /^MajorO.*SystemVersion$/ { os_major = $2 }
        $1 ~ /^MinorO.*SystemVersion$/ { os_minor = $2 }
        $1 == "MajorSubsystemVersion" { sub_major = $2 }
        $1 == "MinorSubsystemVersion" { sub_minor = $2 }
        $1 == "Subsystem" { sub_kind = $2; sub_name = $0; sub(/^[^(]*/, "", sub_name) }
        /^\tDLL Name: / {
            dll = toupper($3)
            if (!(dll in dlls)) { dlls[dll] = 1; ndlls++ }
            if (subsystem == 1 && dll != "NTOSKRNL.EXE" && dll != "HAL.DLL")
                problem("a driver may import only from NTOSKRNL.EXE and HAL.DLL, not " dll)
            next
        }
        # Import rows: a tab, the thunk value, the hint or ordinal, the name;
        # objdump writes <none> for an import by ordinal.
        dll != "" && /^\t[0-9a-f]+\t/ && $2 ~ /^[0-9]+$/ && NF >= 3 {
            imports++
            if ($3 == "<none>") problem(dll " ordinal " $2 " is imported by ordinal, not by a vetted name")
            else if (!((dll " " $3) in vetted)) problem(dll " " $3 " is not in the vetted import list")
        }
        END {
            if (arch != "i386") problem("machine is " (arch == "" ? "unknown" : arch) ", not i386")
            if (magic != "010b") problem("optional header magic is " (magic == "" ? "missing" : magic) ", not 010b (PE32)")
            want = sprintf("%08x", subsystem)
            if (sub_kind != want)
                problem("subsystem is " (sub_kind == "" ? "missing" : sub_kind " " sub_name) ", not " want (subsystem == 2 ? " (Windows GUI)" : " (NT native)"))
            if (os_major "." os_minor != "4.0") problem("OS version is " os_major "." os_minor ", not 4.0")
            if (sub_major "." sub_minor != "4.0") problem("subsystem version is " sub_major "." sub_minor ", not 4.0")
            if (imports == 0) problem("no imports found in the objdump listing")
            if (bad) exit 1
            printf "%s: ok, PE32 i386 %s 4.0, %d imports from %d DLLs\n", name,
                (subsystem == 2 ? "Windows GUI" : "native"), imports, ndlls
        }
    ' "$list" - <<<"$headers" || status=1
done
exit $status
