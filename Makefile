# Karvelon: the commands of the README. Each installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
EXAMPLE ?= examples/showcase.pbn

.PHONY: all deps build test run bench fuzz test-asan clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run-viewer.sh $(BUILD) $(EXAMPLE)

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench
