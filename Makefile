# make demo: run the tool on the simulated board.  make test: build and run every test.
BUILD ?= build
JOBS ?= 2
NATIVE := $(BUILD)/native
WIN32 := $(BUILD)/win32
WIN64 := $(BUILD)/win64
FUZZ := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := command_line settings_file scenario trace_line request_rules
VERSION := $(shell head -n 1 VERSION)
DIST ?= dist
# What make dist-win32 leaves for tests of the shipped images: the zip, and
# its four files unpacked.
DIST_ZIP := $(DIST)/qz8fsb-$(VERSION)-win32.zip
DIST_WIN32 := $(DIST)/win32

# Ends the wineservers of the test build's two Wine prefixes.
STOP_WINE = for p in $(CURDIR)/$(WIN64)/wineprefix $(CURDIR)/$(WIN64)/gui/wineprefix; do \
	  QZ8_WINEPREFIX=$$p bash $(CURDIR)/tools/wine-run.sh --stop; done

.PHONY: all setup native win32 win64 fuzz-build fuzz test qemu-test pe32-test pe32-guest gui-test demo bench dist dist-win32 dist-check clean

all: native win32 win64

setup:
	@bash tools/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DQZ8_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# What ships: PE32 programs and drivers for NT 4.0, 2000, XP and 98.
win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j $(JOBS)

# The same sources as PE32+, with the tests, for wine64.
win64: setup
	@cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/mingw-x86_64.cmake >/dev/null
	@cmake --build $(WIN64) -j $(JOBS)

# The libFuzzer targets, built by clang with AddressSanitizer and UBSan.
fuzz-build: setup
	@cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQZ8_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS)

# Each target for FUZZ_SECONDS from its committed corpus; new corpus entries,
# findings and logs go to $(FUZZ)/scratch/<target>.
fuzz: fuzz-build
	@status=0; for t in $(FUZZ_TARGETS); do \
	  sh fuzz/run_fuzz.sh $(FUZZ)/fuzz/$${t}_fuzz $$t fuzz/corpus/$$t $(FUZZ)/scratch/$$t \
	    -max_total_time=$(FUZZ_SECONDS) || status=1; \
	done; exit $$status

# One ctest run over the four builds, so it ends with one summary line.
test: native win32 win64 fuzz-build
	@printf 'subdirs("native" "win32" "win64" "fuzz")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure; status=$$?; \
	  $(STOP_WINE); exit $$status

# qz8fsb-cli against QEMU's PC, as the x86-64 and the i386 build: three guests
# each, every check's result printed.
qemu-test: setup
	@bash tools/qemu-test.sh $(BUILD)

# The release in $(DIST)/: the Windows zip and the CLI's Debian packages
# (i386, amd64), each listed with its SHA-256.
dist: win32
	@bash tools/dist.sh $(BUILD) $(DIST)

# The Windows zip alone, and its files in $(DIST_WIN32).
dist-win32: win32
	@bash tools/dist-win32.sh $(BUILD) $(DIST)
	@sha256sum $(DIST_ZIP)

# make dist in two fresh clones of the last commit, in different folders at
# different times, and the artifacts compared byte for byte.
dist-check: setup
	@bash tools/dist-check.sh $(BUILD)

# The shipped PE32 images in a 32-bit PC under QEMU: the window scripts of
# gui-test, the channel and service tests, the real driver on QEMU's ports.
# qz8fsb.exe and zornik.sys come from the zip (what was tested is what ships),
# the simulated-board images from $(WIN32). The guest is cached outside the
# clone (~/.cache/qz8fsb-pe32).
# The 32-bit guest of pe32-test alone, into its cache (made once; CI makes it
# while the builds run, which mostly wait for Debian's mirror then).
pe32-guest: setup
	@bash tools/pe32/guest-cache.sh

pe32-test: dist-win32
	@cd $(DIST_WIN32) && sha256sum --quiet -c SHA256SUMS
	@bash tools/pe32-test.sh $(BUILD) $(WIN32) $(DIST_WIN32)

# The window scripts alone.
gui-test: win64
	@cd $(WIN64) && ctest -L gui --output-on-failure; status=$$?; \
	  $(STOP_WINE); exit $$status

# The survey on the simulated board natively, then the window under wine64:
# on $DISPLAY when there is one, else a screenshot from a private Xvfb.
demo: native win64
	@$(NATIVE)/app/qz8-survey
	@bash tools/demo.sh $(WIN64)

# Figures as `name value unit` lines, ending with the sizes of the shipped
# images (make dist holds them to 256 KB and 32 KB).
bench: native win32 win64
	@$(NATIVE)/bench/qz8-bench
	@bash tools/bench-gui.sh $(WIN64)
	@for image in $(WIN32)/app/qz8fsb.exe $(WIN32)/driver/zornik.sys; do \
	  echo "size.$${image##*/} $$(stat -c %s $$image) bytes"; done

clean:
	rm -rf $(BUILD) $(DIST)
