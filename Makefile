# VEXA Edit ! -- a thin layer over CMake. See README.md.
NATIVE := build/native
WIN32  := build/win32
FUZZ   := build/fuzz
JOBS   ?= 2
FUZZ_SECONDS ?= 20

.PHONY: all setup build native win32 test test-native test-win32 fuzz fuzz-short bench run screenshot clean

all: build

setup:
	@sh tools/setup.sh

$(NATIVE)/Makefile:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release

$(WIN32)/Makefile:
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

$(FUZZ)/Makefile:
	CXX=clang++ cmake -S . -B $(FUZZ) -DVEXA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo

native: $(NATIVE)/Makefile
	cmake --build $(NATIVE) -j$(JOBS)

win32: $(WIN32)/Makefile
	cmake --build $(WIN32) -j$(JOBS)

build: native win32

test: setup build test-native test-win32 fuzz-short

test-native: native
	cd $(NATIVE) && ctest --output-on-failure

# The Windows tests run under Wine in a virtual X display.
test-win32: win32
	tools/wine-prefix.sh
	cd $(WIN32) && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure

.PHONY: fuzz-build
fuzz-build: $(FUZZ)/Makefile
	cmake --build $(FUZZ) -j$(JOBS)

fuzz-short: fuzz-build
	mkdir -p $(FUZZ)/corpus && cp samples/*.txt $(FUZZ)/corpus/
	@$(FUZZ)/codec_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 $(FUZZ)/corpus >$(FUZZ)/fuzz.log 2>&1 \
	  || { tail -40 $(FUZZ)/fuzz.log; exit 1; }
	@echo "fuzz: $$(grep -o 'Done [0-9]* runs' $(FUZZ)/fuzz.log), no failure (log: $(FUZZ)/fuzz.log)"

fuzz:
	$(MAKE) fuzz-short FUZZ_SECONDS=600

bench: setup native
	sh bench/run.sh

# Starts the editor under Wine on a bundled sample. Without a display of
# its own it runs in a virtual X display (use make screenshot to see it).
run: setup win32
	tools/wine-prefix.sh
	@if [ -n "$${DISPLAY:-}" ]; then \
	  cd $(WIN32) && ../../tools/wine-run.sh vexaedit.exe "$$(WINEPREFIX=$(CURDIR)/build/wineprefix winepath -w $(CURDIR)/samples/welcome-sjis-crlf.txt)"; \
	else \
	  echo "run: no DISPLAY; starting the editor in Xvfb (close it with Ctrl+C)"; \
	  cd $(WIN32) && xvfb-run -a -s "-screen 0 1024x768x24" ../../tools/wine-run.sh vexaedit.exe "$$(WINEPREFIX=$(CURDIR)/build/wineprefix winepath -w $(CURDIR)/samples/welcome-sjis-crlf.txt)"; \
	fi

screenshot: setup win32
	tools/screenshot.sh $(CURDIR)/build/screenshot.png

clean:
	rm -rf build
