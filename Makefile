# Thin driver over CMake. `make test` and `make demo` install what a fresh Debian 12 machine
# lacks, build, then run.
NATIVE   := build/native
WIN32DIR := build/win32
WIN64DIR := build/win64
ASANDIR  := build/asan
FUZZDIR  := build/fuzz
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Tests with private ports run side by side; the Windows ones take turns where they share the
# prefix's ports or the suite's display (their RESOURCE_LOCK), the rest run beside them.
# The native tests run once: the simulator sends a command's echo and reply in one write, so a
# busy machine cannot split a reply at the gap between them. Measured beside a build of two
# jobs (nice and not), 22 runs of the 17 modem test entries, before and after that change:
# no test needed a second run.
CTEST := ctest --output-on-failure --timeout 600 -j$(JOBS)
# Under Wine and with the sanitizers a failed test runs once more (its failed run stays in the
# log; scripts/test-stages.sh counts them): there the Wine server's start-up and the
# sanitizers' two- to three-fold slowdown of every process, the simulator's included, stretch
# the replies of a loaded machine past the 50 ms that end a read, which is the machine's
# doing, not the program's. A fault of the program fails both runs.
CTEST_RETRY := $(CTEST) --repeat until-pass:2

# The Windows build whose tests run under Wine is chosen by scripts/windows-test-arch.sh, in
# the recipes: only once Wine is installed can it tell whether 32-bit Wine runs here.

.PHONY: all deps build native win32 win64 asan test test-native test-windows test-asan fuzz \
        fuzz-build fuzz-smoke run-fuzz-smoke run-test-native run-test-windows run-test-asan bench demo \
        screenshots gui-reference pictures dist clean guest-sim test-win32 test-win32-guest \
        run-test-win32-guest

all: build

# The targets install what is missing first. `make test` installs what the native build needs
# and lets the rest (the cross compiler, Wine, the display, Prometheus) install beside that
# build (scripts/test-stages.sh), so its stages call the targets with DEPS empty.
DEPS ?= deps
deps:
	@scripts/install-deps.sh

native: $(DEPS)
	cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

win32: $(DEPS)
	cmake -S . -B $(WIN32DIR) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	cmake --build $(WIN32DIR) -j$(JOBS)

win64: $(DEPS)
	cmake -S . -B $(WIN64DIR) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	cmake --build $(WIN64DIR) -j$(JOBS)

build: native win32

# Every stage side by side once the builds the Windows tests need are made, each logging to
# build/logs/STAGE.log; scripts/test-stages.sh prints each stage's CTest summary, and the
# whole log of a stage that failed.
test:
	@scripts/install-deps.sh --build-only
	@scripts/test-stages.sh $(JOBS)

# The native tests also check the 32-bit Windows files (machine, imports, embedded resources).
test-native: native win32
	@$(MAKE) --no-print-directory run-test-native
run-test-native:
	cd $(NATIVE) && $(CTEST)

# The Windows tests need the native simulator. One display and one Wine server serve the whole
# run (scripts/wine-suite.sh).
test-windows: native
	@arch=$$(scripts/windows-test-arch.sh) && \
	$(MAKE) --no-print-directory $$arch && \
	$(MAKE) --no-print-directory run-test-windows
run-test-windows:
	@arch=$$(scripts/windows-test-arch.sh) && \
	scripts/wine-suite.sh --arch $$arch --prefix $(CURDIR)/build/$$arch/wineprefix -- \
	  sh -c 'cd build/'$$arch' && $(CTEST_RETRY)'

# The product's own 32-bit build, on a machine that refuses 32-bit code: in an emulated i386
# PC (scripts/win32-guest.sh); `make test` does this there instead of test-windows. Where
# 32-bit code runs, test-windows runs the same tests under plain Wine.
test-win32: $(DEPS)
	@if [ "$$(scripts/windows-test-arch.sh)" = win64 ]; then \
	  $(MAKE) --no-print-directory test-win32-guest; \
	else $(MAKE) --no-print-directory test-windows; fi

test-win32-guest: native win32 guest-sim
	@$(MAKE) --no-print-directory run-test-win32-guest
run-test-win32-guest:
	scripts/test-win32-guest.sh

