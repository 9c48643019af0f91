# Sidecar: the two commands a newcomer needs are `make run` (the demo) and `make test` (every suite).
SHELL := /bin/bash
ROOT := $(CURDIR)
NATIVE := build/native
WIN32 := build/win32
WIN64 := build/win64

# The Windows architectures whose programs this machine runs under Wine ("win32 win64", or "win64" where
# the kernel executes no i386 code or SIDECAR_X64_ONLY=1). Both are always built.
ARCHS := $(shell tools/wine-archs)
# The demo, the benchmarks and the soak use the release program (32-bit) where it runs, the x64 one
# otherwise.
MAIN_ARCH := $(firstword $(ARCHS))
MAIN_BIN := build/$(MAIN_ARCH)/bin
wine_run = $(ROOT)/tools/wine-run --arch $(1)

.PHONY: setup build build-native build-win32 build-win64 test test-native test-wine test-release run bench \
	fuzz soak package repro-check format tidy clean

setup:
	@tools/setup

build: setup build-native build-win32 build-win64

build-native:
	@[ -f $(NATIVE)/build.ninja ] || cmake --preset native >/dev/null
	cmake --build $(NATIVE)

build-win32:
	@[ -f $(WIN32)/build.ninja ] || cmake --preset win32 >/dev/null
	cmake --build $(WIN32)

build-win64:
	@[ -f $(WIN64)/build.ninja ] || cmake --preset win64 >/dev/null
	cmake --build $(WIN64)

test: build test-native test-wine test-release
	fuzz/run 0

test-native:
	ctest --test-dir $(NATIVE) --output-on-failure

# The Wine suites of every architecture this machine runs. Where both run, the x64 suites also have the
# 32-bit console simulator drive the 64-bit panel (SIDECAR_CONSOLE_SIM32).
test-wine:
	@why="$$(tools/wine-archs --why)"; \
	 [ -z "$$why" ] || echo "make test: the 32-bit (win32) suites were not run: $$why; running the x64 (win64) suites only"
	$(if $(filter win32,$(ARCHS)),$(call wine_run,win32) --session -- ctest --test-dir $(WIN32) --output-on-failure)
	$(if $(filter win32,$(ARCHS)),SIDECAR_CONSOLE_SIM32=$(ROOT)/$(WIN32)/bin/console-sim.exe) \
	  $(call wine_run,win64) --session -- ctest --test-dir $(WIN64) --output-on-failure

run: build
	@SIDECAR_ARCH=$(MAIN_ARCH) tools/run-demo

# The release of both architectures in build/release/: folders, zips and sums (see tools/package).
package: setup
	tools/package

# The release built twice from clean clones of HEAD compares byte for byte.
repro-check: setup
	tools/repro-check

# The release: packaged, reproducible, signable, and its installer of each architecture this machine runs
# installed, upgraded and removed under Wine.
test-release: setup
	tools/package
	tools/repro-check --against build/release
	tools/sign-check build/release/Sidecar-*-win32/Sidecar.exe build/release/Sidecar-*-win64/Sidecar.exe \
	  build/release/*.msi
	$(foreach arch,$(ARCHS),tools/installer-check $(arch) build/release &&) true

# Cross-process figures under Wine swing with CPU placement: the whole Wine session runs on one CPU.
bench: build
	@echo "make bench: the $(MAIN_ARCH) programs ($(MAIN_BIN))"
	taskset -c 0 $(call wine_run,$(MAIN_ARCH)) --session -- wine $(MAIN_BIN)/sidecar_link_bench.exe
	taskset -c 0 $(call wine_run,$(MAIN_ARCH)) --session -- wine $(MAIN_BIN)/sidecar_review_bench.exe
	taskset -c 0 $(call wine_run,$(MAIN_ARCH)) --session -- wine $(MAIN_BIN)/sidecar_startup_bench.exe

# The long reliability runs: 10,000 soak cycles and a 100,000-message hostile console (about 10 minutes each).
soak: build
	@echo "make soak: the $(MAIN_ARCH) programs ($(MAIN_BIN))"
	$(call wine_run,$(MAIN_ARCH)) --session -- env SIDECAR_SOAK_CYCLES=$(or $(SOAK_CYCLES),10000) wine $(MAIN_BIN)/e2e_soak.exe
	$(call wine_run,$(MAIN_ARCH)) --session -- env SIDECAR_BARRAGE_MESSAGES=$(or $(BARRAGE_MESSAGES),100000) wine $(MAIN_BIN)/e2e_hostile.exe

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
