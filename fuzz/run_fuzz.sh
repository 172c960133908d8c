#!/bin/sh
# One libFuzzer run: run_fuzz.sh FUZZER NAME CORPUS SCRATCH [libFuzzer options]
# Starts from CORPUS (read only) and the dictionary NAME.dict beside this
# script when there is one; new corpus entries, crash inputs and the log go
# to SCRATCH, emptied first. Prints one summary line and exits with the
# fuzzer's status.
fuzzer=$1 name=$2 corpus=$3 scratch=$4
shift 4
rm -rf "$scratch"
mkdir -p "$scratch/corpus"
dict=$(dirname "$0")/$name.dict
[ -f "$dict" ] && set -- "-dict=$dict" "$@"

"$fuzzer" -artifact_prefix="$scratch/" -print_final_stats=1 -timeout=10 "$@" \
  "$scratch/corpus" "$corpus" >"$scratch/log" 2>&1
status=$?

stat() { sed -n "s/^stat::$1: *//p" "$scratch/log" | tail -n 1; }
findings=$(grep -c 'Test unit written to' "$scratch/log")
echo "fuzz.$name runs $(stat number_of_executed_units) execs, new corpus entries $(stat new_units_added), findings $findings"
if [ "$status" != 0 ]; then
  # The finding: the report from the first error line on.
  sed -n '/ERROR\|invariant broken\|runtime error/,$p' "$scratch/log" | head -n 60
  echo "fuzz.$name: log in $scratch/log"
fi
exit "$status"
