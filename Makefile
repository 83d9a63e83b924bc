# The two commands of the README, and a few helpers. CMake does the real work
# in build/; every target first makes sure the packages are there.

BUILD := build
JOBS  ?= 2
# cmake --build runs make inside build/; which directory it is in is noise.
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build programs run test bench package screenshots clean

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

bench: build
	$(BUILD)/bench/snesenie-bench

# The Debian package, build/snesenie_<version>_amd64.deb, from the tree as it
# is configured (with or without the tests).
package:
	@scripts/install-deps --no-tests dpkg-dev:dpkg-shlibdeps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS) --target package

# Real screenshots of every window under Xvfb, into docs/.
screenshots: build
	@scripts/install-deps xvfb xauth openbox
	scripts/screenshots $(BUILD)

clean:
	rm -rf $(BUILD)
