# The two commands: `make demo` runs the screensaver, `make test` runs every test.
# Each installs what is missing first, then builds what is needed.
# `make dist` makes the release: the installer and the archive in out/dist/.
SHELL := /bin/bash
PRESETS := native win32 win64
CTEST_ARGS ?=

.PHONY: all setup native win32 win64 fuzz build dist test demo clean

all: build

setup:
	@bash scripts/setup-debian

native win32 win64 fuzz: setup
	@[ -f build/$@/build.ninja ] || cmake --preset $@ >/dev/null
	@cmake --build --preset $@

win32 win64 fuzz: native

build: native win32 win64

# The installer and the release archive (the end-to-end tests install it).
dist: build
	@bash scripts/make-dist

# One CTest run over every build tree, so the summary covers all tests.
test: build fuzz dist
	@printf 'subdirs("native" "win32" "win64" "fuzz")\n' > build/CTestTestfile.cmake
	@cd build && ctest --output-on-failure $(CTEST_ARGS)

# The 32-bit saver is the product; a machine that cannot run 32-bit programs
# under Wine shows the 64-bit one instead.
demo: win32 win64
	@if bash scripts/wine-run --arch win32 --check; then \
	  bash scripts/demo build/win32/bin/Cordelune.scr out/demo; \
	else \
	  echo "demo: showing the 64-bit build"; bash scripts/demo build/win64/bin/Cordelune.scr out/demo; \
	fi

clean:
	rm -rf build out
