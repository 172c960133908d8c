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

# The failed line of a window script, from the script driver's log.
failed_line() { grep -a -A1 -m1 ':[0-9]*: ' "$1" | tr '\n' ' '; }

start_display() {
    bash "$repo/tools/gui-display.sh" start /tmp/display >/dev/null
    read -r DISPLAY _ </tmp/display
    export DISPLAY
}

# As tests/gui/CMakeLists.txt gives the window scripts on the 64-bit build.
# Every wait bound is stretched for the emulation; Wine's services stay up
# between programs (starting them costs seconds here).
export QZ8_GUI_DISPLAY=state QZ8_GUI_DISPLAY_STATE=/tmp/display QZ8_GUI_TIME_SCALE=4
export QZ8_GUI_DRIVER=$bin/qz8-guidriver.exe QZ8_GUI_APPDIR=$bin QZ8_GUI_SHOTS=$out/screenshots
export QZ8_WINE_KEEP=3600 QZ8_WINE_TIMEOUT=1800
