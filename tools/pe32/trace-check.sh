#!/usr/bin/env bash
# tools/pe32/trace-check.sh SHARE: what QEMU saw the guest of SHARE do
# (SHARE/trace.log: every read and write of a device register, and every
# byte on the i2c bus behind the PIIX4's SMBus host), checked against the
# chip's bytes as the guest's own kernel read them (SHARE/out/chip.txt, from
# guest-machine.sh).
# Prints and appends to SHARE/out/results.txt:
#   pe32.ports.no-reset-write nothing wrote the reset control register
#                             (0xCF9), and the trace holds SMBus traffic
#   pe32.chip.block-count     every block read of the chip's control block (by
#                             the program, on either line) received the count
#                             the kernel read at command 0, and ended after a
#                             few status reads, not after a wait's bound
#   pe32.chip.unchanged       what that count allows at 0x69: after a count of
#                             0 no register read and no write at all
set -uo pipefail
share=${1:?usage: trace-check.sh SHARE}
trace=$share/trace.log
results=$share/out/results.txt
say() { echo "$1"; echo "$1" >>"$results"; }

smbus_writes=$(grep -c "name 'pm-smbus'" "$trace" 2>/dev/null)
reset_writes=$(grep -c "name 'piix3-reset-control'" "$trace" 2>/dev/null)
if [ "${smbus_writes:-0}" -gt 0 ] && [ "${reset_writes:-0}" -eq 0 ]; then
    say "pe32.ports.no-reset-write ok ${smbus_writes} writes to the SMBus host, none to 0xCF9"
else
    say "pe32.ports.no-reset-write FAIL ${smbus_writes:-0} writes to the SMBus host, ${reset_writes:-0} to 0xCF9 ($trace)"
fi

# One line a transaction of the SMBus host that reached 0x69: protocol
# (host control bits 4..2 when started), address byte, the bytes sent and
# received on the bus, the reads of the host's status register. A
# transaction runs from one start to the next.
transactions=$(awk '
    function hex(s,    i, n, c) {
        n = 0; s = tolower(s); sub(/^0x/, "", s)
        for (i = 1; i <= length(s); i++) { c = index("0123456789abcdef", substr(s, i, 1)); n = n * 16 + c - 1 }
        return n
    }
    function emit() {
        if (open && chip) printf "prot=%d addr=0x%02x sent=%s recv=%s polls=%d\n", prot, address, sent, recv, polls
    }
    / name .pm-smbus.$/ {
        for (i = 1; i < NF; i++) { if ($i == "addr") port = hex($(i + 1)); if ($i == "value") value = hex($(i + 1)) }
        offset = port % 16
        if ($1 == "memory_region_ops_read") { if (offset == 0) polls++; next }
        if (offset == 4) pending = value
        if (offset == 2 && int(value / 64) % 2 == 1) {
            emit(); open = 1; chip = 0; sent = ""; recv = ""; polls = 0
            prot = int(value / 4) % 8; address = pending
        }
        next
    }
    /^i2c_(send|recv|event) / && /addr:0x69\)/ {
        chip = 1
        if (match($0, /data:0x[0-9a-f][0-9a-f]/)) {
            byte = substr($0, RSTART + 7, 2)
            if ($1 == "i2c_send") sent = sent (sent == "" ? "" : ",") byte
            else recv = recv (recv == "" ? "" : ",") byte
        }
    }
    END { emit() }
' "$trace" 2>/dev/null)
echo "$transactions" >"$share/out/chip-transactions.txt"

count=$(sed -n 1p "$share/out/chip.txt" 2>/dev/null)
# The control block: a block read (protocol 5) with 0x69's read address and
# command 0. Its first received byte is the count. Waiting out one bound
# would take 500 status reads.
blocks=$(echo "$transactions" | grep -c '^prot=5 addr=0xd3 sent=00 ')
counts=$(echo "$transactions" | sed -n 's/^prot=5 addr=0xd3 sent=00 recv=\([0-9a-f]*\).*/\1/p' | sort -u | paste -sd ' ')
polls=$(echo "$transactions" | sed -n 's/^prot=5 addr=0xd3 sent=00 .* polls=\([0-9]*\)$/\1/p' | sort -n | tail -n 1)
if [ -z "$count" ]; then
    say "pe32.chip.block-count FAIL the kernel did not read the chip (SHARE/out/chip.txt)"
elif [ "$blocks" -gt 0 ] && [ "$counts" = "$count" ] && [ "${polls:-0}" -lt 50 ]; then
    say "pe32.chip.block-count ok $blocks block reads of the control block got count 0x$count, the byte i2cdump reads at command 0x00, each ended after at most $polls status reads"
else
    say "pe32.chip.block-count FAIL $blocks block reads, counts '${counts}' (i2cdump's byte at 0x00: 0x$count), up to ${polls:-no} status reads (bound 50)"
fi

# The program's own traffic at 0x69: everything but the kernel's byte reads
# (protocol 2, which the program never uses).
words=$(echo "$transactions" | grep -c '^prot=3 ')
writes=$(echo "$transactions" | grep -c ' addr=0xd2 ')
if [ -z "$count" ]; then
    say "pe32.chip.unchanged FAIL the kernel did not read the chip (SHARE/out/chip.txt)"
elif [ $((0x$count)) -ne 0 ]; then
    say "pe32.chip.unchanged FAIL the chip sends a block count of $((0x$count)); this check knows only a count of 0"
elif [ "$blocks" -gt 0 ] && [ "$words" -eq 0 ] && [ "$writes" -eq 0 ]; then
    say "pe32.chip.unchanged ok after the count of 0 no register read and no write at 0x69"
else
    say "pe32.chip.unchanged FAIL $words word transactions and $writes writes at 0x69 ($share/out/chip-transactions.txt)"
fi
