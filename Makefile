# Entry points: `make run`, `make test` and `make hwtest`. Each installs what is missing first.
BUILD ?= build
PACKAGES = cmake ninja-build g++ qt6-base-dev libudev-dev libgtest-dev libbenchmark-dev xvfb xauth
# The real-kernel test boots a VM; the kernel and busybox are fetched, not installed.
HWTEST_PACKAGES = qemu-system-x86
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test hwtest bench clean

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
	cmake --build $(BUILD) --target tallyport_hwtest
	tests/hwtest/run.sh $(BUILD)/tallyport_hwtest $(BUILD)/hwtest

bench: deps
	@[ -f build-release/build.ninja ] || cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release
	@for b in build-release/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) build-release
