# Sourced by the guest's test scripts (REPO and SHARE in $repo, $share):
# Debian's boot-time mounts and the Wine prefix, the results in SHARE/out
# (results.txt, logs/, screenshots/), the programs of SHARE/bin copied onto
# the guest's own disk, and what the window scripts run with.
. "$repo/tools/pe32/guest-env.sh"
out=$share/out
mkdir -p "$out/screenshots" "$out/logs"
: >"$out/results.txt"
cp -r "$share/bin" /tmp/bin
bin=/tmp/bin

# NAME ok|FAIL [DETAIL] [LOG]: one line on the console and in results.txt;
# after a failure the last lines of its log follow on the console.
result() {
    local line="pe32.$1 $2${3:+ $3}"
    echo "$line" >>"$out/results.txt"
    echo "$line"
    if [ "$2" = FAIL ] && [ -f "${4:-}" ]; then tail -n 12 "$4" | tr -d '\r' | sed 's/^/  | /'; fi
}
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

seconds_since() { echo "$(( $(date +%s) - $1 )) s"; }

# A GoogleTest program run in FOLDER: NAME ok with its count, or FAIL with
# the cases that failed.
gtest() {  # NAME FOLDER PROGRAM
    local begin passed failed status
    begin=$(date +%s)
    (cd "$2" && bash "$repo/tools/wine-run.sh" "$3") </dev/null >"$out/logs/$1.log" 2>&1
    status=$?
    passed=$(sed -n 's/.*\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$out/logs/$1.log")
    failed=$(grep -o '\[  FAILED  \] [A-Za-z][A-Za-z0-9_.]*' "$out/logs/$1.log" | sed 's/.* //' | sort -u | tr '\n' ' ')
    if [ $status -eq 0 ] && [ -n "$passed" ]; then result "$1" ok "$(seconds_since "$begin") ($passed tests)"
    else result "$1" FAIL "$(seconds_since "$begin"): exit $status ${failed}" "$out/logs/$1.log"; fi
}

# The service test's folder: the shipped zornik-sim.sys as zornik.sys, the
# shipped zornik.sys in real/.
service_folder() {
    mkdir -p /tmp/service/real
    cp "$bin/zornik-sim.sys" /tmp/service/zornik.sys
    cp "$bin/zornik.sys" /tmp/service/real/zornik.sys
    echo /tmp/service
}

# The failed line of a window script, from the script driver's log.
failed_line() { grep -a -A1 -m1 ':[0-9]*: ' "$1" | tr -d '\r' | tr '\n' ' '; }

# The window scripts of the PE32+ run and the channel and service tests, from
# the queue the run's guests share (/srv/queue.txt, longest first): each item
# is done by the guest that claims it first, by making its folder under
# /srv/claims, which only one guest can. One line each: "pe32.gui.NAME" or
# "pe32.NAME", ok or FAIL, with its seconds.
run_queue() {  # [ITEM]: one this guest leaves to the others
    local item name begin
    export QZ8_GUI_DRIVER_SYS=$bin/zornik-sim.sys
    while read -r item; do
        [ "$item" = "${1:-}" ] && continue
        mkdir "/srv/claims/${item//\//_}" 2>/dev/null || continue
        if [ "$item" = channel-tests ]; then
            # The channel's NT line with no driver file; the shipped drivers
            # under the service manager.
            gtest win32_channel /tmp "$bin/qz8_win32_tests.exe"
            gtest driver_service "$(service_folder)" "$bin/qz8_driver_service_tests.exe"
            continue
        fi
        name=$(basename "$item" .gui)
        begin=$(date +%s)
        if QZ8_GUI_WORK=/tmp/work/$name bash "$repo/tools/gui-test.sh" "$repo/$item" </dev/null \
            >"$out/logs/$name.log" 2>&1; then
            result "gui.$name" ok "$(seconds_since "$begin")"
        else
            result "gui.$name" FAIL "$(seconds_since "$begin"): $(failed_line "$out/logs/$name.log")" \
                "$out/logs/$name.log"
        fi
    done </srv/queue.txt
}

# FILE=VERSION...: the Windows version Wine claims to each program of that
# file name (its per-program setting, as winecfg writes it), in one Wine run.
set_versions() {
    local pair
    {
        printf 'REGEDIT4\r\n'
        for pair in "$@"; do
            printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s]\r\n"Version"="%s"\r\n' \
                "${pair%%=*}" "${pair#*=}"
        done
    } >/tmp/versions.reg
    bash "$repo/tools/wine-run.sh" reg.exe import "$(winpath /tmp/versions.reg)" </dev/null >/dev/null 2>&1
}

# Xvfb, and Wine's desktop on it, up before the first program: a program
# that opens a window where there is no desktop yet starts one and gives up
# after 10 s, which a loaded emulated machine can take, and then cannot make
# its windows. [LAUNCHER] starts the desktop's Wine processes (with_ports).
start_display() {
    bash "$repo/tools/gui-display.sh" start /tmp/display >/dev/null
    read -r DISPLAY _ </tmp/display
    export DISPLAY
    QZ8_WINE_TIMEOUT=86400 "$@" bash "$repo/tools/wine-run.sh" explorer.exe "/desktop=Default,$QZ8_WINE_DESKTOP" \
        </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && return 0
        sleep 0.5
    done
    echo "pe32: Wine's desktop did not come up" >&2
}

# As tests/gui/CMakeLists.txt gives the window scripts on the 64-bit build.
# Every wait bound is stretched for the emulation; Wine's services stay up
# between programs (starting them costs seconds here).
export QZ8_GUI_DISPLAY=state QZ8_GUI_DISPLAY_STATE=/tmp/display QZ8_GUI_TIME_SCALE=4
# The window soak: 30 passes under the emulation, not the 200 of wine64.
export QZ8_GUI_SOAK_CYCLES=30
export QZ8_GUI_DRIVER=$bin/qz8-guidriver.exe QZ8_GUI_APPDIR=$bin QZ8_GUI_SHOTS=$out/screenshots
export QZ8_WINE_KEEP=3600 QZ8_WINE_TIMEOUT=1800
