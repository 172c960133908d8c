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

start_display() {
    bash "$repo/tools/gui-display.sh" start /tmp/display >/dev/null
    read -r DISPLAY _ </tmp/display
    export DISPLAY
}

# As tests/gui/CMakeLists.txt gives the window scripts on the 64-bit build.
# Every wait bound is stretched for the emulation; Wine's services stay up
# between programs (starting them costs seconds here).
export QZ8_GUI_DISPLAY=state QZ8_GUI_DISPLAY_STATE=/tmp/display QZ8_GUI_TIME_SCALE=4
# The window soak: 30 passes under the emulation, not the 200 of wine64.
export QZ8_GUI_SOAK_CYCLES=30
export QZ8_GUI_DRIVER=$bin/qz8-guidriver.exe QZ8_GUI_APPDIR=$bin QZ8_GUI_SHOTS=$out/screenshots
export QZ8_WINE_KEEP=3600 QZ8_WINE_TIMEOUT=1800
