# Quick start: `make run` starts the window, `make test` passes the tests.
# Each first installs on Debian whatever the build is missing.
.PHONY: all deps build test run sanitize windows clean

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

# quenlo-fix, the core and their tests built with mingw-w64 and run under Wine.
WINE_ENV = WINEDEBUG=-all WINEPREFIX=$(CURDIR)/build/mingw/wineprefix
windows:
	scripts/install-deps core windows
	cmake --preset mingw
	cmake --build --preset mingw
	$(WINE_ENV) wineboot -i >/dev/null 2>&1 && $(WINE_ENV) wineserver -w
	ctest --preset mingw

clean:
	rm -rf build
