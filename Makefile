# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper over the CMake presets. `make run` and `make test` are the two
# commands a fresh Debian 12 machine needs; both install what is missing first:
# `make run` only what building and running need, `make test` the test packages
# as well (tools/install-deps.sh).
PRESET   ?= default
BUILD     = build/$(PRESET)
JOBS     ?= $(shell nproc)

# The program alone, or everything: the tests and benchmarks need packages of
# their own. Switching keeps what was built; only the build files change.
PROGRAMS_ONLY = -DQUARNIX_BUILD_TESTS=OFF -DQUARNIX_BUILD_BENCH=OFF
WITH_TESTS    = -DQUARNIX_BUILD_TESTS=ON

.PHONY: all deps test-deps configure build run test test-default test-sanitize bench package clean

all: build

deps:
	@bash tools/install-deps.sh run

test-deps:
	@bash tools/install-deps.sh run test

configure: deps
	@cmake --preset $(PRESET) $(PROGRAMS_ONLY) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@$(BUILD)/ui/quarnix

test: test-default test-sanitize

test-default: test-deps
	@cmake --preset default $(WITH_TESTS) -DQUARNIX_BUILD_BENCH=ON >/dev/null
	@cmake --build --preset default -j $(JOBS)
	@ctest --preset default -j $(JOBS)

test-sanitize: test-deps
	@cmake --preset sanitize $(WITH_TESTS) >/dev/null
	@cmake --build --preset sanitize -j $(JOBS)
	@ctest --preset sanitize -j $(JOBS)

bench: test-deps
	@bash bench/install-peers.sh
	@cmake --preset $(PRESET) $(WITH_TESTS) -DQUARNIX_BUILD_BENCH=ON >/dev/null
	@cmake --build --preset $(PRESET) -j $(JOBS)
	@$(BUILD)/bench/quarnix-bench
	@bash bench/files.sh $(BUILD)

package: test-deps build
	@cd $(BUILD) && cpack -G DEB

clean:
	@rm -rf build
