# Two commands do everything on a fresh machine:
#   make run   installs what is missing, builds the program, runs the one-shot job
#   make test  installs what is missing, builds, runs every test
include scripts/toolchain.env
JOBS ?= 2
# Three trees of one source: build/release holds the tests (linked without
# link-time optimisation, for quick links), build/program the program that is
# run, installed, packaged (linked with it), build/asan the sanitizers' tests.
RELEASE := build/release
PROGRAM := build/program
ASAN := build/asan
FUZZ := build/fuzz
FUZZ_SECONDS ?= 300
# ccache, where installed, keeps rebuilds of unchanged sources cheap. Looked
# for when a recipe runs, after the install script may have installed it.
LAUNCHER = $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)
# Developers' and CI's builds stop at a compiler warning; a user's build does not.
# Tests link without link-time optimisation, which only the program gets.
TEST_FLAGS := -DSC_BUILD_TESTS=ON -DSC_WERROR=ON -DSC_LTO=OFF
CLANG_FORMAT := clang-format-$(LLVM_VERSION)
FUZZ_TARGETS := $(shell grep -v '^\#' fuzz/targets.txt)

.PHONY: deps deps-test deps-bench deps-windows deps-web web test-web build build-tests run install package test \
  test-release test-asan test-fuzz test-odr test-package fuzz-build fuzz bench windows \
  test-windows format format-check clean

# Each target installs only the packages it needs (scripts/install-deps.sh).
deps:
	@bash scripts/install-deps.sh run
deps-test:
	@bash scripts/install-deps.sh test
deps-bench:
	@bash scripts/install-deps.sh bench
deps-windows:
	@bash scripts/install-deps.sh windows
deps-web:
	@bash scripts/install-deps.sh web

# The program alone: no test is configured, so GoogleTest need not be present.
build: deps
	cmake -S . -B $(PROGRAM) $(CMAKE_FLAGS) -DSC_BUILD_TESTS=OFF -DSC_LTO=ON > /dev/null
	cmake --build $(PROGRAM) -j$(JOBS) --target scenario-compiler editor-files

build-tests: deps-test
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) $(TEST_FLAGS) > /dev/null
	cmake --build $(RELEASE) -j$(JOBS)

run: build
	$(PROGRAM)/bin/scenario-compiler; status=$$?; \
	  echo "exit status $$status; files in $(PROGRAM)/bin:"; ls $(PROGRAM)/bin; exit $$status

# The program, its manual page, bash completion and docs under PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --build $(PROGRAM) -j$(JOBS) --target man-page
	cmake --install $(PROGRAM) --prefix $(PREFIX)

# build/program/packages/: the Debian package, the VS Code extension for
# Linux, the web page as a zip (docs/web.md), and the Windows zip and
# extension when the Windows build (build/windows/bin/scenario-compiler.exe)
# is there.
package: build web
	@bash scripts/install-deps.sh vscode
	cmake --build $(PROGRAM) -j$(JOBS) --target man-page
	cd $(PROGRAM) && cpack -G DEB
	cmake --build $(PROGRAM) --target windows-zip vsix
	cd $(WEB) && python3 -m zipfile -c $(CURDIR)/$(PROGRAM)/packages/scenario-compiler-$$($(CURDIR)/$(PROGRAM)/bin/scenario-compiler --version | cut -d' ' -f2)-web.zip index.html page.css app.js

# The Debian package unpacked into a scratch root and tried there.
test-package: package
	bash tests/package_test.sh $(PROGRAM)/packages/scenario-compiler_*_amd64.deb \
	  $(wildcard $(PROGRAM)/packages/scenario-compiler-*-win64.zip)
	SC_PACKAGES_DIR=$(PROGRAM)/packages SC_WINDOWS_EXE=$(WINDOWS)/bin/scenario-compiler.exe \
	  SC_VERSION=$$($(PROGRAM)/bin/scenario-compiler --version | cut -d' ' -f2) \
	  node --test editors/vscode/test/package.test.js

test-release: build-tests
	cd $(RELEASE) && ctest -j$(JOBS) --output-on-failure

test-asan: deps-test
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSC_SANITIZE=ON $(TEST_FLAGS) $(LAUNCHER) > /dev/null
	cmake --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ctest -j$(JOBS) --output-on-failure

# Link-time optimisation sees every definition of a type at once: with
# SC_ODR_CHECK a type or function defined differently in two sources (a
# one-definition-rule breach) fails the link. The program's own tree does it,
# with the test binaries that link the most libraries; turning the check and
# the tests on there changes no compile, so `make build` reuses every object.
test-odr: deps-test
	cmake -S . -B $(PROGRAM) $(CMAKE_FLAGS) -DSC_BUILD_TESTS=ON -DSC_LTO=ON -DSC_ODR_CHECK=ON > /dev/null
	cmake --build $(PROGRAM) -j$(JOBS) --target scenario-compiler app_tests check_tests

