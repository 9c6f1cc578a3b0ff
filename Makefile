# The two commands: `make demo` runs the screensaver, `make test` runs every test.
# Each installs what is missing first, then builds what is needed.
SHELL := /bin/bash
PRESETS := native win32 win64
CTEST_ARGS ?=

.PHONY: all setup native win32 win64 fuzz build test demo clean

all: build

setup:
	@bash scripts/setup-debian

native win32 win64 fuzz: setup
	@[ -f build/$@/build.ninja ] || cmake --preset $@ >/dev/null
	@cmake --build --preset $@

win32 win64 fuzz: native

build: native win32 win64

# One CTest run over every build tree, so the summary covers all tests.
test: build fuzz
	@printf 'subdirs("native" "win32" "win64" "fuzz")\n' > build/CTestTestfile.cmake
	@cd build && ctest --output-on-failure $(CTEST_ARGS)

demo: win32
	@bash scripts/demo build/win32/bin/Cordelune.scr out/demo

clean:
	rm -rf build out
