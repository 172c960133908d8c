# Sourced by guest-ports.sh, after the NT line, in the same guest and with
# the same port permission: the shipped production program on the 9x line.
# 32-bit Wine set to a 9x version (per program, by file name) reports
# VER_PLATFORM_WIN32_WINDOWS; the program then executes its port
# instructions itself, which reach QEMU's i440FX and PIIX4 because every
# Wine process here runs with I/O privilege level 3, and opens
# "\\.\zornik.VXD", which Wine serves from the stand-in zornik.vxd.
# One line a check: "pe32.9x.NAME ok|FAIL".

# The survey through the 9x line: the VxD's probe, then the program's own
# port instructions.
mkdir -p /tmp/prod9x
cp "$bin/zornik.vxd" /tmp/prod9x/zornik.vxd
cp "$bin/qz8-survey-win32.exe" /tmp/prod9x/qz8-survey-win98.exe
check_survey 9x /tmp/prod9x qz8-survey-win98.exe

# What the stand-in's log must hold, event by event: the probe at start-up
# (Wine loads the DLL inside that open) closed at once; the survey's burst;
# the window's identification burst with the one MSR request of the
# contract (4 bytes in, 40 out, MSR 0x2C on this model 2 processor); "Get
# Current Values"'s burst; nothing while another copy holds the SMBus; and
# from the probe on, no call to the service manager. Every open: access 0,
# share 0, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE.
how="access=0x0 share=0x0 disposition=1 flags=0x4000000"
window_calls="load|close|open 2 $how|close|open 3 $how|request code=0x1 in=4 out=40 msr=0x2c done|close|open 4 $how|close|unload"
refused_calls="load|close|open 2 $how refused|unload"
calls_of() { tr -d '\r' <"$1" 2>/dev/null | paste -sd '|'; }

# SCRIPT under VERSION: its result line 9x.VERSION.NAME, and the stand-in's
# log of FOLDER (below the script's work folder) against CALLS.
run_9x() {  # VERSION SCRIPT NAME [FOLDER CALLS]...
    local version=$1 script=$2 name=$3 work status folder calls
    work=/tmp/work/$script-$version
    shift 3
    APP_9X=qz8fsb-$version.exe QZ8_GUI_WORK=$work \
        with_ports bash "$repo/tools/gui-test.sh" "$repo/tests/pe32/$script.gui" </dev/null >"$out/logs/$script-$version.log" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        result "9x.$version.$name" ok
    else
        result "9x.$version.$name" FAIL "$(failed_line "$out/logs/$script-$version.log")" \
            "$out/logs/$script-$version.log"
    fi
    while [ $# -ge 2 ]; do
        folder=$1 calls=$2
        shift 2
        if [ "$(calls_of "$work/$folder/zornik.vxd.log")" = "$calls" ]; then
            result "9x.$version.vxd-calls-$folder" ok \
                "$(echo "${calls//" $how"/}" | sed 's/|/, /g'); each open with access 0, share 0, CREATE_NEW, delete on close"
        else
            result "9x.$version.vxd-calls-$folder" FAIL \
                "expected '$calls', the stand-in logged '$(calls_of "$work/$folder/zornik.vxd.log")'"
        fi
    done
}

export VXD_STANDIN APP_9X
VXD_STANDIN=$(winpath "$bin/zornik.vxd")
if [ "$reading" = refused ]; then
    run_9x win98 win9x_line window window "$window_calls"
    run_9x win95 win9x_line window window "$window_calls"
else
    result 9x.window FAIL "the chip at 0x69 reads '$reading' (byte 0: '$(chip_byte 0)'); the script expects a block count of 0"
fi
run_9x win98 win9x_startup_failures startup-failures refuse "$refused_calls"
