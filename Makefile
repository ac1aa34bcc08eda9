# Quick start: `make demo` runs an update on a simulated appliance;
# `make test` runs every test. Both install what they need and build first.

JOBS ?= $(shell nproc)
BUILD ?= build
TEST_BUILD ?= build-asan
BENCH_BUILD ?= build-release

.PHONY: all deps build test bench demo format format-check install clean

all: build

deps:
	@./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

test: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORL_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j$(JOBS)
	ctest --test-dir $(TEST_BUILD) -j$(JOBS) --output-on-failure

bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVORL_BUILD_TESTS=OFF \
	    -DVORL_BUILD_BENCH=ON
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	cmake --build $(BENCH_BUILD) --target run-bench

demo: build
	./sim/demo $(BUILD)

install: build
	cmake --install $(BUILD)

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' '*.c')

format:
	clang-format -i $(FORMAT_FILES)

format-check:
	@clang-format --dry-run -Werror $(FORMAT_FILES) && echo "format-check: clean"

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD)
