# Thin wrapper over the CMake presets.
DATA ?= server-data
BUILD := build/release

.PHONY: all run test

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