# The simulator for inside the i386 guest: a static 32-bit build (g++ -m32).
guest-sim: $(DEPS)
	cmake -S . -B build/guest-sim $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake \
	      -DVESMARIN_SIMULATOR_ONLY=ON >/dev/null
	cmake --build build/guest-sim -j$(JOBS) --target modemsim

asan: $(DEPS)
	cmake -S . -B $(ASANDIR) -DCMAKE_BUILD_TYPE=Debug -DVESMARIN_SANITIZE=ON >/dev/null
	cmake --build $(ASANDIR) -j$(JOBS)

test-asan: asan
	@$(MAKE) --no-print-directory run-test-asan
# The test against a real Prometheus and the status page's test in a browser run natively
# only. The Prometheus test's load step wants every scrape beside 900 churning connections
# answered within a second, which a sanitizer build on a loaded machine cannot keep: that
# measures the machine, not the program. The server's code runs under the sanitizers in its
# unit tests and in the serve tests.
ASAN_EXCLUDE := '^(cli_prometheus|cli_status_page)$$'
run-test-asan:
	cd $(ASANDIR) && $(CTEST_RETRY) -E $(ASAN_EXCLUDE)

FUZZ_SECONDS ?= 60
fuzz-build: $(DEPS)
	cmake -S . -B $(FUZZDIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	      -DVESMARIN_FUZZ=ON >/dev/null
	cmake --build $(FUZZDIR) -j$(JOBS)

fuzz: fuzz-build
	scripts/run-fuzzers.sh $(FUZZDIR) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@$(MAKE) --no-print-directory run-fuzz-smoke
run-fuzz-smoke:
	scripts/run-fuzzers.sh $(FUZZDIR) 20

# The window benchmarks need the Windows build that runs here and the 32-bit product.
bench: native
	@arch=$$(scripts/windows-test-arch.sh) && \
	$(MAKE) --no-print-directory $$arch win32 && \
	scripts/run-bench.sh $(NATIVE) --windows $$arch

demo: native win32
	@arch=$$(scripts/windows-test-arch.sh) && \
	$(MAKE) --no-print-directory $$arch && \
	scripts/demo.sh $$arch

# The README's pictures of the window, taken from the Windows build that runs here.
screenshots: native
	@arch=$$(scripts/windows-test-arch.sh) && \
	$(MAKE) --no-print-directory $$arch && \
	tests/gui/run-with-display.sh -- scripts/window-screenshots.sh --arch $$arch \
	  --prefix $(CURDIR)/build/$$arch/wineprefix --modemsim $(CURDIR)/$(NATIVE)/modemsim \
	  --exe $(CURDIR)/build/$$arch/Vesmarin.exe --out docs/screenshots

# Redraws the black-box tests' reference pictures (tests/gui/reference) from the current
# window; look at each before committing it.
gui-reference: native
	@arch=$$(scripts/windows-test-arch.sh) && \
	$(MAKE) --no-print-directory $$arch && \
	scripts/wine-suite.sh --arch $$arch --prefix $(CURDIR)/build/$$arch/wineprefix -- \
	  sh -c 'cd build/'$$arch' && VESMARIN_GUI_UPDATE_REFERENCE=1 ctest -R "^GuiBlackBox" \
	  --output-on-failure --timeout 900'

# Redraws the embedded pictures in res/ (they are committed, so a build never needs this).
pictures: $(DEPS)
	res/make-pictures.sh

# Release packages in dist/: the Windows zip (32-bit programs) and the Debian package of the
# native tool. The version is the one in CMakeLists.txt's project() line.
dist: native win32
	scripts/make-windows-zip.sh $(WIN32DIR) dist
	scripts/make-deb.sh $(NATIVE)/vesmarin-cli dist

clean:
	-[ -d $(WIN64DIR)/wineprefix ] && scripts/wine.sh --arch win64 --prefix $(CURDIR)/$(WIN64DIR)/wineprefix --kill
	-[ -d $(WIN32DIR)/wineprefix ] && scripts/wine.sh --arch win32 --prefix $(CURDIR)/$(WIN32DIR)/wineprefix --kill
	rm -rf build dist
