# SPDX-License-Identifier: MIT
# The two commands of a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts the utility with a simulated module
#   make test   installs what is missing, builds and runs every test
# Each target installs only the packages of its purpose (scripts/install-deps).
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
PACKAGE_BUILD ?= build-package
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

# $(call configure,ARGUMENTS): CMake's configure step, quiet; its whole
# output is shown when it fails or warns.
configure = out=$$(cmake -G Ninja $(1) 2>&1); status=$$?; \
	if [ $$status -ne 0 ] || printf '%s' "$$out" | grep -q 'CMake Warning'; then printf '%s\n' "$$out" >&2; fi; \
	exit $$status

.PHONY: deps build run test test-sanitize test-windows fuzz bench package format format-check clean

# Everything the Linux build and its tests need.
deps:
	@bash scripts/install-deps build test package

build:
	@bash scripts/install-deps build
	@$(call configure,-S . -B $(BUILD) -DLQ_WERROR=ON $(CMAKE_FLAGS))
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run-utility $(BUILD)

test: deps build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize:
	@bash scripts/install-deps build test
	@$(call configure,-S . -B $(SANITIZE_BUILD) -DLQ_WERROR=ON -DLQ_SANITIZE=ON -DLQ_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) -LE "slow|vm|package"
	@ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -L vm

# The window, lq3860ctl, their tests and the installer for Windows,
# cross-built with MinGW-w64 against Qt for Windows (built once by
# scripts/build-qt-windows, then taken from its cache) and run under Wine
# (its own package list). Its VM leg compares the Windows tool on Wine's HID
# stack with the Linux tool, so the Linux build's tool, virtual modules and
# scenarios are built first.
test-windows:
	@bash scripts/install-deps windows build test
	@$(call configure,-S . -B $(BUILD) -DLQ_WERROR=ON $(CMAKE_FLAGS))
	@cmake --build $(BUILD) -j $(JOBS) --target lq3860ctl lq3860-sim wine_scenarios
	@qt=$$(bash scripts/build-qt-windows) && $(call configure,-S . -B $(WINDOWS_BUILD) -DLQ_WERROR=ON \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DLQ_QT_WINDOWS=$$qt -DLQ_LINUX_BUILD=$(abspath $(BUILD)))
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	@ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)

fuzz:
	@bash scripts/install-deps build test
	@$(call configure,-S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLQ_FUZZ=ON -DLQ_BENCH=OFF)
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	@bash scripts/run-fuzzers $(FUZZ_BUILD)

bench: build
	@bash scripts/run-benchmarks $(BUILD)

# The layout of every C++ file is .clang-format's.
format:
	@bash scripts/install-deps format
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@bash scripts/install-deps format
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The Debian packages, in a build of their own with the distribution's
# hardening flags (the other builds keep the compiler's defaults).
package:
	@bash scripts/install-deps build package
	@$(call configure,-S . -B $(PACKAGE_BUILD) -DLQ_WERROR=ON -DLQ_DISTRO_FLAGS=ON -DLQ_BENCH=OFF $(CMAKE_FLAGS))
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@cd $(PACKAGE_BUILD) && cpack -G DEB
	@ls $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(PACKAGE_BUILD)
