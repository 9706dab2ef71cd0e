# Tilvane: `make run` starts the game under Wine, `make test` runs every test.
BUILD      ?= build
JOBS       ?= $(shell nproc)
WIN_DIR    := $(BUILD)/win
NATIVE_DIR := $(BUILD)/native
FUZZ_DIR   := $(BUILD)/fuzz
# `make fuzz` runs every harness (or those in FUZZ_ONLY) for FUZZ_RUNS inputs, in FUZZ_JOBS
# processes each (see scripts/run-fuzzers.sh).
FUZZ_RUNS  ?= 10000000
FUZZ_JOBS  ?= 1
FUZZ_ONLY  ?=

# Made after the dependency installer has succeeded, so that later builds skip it; `make deps`
# runs it again (after tools were removed, say), and so does a change of the installer script.
DEPS_READY := $(BUILD)/.deps-ready

.PHONY: all deps build win native fuzz-build test run package bench fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh
	@mkdir -p $(BUILD) && touch $(DEPS_READY)

$(DEPS_READY): scripts/install-deps.sh
	@bash scripts/install-deps.sh
	@mkdir -p $(BUILD) && touch $@

# The picture libraries from the Debian source packages, each cross-built once by one script;
# deleting a library's stamp builds it again.
DEPS_DIR   := $(BUILD)/deps
JPEG_DIR   := $(DEPS_DIR)/libjpeg-turbo/win
WEBP_DIR   := $(DEPS_DIR)/libwebp/win
DAV1D_DIR  := $(DEPS_DIR)/dav1d/win
LIBRARIES_READY := $(JPEG_DIR)/.built $(WEBP_DIR)/.built $(DAV1D_DIR)/.built
# The same libraries instrumented for the fuzz harnesses.
FUZZ_LIBRARIES_READY := $(patsubst %/win/.built,%/fuzz/.built,$(LIBRARIES_READY))

$(DEPS_DIR)/%/win/.built: scripts/build-library.sh | $(DEPS_READY)
	@rm -f $@
	@JOBS=$(JOBS) bash scripts/build-library.sh $* $(abspath $(BUILD))

# After the Windows build, which fetched the source.
$(DEPS_DIR)/%/fuzz/.built: scripts/build-library.sh $(DEPS_DIR)/%/win/.built | $(DEPS_READY)
	@rm -f $@
	@JOBS=$(JOBS) bash scripts/build-library.sh $* $(abspath $(BUILD)) fuzz

# Configuring needs the tools, hence the order-only prerequisite.
$(WIN_DIR)/Makefile: | $(DEPS_READY) $(LIBRARIES_READY)
	cmake -S . -B $(WIN_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTILVANE_JPEG_ROOT=$(abspath $(JPEG_DIR)) -DTILVANE_WEBP_ROOT=$(abspath $(WEBP_DIR)) \
	  -DTILVANE_DAV1D_ROOT=$(abspath $(DAV1D_DIR))

$(NATIVE_DIR)/Makefile: | $(DEPS_READY)
	CXX=clang++ CC=clang cmake -S . -B $(NATIVE_DIR) -DTILVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

$(FUZZ_DIR)/Makefile: | $(DEPS_READY) $(FUZZ_LIBRARIES_READY)
	CXX=clang++ CC=clang cmake -S . -B $(FUZZ_DIR) -DTILVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTILVANE_JPEG_ROOT=$(abspath $(DEPS_DIR)/libjpeg-turbo/fuzz) -DTILVANE_WEBP_ROOT=$(abspath $(DEPS_DIR)/libwebp/fuzz) \
	  -DTILVANE_DAV1D_ROOT=$(abspath $(DEPS_DIR)/dav1d/fuzz)

win: $(DEPS_READY) $(LIBRARIES_READY) $(WIN_DIR)/Makefile
	cmake --build $(WIN_DIR) -j $(JOBS)

native: $(DEPS_READY) $(NATIVE_DIR)/Makefile
	cmake --build $(NATIVE_DIR) -j $(JOBS)

fuzz-build: $(DEPS_READY) $(FUZZ_LIBRARIES_READY) $(FUZZ_DIR)/Makefile
	cmake --build $(FUZZ_DIR) -j $(JOBS)

build: win native fuzz-build

test: build
	@bash scripts/run-tests.sh

run: win
	@bash scripts/run-game.sh

bench: build
	@bash scripts/run-benchmarks.sh

fuzz: fuzz-build
	@FUZZ_RUNS=$(FUZZ_RUNS) FUZZ_JOBS=$(FUZZ_JOBS) FUZZ_ONLY="$(FUZZ_ONLY)" bash scripts/run-fuzzers.sh

package: win
	@bash scripts/make-package.sh

clean:
	rm -rf $(BUILD)
