# Sidecar: the two commands a newcomer needs are `make run` (the demo) and `make test` (every suite).
SHELL := /bin/bash
ROOT := $(CURDIR)
NATIVE := build/native
WIN32 := build/win32
WINE_RUN := $(ROOT)/tools/wine-run --prefix $(ROOT)/$(WIN32)/wineprefix

.PHONY: setup build build-native build-win32 test test-native test-win32 run bench fuzz soak format tidy clean

setup:
	@tools/setup

build: setup build-native build-win32

build-native:
	@[ -f $(NATIVE)/build.ninja ] || cmake --preset native >/dev/null
	cmake --build $(NATIVE)

build-win32:
	@[ -f $(WIN32)/build.ninja ] || cmake --preset win32 >/dev/null
	cmake --build $(WIN32)

test: build
	ctest --test-dir $(NATIVE) --output-on-failure
	$(WINE_RUN) --session -- ctest --test-dir $(WIN32) --output-on-failure
	fuzz/run 0

run: build
	@tools/run-demo

# Cross-process figures under Wine swing with CPU placement: the whole Wine session runs on one CPU.
bench: build
	taskset -c 0 $(WINE_RUN) --session -- wine $(WIN32)/bin/sidecar_link_bench.exe
	taskset -c 0 $(WINE_RUN) --session -- wine $(WIN32)/bin/sidecar_review_bench.exe
	taskset -c 0 $(WINE_RUN) --session -- wine $(WIN32)/bin/sidecar_startup_bench.exe

# The long reliability runs: 10,000 soak cycles and a 100,000-message hostile console (about 10 minutes each).
soak: build
	$(WINE_RUN) --session -- env SIDECAR_SOAK_CYCLES=$(or $(SOAK_CYCLES),10000) wine $(WIN32)/bin/e2e_soak.exe
	$(WINE_RUN) --session -- env SIDECAR_BARRAGE_MESSAGES=$(or $(BARRAGE_MESSAGES),100000) wine $(WIN32)/bin/e2e_hostile.exe

# Each libFuzzer target for a fixed number of inputs (FUZZ_RUNS=10000000 for a long run).
fuzz: setup
	fuzz/run $(or $(FUZZ_RUNS),200000)

format:
	@git ls-files '*.h' '*.cpp' | xargs -r clang-format -i

# clang-tidy over every source of both builds (a few minutes); prints the findings, fails on any.
tidy: build
	@tools/tidy

clean:
	rm -rf build
