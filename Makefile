# Quendra_LT: the two commands are `make run` and `make test`.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

SANITIZE_BUILD ?= build-asan
# Seconds each fuzz target runs: FUZZ_SECONDS for `make fuzz`, TEST_FUZZ_SECONDS within `make test`.
FUZZ_SECONDS ?= 60
TEST_FUZZ_SECONDS ?= 20

.PHONY: all deps configure build test test-main test-sanitize test-fuzz run install bench fuzz faults deb windows screenshots clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Every test of the full build, then the libraries without widgets again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzz target briefly (built with
# clang in build-fuzz); a finding of any fuzz target fails the run.
test: build
	@$(MAKE) --no-print-directory test-main test-sanitize test-fuzz

# The Wine tests' cleanup writes how long the Windows part took, said after the run.
test-main:
	@rm -f $(BUILD)/windows/time.txt
	@cd $(BUILD) && status=0 && ctest --output-on-failure -j $(JOBS) || status=$$?; \
	  cat windows/time.txt 2>/dev/null || true; exit $$status

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDRA_SANITIZE=ON -DQUENDRA_PURE_ONLY=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)

# Starts the CAD host, then the assistant; closing the assistant leaves the host running.
# HOST=librecad starts LibreCAD with the bridge instead of quendra-host.
HOST ?= quendra-host
run: build
	@HOST=$(HOST) scripts/run

# Installs the programs under PREFIX and the LibreCAD bridge, where it is built, in the folder
# Debian's LibreCAD loads plugins from.
PREFIX ?= /usr/local
LIBRECAD_PLUGINS ?= /usr/lib/librecad/plugins
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -f $(BUILD)/bin/librecad/libquendra_lt_bridge.so ]; then \
	  install -D -s -m 644 $(BUILD)/bin/librecad/libquendra_lt_bridge.so \
	    $(DESTDIR)$(LIBRECAD_PLUGINS)/libquendra_lt_bridge.so; fi

bench: build
	@scripts/bench $(BUILD)

test-fuzz: deps
	@scripts/fuzz $(TEST_FUZZ_SECONDS)

# Every fuzz target for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=3600 for an hour each).
fuzz: deps
	@scripts/fuzz $(FUZZ_SECONDS)

# Plants each fault of scripts/faults.txt in a scratch worktree of HEAD and runs the tests that
# should catch it; prints which were caught (make faults FAULTS="name ..." for some only).
faults: deps
	@scripts/faults $(FAULTS)

# The three programs for Windows and their zip, in $(BUILD)/windows: MinGW-w64 and a Qt made for
# Windows from Debian's source (built once per machine into ~/.cache/quendra).
windows: build
	@scripts/windows . $(BUILD)/windows $(BUILD)

# The Debian package, in $(BUILD): quendra_VERSION_ARCH.deb.
deb: build
	@cd $(BUILD) && cpack -G DEB

# README's pictures in docs/, made on a virtual display (SCREENSHOT_DISPLAY, default :97).
screenshots: build
	@scripts/install-deps screenshots
	@scripts/screenshots $(BUILD) docs

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz build-faults
