# Two commands: `make run` (build and start the program) and `make test` (build and run all tests).
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
CMAKE_ARGS ?=
WERROR     ?= ON

.PHONY: all deps build run test test-asan bench clean

all: build

deps:
	@./scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRV_WERROR=$(WERROR) $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@./scripts/run-app $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRV_SANITIZE=ON -DTRV_WERROR=$(WERROR) $(CMAKE_ARGS)

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

$(BENCH_BUILD)/build.ninja:
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRV_BUILD_BENCH=ON -DTRV_BUILD_TESTS=OFF $(CMAKE_ARGS)

bench: deps $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD)
	@./scripts/run-bench $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
