# Two commands: `make run` (build and start the program) and `make test` (build and run all tests).
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS  ?=
FUZZ_SEED  ?= 1
PKG_BUILD  ?= build-pkg
CMAKE_ARGS ?=
WERROR     ?= ON

.PHONY: all deps build run test test-asan bench fuzz clean package check-package check-format

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

# libFuzzer targets (clang, ASan, UBSan), each run for FUZZ_SECONDS on a scratch copy of its
# seed corpus, from a random seed; with FUZZ_RUNS, exactly that many runs from FUZZ_SEED, which
# repeats. Fails when any finds a crash.
$(FUZZ_BUILD)/build.ninja:
	cmake -S fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD)
	./fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS) $(if $(FUZZ_RUNS),$(FUZZ_RUNS) $(FUZZ_SEED))

# A .deb of the program and the batch converter (Release, no tests), made with CPack. Warnings
# are errors in the test builds; at -O3 GCC 12 also warns falsely inside libstdc++'s strings.
package: deps
	cmake -S . -B $(PKG_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRV_BUILD_TESTS=OFF \
	  -DTRV_WERROR=OFF $(CMAKE_ARGS)
	cmake --build $(PKG_BUILD)
	rm -f $(PKG_BUILD)/trevandel_*.deb
	cd $(PKG_BUILD) && cpack -G DEB
	@ls $(PKG_BUILD)/trevandel_*.deb

# Installs that .deb with apt-get (root), checks the installed files, starts the installed
# program on a private X display and removes the package again.
check-package:
	@PKG_BUILD=$(PKG_BUILD) ./scripts/check-package

# Every tracked C++ file as .clang-format lays it out.
check-format: deps
	git ls-files '*.cpp' '*.h' '*.inl' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
