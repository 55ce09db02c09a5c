# SPDX-License-Identifier: GPL-3.0-or-later
# Klangor: `make run` builds and starts the program, `make deb` builds its Debian package,
# `make test` builds and runs every test. Each target installs the Debian packages it needs
# first (tools/install-deps.sh): `make run` only what building and running the program need,
# `make deb` that and the packaging tools, the others everything.

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# KLANGOR_WERROR=ON (CI sets it) makes every compiler warning an error.
KLANGOR_WERROR ?= OFF
# What every configure passes: CMAKE_FLAGS as given (on the command line too), the compiler cache
# where one is installed (it makes rebuilds of several checkouts cheap), and KLANGOR_WERROR, so
# that an existing build tree follows it either way.
CCACHE := $(shell command -v ccache 2>/dev/null)
ALL_CMAKE_FLAGS = $(CMAKE_FLAGS) $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) \
	-DKLANGOR_WERROR=$(KLANGOR_WERROR)

# CMake is run again whenever the build tree was configured with another line than this one
# (another CMAKE_FLAGS, KLANGOR_WERROR or build type), not only the first time.
CONFIGURE_LINE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(strip $(ALL_CMAKE_FLAGS))
define configure_tree
	@if [ ! -f $(BUILD)/CMakeCache.txt ] || \
	    [ "$$(cat $(BUILD)/.klangor-configured 2>/dev/null)" != '$(CONFIGURE_LINE)' ]; then \
	    echo '$(CONFIGURE_LINE)' && $(CONFIGURE_LINE) && \
	    echo '$(CONFIGURE_LINE)' >$(BUILD)/.klangor-configured; \
	fi
endef

.PHONY: all deps deps-run deps-deb configure build run test unit e2e e2e-desktops bench sanitize \
	test-stress \
	deb windows-qt windows test-windows bench-windows clean

all: build

deps:
	@bash tools/install-deps.sh test

deps-run:
	@bash tools/install-deps.sh run

deps-deb:
	@bash tools/install-deps.sh deb

configure: deps-run
	$(configure_tree)

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program, the sound module it loads and its icons (what `cmake --install` installs);
# the tests are built by `make build`/`make test`.
run: deps-run configure
	cmake --build $(BUILD) -j $(JOBS) --target klangor klangor-sound klangor_icons
	$(BUILD)/klangor

# The unit and widget suites (label unit): headless, with an injected clock.
unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

e2e: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L e2e

# Everything but the real desktops (label desktop), which run one at a time with make e2e-desktops.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE desktop

# The end-to-end scenarios on GNOME Shell, KWin (Wayland and X11) and xfwm4, each started headless
# with its own buses, sound server and stand-in login manager. Not yet part of make test.
e2e-desktops: build
	@bash tools/install-deps.sh desktops
	cd $(BUILD) && ctest --output-on-failure -L desktop

bench: build
	bash tools/bench.sh $(BUILD)

# The unit and widget suites again, built with AddressSanitizer and UndefinedBehaviorSanitizer
# in their own tree. Nothing else: the packaging checks and the Windows layer under wine gain
# nothing from a sanitized build.
sanitize: deps
	$(MAKE) --no-print-directory BUILD=build-sanitize BUILD_TYPE=Debug \
	    CMAKE_FLAGS="$(CMAKE_FLAGS) -DKLANGOR_SANITIZE=ON" unit

# The whole suite three times in a row while stress-ng keeps every core busy: a test that fails
# here depends on the machine's speed. Not part of CI (it takes three times as long as make test).
STRESS_RUNS ?= 3
test-stress: build
	bash tools/test-stress.sh $(BUILD) $(STRESS_RUNS)

# The Debian package: only the program, its sound module and what goes into the package are
# built, with only the packages that needs (no test suite, no wine or mingw-w64).
deb: deps-deb configure
	cmake --build $(BUILD) -j $(JOBS) --target klangor klangor-sound klangor_icons
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
