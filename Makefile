# Karvelon: the commands of the README. Each installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
EXAMPLE ?= examples/showcase.pbn

.PHONY: all deps build test run package screenshot bench bench-dd bench-annotate bench-lin bench-viewer fuzz faults test-asan clean

FUZZ_SECONDS ?= 600
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz

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

# The Debian package $(BUILD)/karvelon_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# The software centres' screenshot, as the metainfo describes it.
screenshot: build
	$(BUILD)/src/cli/karvelon-cli render examples/showcase.pbn -o resources/screenshot.png --steps 22

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKARVELON_SANITIZE=ON -DKARVELON_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The writers under faults (tests/cli/writer_faults.sh) with FAULT_ROUNDS (100) signals at random
# moments per writer; the suite runs 8.
FAULT_ROUNDS ?= 100
faults: build
	bash tests/cli/writer_faults.sh $(BUILD)/src/cli/karvelon-cli examples $(FAULT_ROUNDS)

# libFuzzer with ASan and UBSan over the whole path a user triggers, annotate's edit, the LIN
# conversions and the index pass by whole tokens against one character at a time: each target of
# FUZZ_TARGETS for FUZZ_SECONDS (600), from its seeds (FUZZ_SEEDS_<target>).
FUZZ_TARGETS ?= karvelon_fuzz annotate_fuzz karvelon_lin_fuzz tokens_fuzz
FUZZ_SEEDS_karvelon_fuzz = fuzz/seeds examples
FUZZ_SEEDS_annotate_fuzz = fuzz/seeds-annotate
FUZZ_SEEDS_karvelon_lin_fuzz = fuzz/seeds examples
FUZZ_SEEDS_tokens_fuzz = fuzz/seeds examples
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVELON_FUZZ=ON \
	  -DKARVELON_SANITIZE=ON -DKARVELON_GUI=OFF -DKARVELON_TESTS=OFF -DKARVELON_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	$(foreach target,$(FUZZ_TARGETS),mkdir -p $(FUZZ_BUILD)/corpus-$(target) && \
	  $(FUZZ_BUILD)/fuzz/$(target) -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 \
	  -print_final_stats=1 $(FUZZ_BUILD)/corpus-$(target) $(FUZZ_SEEDS_$(target)) &&) true

# The LIN conversions alone: LIN to PBN, and PBN to LIN to PBN where LIN holds the game.
.PHONY: fuzz-lin
fuzz-lin:
	$(MAKE) fuzz FUZZ_TARGETS=karvelon_lin_fuzz

# The index pass against the bare reading loop, single-game loads, index bytes and peak memory,
# on a generated file of BENCH_MB megabytes (100), made once from BENCH_SEED (1) and kept; then
# whole processes of check against the floor and against cat of a folder of small files.
BENCH_BUILD ?= build-bench
BENCH_MB ?= 100
BENCH_SEED ?= 1
BENCH_FILE ?= $(BENCH_BUILD)/bench/games-$(BENCH_MB)mb-seed$(BENCH_SEED).pbn
# A folder like a public archive: BENCH_FOLDER_FILES (1394) files of 37 generated games.
BENCH_FOLDER_FILES ?= 1394
BENCH_FOLDER ?= $(BENCH_BUILD)/bench/folder-$(BENCH_FOLDER_FILES)
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKARVELON_GUI=OFF -DKARVELON_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target karvelon-bench pbn-generate karvelon-cli \
	  process-rate
	@if [ ! -f $(BENCH_FILE) ] || [ bench/pbn_generator.h -nt $(BENCH_FILE) ]; then \
	  $(BENCH_BUILD)/bench/pbn-generate $(BENCH_FILE) --megabytes $(BENCH_MB) --seed $(BENCH_SEED); fi
	$(BENCH_BUILD)/bench/karvelon-bench --file $(BENCH_FILE) --cli $(BENCH_BUILD)/src/cli/karvelon-cli \
	  --benchmark_color=false
	@if [ ! -f $(BENCH_FOLDER)/event-$(BENCH_FOLDER_FILES).pbn ]; then mkdir -p $(BENCH_FOLDER) && \
	  for i in $$(seq $(BENCH_FOLDER_FILES)); do $(BENCH_BUILD)/bench/pbn-generate \
	    $(BENCH_FOLDER)/event-$$i.pbn --games 37 --seed $$i > /dev/null; done; fi
	$(BENCH_BUILD)/bench/process-rate --cli $(BENCH_BUILD)/src/cli/karvelon-cli --file $(BENCH_FILE) \
	  --folder $(BENCH_FOLDER) --rounds 7

