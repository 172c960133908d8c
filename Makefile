# make demo: run the tool on the simulated board.  make test: build and run every test.
BUILD ?= build
JOBS ?= 2
NATIVE := $(BUILD)/native
WIN32 := $(BUILD)/win32

.PHONY: all setup native win32 test demo bench clean

all: native win32

setup:
	@bash tools/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DQZ8_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/mingw-i686.cmake >/dev/null
	@cmake --build $(WIN32) -j $(JOBS)

# One ctest run over both builds, so it ends with one summary line.
test: native win32
	@printf 'subdirs("native" "win32")\n' > $(BUILD)/CTestTestfile.cmake
	@cd $(BUILD) && ctest -j $(JOBS) --output-on-failure; status=$$?; \
	  bash $(CURDIR)/tools/wine-run.sh --stop >/dev/null 2>&1; exit $$status

demo: win32
	@bash tools/demo.sh $(WIN32)

# Figures as `name value unit` lines.
bench: native win32
	@$(NATIVE)/bench/qz8-bench
	@bash tools/bench-gui.sh $(WIN32)

clean:
	rm -rf $(BUILD)
