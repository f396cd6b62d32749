# Entry points: `make demo` runs ladder51 on the shipped example, `make test` runs the whole suite,
# `make package` writes the Debian package. Each installs missing Debian packages, configures and
# builds what it needs first. `make test-asan` runs the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, `make fuzz` runs the fuzz targets.

PRESET ?= default
BUILD_DIR := build/$(PRESET)
CLI := $(BUILD_DIR)/ladder51
EXAMPLE := examples/motor.il

.PHONY: all deps configure build test test-asan fuzz fuzz-smoke demo package bench format \
	format-check golden screenshot clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET) -j2

# The whole suite built with ASan and UBSan (preset "asan", build/asan).
test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan -j2

# Every fuzz target for FUZZ_SECONDS each (preset "fuzz", clang, build/fuzz); see scripts/fuzz.sh.
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# A short run of each fuzz target, for continuous integration.
fuzz-smoke:
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20

demo: configure
	@cmake --build --preset $(PRESET) --target ladder51
	@rm -rf $(BUILD_DIR)/demo && mkdir -p $(BUILD_DIR)/demo
	$(CLI) asm $(EXAMPLE) -o $(BUILD_DIR)/demo/motor.pmw
	$(CLI) disasm $(BUILD_DIR)/demo/motor.pmw
	$(CLI) settings -C $(BUILD_DIR)/demo --pin P3.2=X0 --pin P3.3=X1 --pin P1.0=Y0 >/dev/null
	$(CLI) ladder -C $(BUILD_DIR)/demo $(BUILD_DIR)/demo/motor.pmw
	$(CLI) build -C $(BUILD_DIR)/demo $(BUILD_DIR)/demo/motor.pmw
	$(CLI) sim -C $(BUILD_DIR)/demo $(BUILD_DIR)/demo/motor.pmw --stimulus examples/motor.stim --until 600ms

# ladder51_VERSION_ARCH.deb in the build folder, from the same build as `make test`.
package: build
	@rm -f $(BUILD_DIR)/ladder51_*.deb
	@cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@$(BUILD_DIR)/ladder51_bench

# Rewrites every expected text kept as data (golden fx1n.c files, translator and simulator cases)
# from the current code; each data-driven test rewrites its own files when asked to.
golden: build
	@LADDER51_UPDATE_GOLDEN=1 $(BUILD_DIR)/ladder51_tests >/dev/null && echo "expected texts updated"

screenshot: build
	@BUILD_DIR=$(BUILD_DIR) scripts/screenshot.sh docs/window.png
	@LADDER51_WINDOW_PICTURES=docs QT_QPA_PLATFORM=offscreen \
		$(BUILD_DIR)/ladder51_gui_tests buildRunsInTheBackgroundAndFillsThePanel >/dev/null
	@LADDER51_WINDOW_PICTURES=docs QT_QPA_PLATFORM=offscreen \
		$(BUILD_DIR)/ladder51_board_tests motorRunsOnTheBoard >/dev/null

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
