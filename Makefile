# make demo: run the tool on the simulated board.  make test: build and run every test.
BUILD ?= build
JOBS ?= 2
NATIVE := $(BUILD)/native
WIN32 := $(BUILD)/win32
WIN64 := $(BUILD)/win64
FUZZ := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := command_line settings_file scenario trace_line request_rules
# The folder make pe32-test takes the shipped PE32 images from.
PE32_IMAGES ?= $(WIN32)

# Ends the wineservers of the test build's two Wine prefixes.
STOP_WINE = for p in $(CURDIR)/$(WIN64)/wineprefix $(CURDIR)/$(WIN64)/gui/wineprefix; do \
	  QZ8_WINEPREFIX=$$p bash $(CURDIR)/tools/wine-run.sh --stop; done

.PHONY: all setup native win32 win64 fuzz-build fuzz test qemu-test pe32-test gui-test demo bench clean

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

# qz8fsb-cli against QEMU's PC: three guests, each check's result printed.
qemu-test: setup
	@bash tools/qemu-test.sh $(BUILD)

# The shipped PE32 images in a 32-bit PC under QEMU: the window scripts of
# gui-test, the channel and service tests, the real driver on QEMU's ports.
# The guest is cached outside the clone (~/.cache/qz8fsb-pe32).
pe32-test: setup $(if $(filter $(WIN32),$(PE32_IMAGES)),win32)
	@bash tools/pe32-test.sh $(BUILD) $(PE32_IMAGES)

# The window scripts alone.
gui-test: win64
	@cd $(WIN64) && ctest -L gui --output-on-failure; status=$$?; \
	  $(STOP_WINE); exit $$status

# The survey on the simulated board natively, then the window under wine64:
# on $DISPLAY when there is one, else a screenshot from a private Xvfb.
demo: native win64
	@$(NATIVE)/app/qz8-survey
	@bash tools/demo.sh $(WIN64)

# Figures as `name value unit` lines.
bench: native win64
	@$(NATIVE)/bench/qz8-bench
	@bash tools/bench-gui.sh $(WIN64)

clean:
	rm -rf $(BUILD)
