# Keyrill: `make run` builds and starts the program, `make test` builds and runs every test.
# Both install the missing Debian packages first.

BUILD     ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS      ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test sanitize bench fuzz package screenshot clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/keyrill $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKEYRILL_SANITIZE=ON \
	      -DKEYRILL_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The Debian package, keyrill_<version>_<arch>.deb, in $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB

# Renders the main window off-screen into resources/screenshots/ (README and metainfo show it).
screenshot: build
	cd $(BUILD) && KEYRILL_SCREENSHOT_DIR=$(CURDIR)/resources/screenshots \
	  ctest --output-on-failure -R '^test_screenshot$$'

# The micro-benchmarks, then the start-up benchmark (Xvfb) against a bare Qt program.
bench: build
	./$(BUILD)/bench/keyrill_bench
	bash bench/startup.sh $(BUILD)

# Coverage-guided fuzzing of the settings reader and of the load-save round trip (clang, under
# ASan and UBSan). SECONDS=N runs each target that long; FUZZ_SANITIZE=OFF builds them plain,
# several times faster, for long campaigns.
FUZZ_TARGETS = fuzz_settings_read fuzz_settings
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DKEYRILL_FUZZ=ON -DKEYRILL_FUZZ_SANITIZE=$(or $(FUZZ_SANITIZE),ON) \
	      -DKEYRILL_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	for target in $(FUZZ_TARGETS); do \
	  ./$(FUZZ_BUILD)/tests/fuzz/$$target -max_total_time=$(or $(SECONDS),60) \
	      -print_final_stats=1 -dict=tests/fuzz/settings.dict \
	      $(FUZZ_BUILD)/fuzz-corpus tests/fuzz/corpus || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
