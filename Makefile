# The two set-up commands of the README:
#   make run    installs what is needed, builds Tovik and starts it
#   make test   installs what is needed, builds everything and runs every test
.PHONY: bootstrap build run test check-layers check-format test-debug test-asan test-tsan test-fuzz bench screenshots install clean

JOBS ?= $(shell nproc)

bootstrap:
	scripts/bootstrap

build: bootstrap
	cmake --preset release
	cmake --build build/release -j $(JOBS)

run: build
	scripts/run-app

test: check-layers check-format test-debug test-asan test-tsan test-fuzz

# Fails on an include that climbs back up the folder graph (docs/architecture.md).
check-layers:
	scripts/check-layers

# Fails on a C++ file that differs from .clang-format.
check-format: bootstrap
	scripts/check-format

test-debug: bootstrap
	cmake --preset debug
	cmake --build build/debug -j $(JOBS)
	scripts/with-desktop ctest --preset debug -j $(JOBS)

# The core libraries' tests again under AddressSanitizer and UBSan.
test-asan: bootstrap
	cmake --preset asan
	cmake --build build/asan -j $(JOBS) --target tovik_core_tests
	ASAN_OPTIONS=detect_leaks=1 scripts/with-desktop ctest --preset asan -j $(JOBS) -L core

# The core libraries' tests again under ThreadSanitizer.
test-tsan: bootstrap
	cmake --preset tsan
	cmake --build build/tsan -j $(JOBS) --target tovik_core_tests
	scripts/with-desktop ctest --preset tsan -j $(JOBS) -L core

# The readers of untrusted bytes (index, web page, RTF) under libFuzzer with
# AddressSanitizer and UBSan, built with clang: each replays its seeds and
# regression inputs, then fuzzes for FUZZ_SECONDS. A crasher lands in
# build/fuzz/fuzz/artifacts/<target>/; keep it in fuzz/regressions/<target>/.
FUZZ_SECONDS ?= 60
test-fuzz: bootstrap
	cmake --preset fuzz -DTOVIK_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build build/fuzz -j $(JOBS)
	ctest --preset fuzz -j $(JOBS)

# Renders the library window in its main states to build/screenshots/library-*.png,
# and every page of the main window in light and dark to shell-<page>-<look>.png.
screenshots: bootstrap
	cmake --preset debug
	cmake --build build/debug -j $(JOBS) --target tovik_desktop_tests
	scripts/with-desktop build/debug/tests/tovik_desktop_tests --gtest_filter='LibraryScreenshots.*:ShellApp.ShellScreenshots*'

bench: build
	for b in build/release/bench/tovik_bench_*; do "$$b"; done

install: build
	cmake --install build/release

clean:
	rm -rf build
