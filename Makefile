# Nimbrel: `make run` builds and starts the program, `make test` builds and
# runs every test. Both install missing Debian packages first.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
BUILD_TSAN ?= build-tsan
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test test-display test-sanitize test-threads fuzz bench package check-fresh clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The display tests RUNS times under CONDITION: idle, busy (every core
# kept busy), one-core (the software renderer on one thread of one core)
# or starved (the program at nice 19 beside busy cores, the tests not).
RUNS      ?= 6
CONDITION ?= idle
test-display: build
	tools/repeat-display-tests.sh $(RUNS) $(CONDITION) $(BUILD)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DNIMBREL_SANITIZE=ON -DNIMBREL_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS)

# The threaded code that needs no GL under ThreadSanitizer: the sprite
# rasterizer's bands and the journal's writer thread.
test-threads: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DNIMBREL_THREAD_SANITIZE=ON -DNIMBREL_BENCH=OFF
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target raster_tests recording_tests
	cd $(BUILD_TSAN) && ctest --output-on-failure -j $(JOBS) -R '^(RasterizerTest|RecorderTest)'

# The image loader, the capture's key script, the preset and recording
# loaders (at their full size limits, with dictionaries of their tokens) and
# the panel's kept place (at its limit) under
# libFuzzer, with both sanitizers, for FUZZ_SECONDS each.
fuzz:
	@tools/install-deps.sh clang libclang-rt-dev
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug \
	  -DNIMBREL_SANITIZE=ON -DNIMBREL_FUZZ=ON -DNIMBREL_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target dib_fuzzer key_script_fuzzer preset_fuzzer recording_fuzzer \
	  panel_place_fuzzer make_dib_corpus
	rm -rf $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/key-corpus $(BUILD_FUZZ)/preset-corpus $(BUILD_FUZZ)/recording-corpus \
	  $(BUILD_FUZZ)/place-corpus
	mkdir -p $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/key-corpus $(BUILD_FUZZ)/preset-corpus $(BUILD_FUZZ)/recording-corpus \
	  $(BUILD_FUZZ)/place-corpus
	cp tests/fuzz/panel.ini $(BUILD_FUZZ)/place-corpus/
	cp data/presets/*.toml $(BUILD_FUZZ)/preset-corpus/
	cp tests/fuzz/seed.rec tests/fuzz/seed2.rec tests/fuzz/seed3.rec $(BUILD_FUZZ)/recording-corpus/
	$(BUILD_FUZZ)/tests/make_dib_corpus $(BUILD_FUZZ)/corpus
	cp tests/golden/tour.keys $(BUILD_FUZZ)/key-corpus/
	printf -- '--frames\0001\000--keys=1:Q,1:F7\000--out\000o' > $(BUILD_FUZZ)/key-corpus/args
	$(BUILD_FUZZ)/tests/dib_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	  -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $(BUILD_FUZZ)/corpus
	$(BUILD_FUZZ)/tests/key_script_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=1024 \
	  -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $(BUILD_FUZZ)/key-corpus
	$(BUILD_FUZZ)/tests/preset_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=65537 \
	  -dict=tests/fuzz/preset.dict -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $(BUILD_FUZZ)/preset-corpus
	$(BUILD_FUZZ)/tests/recording_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=33554433 \
	  -dict=tests/fuzz/recording.dict -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $(BUILD_FUZZ)/recording-corpus
	$(BUILD_FUZZ)/tests/panel_place_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	  -print_final_stats=1 -artifact_prefix=$(BUILD_FUZZ)/ $(BUILD_FUZZ)/place-corpus

bench: build
	$(BUILD)/bench/sim_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD)/bench/frame_bench
	$(BUILD)/bench/recorder_bench

# The Debian package, build/nimbrel_VERSION_amd64.deb, the same whatever
# the umask (tests/package_modes_test.sh builds it under 002 and 077),
# checked with lintian and the desktop entry's and AppStream metadata's
# validators.
package: build
	@tools/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream
	tools/make-package.sh $(BUILD) $(BUILD)
	tests/package_modes_test.sh $(BUILD)
	@# The metadata's own check is the appstreamcli line below, which
	@# allows it one thing: no public site exists yet, so it names no
	@# homepage, which AppStream 1.0 (Debian 13) warns about. An older
	@# validator knows no such tag and checks the file as it is.
	lintian --fail-on error,warning $(BUILD)/nimbrel_*.deb \
	  $$(lintian-explain-tags appstream-metadata-validation-failed >/dev/null 2>&1 && \
	     echo --suppress-tags appstream-metadata-validation-failed)
	desktop-file-validate data/org.nimbrel.Nimbrel.desktop
	if appstreamcli validate --no-net --override=url-homepage-missing=info data/org.nimbrel.Nimbrel.metainfo.xml \
	  >$(BUILD)/appstream.txt 2>&1; then cat $(BUILD)/appstream.txt; \
	else appstreamcli validate --no-net data/org.nimbrel.Nimbrel.metainfo.xml; fi
	@echo "Package: $$(ls $(BUILD)/nimbrel_*.deb)"

# The README's commands on throwaway fresh Debian 12 and 13 roots, from a
# clean clone of HEAD; DIST=bookworm or DIST=trixie for one.
check-fresh:
	@tools/check-fresh.sh $(DIST)

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ) $(BUILD_TSAN)