# The fuzz targets for a short bounded run each (clang, libFuzzer).
fuzz-build: deps-test
	CC=clang-$(LLVM_VERSION) CXX=clang++-$(LLVM_VERSION) cmake -S . -B $(FUZZ) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSC_FUZZ=ON -DSC_BUILD_TESTS=OFF -DSC_BUILD_APP=OFF \
	  -DSC_WERROR=ON $(LAUNCHER) > /dev/null
	cmake --build $(FUZZ) -j$(JOBS)

# The targets' smoke runs side by side.
test-fuzz: fuzz-build
	cd $(FUZZ) && ctest -j$(JOBS) --output-on-failure

# The Windows build comes before the package, so the zip holds its .exe.
test: format-check test-release test-web test-odr test-asan test-fuzz test-windows test-package

# The page (docs/web.md): the program's compile and language server built as
# WebAssembly by Debian's emscripten, bundled with the editor into build/web.
# Debian's emscripten finds its own JavaScript packages through NODE_PATH when
# the node on PATH is not Debian's.
WASM := build/wasm
WEB := build/web
EMSCRIPTEN_ENV := NODE_PATH=/usr/share/nodejs
web: deps-web
	$(EMSCRIPTEN_ENV) emcmake cmake -S . -B $(WASM) -DCMAKE_BUILD_TYPE=Release -DSC_BUILD_TESTS=OFF \
	  -DSC_BUILD_APP=OFF -DSC_WERROR=ON $(LAUNCHER) > /dev/null
	$(EMSCRIPTEN_ENV) cmake --build $(WASM) -j$(JOBS) --target sc_core
	node web/build.mjs $(CURDIR)/$(WASM)/bin/sc_core.js $(WEB)

# The WebAssembly core against the native program under node, then the page in
# headless Chromium, opened from disk.
test-web: web
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) $(TEST_FLAGS) > /dev/null
	cmake --build $(RELEASE) -j$(JOBS) --target scenario-compiler generate_route
	cd web && SC_CORE_JS=$(CURDIR)/$(WASM)/bin/sc_core.js SC_WEB=$(CURDIR)/$(WEB) \
	  SC_PROGRAM=$(CURDIR)/$(RELEASE)/bin/scenario-compiler \
	  SC_GENERATE_ROUTE=$(CURDIR)/$(RELEASE)/bin/generate_route node --test test/

# The Windows executable, cross-built with MinGW-w64:
# build/windows/bin/scenario-compiler.exe, one static file.
WINDOWS := build/windows
WINDOWS_FLAGS = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(CMAKE_FLAGS)
WINE := WINEPREFIX=$(CURDIR)/$(WINDOWS)/wine-prefix WINEDEBUG=-all

windows: deps-windows
	cmake -S . -B $(WINDOWS) $(WINDOWS_FLAGS) > /dev/null
	cmake --build $(WINDOWS) -j$(JOBS) --target scenario-compiler

# The unit tests cross-built and run under Wine, then the Linux build's
# command-line tests against the .exe, the byte comparison with the Linux
# build and the window on a virtual display (tests/windows). Wine's prefix is
# made once, in the build.
test-windows: deps-test deps-windows
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) $(TEST_FLAGS) > /dev/null
	cmake --build $(RELEASE) -j$(JOBS) --target scenario-compiler cli_tests generate_route
	cmake -S . -B $(WINDOWS) $(WINDOWS_FLAGS) -DSC_LINUX_BUILD=$(CURDIR)/$(RELEASE) > /dev/null
	cmake --build $(WINDOWS) -j$(JOBS) --target scenario-compiler test-programs
	[ -f $(WINDOWS)/wine-prefix/system.reg ] || $(WINE) wineboot -i
	cd $(WINDOWS) && ctest -j$(JOBS) --output-on-failure

# Each fuzz target for FUZZ_SECONDS (default 300).
fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do \
	  fuzz/run_fuzzer.sh $(FUZZ)/bin/$${t}_fuzz fuzz/corpus/$$t $(FUZZ_SECONDS) || exit 1; \
	done

# Benchmarks: in-process figures from Google Benchmark, then whole-process
# figures against a floor that only writes the same files (bench/run_bench.py).
BENCH := build/bench
BENCH_RUNS ?= 21

bench: deps-bench
	cmake -S . -B $(BENCH) $(CMAKE_FLAGS) -DSC_BUILD_BENCH=ON -DSC_BUILD_TESTS=OFF -DSC_LTO=ON > /dev/null
	cmake --build $(BENCH) -j$(JOBS) --target scenario-compiler generate_route sc_bench
	$(BENCH)/bin/sc_bench
	python3 bench/run_bench.py --build $(BENCH) --runs $(BENCH_RUNS)

format: deps-test
	$(CLANG_FORMAT) -i $$(git ls-files '*.h' '*.cpp')

# Fails on the first source file that `make format` would change.
format-check: deps-test
	$(CLANG_FORMAT) --dry-run -Werror $$(git ls-files '*.h' '*.cpp')

clean:
	rm -rf build
