# Two commands set everything up on a fresh Debian 12 machine: `make run` and `make test`.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)
DATA_HOME  ?= $(or $(XDG_DATA_HOME),$(HOME)/.local/share)
DEMO       ?= $(DATA_HOME)/Plume/demo
PREFIX     ?= /usr/local
FUZZ_SECONDS ?= 600
SOAK_SECONDS ?= 600

.PHONY: all deps configure build run test bench install package fuzz soak clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The editor on the demo project, which the first run writes into the user's data folder.
run: build
	@test -f "$(DEMO)/demo.PRJ" || $(BUILD)/plume-cli demo-project "$(DEMO)"
	@$(BUILD)/plume "$(DEMO)/demo.PRJ"

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: BUILD_TYPE = Release
bench: BUILD = build-bench
bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target plume-bench
	@$(BUILD)/plume-bench

# Into PREFIX (DESTDIR=... for a staging root): the programs, data, desktop entry, MIME types, icons, manuals.
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target shipped
	@cmake --install $(BUILD) --prefix "$(PREFIX)"

# A .deb in $(BUILD), declaring its Debian dependencies.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target shipped
	@cd $(BUILD) && cpack -G DEB

# Every fuzz target for FUZZ_SECONDS each; the corpus grows in build-fuzz/corpus between runs.
fuzz: build
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUME_FUZZ=ON \
	    -DPLUME_BUILD_GUI=OFF -DPLUME_SANITIZE=address,undefined,fuzzer-no-link $(CMAKE_ARGS) >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@scripts/run-fuzz build-fuzz $(BUILD) $(FUZZ_SECONDS)

# SOAK_SECONDS of real-time project play under a load on every core: lost, late and misordered events.
soak: build
	@scripts/soak $(BUILD)/plume-cli $(SOAK_SECONDS)

clean:
	rm -rf build build-bench build-asan build-tsan build-fuzz
