#include "cli/cli_usage.h"

namespace {

constexpr char kUsage[] = R"(Usage: qz8fsb-cli [OPTION]... COMMAND [ARGUMENT]...

Reads and reprograms the clock generator (SMBus address 0x69) of the QZ8-II
motherboard (Intel 850 host bridge, ICH2 south bridge): the front-side bus
(FSB) clock and the PCI/AGP divider, while the machine runs.

Changing bus clocks of a running machine can crash it or corrupt data on its
disks. Save your work first.

Commands:
  survey              every PCI function found, one a line as
                      BUS:DEV.FN VENDOR:DEVICE CLASS HEADER-TYPE KIND
                      (hexadecimal, lower case; e.g. "0:1f.3 8086:2443 0c05 00
                      SMBus controller"), then "SMBus host VENDOR:DEVICE at
                      BUS:DEV.FN, base 0xNNNN" and "clock generator: FSB 133.0
                      MHz, divider 1/4" (on another board: "clock generator:
                      not read on this board")
  get                 the processor (model, core, multiplier), the measured
                      core clock, and the FSB, memory, AGP and PCI clocks read
                      from the clock generator, one "key: value" line each
  set FSB [DIVIDER]   programs a new setting: FSB in MHz, 90.0 to 257.0 in
                      steps of 0.5; DIVIDER 1/2, 1/3, 1/4, 1/5, 1/6, 1/7, 1/8
                      (PCI = FSB / N, AGP = 2 x FSB / N) or fixed (PCI 33.34,
                      AGP 66.67 MHz); without DIVIDER the chip's present one is
                      kept. The FSB goes first, then a pause of 0.5 s while the
                      PLL settles, then the divider, another 0.5 s, and the
                      core clock is measured again. Prints the clocks read back
                      as get does. If a step fails after the first write, the
                      previous registers are written back, each write tried
                      again until it reads back: the chip ends at the old
                      setting or the new one. When asked (--confirm), the new
                      clocks stay only if you answer y in time
  apply FILE          programs the setting saved in FILE (a 16-byte .qz8 file,
                      as the Windows program's Save and this tool's save write
                      it, and as its -file= applies it) as set does. A file
                      that is missing, shorter than 16 bytes or holds what set
                      could not choose (an FSB outside 90.0 to 257.0 MHz or
                      between 0.5 MHz steps, an unknown divider) is refused
                      before anything else
  save FILE           reads the clock generator and writes its setting to FILE
  smbus-read ADDR CMD
                      a debugging aid: one SMBus word read from the 7-bit
                      address ADDR (0x03 to 0x77) with command byte CMD (0 to
                      255), each decimal or hexadecimal after 0x; prints the
                      two bytes read, "0xNN 0xNN"

Each command first surveys the hardware: it scans the PCI bus and finds the
SMBus host controller of the south bridge, then the path to the SMBus.

Options:
  --confirm SECONDS   set and apply: after the new clocks are read back, ask
                      whether to keep them and wait SECONDS (0 to 600) for
                      "y". The question is asked on the controlling terminal
                      when there is one (so that it is seen whatever standard
                      error is), else on standard error with the answer read
                      from standard input; what was typed before it appeared
                      does not count. Anything but "y" or "yes" in time (no
                      answer, "n", the end of the input, a terminal that hangs
                      up, SIGINT, SIGTERM, SIGHUP or SIGQUIT) programs the
                      previous setting back (exit status 3), divider or FSB
                      first, whichever runs the PCI clock slower in between;
                      new clocks that could not be read back go back at once.
                      Over ssh, clocks that break the network card also break
                      the answer, and the machine comes back by itself. On by
                      default, 15 s, when standard input is a terminal;
                      otherwise off unless given; 0 turns it off
  --force             read and program the clock generator also on a board
                      other than the QZ8-II; use an SMBus address a kernel
                      driver has claimed, and an adapter --i2c-bus names that
                      is not the SMBus host's
  --i2c-bus N         a debugging aid: the SMBus transactions go through the
                      kernel's i2c adapter N (/dev/i2c-N) instead of the
                      SMBus host's own path, e.g. to an i2c-stub chip; an
                      adapter other than the host's needs --force, and the
                      safety rule applies as ever
  --sim SCENARIO      run on the simulated board instead of the hardware;
                      SCENARIO is blank-separated KEY=VALUE items with the keys
                      of QZ8_SIM (board, fsb, ratio, cpu, fault, failfrom,
                      failtx, nakreg, stuckreg, tick, trace); "" is the stock
                      board
  --trace FILE        writes every SMBus transaction the program makes to FILE,
                      one line each, e.g. "0xD3 cmd 0x12 word  data 11 83 ->
                      done" (address byte, command, protocol, the bytes moved,
                      the result)
  -h, --help          shows this text

Safety rule:
  The clock generator at SMBus address 0x69 is read and programmed only when
  the host bridge is 8086:2530 (Intel 850) and the SMBus host was found at
  the ICH2's function 8086:2443: reading it rewrites its control block and
  register 16, and elsewhere 0x69 is often another clock chip. On any other
  board get, save, set and apply refuse with exit status 2, naming the host
  bridge and SMBus host found, and survey lists what it found without reading
  the chip; --force overrides. Programming stops before the divider when the
  chip did not take the FSB, and puts the previous registers back.

On the real board:
  run as root. get also reads the multiplier's MSR through the msr module
  (modprobe msr gives /dev/cpu/0/msr). PCI configuration space is read from
  the kernel (/sys/bus/pci/devices/*/config), which takes its own lock
  around every access. Where a kernel driver owns the SMBus host (i2c_i801
  on the ICH2, which also serves the sensor chips), the program goes through
  that driver: its adapter's /dev/i2c-N, found through sysfs (the program
  loads the i2c-dev module itself where it is missing), the kernel's adapter
  lock keeping each transaction whole among the bus's other users. An SMBus
  address a kernel driver has claimed is refused unless --force. Where no
  driver owns the host, the program drives the host's eight ports itself,
  never 0xCF9, and needs iopl(3): a kernel under lockdown (Secure Boot)
  refuses it, as does a container without CAP_SYS_RAWIO or a kernel built
  without CONFIG_X86_IOPL_IOPERM; load the kernel's SMBus driver then
  (modprobe i2c_i801). Only where sysfs is not mounted does the tool use the
  configuration ports 0xCF8/0xCFC itself, with iopl(3) too. Copies of the
  program take turns on the SMBus through the lock file /run/qz8fsb.lock, in
  a folder only root can write; a copy that waits more than 2 s for it
  gives up.
  The core clock is measured against the ACPI power-management timer (its
  port from the firmware's FADT), which an FSB change does not move, or else
  against the kernel's clock unless its clocksource is tsc: with tsc both
  sides of the measurement move with the FSB and the clock shows as unknown.
  While the program reads or programs the clock generator, SIGINT, SIGTERM,
  SIGHUP and SIGQUIT wait until the step is over: none ends it between the
  FSB and the divider.

Exit status:
  0   success; after set and apply, the new clocks are kept
  1   the hardware failed and nothing changed, or the chip runs at the
      previous setting again: no SMBus host controller, a clock generator that
      could not be read or did not take the new setting, an SMBus read with no
      answer, a settings file that could not be written, another copy on the
      SMBus
  2   refused: usage or bad input (an unknown command or option, a missing or
      bad argument, a refused settings file), no access (not root, no port
      access, no msr device, no i2c-dev), an SMBus address a kernel driver
      has claimed, or the safety rule
  3   reverted: the new clocks were not kept (declined, no answer, no input,
      a signal, or not read back) and the previous setting is back
  4   going back failed (a revert, or the undo of a programming that failed
      half-way): the clock generator holds the setting the message names, or
      may hold a mix of two; save your work and restart the machine
  128+N
      a signal N came while the program worked (130 SIGINT, 143 SIGTERM, 129
      SIGHUP, 131 SIGQUIT); where it came during the question the previous
      setting was programmed back first

Examples:
  qz8fsb-cli get
  qz8fsb-cli set 150 1/5
  qz8fsb-cli --confirm 30 set 150 1/5
  qz8fsb-cli save stock.qz8 && qz8fsb-cli apply stock.qz8
  qz8fsb-cli --sim "board=raid fsb=150.5 ratio=5" survey
)";

}  // namespace

void printUsage(std::FILE* out) { std::fputs(kUsage, out); }
