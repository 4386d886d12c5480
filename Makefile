# Two commands do everything on a fresh machine:
#   make run   installs what is missing, builds, runs the one-shot job
#   make test  installs what is missing, builds, runs every test
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan
FUZZ := build/fuzz
FUZZ_SECONDS ?= 300
# ccache, where installed, keeps rebuilds of unchanged sources cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)

.PHONY: deps deps-test deps-bench build run test test-release test-asan test-fuzz test-odr fuzz-build fuzz format format-check clean

# Each target installs only the packages it needs (scripts/install-deps.sh).
deps:
	@bash scripts/install-deps.sh run
deps-test:
	@bash scripts/install-deps.sh test
deps-bench:
	@bash scripts/install-deps.sh bench

build: deps
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) > /dev/null
	cmake --build $(RELEASE) -j$(JOBS)

run: build
	$(RELEASE)/bin/scenario-compiler; status=$$?; \
	  echo "exit status $$status; files in $(RELEASE)/bin:"; ls $(RELEASE)/bin; exit $$status

test-release: deps-test build
	cd $(RELEASE) && ctest -j$(JOBS) --output-on-failure

test-asan: deps-test
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSC_SANITIZE=ON $(LAUNCHER) > /dev/null
	cmake --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ctest -j$(JOBS) --output-on-failure

# Link-time optimisation sees every definition of a type at once: a type or
# function defined differently in two sources (a one-definition-rule breach)
# fails the link. Only the executable and the test binaries that link the most
# libraries are linked, to keep the cost low.
ODR := build/odr
ODR_FLAGS := -flto=$(JOBS) -Werror=odr -Werror=lto-type-mismatch
test-odr: deps-test
	cmake -S . -B $(ODR) -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) "-DCMAKE_CXX_FLAGS=$(ODR_FLAGS)" \
	  -DCMAKE_AR=$$(command -v gcc-ar) -DCMAKE_RANLIB=$$(command -v gcc-ranlib) > /dev/null
	cmake --build $(ODR) -j$(JOBS) --target scenario-compiler app_tests check_tests

# The fuzz targets for a short bounded run each (clang, libFuzzer).
fuzz-build: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSC_FUZZ=ON -DSC_BUILD_TESTS=OFF -DSC_BUILD_APP=OFF $(LAUNCHER) > /dev/null
	cmake --build $(FUZZ) -j$(JOBS)

test-fuzz: fuzz-build
	cd $(FUZZ) && ctest --output-on-failure

test: format-check test-release test-odr test-asan test-fuzz

# Each fuzz target for FUZZ_SECONDS (default 300).
fuzz: fuzz-build
	for t in field_reader name pipeline binary_reader decompile lsp; do \
	  fuzz/run_fuzzer.sh $(FUZZ)/bin/$${t}_fuzz fuzz/corpus/$$t $(FUZZ_SECONDS) || exit 1; \
	done

# Benchmarks: in-process figures from Google Benchmark, then whole-process
# figures against a floor that only writes the same files (bench/run_bench.py).
BENCH := build/bench
BENCH_RUNS ?= 21

bench: deps-bench
	cmake -S . -B $(BENCH) $(CMAKE_FLAGS) -DSC_BUILD_BENCH=ON -DSC_BUILD_TESTS=OFF > /dev/null
	cmake --build $(BENCH) -j$(JOBS) --target scenario-compiler generate_route sc_bench
	$(BENCH)/bin/sc_bench
	python3 bench/run_bench.py --build $(BENCH) --runs $(BENCH_RUNS)

format: deps-test
	clang-format -i $$(git ls-files '*.h' '*.cpp')

# Fails on the first source file that `make format` would change.
format-check: deps-test
	clang-format --dry-run -Werror $$(git ls-files '*.h' '*.cpp')

clean:
	rm -rf build
