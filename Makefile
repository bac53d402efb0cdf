# make run   installs what is missing, builds Release into build/ (the programs
#            only, target `programs`: no tests), generates the demo rating
#            database and starts the application.
# make test  installs, builds a separate sanitizer tree and runs every test.
# make bench builds and runs the benchmarks.
# make package builds a Release tree of its own in build-package/ with Debian's
#            hardening flags and makes the Debian package zelmora_<version>_<arch>.deb
#            (CPack) in this folder.
# make fuzz  builds the fuzz targets with clang 16's libFuzzer into build-fuzz/ and
#            runs each for FUZZ_SECONDS (60); crash inputs go to tests/fuzz/crashes/.
BUILD       ?= build
TEST_BUILD  ?= build-test
BENCH_BUILD ?= build-bench
FUZZ_BUILD  ?= build-fuzz
PACKAGE_BUILD ?= build-package
FUZZ_SECONDS ?= 60
JOBS        ?= $(shell nproc)
DEMO_DB     := $(BUILD)/bin/APH Base Premium Data.sqlite

.PHONY: all deps build run test bench package fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target programs

run: build
	@scripts/run-app "$(BUILD)"

test: deps
	@cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZELMORA_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j $(JOBS)
	@cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DZELMORA_BENCH=ON >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@scripts/run-bench "$(BENCH_BUILD)"

# The package needs only what it installs, not the tests.
PACKAGE_TARGETS := zelmora zelmora-cli demo_database man_pages debian_changelog
# Debian's build flags (stack protector, _FORTIFY_SOURCE, RELRO and immediate
# binding); its -Wdate-time is left out: the About box shows the build date.
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) -D_FORTIFY_SOURCE=2" \
	  -DCMAKE_C_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CFLAGS) -D_FORTIFY_SOURCE=2" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
	  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target $(PACKAGE_TARGETS)
	@cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	@cp $(PACKAGE_BUILD)/zelmora_*.deb .
	@ls zelmora_*.deb

fuzz:
	@scripts/install-deps fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang-16 -DCMAKE_CXX_COMPILER=clang++-16 \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELMORA_FUZZ=ON \
	  -DZELMORA_SANITIZE=ON -DZELMORA_WITH_QT=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_inputs fuzz_database
	@scripts/run-fuzz "$(FUZZ_BUILD)" $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
