#!/usr/bin/env bash
# tools/pe32-test.sh BUILD IMAGES [SHIPPED]: the shipped PE32 images themselves, run in
# a 32-bit PC. IMAGES is the folder they are taken from (qz8fsb.exe,
# qz8fsb-sim.exe, zornik.sys, zornik-sim.sys, each found at most one folder
# down: a build tree or an unpacked release; qz8fsb.exe and zornik.sys from
# SHIPPED when given, the unpacked release zip). The guest (Debian 12 i386,
# 32-bit Wine, Xvfb; tools/pe32/guest-build.sh) is kept in a cache outside
# the clone, keyed by the files that shape it, and booted under QEMU's
# software emulation of an i440FX/PIIX4 PC, two at once:
#   - every window script that the PE32+ run (make gui-test) runs, the same
#     list, driven by a 32-bit build of the script driver, and the channel
#     and service tests with the shipped drivers, from a queue all guests
#     share;
#   - on a Pentium 4 identity with a chip at 0x69 (QEMU's i2c-ddc), the
#     production program on QEMU's real ports, on the NT line with the
#     production driver and on the 9x line with the stand-in VxD, and the
#     NT line's version branches under NT 4.0, 2000 and XP
#     (tools/pe32/guest-ports.sh), while QEMU traces every device register
#     access and every byte on the SMBus (tools/pe32/trace-check.sh); then
#     that guest takes from the queue too.
# One result line each as they come, then a summary; exit status 0 only when
# all passed.
# Environment: QZ8_PE32_CACHE (default ~/.cache/qz8fsb-pe32), QZ8_PE32_GUESTS
# (guests for the window scripts besides the Pentium 4 one, default 1: one
# emulator a core; a third on two cores cost each some 40 % more processor
# time and the run a third longer), and those of
# tools/pe32/guest-boot.sh.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${1:?usage: pe32-test.sh BUILD IMAGES}")
images=$(realpath -m "${2:?usage: pe32-test.sh BUILD IMAGES [SHIPPED]}")
# SHIPPED: where qz8fsb.exe and zornik.sys come from instead (the unpacked
# release zip: what is tested is what ships).
shipped=$(realpath -m "${3:-$images}")
run=$build/pe32-run
started=$(date +%s)
elapsed() { echo $(( $(date +%s) - started )); }
say() { echo "pe32-test: $*"; }

# The shipped images.
declare -A image
for name in qz8fsb.exe qz8fsb-sim.exe zornik.sys zornik-sim.sys; do
    case $name in qz8fsb.exe|zornik.sys) from=$shipped ;; *) from=$images ;; esac
    found=$(find "$from" -maxdepth 2 -name "$name" -type f 2>/dev/null)
    if [ -z "$found" ] || [ "$(echo "$found" | wc -l)" -ne 1 ]; then
        say "want exactly one $name in $from (or one folder down); found: ${found:-none}"
        exit 2
    fi
    image[$name]=$found
done

# The test programs, 32-bit, built while the guest is made.
tests_build=$build/pe32
test_programs=(tests/gui/driver/qz8-guidriver.exe app/qz8fsb-simcpu.exe tests/qz8_win32_tests.exe
               tests/qz8_driver_service_tests.exe tests/pe32/qz8-survey-win32.exe)
(
    cmake -S "$root" -B "$tests_build" -DCMAKE_BUILD_TYPE=Release -DQZ8_PE32_TESTS=ON \
        -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-i686-posix.cmake" >/dev/null &&
    cmake --build "$tests_build" -j 2 --target qz8-guidriver qz8fsb-simcpu qz8_win32_tests \
        qz8_driver_service_tests qz8-survey-win32 zornik-vxd
) >"$build/pe32-tests-build.log" 2>&1 &
tests_pid=$!

# The guest, from the cache or made now.
if ! cached=$(bash "$here/pe32/guest-cache.sh" | tail -n 1) || [ -z "$cached" ]; then
    say "FAILED: the guest could not be made"
    exit 1
