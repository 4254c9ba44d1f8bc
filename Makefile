# The two commands of the README, over CMake and CTest in one build directory.
BUILD := build

.PHONY: run test build deps

run: build
	@tools/run-parley.sh $(BUILD)

test: build
	@tools/run-tests.sh $(BUILD)

build: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja
	@cmake --build $(BUILD)

deps:
	@tools/install-deps.sh
