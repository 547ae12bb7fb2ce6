# Thin wrapper over the CMake presets.
DATA ?= server-data
BUILD := build/release

.PHONY: all run test windows test-asan test-no-terminfo fuzz bench package lint lint-format lint-posix lint-windows

# The program and what cmake --install puts beside it (the compressed manual
# page and changelog), without the tests.
all:
	cmake --preset release
	cmake --build --preset release --target qkeditor compressed_documents

# Starts the program in the data folder DATA (made when missing). The build's
# own output is shown only when it fails, so that the menu is all there is on
# the screen. Status 1 is the operator's own way out, not a failure of make.
run:
	@echo "Building build/release/qkeditor (up to a minute the first time, seconds afterwards)..."
	@log=$$(mktemp) && { $(MAKE) --no-print-directory all >"$$log" 2>&1 || { cat "$$log"; rm -f "$$log"; exit 1; }; } && rm -f "$$log"
	@mkdir -p "$(DATA)"
	@cd "$(DATA)" && "$(CURDIR)/$(BUILD)/qkeditor" || [ $$? -eq 1 ]

# The Windows suite (label "wine") runs qkeditor.exe under Wine: where the
# cross compiler and Wine's loader and preloader are there, the .exe is built
# first; where one is missing, the suite is left out and one line says so.
# (Without the preloader a Wine process start fails now and then at random.)
# `make test WINDOWS_SUITE=no` leaves it out on a machine that has them.
WINDOWS_SUITE := $(shell command -v x86_64-w64-mingw32-g++-posix >/dev/null \
  && [ -x /usr/lib/wine/wine64 ] && [ -x /usr/lib/wine/wine64-preloader ] && echo yes)

# After the run, each skipped test is listed with its reason.
test:
	cmake --preset release
	cmake --build --preset release
ifeq ($(WINDOWS_SUITE),yes)
	$(MAKE) windows
	ctest --preset release; status=$$?; $(call list_skipped,$(BUILD)); exit $$status
else
	@echo "Windows tests left out: $(if $(filter no,$(WINDOWS_SUITE)),WINDOWS_SUITE=no,mingw-w64 or Wine is not installed (apt-get install g++-mingw-w64-x86-64-posix wine64 wine64-preloader))."
	ctest --preset release --label-exclude wine; status=$$?; $(call list_skipped,$(BUILD)); exit $$status
endif
list_skipped = awk -f tests/skipped_tests.awk $(1)/Testing/Temporary/LastTest.log

# The same tests against a build with AddressSanitizer and UBSan. A finding
# aborts the program that made it and leaves a report here, which fails the
# target even when no test looked at how that program ended. The Windows
# suite is left out (its preset's filter): it runs the cross-built .exe, which
# the sanitizers do not instrument.
SANITIZER_REPORTS := build/asan/sanitizer-reports
test-asan:
	cmake --preset asan
	cmake --build --preset asan
	rm -rf $(SANITIZER_REPORTS)
	ctest --preset asan; status=$$?; $(call list_skipped,build/asan); \
	  [ $$status -eq 0 ] || { cat $(SANITIZER_REPORTS)/* 2>/dev/null; exit 1; }
	@if ls $(SANITIZER_REPORTS)/* >/dev/null 2>&1; then \
	  cat $(SANITIZER_REPORTS)/*; echo "Sanitizer findings: see the reports above."; exit 1; fi

# The POSIX tests against a build that reads no terminal descriptions, with
# the built-in key table alone (QKEDITOR_TERMINFO=OFF), as where ncurses'
# development files are missing; the Wine suite and the package checks are
# left out (its preset's filter): neither depends on that choice.
test-no-terminfo:
	cmake --preset no-terminfo
	cmake --build --preset no-terminfo
	ctest --preset no-terminfo; status=$$?; $(call list_skipped,build/no-terminfo); exit $$status

# Each libFuzzer target for FUZZ_SECONDS from its seed corpus (needs clang-14).
FUZZ_SECONDS ?= 30
fuzz:
	fuzz/run $(FUZZ_SECONDS)

# Benchmark figures of the release build, each beside its baseline.
bench:
	cmake --preset release
	cmake --build --preset release --target qkeditor qkeditor_bench
	$(BUILD)/bench/qkeditor_bench $(BUILD)/qkeditor

# Every package in build/packages: the Debian package and the .tar.gz, and
# the Windows .zip when the cross compiler is there.
package:
	cmake --preset release
	cmake --build --preset release
	cpack --preset release
	@if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  $(MAKE) windows && cpack --preset windows; \
	else \
	  echo "No Windows package: x86_64-w64-mingw32-g++-posix is missing (apt-get install g++-mingw-w64-x86-64-posix)."; \
	fi

# The Windows console program, cross-built: build/windows/qkeditor.exe, and
# the checks that the Wine suite runs beside it (build/windows/tests/windows).
windows:
	cmake --preset windows
	cmake --build --preset windows

# Format and static analysis: the tree must be clean under both. The sources
# are the files that git lists; a tree that cannot be listed fails the check
# rather than passing with nothing checked. clang-tidy reads the program's
# own headers with each file that includes them: those of this clone's src/,
# whatever folders the clone itself sits in. The Windows back end is read
# from the Windows preset's compile database, as for the mingw-w64 target,
# with the cross compiler's C++ library headers (which clang does not find
# by itself); without the cross compiler it is left out, and one line says so.
# The three checks run side by side, and clang-tidy checks as many files at
# once as there are processors; each check's output comes whole, once it ends.
MINGW_CXX := x86_64-w64-mingw32-g++-posix
HAVE_MINGW := $(shell command -v $(MINGW_CXX))
HEADER_FILTER = ^$(shell printf '%s' '$(CURDIR)' | sed 's/[][\\.*^$$+?(){}|]/\\&/g')/src/
TIDY = run-clang-tidy -quiet -j $(shell nproc) -header-filter='$(HEADER_FILTER)'
MINGW_CXX_INCLUDES = $(shell echo | $(MINGW_CXX) -xc++ -E -v - 2>&1 | grep '^ .*/include/c++')
lint:
	cmake --preset release
	$(if $(HAVE_MINGW),cmake --preset windows,@echo "Windows back end not checked: $(MINGW_CXX) is missing (apt-get install g++-mingw-w64-x86-64-posix).")
	$(MAKE) --no-print-directory --output-sync -j 3 lint-format lint-posix $(if $(HAVE_MINGW),lint-windows)
	@echo "Format and static analysis: clean."

lint-format:
	@files=$$(git ls-files -co --exclude-standard '*.cpp' '*.hpp') && [ -n "$$files" ] \
	  || { echo "make lint: no sources to check (git ls-files failed or found none)."; exit 1; }; \
	  clang-format --dry-run --Werror $$files < /dev/null

lint-posix:
	$(TIDY) -p $(BUILD) $(CURDIR)/src $(CURDIR)/tests $(CURDIR)/bench < /dev/null > $(BUILD)/clang-tidy.log 2>&1 \
	  || { grep -E "(warning|error):" $(BUILD)/clang-tidy.log; exit 1; }

lint-windows:
	$(TIDY) -p build/windows -extra-arg-before=--target=x86_64-w64-mingw32 \
	  $(addprefix -extra-arg=-isystem,$(MINGW_CXX_INCLUDES)) \
	  $(CURDIR)/src/platform/windows $(CURDIR)/tests/windows < /dev/null > build/windows/clang-tidy.log 2>&1 \
	  || { grep -E "(warning|error):" build/windows/clang-tidy.log; exit 1; }
