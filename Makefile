# The README's two commands: `make run` and `make test`. Each installs what is missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build run test check-format format check-sanitizers bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build build -j$(JOBS)

run: build
	@scripts/demo

test: build
	@ctest --test-dir build --output-on-failure -j$(JOBS) --timeout 300
	@$(MAKE) --no-print-directory check-sanitizers
	@$(MAKE) --no-print-directory check-format

SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

# The formatter is pinned by the distribution (clang-format 14 on Debian 12).
check-format: deps
	@clang-format --dry-run --Werror $(SOURCES) && echo "Formatting: clean"

format: deps
	@clang-format -i $(SOURCES)

# The core tests again under AddressSanitizer+UBSan and ThreadSanitizer.
check-sanitizers: deps
	@for preset in asan tsan; do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build build-$$preset -j$(JOBS) --target quarrow_core_tests && \
	  ctest --test-dir build-$$preset --output-on-failure -j$(JOBS) --timeout 300 || exit 1; \
	done

bench:
	@scripts/install-deps --bench
	@cmake --preset default >/dev/null
	@cmake --build build -j$(JOBS)
	@scripts/bench

# Every fuzz target for FUZZ_SECONDS each (clang, libFuzzer with ASan and UBSan).
FUZZ_SECONDS ?= 60
fuzz:
	@scripts/install-deps --fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j$(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz

clean:
	@rm -rf build build-asan build-tsan build-fuzz
