# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
PACKAGES = cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev xvfb xauth poppler-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build run test bench clean

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

bench: deps
	@[ -f build-release/build.ninja ] || cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release
	@for b in build-release/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) build-release
