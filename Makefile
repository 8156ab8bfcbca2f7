# The two commands that matter: `make run` and `make test`. Everything they
# need is installed from Debian's packages on the way.

JOBS ?= 2
NATIVE_DIR := build/native
WINDOWS_DIR := build/win

.PHONY: run test deps native windows test-native test-windows bench soak clean

run: deps windows
	scripts/run.sh

test: deps test-native test-windows

deps:
	@scripts/install-deps.sh

native:
	@cmake --preset native >/dev/null
	cmake --build $(NATIVE_DIR) -j $(JOBS)

windows:
	@cmake --preset mingw >/dev/null
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

test-native: native
	cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS)

test-windows: windows
	scripts/test-windows.sh

bench: deps windows
	scripts/bench.sh

clean:
	rm -rf build
