# Thin wrapper over the CMake presets. `make run` and `make test` are the two
# commands a fresh Debian 12 machine needs; both install what is missing first.
PRESET   ?= default
BUILD     = build/$(PRESET)
JOBS     ?= $(shell nproc)

.PHONY: all deps configure build run test test-default test-sanitize bench package clean

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@$(BUILD)/ui/quarnix

test: test-default test-sanitize

test-default: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)
	@ctest --preset default -j $(JOBS)

test-sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j $(JOBS)
	@ctest --preset sanitize -j $(JOBS)

bench: build
	@$(BUILD)/bench/quarnix-bench
	@bash bench/files.sh $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	@rm -rf build
