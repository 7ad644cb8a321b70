# The two commands of the README: `make run` and `make test`.
# Both install what is missing from Debian's archive (as root), configure and build.

BUILD    ?= build
JOBS     ?= $(shell nproc)
# Where `make install` puts the suite; the launchers go to the user's data folder.
PREFIX   ?= $(HOME)/.local/share/PuzzleSuite
PACKAGES := g++ cmake make pkg-config libgl-dev \
            qt6-base-dev \
            libsane-dev sane-utils makeself xdg-utils fonts-dejavu-core \
            libgtest-dev libgmock-dev libbenchmark-dev \
            python3 python3-aiosmtpd xvfb xauth xdotool valgrind \
            desktop-file-utils shared-mime-info

.PHONY: all setup configure build run test bench install clean

all: build

setup:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: setup $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/root/Bin/Vorlin ]; then cd $(BUILD)/root/Bin && ./Vorlin; \
	else cd $(BUILD)/root/Bin && ./TileMender ../Data/Sample.puz; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x $$b ] && $$b; done

install: build
	sh resources/desktop/install.sh $(BUILD)/root "$(PREFIX)"

clean:
	rm -rf $(BUILD)
