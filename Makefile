# make demo: run the tool on the simulated board.  make test: build and run every test.
BUILD ?= build
JOBS ?= 2
NATIVE := $(BUILD)/native
WIN32 := $(BUILD)/win32

.PHONY: all setup native win32 test gui-test demo bench clean

all: native win32

setup:
	@bash tools/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DQZ8_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j $(JOBS)

# One ctest run over both builds, so it ends with one summary line. The
# window tests (label gui) need Wine to show windows, which it does not yet
# do reliably where Wine runs under qemu-i386: `make gui-test` runs them.
test: native win32
	@printf 'subdirs("native" "win32")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest -j $(JOBS) -LE gui --output-on-failure; status=$$?; \
	  bash $(CURDIR)/tools/wine-run.sh --stop >/dev/null 2>&1; exit $$status

gui-test: native win32
	@printf 'subdirs("native" "win32")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest -L gui --output-on-failure; status=$$?; \
	  QZ8_WINEPREFIX=$(CURDIR)/$(WIN32)/gui/wineprefix bash $(CURDIR)/tools/wine-run.sh --stop >/dev/null 2>&1; exit $$status

# The survey and the clock chip on the simulated board natively, then the
# window under Wine (bounded: on machines where Wine runs under emulation the
# window may not come up).
demo: native win32
	@$(NATIVE)/app/qz8-survey
	@timeout 150 bash tools/demo.sh $(WIN32) || echo "demo: the window did not come up under Wine here (see README, Wine)"

# Figures as `name value unit` lines.
bench: native win32
	@$(NATIVE)/bench/qz8-bench
	@timeout 150 bash tools/bench-gui.sh $(WIN32) || echo "bench: no window figures: the window did not come up under Wine here"

clean:
	rm -rf $(BUILD)
