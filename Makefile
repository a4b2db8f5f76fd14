# VEXA Edit ! -- a thin layer over CMake. See README.md.
NATIVE := build/native
WIN32  := build/win32
WIN64  := build/win64
FUZZ   := build/fuzz
# The same core with the vector paths compiled out: the word-at-a-time
# paths that the 32-bit product runs, tested on any host.
SCALAR := build/native-scalar
FUZZ_SCALAR := build/fuzz-scalar
JOBS   ?= 2
FUZZ_SECONDS ?= 10

.PHONY: all setup check-locale build native native-scalar win32 win64 test test-native test-windows test-win32 test-win64 fuzz fuzz-short bench run screenshot dist clean

all: build

setup:
	@sh tools/setup.sh

$(NATIVE)/Makefile:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release

$(WIN32)/Makefile:
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(WIN64)/Makefile:
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release

$(FUZZ)/Makefile:
	CXX=clang++ cmake -S . -B $(FUZZ) -DVEXA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(SCALAR)/Makefile:
	cmake -S . -B $(SCALAR) -DCMAKE_BUILD_TYPE=Release -DVEXA_NO_VECTOR=ON

$(FUZZ_SCALAR)/Makefile:
	CXX=clang++ cmake -S . -B $(FUZZ_SCALAR) -DVEXA_FUZZ=ON -DVEXA_NO_VECTOR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

native: $(NATIVE)/Makefile
	cmake --build $(NATIVE) -j$(JOBS)

win32: $(WIN32)/Makefile
	cmake --build $(WIN32) -j$(JOBS)

win64: $(WIN64)/Makefile
	cmake --build $(WIN64) -j$(JOBS)

build: native win32 win64

# The Windows tests come last: their closing line names the builds tested.
# The locale is checked before anything is built, so that a host without
# it fails at once.
test: setup check-locale build test-native fuzz-short test-windows

check-locale:
	@tools/check-locale.sh

native-scalar: $(SCALAR)/Makefile
	cmake --build $(SCALAR) -j$(JOBS) --target core_tests

test-native: native native-scalar
	cd $(NATIVE) && ctest --output-on-failure
	@echo "== the core tests on the word-at-a-time paths (vector paths compiled out)"
	cd $(SCALAR) && ctest --output-on-failure -R '^core_tests$$'

# The Windows tests run under Wine in a virtual X display, on each Windows
# build this host can execute (VEXA_WIN64_ONLY=1: the 64-bit one only).
test-windows: win32 win64
	tools/test-windows.sh

test-win32: win32
	tools/test-windows.sh win32

test-win64: win64
	tools/test-windows.sh win64

.PHONY: fuzz-build
fuzz-build: $(FUZZ)/Makefile $(FUZZ_SCALAR)/Makefile
	cmake --build $(FUZZ) -j$(JOBS)
	cmake --build $(FUZZ_SCALAR) -j$(JOBS)

# Both builds of the fuzz target, FUZZ_SECONDS each.
fuzz-short: fuzz-build
	@for d in $(FUZZ) $(FUZZ_SCALAR); do \
	  mkdir -p $$d/corpus && cp samples/*.txt $$d/corpus/ && \
	  { $$d/codec_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 $$d/corpus >$$d/fuzz.log 2>&1 \
	    || { tail -40 $$d/fuzz.log; exit 1; }; } && \
	  echo "fuzz ($$d): $$(grep -o 'Done [0-9]* runs' $$d/fuzz.log), no failure (log: $$d/fuzz.log)" || exit 1; \
	done

fuzz:
	$(MAKE) fuzz-short FUZZ_SECONDS=300

# Builds the Windows build this host runs best (32-bit where it can execute
# it, else 64-bit), saying which, and leaves its name in $$b.
PICK = b=$$(tools/wine-host.sh --preferred) && $(MAKE) --no-print-directory $$b >/dev/null

bench: setup native
	@$(PICK) && VEXA_BUILD=$$b sh bench/run.sh

# Starts the editor under Wine on a bundled sample (Wine's drive Z: is /).
# Without a display of its own it runs in a virtual X display (use make
# screenshot to see it).
SAMPLE_WIN := Z:$(subst /,\,$(CURDIR)/samples/welcome-sjis-crlf.txt)
run: setup
	@$(PICK) && tools/wine-prefix.sh && cd build/$$b && \
	if [ -n "$${DISPLAY:-}" ]; then \
	  ../../tools/wine-run.sh vexaedit.exe '$(SAMPLE_WIN)'; \
	else \
	  echo "run: no DISPLAY; starting the editor in Xvfb (close it with Ctrl+C)"; \
	  xvfb-run -a -s "-screen 0 1024x768x24" ../../tools/wine-run.sh vexaedit.exe '$(SAMPLE_WIN)'; \
	fi

# PNGs of the window as a user sees it: the sample loaded, the window split
# (Alt+S, E), and the About box (Alt+A).
screenshot: setup
	@$(PICK) && export VEXA_BUILD=$$b && \
	tools/screenshot.sh $(CURDIR)/build/screenshot.png && \
	tools/screenshot.sh $(CURDIR)/build/screenshot-split.png "alt+s e" && \
	tools/screenshot.sh $(CURDIR)/build/screenshot-about.png "alt+a"

# A zip for Windows users: static executables (32-bit at the top, 64-bit in
# x64/), sounds, samples, read-mes in Shift-JIS and ASCII with CR LF.
DIST := build/dist/vexaedit-1.00
dist: setup native win32 win64
	rm -rf $(DIST) build/vexaedit-1.00.zip
	mkdir -p $(DIST)/samples $(DIST)/x64
	cp $(WIN32)/vexaedit.exe $(WIN32)/vexa-convert.exe $(WIN32)/res/Sound1.WAV $(WIN32)/res/Sound2.WAV $(WIN32)/res/Sound3.WAV $(DIST)/
	cp $(WIN64)/vexaedit.exe $(WIN64)/vexa-convert.exe $(WIN64)/res/Sound1.WAV $(WIN64)/res/Sound2.WAV $(WIN64)/res/Sound3.WAV $(DIST)/x64/
	cp samples/*.txt $(DIST)/samples/
	iconv -f UTF-8 -t CP932 dist/README-ja.txt >$(DIST)/README-ja.tmp
	$(NATIVE)/vexa-convert --kanji=sjis --linebreak=crlf $(DIST)/README-ja.tmp $(DIST)/README-ja.txt >/dev/null
	$(NATIVE)/vexa-convert --kanji=sjis --linebreak=crlf dist/README-en.txt $(DIST)/README-en.txt >/dev/null
	rm $(DIST)/README-ja.tmp
	cd build/dist && zip -q -r ../vexaedit-1.00.zip vexaedit-1.00
	@echo "dist: build/vexaedit-1.00.zip"; unzip -l build/vexaedit-1.00.zip

clean:
	rm -rf build
