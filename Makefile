# The two commands of the README, and a few helpers. CMake does the real work
# in build/; every target first makes sure the packages are there.

BUILD := build
JOBS  ?= 2

.PHONY: all deps configure build run test bench screenshots clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Opens the window on the example data; without a display, says so and prints
# the example sheet through the command line instead.
run: build
	@scripts/run-window $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/snesenie-bench

# Real screenshots of every window under Xvfb, into docs/.
screenshots: build
	@scripts/install-deps xvfb xauth openbox
	scripts/screenshots $(BUILD)

clean:
	rm -rf $(BUILD)
