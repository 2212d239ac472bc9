# Quick start: `make run` starts the window, `make test` passes the tests.
# Each first installs on Debian whatever the build is missing
# (QUENLO_NO_INSTALL=1 skips that). Warnings are errors with QUENLO_WERROR=ON,
# as CI sets it.
QUENLO_WERROR ?= OFF
CONFIGURE = cmake -DQUENLO_WERROR=$(QUENLO_WERROR) --preset
.PHONY: all deps build test run sanitize tsan windows windows-bench fuzz bench deb package package-check screenshot clean

all: build

deps:
	scripts/install-deps core gui

build: deps
	$(CONFIGURE) default
	cmake --build --preset default

test: build
	ctest --preset default

# Only what the window needs.
run: deps
	$(CONFIGURE) default
	cmake --build --preset default --target quenlo
	build/default/quenlo

sanitize: deps
	$(CONFIGURE) sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# quenlo-fix's workers and their tests (label "parallel") under ThreadSanitizer.
tsan:
	scripts/install-deps core
	$(CONFIGURE) tsan
	cmake --build --preset tsan
	ctest --preset tsan

# quenlo.exe, quenlo-fix, the core and their tests built with mingw-w64 and
# run under Wine (the window on a virtual screen of its own).
WINE_ENV = WINEDEBUG=-all WINEPREFIX=$(CURDIR)/build/mingw/wineprefix
windows:
	scripts/install-deps core windows
	$(CONFIGURE) mingw
	cmake --build --preset mingw
	$(WINE_ENV) wineboot -i >/dev/null 2>&1 && $(WINE_ENV) wineserver -w
	ctest --preset mingw

# The packages, in build/packages: the two .debs from the Linux build, the
# installer and the portable zip from the mingw-w64 build.
PACKAGE_DIR = $(CURDIR)/build/packages
define make-debs
	scripts/install-deps core gui deb
	$(CONFIGURE) default -DQUENLO_PACKAGE_DIR=$(PACKAGE_DIR)
	cmake --build --preset default
	cd build/default && cpack
endef
package:
	$(make-debs)
	scripts/install-deps windows package
	$(CONFIGURE) mingw -DQUENLO_PACKAGE_DIR=$(PACKAGE_DIR)
	cmake --build --preset mingw
	cd build/mingw && cpack

# Each package checked as a user would meet it (lintian, the installer under
# Wine, on a screen of its own for quenlo.exe).
package-check: package
	tests/windows/on-xvfb.sh tests/packaging/check-packages.sh $(PACKAGE_DIR) build/default build/mingw

# The two .debs alone, checked as above; no Windows toolchain.
deb:
	$(make-debs)
	tests/packaging/check-packages.sh $(PACKAGE_DIR) build/default

# quenlo.exe against a bare Win32 window under Wine: size and start time.
windows-bench:
	scripts/install-deps core windows
	$(CONFIGURE) mingw
	cmake --build --preset mingw
	$(WINE_ENV) wineboot -i >/dev/null 2>&1 && $(WINE_ENV) wineserver -w
	$(WINE_ENV) tests/windows/on-xvfb.sh tests/bench/windows-bench.sh build/mingw

# The header rewrite under libFuzzer for FUZZ_SECONDS (60 by default).
FUZZ_SECONDS ?= 60
fuzz:
	scripts/install-deps core fuzz
	$(CONFIGURE) fuzz
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus
	build/fuzz/tests/fuzz/fixheader_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=64 \
	    build/fuzz/corpus tests/fuzz/seeds

# The figures of docs/benchmarks.md: the fix by file size, quenlo-fix
# against the floor loop, peak memory and the programs' sizes.
bench:
	scripts/install-deps core gui bench
	$(CONFIGURE) default -DQUENLO_BUILD_BENCH=ON
	cmake --build --preset default
	build/default/tests/bench/fix_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	tests/bench/run-bench.sh build/default

# docs/screenshot.png, from the built window on a screen of its own.
screenshot: deps
	scripts/install-deps screenshot
	$(CONFIGURE) default
	cmake --build --preset default --target quenlo
	scripts/screenshot build/default

clean:
	rm -rf build
