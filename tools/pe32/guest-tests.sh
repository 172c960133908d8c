#!/bin/bash
# In the 32-bit guest: window scripts and the channel and service tests on
# the PE32 images in SHARE/bin, from the run's queue (run_queue in
# guest-common.sh). One line each: "pe32.NAME ok|FAIL SECONDS s".
#   guest-tests.sh REPO SHARE
repo=$1 share=$2
. "$repo/tools/pe32/guest-common.sh"
start_display
run_queue
bash "$repo/tools/gui-display.sh" stop /tmp/display
echo "PE32-DONE" >>"$out/results.txt"