fi
read -r how guest made <<<"$cached"
if [ "$how" = warm ]; then
    warm=1
    say "guest ${guest##*/} from the cache"
else
    warm=0
    say "guest made in $made s"
fi

if ! wait "$tests_pid"; then
    tail -n 30 "$build/pe32-tests-build.log"
    say "FAILED: the 32-bit test programs did not build"
    exit 1
fi

# The list the PE32+ run uses: the window scripts among make gui-test's
# tests, with the seconds each took there when it has run.
win64=$build/win64
if [ ! -f "$win64/CTestTestfile.cmake" ]; then
    cmake -S "$root" -B "$win64" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-x86_64.cmake" >/dev/null || exit 1
fi
scripts=$( (cd "$win64" && ctest --show-only=json-v1 -L gui) | grep -o '"[^"]*\.gui"' | tr -d '"' | awk '!seen[$0]++')
pe32plus_count=$(echo "$scripts" | grep -c .)
for script in $scripts; do
    case "$script" in
        "$root"/*) ;;
        *) say "$script is not in this clone ($win64 was configured elsewhere)"; exit 2 ;;
    esac
done

# The queue of window scripts and the channel and service tests that the
# guests share: longest first, each taken by the first guest free to. A
# script costs the seconds it took in the PE32+ run (as ctest recorded them,
# run alone or in make test); one that has not run there, a guess from its
# program starts, those through the driver (a PCI scan of some 16,500
# requests each) counting five times.
rm -rf "$run"
guests=${QZ8_PE32_GUESTS:-1}
cost_of() {  # SCRIPT
    local name seconds
    name=$(basename "$1" .gui)
    seconds=$(awk -v t="gui.$name" '$1 == t {c = $3} END {if (c != "") print c}' \
        "$win64/Testing/Temporary/CTestCostData.txt" "$build/Testing/Temporary/CTestCostData.txt" 2>/dev/null)
    [ -n "$seconds" ] && { echo "$seconds"; return; }
    echo $(( $(grep -c '^start ' "$1") + 4 * $(grep -c '^start ${APP_\(PROD\|SIMCPU\)}' "$1") ))
}
queue=$run/queue
mkdir -p "$queue/claims"
for script in $scripts; do
    echo "$(cost_of "$script") ${script#"$root"/}"
done | { cat; echo "3 channel-tests"; } | sort -rn | awk '{print $2}' >"$queue/queue.txt"
# Each guest's share: the images and the test programs.
for ((g = 1; g <= guests; g++)); do
    share=$run/guest-$g
    mkdir -p "$share/bin"
    for name in "${!image[@]}"; do cp "${image[$name]}" "$share/bin/$name"; done
    for program in "${test_programs[@]}"; do cp "$tests_build/$program" "$share/bin/"; done
done
ports=$run/ports
mkdir -p "$ports"
cp -r "$run/guest-1/bin" "$ports/bin"
# The stand-in VxD: only the Pentium 4 guest runs the 9x line.
cp "$tests_build/tests/pe32/zornik.vxd" "$ports/bin/"
# The guests read the scripts from a copy: what runs is what was there at
# the start, whatever changes in the clone meanwhile.
mkdir -p "$run/repo/tests"
cp -r "$root/tools" "$run/repo/"
cp -r "$root/tests/gui" "$root/tests/pe32" "$run/repo/tests/"

# Each boot runs on a copy-on-write layer over the cached disk; its result
# lines are shown as they come.
boot() {  # MODE SHARE CPU [QEMU ARGS]
    local mode=$1 share=$2 cpu=$3
    qemu-img create -q -f qcow2 -F raw -b "$guest/disk.img" "$share/disk.qcow2"
    : >"$share/console.log"
    QZ8_PE32_DISK=$share/disk.qcow2 QZ8_PE32_DISK_FORMAT=qcow2 QZ8_PE32_CPU=$cpu QZ8_PE32_QEMU_ARGS=${4:-} \
        QZ8_PE32_QUEUE=$queue bash "$here/pe32/guest-boot.sh" "$guest" "$mode" "$run/repo" "$share" &
    local qemu=$!
    tail -n +1 -f --pid=$qemu "$share/console.log" 2>/dev/null | sed -un 's/\r$//; /^pe32\./p'
    wait $qemu
    rm -f "$share/disk.qcow2"
}
p4='qemu32,vendor=GenuineIntel,family=15,model=2,stepping=7,model-id=Intel(R) Pentium(R) 4 CPU 2.40GHz,+sse,+sse2'
# The clock generator's stand-in: QEMU's i2c-ddc at 0x69 on the PIIX4's
# SMBus, which answers reads with a display's identification bytes and
# ignores writes.
boot ports "$ports" "$p4" "-device i2c-ddc,address=0x69 -trace enable=memory_region_ops_write
    -trace enable=memory_region_ops_read -trace enable=i2c_event -trace enable=i2c_send -trace enable=i2c_recv
    -D $ports/trace.log" &
boots=($!)
for ((g = 1; g <= guests; g++)); do
    boot tests "$run/guest-$g" "${QZ8_PE32_CPU:-max,-smap}" &
    boots+=($!)
done
wait "${boots[@]}"

# What QEMU saw the Pentium 4 machine do.
bash "$here/pe32/trace-check.sh" "$ports"

# A failure: its line, its screenshot and log, the guest's console tail.
failed=0
for share in "$run"/guest-* "$ports"; do
    results=$share/out/results.txt
    if ! grep -q '^PE32-DONE' "$results" 2>/dev/null; then
        say "the guest did not finish: $share/console.log"
        echo "     the guest's console, last lines:"
        tr -d '\r' <"$share/console.log" | grep -av '^pe32\.' | tail -n 15 | sed 's/^/     | /'
        failed=1
    fi
    while IFS= read -r line; do
        name=${line%% *}; name=${name##*.}
        echo "---- $line"
        for file in "$share/out/screenshots/$name-failed.png" "$share/out/logs/$name.log"; do
            [ -f "$file" ] && echo "     $file"
        done
        echo "     the guest's console from there:"
        tr -d '\r' <"$share/console.log" | grep -a -F -x -A 14 "$line" | tail -n +2 | sed 's/^/     /'
        failed=1
    done < <(grep -a ' FAIL' "$results" 2>/dev/null)
done
all=$(cat "$run"/guest-*/out/results.txt "$ports/out/results.txt" 2>/dev/null | grep -a '^pe32\.')
gui_count=$(echo "$all" | grep -c '^pe32\.gui\.')
[ "$gui_count" -eq "$pe32plus_count" ] || failed=1
say "window scripts: $gui_count run on PE32, $pe32plus_count on PE32+ (make gui-test)"
say "$(echo "$all" | grep -c ' ok') of $(echo "$all" | grep -c .) passed"
for share in "$ports" "$run"/guest-*; do
    say "guest ${share##*/}: $(cat "$share/time.txt" 2>/dev/null)"
done
if [ $warm -eq 1 ]; then
    say "time: $(elapsed) s with the guest from the cache (warm; bound 600 s)"
    cold=$(cat "$guest/cold-seconds" 2>/dev/null)
    if [ -n "$cold" ]; then
        say "time: $cold s from an empty cache (cold; bound 1200 s), measured when this guest was made"
    else
        say "the guest was made beforehand (make pe32-guest) in $(cat "$guest/made-seconds" 2>/dev/null) s"
    fi
else
    elapsed >"$guest/cold-seconds"
    say "time: $(elapsed) s from an empty cache (cold; bound 1200 s)"
fi
[ $failed -eq 0 ] && say "every result passed" || say FAILED
exit $failed
