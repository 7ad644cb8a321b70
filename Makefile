# The two commands of the README: `make run` and `make test`
# (and `make check-receiver`, which plays a puzzle package on a clean root).
# Both install what is missing from Debian's archive (as root), configure and build.

BUILD    ?= build
JOBS     ?= $(shell nproc)
# Extra options for CMake's configure step, e.g. -DSUITE_WERROR=ON.
CMAKE_FLAGS ?=
# Where `make install` puts the suite; the launchers go to the user's data folder.
PREFIX   ?= $(HOME)/.local/share/PuzzleSuite
PACKAGES := g++ cmake make pkg-config libgl-dev \
            qt6-base-dev \
            libsane-dev libfontconfig-dev libjpeg-dev sane-utils makeself xdg-utils fonts-dejavu-core \
            libgtest-dev libgmock-dev libbenchmark-dev \
            python3 python3-aiosmtpd xvfb xauth xdotool valgrind \
            libx11-dev libxext-dev libjpeg-turbo-progs \
            desktop-file-utils shared-mime-info patchelf binutils xz-utils
# Only `make deb` and `make check-deb` need these.
DEB_PACKAGES := dpkg-dev lintian appstream debootstrap
VERSION  ?= 1.0
DEB      := $(BUILD)/puzzle-suite_$(VERSION)_amd64.deb

# What the host needs to make a clean Debian root and watch a package play in
# it (check-receiver only; the receiver's own set is tests/receiver/*.txt).
RECEIVER_PACKAGES := debootstrap xvfb xdotool x11-apps python3
# e.g. RECEIVER_FLAGS=--with-qt (a harness check against a root with Qt)
RECEIVER_FLAGS ?=
# What check-a11y needs: the accessibility bus and Python's client of it, a
# virtual screen with a session bus, and xdotool for the keys and clicks.
A11Y_PACKAGES := at-spi2-core python3-pyatspi dbus xvfb xauth xdotool

.PHONY: all setup configure build run test bench install deb deb-setup check-deb clean check-receiver receiver-host \
        check-a11y a11y-setup

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

# The build folder is configured again whenever these change, e.g.
# `make test CMAKE_FLAGS=-DSUITE_WERROR=ON` (what CI runs).
$(BUILD)/cmake-flags.txt: FORCE
	@mkdir -p $(BUILD)
	@printf '%s\n' '$(CMAKE_FLAGS)' | cmp -s - $@ || printf '%s\n' '$(CMAKE_FLAGS)' > $@

$(BUILD)/CMakeCache.txt: $(BUILD)/cmake-flags.txt
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

configure: setup $(BUILD)/CMakeCache.txt

FORCE:

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/root/Bin/Vorlin ]; then cd $(BUILD)/root/Bin && ./Vorlin; \
	else cd $(BUILD)/root/Bin && ./TileMender ../Data/Sample.puz; fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# bench_startup (bench/startup/run.sh) times whole programs on a virtual
# screen against a bare Qt window; its helpers live in $(BUILD)/bench/startup.
bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x $$b ] && $$b; done

install: build
	sh resources/desktop/install.sh $(BUILD)/root "$(PREFIX)"

# The Debian package of the suite, for all users of a machine; lintian's
# errors fail the build, its warnings are printed.
deb: build deb-setup
	cmake --build $(BUILD) -j $(JOBS) --target deb_icons vorlin_runtime_prepare
	sh packaging/build_deb.sh $(BUILD) $(BUILD) $(VERSION)
	lintian --fail-on error $(DEB)

deb-setup:
	@$(MAKE) --no-print-directory setup PACKAGES="$(DEB_PACKAGES)"

# The package installed with apt on a fresh minimal Debian 12 root, then
# used there as a normal user: Vorlin --make, --list and its main window.
check-deb: deb
	sh tests/receiver/deb_install.sh $(DEB) $(BUILD)/deb-check

clean:
	rm -rf $(BUILD)

# Not part of `make test`: needs root, Debian's archive and a minute or two
# the first time (the root is kept in $(BUILD)/receiver-root).
receiver-host:
	@if [ "$$(id -u)" != 0 ]; then \
	  echo "make check-receiver needs root: it makes a Debian root with debootstrap,"; \
	  echo "mounts /proc, /dev and /sys into it and runs a package there with chroot."; \
	  echo "Run it as root: sudo make check-receiver"; exit 1; \
	fi
	@missing=""; for p in $(RECEIVER_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

check-receiver: receiver-host build
	python3 tests/receiver/screen_compare_test.py
	BUILD=$(BUILD) sh tests/receiver/clean_root.sh $(RECEIVER_FLAGS)

# Not part of `make test`: what a screen reader finds of the programs, read
# through Qt's AT-SPI bridge on a virtual screen (tools/a11y/check.sh).
a11y-setup:
	@$(MAKE) --no-print-directory setup PACKAGES="$(A11Y_PACKAGES)"

check-a11y: a11y-setup build
	bash tools/a11y/check.sh $(BUILD)
