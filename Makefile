# The two commands of the README, over CMake and CTest in one build directory.
BUILD := build

.PHONY: run test build deps install package

run: build
	@tools/run-parley.sh $(BUILD)

test: build
	@tools/run-tests.sh $(BUILD)

# Installs into PREFIX (default /usr/local): bin/parley, share/parley/, the
# desktop entry, icons and metainfo.
install: build
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

# The .deb and the portable archive, in $(BUILD)/packages/.
package: build
	@cpack --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/packages

build: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja
	@cmake --build $(BUILD)

deps:
	@tools/install-deps.sh
