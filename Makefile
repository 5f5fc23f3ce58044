# The README's commands. Each installs what is missing, configures, builds and runs.
BUILD_DIR        ?= build
SANITIZE_DIR     ?= build-sanitize
BENCH_DIR        ?= build-bench
FUZZ_DIR         ?= build-fuzz
PACKAGE_DIR      ?= build-package
# Seconds each fuzz target runs in fuzz-smoke, and the most one input may take.
FUZZ_SECONDS     ?= 60
FUZZ_TIMEOUT     ?= 20
JOBS             ?= $(shell nproc)
# CI turns warnings into errors.
WERROR           := $(if $(filter true 1,$(CI)),ON,OFF)
CMAKE_FLAGS      := -DMIREFELL_WERROR=$(WERROR)
CTEST_FLAGS      := --output-on-failure --no-tests=error -j $(JOBS)

.PHONY: all deps build run test test-sanitize bench assets fuzz-smoke example package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/mirefell

test: build
	ctest --test-dir $(BUILD_DIR) $(CTEST_FLAGS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREFELL_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest --test-dir $(SANITIZE_DIR) $(CTEST_FLAGS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DMIREFELL_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done

# Installs the toolkit into a temporary prefix, builds examples/sprites against it both ways and
# checks its picture.
example: build
	BUILD_DIR=$(BUILD_DIR) scripts/check-example.sh

# The Debian package of the game (mirefell_<version>_<arch>.deb in $(PACKAGE_DIR)), built
# without the tests.
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DMIREFELL_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB

# Draws the 21 pictures into res/ again; commit them with the change to tools/assetgen.
assets: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target mirefell-assetgen
	./$(BUILD_DIR)/mirefell-assetgen res

# Each fuzz target runs for FUZZ_SECONDS from its seeds (its findings are kept under
# $(FUZZ_DIR)/corpus); a crash, a leak, an input slower than FUZZ_TIMEOUT or one over the memory
# ceiling stops the run, with the input in $(FUZZ_DIR)/artifacts. The ceiling lets the largest
# block the loaders' budget allows (docs/toolkit.md, "Memory budgets") through with room to
# spare and makes any single request of more than 2 GiB a finding. Image inputs may be several
# MB long, so that long level chains, huge declared sizes and long RLE streams are reachable.
# The seed folders match fuzz/CMakeLists.txt.
# Warnings are judged by the gcc builds; clang's own extra ones do not stop the fuzzing.
FUZZ_TARGETS       := image texture map text device sprite
FUZZ_IMAGE_SEEDS   := fuzz/seeds/image tests/data/formats tests/data/pngsuite/png
FUZZ_SEEDS_image   := $(FUZZ_IMAGE_SEEDS)
FUZZ_SEEDS_texture := $(FUZZ_IMAGE_SEEDS)
FUZZ_SEEDS_map     := fuzz/seeds/map
FUZZ_SEEDS_text    := fuzz/seeds/text
FUZZ_SEEDS_device  := fuzz/seeds/device
FUZZ_SEEDS_sprite  := fuzz/seeds/sprite
FUZZ_MAX_LEN_image   := 4194304
FUZZ_MAX_LEN_texture := 4194304
FUZZ_MAX_LEN_map     := 65536
FUZZ_MAX_LEN_text    := 4096
FUZZ_MAX_LEN_device  := 16384
FUZZ_MAX_LEN_sprite  := 4096
FUZZ_FLAGS := -max_total_time=$(FUZZ_SECONDS) -timeout=$(FUZZ_TIMEOUT) \
  -rss_limit_mb=2560 -malloc_limit_mb=2048 -print_final_stats=1

fuzz-smoke: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREFELL_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMIREFELL_WERROR=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	@mkdir -p $(FUZZ_DIR)/artifacts
	@set -e; $(foreach t,$(FUZZ_TARGETS), \
	  echo "== $(t)_fuzzer for $(FUZZ_SECONDS) s"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$(t); \
	  $(FUZZ_DIR)/fuzz/$(t)_fuzzer $(FUZZ_FLAGS) -max_len=$(FUZZ_MAX_LEN_$(t)) \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$(t)- $(FUZZ_DIR)/corpus/$(t) $(FUZZ_SEEDS_$(t));)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(PACKAGE_DIR)
