# `make run` and `make test` set up everything on a fresh Debian 12 machine: missing packages
# are installed with apt-get (as root, or through sudo), then the project is configured,
# built, and started or tested.

BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

PACKAGES := cmake make g++ pkg-config \
	qt6-base-dev qt6-base-dev-tools libgl-dev \
	libgtest-dev libgmock-dev libbenchmark-dev \
	libzip-dev \
	fonts-arphic-uming \
	python3 python3-docx poppler-utils xdg-utils
# The word processor that proves a document prints aligned; without its recommends it is
# a fraction of the size.
PACKAGES_NO_RECOMMENDS := libreoffice-writer-nogui

.PHONY: all deps build run test sanitize bench screenshot clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	missing_nr=$$(for p in $(PACKAGES_NO_RECOMMENDS); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing$$missing_nr" ]; then \
		echo "Installing: $$missing $$missing_nr"; \
		$(SUDO) apt-get update -q && \
		{ [ -z "$$missing" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; } && \
		{ [ -z "$$missing_nr" ] || $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing_nr; }; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/pellarin

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The generator's tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPELLARIN_WITHOUT_QT=ON -DPELLARIN_BENCHMARKS=OFF \
		-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1"
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/bench/pellarin_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/pellarin_window_bench --benchmark_repetitions=5 \
		--benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
