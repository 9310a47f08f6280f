# Entry points: `make run`, `make test` and `make hwtest`. Each installs what is missing first.
BUILD ?= build
PACKAGES = cmake ninja-build g++ ccache qt6-base-dev qt6-charts-dev libqt6opengl6-dev libudev-dev libcli11-dev libgtest-dev libbenchmark-dev xvfb xauth poppler-utils openssh-server openssh-client
# The real-kernel test boots a VM; the kernel and busybox are fetched, not installed.
HWTEST_PACKAGES = qemu-system-x86
# Installing and packaging: man pages from --help, the .deb's dependencies.
PACKAGE_PACKAGES = help2man dpkg-dev
# Only make check-package needs these; icons re-renders the PNGs from the SVG.
CHECK_PACKAGE_PACKAGES = lintian desktop-file-utils appstream bash-completion man-db
ICON_PACKAGES = librsvg2-bin
RELEASE_BUILD ?= build-release
PREFIX ?= /usr/local
# One compiler cache for every build tree and clone: paths below the tree count as relative.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# `make bench BENCH_BUILD=build` runs the benchmarks of the Debug tree (its figures are slower).
BENCH_BUILD ?= $(RELEASE_BUILD)
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_PACKAGES = clang-14 libclang-rt-14-dev
# Leaks fail a test program at its exit; undefined behaviour stops it.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: deps configure build run test hwtest bench clean check-sanitize fuzz fuzz-deps fuzz-seeds \
	release-programs install package check-package icons

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/tallyport

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The i2c-dev backend against Debian's kernel under QEMU: i2c-stub, a DDC bus
# with an EDID chip and a PC SMBus (tests/hwtest/run.sh).
hwtest: build
	@$(MAKE) --no-print-directory deps PACKAGES="$(HWTEST_PACKAGES)"
	cmake --build $(BUILD) --target tallyport_hwtest tallyport-cli-static
	tests/hwtest/run.sh $(BUILD)/tallyport_hwtest $(BUILD)/hwtest $(BUILD)/tallyport-cli-static

# Every benchmark program; fails when a figure misses its goal.
bench: deps
	@[ -f $(BENCH_BUILD)/build.ninja ] || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD)
	@fail=0; for b in $(BENCH_BUILD)/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; \
	  out="$$b.out"; QT_QPA_PLATFORM=offscreen $$b > "$$out" 2>&1; rc=$$?; cat "$$out"; \
	  if [ $$rc != 0 ] || grep -q "ERROR OCCURRED" "$$out"; then echo "== $$b: a figure missed its goal"; fail=1; fi; \
	done; exit $$fail

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
check-sanitize: deps
	@[ -f $(SANITIZE_BUILD)/build.ninja ] || cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DTALLYPORT_SANITIZE=ON -DTALLYPORT_BENCH=OFF
	cmake --build $(SANITIZE_BUILD)
	cd $(SANITIZE_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
	@if grep -qE 'ERROR: [A-Za-z]+Sanitizer|runtime error:' $(SANITIZE_BUILD)/Testing/Temporary/LastTest.log; then \
	  echo "check-sanitize: sanitizer reports in $(SANITIZE_BUILD)/Testing/Temporary/LastTest.log"; exit 1; fi

fuzz-deps: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(FUZZ_PACKAGES)"

# Every file reader under libFuzzer for FUZZ_SECONDS each (clang).
fuzz: fuzz-deps
	@[ -f $(FUZZ_BUILD)/build.ninja ] || cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DTALLYPORT_FUZZ=ON
	cmake --build $(FUZZ_BUILD)
	fuzz/run-all $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Rewrites the seed files of fuzz/corpus from the program's own writers.
fuzz-seeds: build
	@for t in $(BUILD)/fuzz/fuzz_*_replay; do n=$${t##*/fuzz_}; $$t --write-seeds fuzz/corpus/$${n%_replay}; done

# The two programs and their man pages from the Release build, nothing else:
# no tests. Configured each time so that a help2man installed since is found.
release-programs: deps
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGE_PACKAGES)"
	cmake -S . -B $(RELEASE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(RELEASE_BUILD) --target tallyport tallyport-cli man

# make install [PREFIX=/usr/local] [DESTDIR=/tmp/stage]; through sudo unless staged.
install: release-programs
	$(if $(DESTDIR),DESTDIR="$(DESTDIR)",$(SUDO)) cmake --install $(RELEASE_BUILD) --prefix $(PREFIX)

# tallyport_<version>_<arch>.deb, here and in the Release build folder.
package: release-programs
	rm -f $(RELEASE_BUILD)/tallyport_*.deb
	cd $(RELEASE_BUILD) && cpack -G DEB
	cp $(RELEASE_BUILD)/tallyport_*.deb .

# Builds the .deb, checks its files, installs it on this machine, uses it and
# purges it (tests/package/check.sh).
check-package: package
	@$(MAKE) --no-print-directory deps PACKAGES="$(CHECK_PACKAGE_PACKAGES)"
	$(SUDO) tests/package/check.sh $(RELEASE_BUILD)/tallyport_*.deb

icons:
	@$(MAKE) --no-print-directory deps PACKAGES="$(ICON_PACKAGES)"
	@for s in 16 24 32 48 64 128 256; do rsvg-convert -w $$s -h $$s dist/icons/tallyport.svg -o dist/icons/tallyport-$$s.png; done

clean:
	rm -rf $(BUILD) $(RELEASE_BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) tallyport_*.deb
