# Quendra_LT: the two commands are `make run` and `make test`.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test run bench fuzz clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Starts the CAD host, then the assistant; closing the assistant leaves the host running.
run: build
	@scripts/run

bench: build
	@scripts/bench $(BUILD)

fuzz: build
	@scripts/fuzz $(BUILD)

clean:
	rm -rf $(BUILD)
