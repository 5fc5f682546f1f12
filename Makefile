# Thin wrapper over CMake. Every target does its own set-up on a fresh machine.
JOBS ?= $(shell nproc)
CMAKE_GEN := -G Ninja

.PHONY: all deps demo test bench fuzz format clean

all: demo

deps:
	@bash scripts/deps.sh

build/release/build.ninja: | deps
	cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQELDB_TESTS=OFF -DQELDB_BENCH=ON

build/asan/build.ninja: | deps
	cmake -S . -B build/asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQELDB_SANITIZE=ON -DQELDB_WERROR=ON

build/fuzz/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQELDB_FUZZ=ON -DQELDB_TESTS=OFF

demo: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target qeldb
	bash scripts/demo.sh build/release/qeldb

test: deps build/asan/build.ninja
	cmake --build build/asan -j $(JOBS)
	ctest --test-dir build/asan --output-on-failure -j $(JOBS)

bench: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS)
	bash scripts/bench.sh build/release

fuzz: deps build/fuzz/build.ninja
	cmake --build build/fuzz -j $(JOBS)
	@echo "fuzz targets: build/fuzz/fuzz/fuzz_*  (run one with -max_total_time=SECONDS)"

format:
	find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
