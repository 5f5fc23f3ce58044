# The README's commands. Each installs what is missing, configures, builds and runs.
BUILD_DIR        ?= build
SANITIZE_DIR     ?= build-sanitize
BENCH_DIR        ?= build-bench
FUZZ_DIR         ?= build-fuzz
PACKAGE_DIR      ?= build-package
# Seconds each fuzz target runs in fuzz-smoke.
FUZZ_SECONDS     ?= 60
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

# Each fuzz target runs for FUZZ_SECONDS from the seeds (its findings are kept under
# $(FUZZ_DIR)/corpus); a crash stops the run, with the input in $(FUZZ_DIR)/artifacts.
# Warnings are judged by the gcc builds; clang's own extra ones do not stop the fuzzing.
fuzz-smoke: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIREFELL_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMIREFELL_WERROR=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	@mkdir -p $(FUZZ_DIR)/artifacts
	@for f in $(FUZZ_DIR)/fuzz/*_fuzzer; do \
	  name=$$(basename $$f); echo "== $$name for $(FUZZ_SECONDS) s"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -timeout=20 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/artifacts/$$name- \
	    $(FUZZ_DIR)/corpus/$$name fuzz/seeds tests/data/pngsuite/png || exit 1; \
	done

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(PACKAGE_DIR)
