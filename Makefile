# make run   installs what is missing, builds Release into build/, generates the
#            demo rating database and starts the application.
# make test  installs, builds a separate sanitizer tree and runs every test.
# make bench builds and runs the benchmarks.
BUILD       ?= build
TEST_BUILD  ?= build-test
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc)
DEMO_DB     := $(BUILD)/bin/APH Base Premium Data.sqlite

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

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

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD)
