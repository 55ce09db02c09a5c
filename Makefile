# SPDX-License-Identifier: GPL-3.0-or-later
# Klangor: `make run` builds and starts the program, `make test` builds and runs every test.
# Each target installs the Debian packages it needs first (tools/install-deps.sh): `make run`
# only what building and running the program need, the others everything.

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# A compiler cache, where one is installed, makes rebuilds of several checkouts cheap.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
CMAKE_FLAGS += -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif
# KLANGOR_WERROR=ON (CI sets it) makes every compiler warning an error.
ifneq ($(KLANGOR_WERROR),)
CMAKE_FLAGS += -DKLANGOR_WERROR=$(KLANGOR_WERROR)
endif

.PHONY: all deps deps-run configure build run test unit e2e bench sanitize deb windows-qt windows \
	test-windows bench-windows clean

all: build

deps:
	@bash tools/install-deps.sh test

deps-run:
	@bash tools/install-deps.sh run

$(BUILD)/CMakeCache.txt:
	@$(MAKE) --no-print-directory deps-run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program and the sound module it loads; the tests are built by `make build`/`make test`.
run: deps-run configure
	cmake --build $(BUILD) -j $(JOBS) --target klangor klangor-sound
	$(BUILD)/klangor

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE e2e

e2e: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L e2e

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	bash tools/bench.sh $(BUILD)

sanitize: deps
	$(MAKE) --no-print-directory BUILD=build-sanitize CMAKE_FLAGS="$(CMAKE_FLAGS) -DKLANGOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug" unit

deb: build
	cd $(BUILD) && cpack -G DEB

# The static Qt for 64-bit Windows (mingw-w64), built once from Debian's source package into
# ~/.cache/klangor: 40 to 60 minutes on 2 cores.
windows-qt:
	bash tools/windows/build-qt.sh

# Klangor for 64-bit Windows: build-windows/klangor.exe, the setup program and a zip. Builds the
# cross Qt first when it is not in the cache; the recordings and the icon come from the host
# tools of $(BUILD).
WINDOWS_BUILD ?= build-windows
windows: deps configure
	bash tools/windows/build.sh $(BUILD) $(WINDOWS_BUILD)

# The unit and widget tests built for Windows and run under wine on Xvfb, then the program
# itself under wine on Xvfb with openbox and a PulseAudio null sink. Not part of `make test`.
test-windows: deps configure
	bash tools/windows/build.sh $(BUILD) $(WINDOWS_BUILD) --tests
	bash tools/windows/test.sh $(WINDOWS_BUILD)

# klangor.exe under wine beside a minimal Qt window built the same way.
bench-windows: deps configure
	bash tools/windows/build.sh $(BUILD) $(WINDOWS_BUILD) --tests
	cmake --build $(BUILD) --target bench_launch
	bash tools/windows/bench.sh $(WINDOWS_BUILD) $(BUILD)

clean:
	rm -rf build build-sanitize build-windows
