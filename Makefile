# make run   — set up (first time), build, register Foldwatcher, start Quillstack.exe under Wine
# make test  — set up (first time), build, run every test under Wine (and Xvfb when there is no display),
#              then each fuzz target for FUZZ_TEST_SECONDS
# make fuzz  — build the fuzz targets natively (clang, libFuzzer, ASan, UBSan), run each for FUZZ_SECONDS
BUILD ?= build
JOBS  ?= $(shell nproc)
FUZZ_SECONDS ?= 300
FUZZ_TEST_SECONDS ?= 10

.PHONY: all setup setup-fuzz configure build test run fuzz bench clean

all: build

setup:
	@BUILD_DIR=$(abspath $(BUILD)) scripts/setup

# After setup, never beside it: both may call apt-get.
setup-fuzz: setup
	@BUILD_DIR=$(abspath $(BUILD)) scripts/setup fuzz

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

test: build setup-fuzz
	@status=0; scripts/run-tests $(BUILD) || status=1; \
	FUZZ_SECONDS=$(FUZZ_TEST_SECONDS) scripts/run-fuzz $(BUILD) || status=1; exit $$status

fuzz: setup-fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/run-fuzz $(BUILD)

run: build
	@scripts/run-app $(BUILD)

# Benchmarks, by hand only (a few minutes; the first run makes the import's tree of .url files in the prefix's Temp).
bench: build
	@scripts/run-benches $(BUILD)

clean:
	rm -rf $(BUILD)
