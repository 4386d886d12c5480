# Two commands do everything on a fresh machine:
#   make run   installs what is missing, builds, runs the one-shot job
#   make test  installs what is missing, builds, runs every test
JOBS ?= 2
RELEASE := build/release
ASAN := build/asan
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release

.PHONY: deps build run test test-release test-asan fuzz bench format clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) > /dev/null
	cmake --build $(RELEASE) -j$(JOBS)

run: build
	$(RELEASE)/bin/scenario-compiler; status=$$?; \
	  echo "exit status $$status; files in $(RELEASE)/bin:"; ls $(RELEASE)/bin; exit $$status

test-release: build
	cd $(RELEASE) && ctest -j$(JOBS) --output-on-failure

test-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSC_SANITIZE=ON > /dev/null
	cmake --build $(ASAN) -j$(JOBS)
	cd $(ASAN) && ctest -j$(JOBS) --output-on-failure

test: test-release test-asan

format:
	clang-format -i $$(git ls-files '*.h' '*.cpp')

clean:
	rm -rf build