# Converting and indexing LIN_GAMES (1000) generated boards as a LIN file against indexing the
# PBN file of the same boards (bench/lin_rate.cpp).
LIN_GAMES ?= 1000
LIN_FILE ?= $(BENCH_BUILD)/bench/boards-$(LIN_GAMES)-seed$(BENCH_SEED)
bench-lin: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKARVELON_GUI=OFF -DKARVELON_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target lin-rate pbn-generate karvelon-cli
	$(BENCH_BUILD)/bench/pbn-generate $(LIN_FILE)-generated.pbn --games $(LIN_GAMES) \
	  --seed $(BENCH_SEED) --errors 0
	$(BENCH_BUILD)/src/cli/karvelon-cli convert $(LIN_FILE)-generated.pbn -o $(LIN_FILE).lin
	$(BENCH_BUILD)/src/cli/karvelon-cli convert $(LIN_FILE).lin -o $(LIN_FILE).pbn
	$(BENCH_BUILD)/bench/lin-rate $(LIN_FILE).lin $(LIN_FILE).pbn

# karvelon-cli dd on DD_GAMES generated deals (1000) against the library's own batch rate
# (bench/dds_rate.cpp) on the same deals.
DD_GAMES ?= 1000
DD_FILE ?= $(BENCH_BUILD)/bench/deals-$(DD_GAMES)-seed$(BENCH_SEED).pbn
bench-dd: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKARVELON_GUI=OFF -DKARVELON_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target dds-rate pbn-generate karvelon-cli
	@[ -f $(DD_FILE) ] || $(BENCH_BUILD)/bench/pbn-generate $(DD_FILE) --games $(DD_GAMES) \
	  --seed $(BENCH_SEED) --errors 0
	$(BENCH_BUILD)/bench/dds-rate $(DD_FILE)
	@/usr/bin/time -f "%e %U %S" -o $(BENCH_BUILD)/dd.time $(BENCH_BUILD)/src/cli/karvelon-cli dd \
	  $(DD_FILE) > /dev/null
	@awk -v n=$(DD_GAMES) '{ printf "karvelon-cli dd: %d tables, %.2f s wall, %.2f s CPU: %.1f tables/s, %.1f tables per CPU s\n", n, $$1, $$2 + $$3, n / $$1, n / ($$2 + $$3) }' $(BENCH_BUILD)/dd.time

# karvelon-cli annotate --dd on a copy of the same deals against the library's batch rate; the
# last line gives the ratio (annotate's tables per second over the library's).
bench-annotate: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKARVELON_GUI=OFF -DKARVELON_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target dds-rate pbn-generate karvelon-cli
	@[ -f $(DD_FILE) ] || $(BENCH_BUILD)/bench/pbn-generate $(DD_FILE) --games $(DD_GAMES) \
	  --seed $(BENCH_SEED) --errors 0
	$(BENCH_BUILD)/bench/dds-rate $(DD_FILE) | tee $(BENCH_BUILD)/dds-rate.txt
	@cp $(DD_FILE) $(BENCH_BUILD)/annotate.pbn
	@/usr/bin/time -f "%e %U %S" -o $(BENCH_BUILD)/annotate.time $(BENCH_BUILD)/src/cli/karvelon-cli \
	  annotate $(BENCH_BUILD)/annotate.pbn --dd > /dev/null
	@awk -v n=$(DD_GAMES) '{ printf "karvelon-cli annotate --dd: %d tables, %.2f s wall, %.2f s CPU: %.1f tables/s, %.1f tables per CPU s\n", n, $$1, $$2 + $$3, n / $$1, n / ($$2 + $$3) }' $(BENCH_BUILD)/annotate.time
	@awk -v n=$(DD_GAMES) 'NR == FNR { wall = $$4; cpu = $$7; next } { printf "annotate / library: %.2f (wall), %.2f (CPU)\n", wall / $$1, cpu / ($$2 + $$3) }' $(BENCH_BUILD)/dds-rate.txt $(BENCH_BUILD)/annotate.time

# The viewer on the same generated file (BENCH_MB megabytes): how soon its first game is on screen
# while the pass reads on, and when the pass is over (bench/first_game_bench.cpp, Qt off screen).
VIEWER_BENCH_FILE ?= $(BUILD)/bench/games-$(BENCH_MB)mb-seed$(BENCH_SEED).pbn
bench-viewer: build
	cmake --build $(BUILD) -j $(JOBS) --target first-game-bench pbn-generate
	@[ -f $(VIEWER_BENCH_FILE) ] || $(BUILD)/bench/pbn-generate $(VIEWER_BENCH_FILE) \
	  --megabytes $(BENCH_MB) --seed $(BENCH_SEED)
	$(BUILD)/bench/first-game-bench $(VIEWER_BENCH_FILE)

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench
