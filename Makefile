# One-command set-up, build, run and test on Debian 12.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
# "merge" adds what the fuzz run found that reaches new code to fuzz/corpus.
FUZZ_MERGE ?=

# Debian packages the build, the tests and the screenshots need: Qt's own Russian texts, an X
# server of its own with a key presser for the tests of held keys, and ezdxf, the second opinion
# the DXF tests compare the standard reader with, and gerbv, the one the Gerber tests compare with.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
            libgtest-dev libgmock-dev googletest fonts-dejavu-core qt6-translations-l10n \
            xvfb xdotool python3-ezdxf gerbv
BENCH_PACKAGES := libbenchmark-dev time
FUZZ_PACKAGES := clang libclang-rt-14-dev
# LinuxCNC's standalone interpreter rs274, the second opinion the G-code tests compare with. A
# large package (it brings a real-time kernel along), so only the target below installs it; the
# test skips, saying why, where it is absent.
GCODE_REFERENCE_PACKAGES := linuxcnc-uspace
# dpkg-shlibdeps works out the package's library dependencies; it looks at files with file(1).
PACKAGE_PACKAGES := dpkg-dev file
# Where make install puts the programs.
PREFIX ?= /usr/local

.PHONY: all deps build run test gcode-reference bench fuzz install package clean format

all: build

deps:
	@sh tools/install-deps.sh $(PACKAGES)

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Starts the controller on the built-in simulated machine, from the folder that holds cfg.ini.
run: build
	./$(BUILD_DIR)/bin/ostrel --port=sim

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

gcode-reference:
	@sh tools/install-deps.sh $(GCODE_REFERENCE_PACKAGES)

bench: deps
	@sh tools/install-deps.sh $(BENCH_PACKAGES)
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DOSTREL_BENCH=ON -DOSTREL_TESTS=OFF
	cmake --build $(BUILD_DIR)-bench -j $(JOBS)
	cd $(BUILD_DIR)-bench && sh ../tools/run-benchmarks.sh

fuzz: deps
	@sh tools/install-deps.sh $(FUZZ_PACKAGES)
	# -O1 as fuzzers are usually built: several times the runs of -O0, checks and asserts kept.
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_DIR)-fuzz -DCMAKE_BUILD_TYPE=Debug \
	    "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DOSTREL_FUZZ=ON -DOSTREL_TESTS=OFF -DOSTREL_WINDOW=OFF
	cmake --build $(BUILD_DIR)-fuzz -j $(JOBS)
	sh tools/run-fuzzers.sh $(BUILD_DIR)-fuzz $(FUZZ_SECONDS) $(FUZZ_MERGE)

# Installing and packaging build the two programs in Release, without the tests.
install: deps
	cmake -S . -B $(BUILD_DIR)-release -DCMAKE_BUILD_TYPE=Release -DOSTREL_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD_DIR)-release -j $(JOBS) --target ostrel ostrel-run
	cmake --install $(BUILD_DIR)-release

# A Debian package (build-package/ostrel_*.deb) that installs in /usr.
package: deps
	@sh tools/install-deps.sh $(PACKAGE_PACKAGES)
	cmake -S . -B $(BUILD_DIR)-package -DCMAKE_BUILD_TYPE=Release -DOSTREL_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BUILD_DIR)-package -j $(JOBS) --target ostrel ostrel-run
	cd $(BUILD_DIR)-package && cpack

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench $(BUILD_DIR)-fuzz $(BUILD_DIR)-release \
	    $(BUILD_DIR)-package
