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

# The Python module is built apart from the sanitised build: an extension loaded into the system
# interpreter cannot carry AddressSanitizer's run-time.
build/python/build.ninja: | deps
	cmake -S . -B build/python $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQELDB_TESTS=OFF \
	  -DQELDB_PYTHON=ON -DQELDB_WERROR=ON

build/fuzz/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQELDB_FUZZ=ON -DQELDB_TESTS=OFF

demo: deps build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target qeldb
	bash scripts/demo.sh build/release/qeldb

test: deps build/asan/build.ninja build/python/build.ninja
	cmake --build build/asan -j $(JOBS)
	ctest --test-dir build/asan --output-on-failure -j $(JOBS)
	cmake --build build/python -j $(JOBS) --target qeldbio_python qeldb
	ctest --test-dir build/python --output-on-failure

bench: deps build/release/build.ninja build/python/build.ninja
	cmake --build build/release -j $(JOBS)
	cmake --build build/python -j $(JOBS) --target qeldbio_python
	bash scripts/bench.sh build/release build/python

fuzz: deps build/fuzz/build.ninja
	cmake --build build/fuzz -j $(JOBS)
	@echo "fuzz targets: build/fuzz/fuzz/fuzz_*  (run one with -max_total_time=SECONDS)"

format:
	find src tools tests bench fuzz python -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
