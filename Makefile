# make run   — set up (first time), build, register Foldwatcher, start Quillstack.exe under Wine
# make test  — set up (first time), build, run every test under Wine (and Xvfb when there is no display)
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup configure build test run bench clean

all: build

setup:
	@BUILD_DIR=$(abspath $(BUILD)) scripts/setup

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

test: build
	@scripts/run-tests $(BUILD)

run: build
	@scripts/run-app $(BUILD)

# Benchmarks, by hand only (a few minutes; the first run makes the import's tree of .url files in the prefix's Temp).
bench: build
	@scripts/run-benches $(BUILD)

clean:
	rm -rf $(BUILD)
