# Quick start: `make run` starts the window, `make test` passes the tests.
# Each first installs on Debian whatever the build is missing.
.PHONY: all deps build test run sanitize clean

all: build

deps:
	scripts/install-deps core gui

build: deps
	cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

run: build
	build/default/quenlo

sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

clean:
	rm -rf build
