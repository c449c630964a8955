# Two commands set everything up on a fresh Debian 12 machine: `make run` and `make test`.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_ARGS ?=
JOBS       ?= $(shell nproc)
DATA_HOME  ?= $(or $(XDG_DATA_HOME),$(HOME)/.local/share)
DEMO       ?= $(DATA_HOME)/Plume/demo

.PHONY: all deps configure build run test bench clean

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

clean:
	rm -rf build build-bench build-asan build-tsan build-fuzz
