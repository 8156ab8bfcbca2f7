# The two commands that matter: `make run` and `make test`. Everything they
# need is installed from Debian's packages on the way.

JOBS ?= 2
NATIVE_DIR := build/native
WINDOWS_DIR := build/win

.PHONY: run test deps check-format native windows test-native test-windows bench bench-queue bench-drop bench-split soak clean

run: deps windows
	scripts/run.sh

test: deps check-format test-native fuzz-smoke test-windows

deps:
	@scripts/install-deps.sh

# Every C++ file as the repo's .clang-format writes it; seconds, so first.
check-format: deps
	scripts/check-format.sh

native:
	@cmake --preset native >/dev/null
	cmake --build $(NATIVE_DIR) -j $(JOBS)

windows:
	@cmake --preset mingw >/dev/null
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

test-native: native
	cd $(NATIVE_DIR) && ctest --output-on-failure -j $(JOBS)

# The Windows tests, end-to-end tests and short soak, through CTest under Wine.
test-windows: windows
	scripts/test-windows.sh

.PHONY: fuzz fuzz-smoke

# A few seconds per fuzz target over its seed corpus: a regression check.
fuzz-smoke: deps
	scripts/fuzz.sh 5

# Minutes per target, to look for new faults.
fuzz: deps
	scripts/fuzz.sh

bench: deps windows
	scripts/bench.sh

bench-queue: deps windows
	scripts/bench-queue.sh

# A big folder dropped on quorvane.exe, timed from outside against a bare walk.
bench-drop: deps windows
	scripts/bench-drop.sh

# Splitting a 200 MB contacts file into its cards, next to reading it plainly,
# and reading files contact by contact as the run does.
bench-split: deps
	scripts/bench-split.sh

# The long unattended run against a randomly misbehaving stand-in Outlook:
# make soak COUNT=10000 SEED=1 [METHOD=windowless|windowless-folder] [ROUNDS=n]
COUNT ?= 10000
SEED ?= 1
METHOD ?= windowed
# The runs without windows import the queue twice: the second must store nobody.
ROUNDS ?= $(if $(filter windowless%,$(METHOD)),2,1)
soak: deps windows
	scripts/soak.sh $(COUNT) $(SEED) 5 5000 $(METHOD) $(ROUNDS)

clean:
	rm -rf build
