# SPDX-License-Identifier: MIT
# The two commands of a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the utility with a simulated module
#   make test   installs what is missing, builds and runs every test
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: deps build run test test-sanitize test-windows fuzz bench package format format-check clean

deps:
	@bash scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DLQ_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-utility $(BUILD)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DLQ_WERROR=ON -DLQ_SANITIZE=ON -DLQ_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) -LE "slow|vm|package"
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -L vm

# The layers below the window, lq3860ctl and their tests for Windows,
# cross-built with MinGW-w64 and run under Wine (its own package list).
test-windows:
	@bash scripts/install-deps windows
	@cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DLQ_WERROR=ON -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DLQ_FUZZ=ON -DLQ_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@bash scripts/run-fuzzers $(FUZZ_BUILD)

bench: build
	@bash scripts/run-benchmarks $(BUILD)

# The layout of every C++ file is .clang-format's.
format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
