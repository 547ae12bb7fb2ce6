# Thin wrapper over the CMake presets.
DATA ?= server-data
BUILD := build/release

.PHONY: all run test windows test-asan fuzz bench package lint

all:
	cmake --preset release
	cmake --build --preset release --target qkeditor

# Starts the program in the data folder DATA (made when missing). Status 1 is
# the operator's own way out, not a failure of make.
run: all
	mkdir -p "$(DATA)"
	cd "$(DATA)" && "$(CURDIR)/$(BUILD)/qkeditor" || [ $$? -eq 1 ]

test:
	cmake --preset release
	cmake --build --preset release
	ctest --preset release

# The same tests against a build with AddressSanitizer and UBSan. A finding
# aborts the program that made it and leaves a report here, which fails the
# target even when no test looked at how that program ended.
SANITIZER_REPORTS := build/asan/sanitizer-reports
test-asan:
	cmake --preset asan
	cmake --build --preset asan
	rm -rf $(SANITIZER_REPORTS)
	ctest --preset asan || { cat $(SANITIZER_REPORTS)/* 2>/dev/null; exit 1; }
	@if ls $(SANITIZER_REPORTS)/* >/dev/null 2>&1; then \
	  cat $(SANITIZER_REPORTS)/*; echo "Sanitizer findings: see the reports above."; exit 1; fi

# Each libFuzzer target for FUZZ_SECONDS from its seed corpus (needs clang-14).
FUZZ_SECONDS ?= 30
fuzz:
	fuzz/run $(FUZZ_SECONDS)

# Benchmark figures of the release build, each beside its baseline.
bench:
	cmake --preset release
	cmake --build --preset release --target qkeditor qkeditor_bench
	$(BUILD)/bench/qkeditor_bench $(BUILD)/qkeditor

# build/release/packages/qkeditor-*-Linux.tar.gz, and
# build/windows/packages/qkeditor-*-win64.zip when the cross compiler is there.
package:
	cmake --preset release
	cmake --build --preset release --target qkeditor
	cpack --preset release
	@if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  $(MAKE) windows && cpack --preset windows; \
	else \
	  echo "No Windows package: x86_64-w64-mingw32-g++-posix is missing (apt-get install g++-mingw-w64-x86-64-posix)."; \
	fi

# The Windows console program, cross-built: build/windows/qkeditor.exe.
windows:
	cmake --preset windows
	cmake --build --preset windows --target qkeditor

# Format and static analysis: the tree must be clean under both.
LINT_SOURCES = $(shell git ls-files -co --exclude-standard '*.cpp' '*.hpp')
lint:
	cmake --preset release
	clang-format --dry-run --Werror $(LINT_SOURCES)
	run-clang-tidy -p $(BUILD) -quiet $(CURDIR)/src $(CURDIR)/tests $(CURDIR)/bench > $(BUILD)/clang-tidy.log 2>&1 \
	  || { grep -E "(warning|error):" $(BUILD)/clang-tidy.log; exit 1; }
	@echo "Format and static analysis: clean."
