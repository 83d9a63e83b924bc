# The two commands of the README, and a few helpers. CMake does the real work
# in build/; every target first makes sure the packages are there.

BUILD := build
JOBS  ?= 2
# cmake --build runs make inside build/; which directory it is in is noise.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build programs run test bench package screenshots clean sanitize fuzz aarch64-check windows-check soft-build soft-check reproducible-check

all: build

deps:
	@scripts/install-deps

# `make run` configures build/ without the tests when it comes first; `make
# test` then switches them on in the same tree, and `make run` afterwards
# leaves them on and still builds only the two programs.
configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	@grep -qx 'BUILD_TESTING:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

programs:
	@scripts/install-deps --no-tests
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS) --target snesenie snesenie-cli

# Opens the window on the example data; without a display, says so and prints
# the example sheet through the command line instead.
run: programs
	@scripts/run-window $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Both kinds of arithmetic: the machine's x87 and the software type.
bench: build soft-build
	$(BUILD)/bench/snesenie-bench
	@echo "With the software extended type:"
	$(SOFT_BUILD)/bench/snesenie-bench

# The Debian package, build/snesenie_<version>_amd64.deb, from the tree as it
# is configured (with or without the tests).
package:
	@scripts/install-deps --no-tests dpkg-dev:dpkg-shlibdeps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS) --target package

# Two packages built from clean copies of the tree in different folders must
# be the same bytes.
reproducible-check:
	@scripts/install-deps --no-tests dpkg-dev:dpkg-shlibdeps
	scripts/reproducible-check $(JOBS)

# Real screenshots of every window under Xvfb, into docs/.
screenshots: build
	@scripts/install-deps xvfb xauth openbox
	scripts/screenshots $(BUILD)

# The whole suite once more with AddressSanitizer and UBSan, any finding
# fatal, in a build of its own: at -O1 with line tables only, which is what
# the sanitizers' reports need, and builds in far less time than -O2 -g. Leaks inside system libraries are listed,
# one by one, in tests/lsan.supp.
SANITIZE_BUILD := build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

sanitize: deps
	@test -f $(SANITIZE_BUILD)/CMakeCache.txt || cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
	  -DSNESENIE_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS=$(SANITIZE_FLAGS)" "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, built with clang, ASan and UBSan.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_FLAGS   := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

fuzz: deps
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DSNESENIE_BUILD_UI=OFF -DSNESENIE_BUILD_BENCH=OFF -DSNESENIE_BUILD_FUZZ=ON \
	  "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_number fuzz_sheet fuzz_job fuzz_table
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The core, the command line and their tests once more with the software
# extended type, as a machine without the x87 format computes.
SOFT_BUILD := build-soft

soft-build: deps
	@test -f $(SOFT_BUILD)/CMakeCache.txt || cmake -S . -B $(SOFT_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DSNESENIE_SOFT_EXTENDED=ON -DSNESENIE_BUILD_UI=OFF
	cmake --build $(SOFT_BUILD) -j $(JOBS)

soft-check: soft-build
	cd $(SOFT_BUILD) && ctest --output-on-failure -j $(JOBS)

# Cross-built for aarch64 Linux and run under qemu-user; cross-built for
# Windows with MinGW-w64 and run under wine64.
aarch64-check:
	@scripts/install-deps g++-aarch64-linux-gnu:aarch64-linux-gnu-g++ qemu-user:qemu-aarch64 \
	  googletest:/usr/src/googletest/CMakeLists.txt
	scripts/cross-check aarch64

windows-check:
	@scripts/install-deps g++-mingw-w64-x86-64:x86_64-w64-mingw32-g++ wine64:/usr/lib/wine/wine64 wine:wine \
	  googletest:/usr/src/googletest/CMakeLists.txt
	scripts/cross-check windows

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(SOFT_BUILD) build-aarch64 build-windows
