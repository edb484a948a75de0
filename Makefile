# Small driver over CMake. `make run` and `make test` set up a fresh Debian machine first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
# make test's own fuzzing round: long enough to try the seeds and their near
# neighbours; make fuzz and make fuzz-long are the searches.
TEST_FUZZ_SECONDS ?= 30
# The sanitizer pass covers the core, the command line and their tests: all
# that reads files and programs from outside. The window's tests run in the
# normal build; ASAN_APP=ON adds them here too, for a much longer build.
ASAN_APP ?= OFF
FUZZ_LONG_SECONDS ?= 600
FUZZ_TARGETS = project_file assembler executor key_filters importer grading_task
JOBS       ?= 2
# Optimised builds without full debug information: it costs a third of the
# compile time; line tables (-g1) keep sanitizer and fuzzer reports readable.
OPTIMISED  = -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
CMAKE_ARGS ?=

.PHONY: deps configure build run test test-fast test-asan bench fuzz fuzz-long package package-check install clean

deps:
	@tools/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(OPTIMISED) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/src/app/korvanta

# Every test: the normal build, then the whole suite again under ASan and UBSan.
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

test-fast: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" -DKORVANTA_SANITIZE=ON \
	  -DKORVANTA_BUILD_BENCH=OFF -DKORVANTA_BUILD_APP=$(ASAN_APP) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j$(JOBS)

# Every fuzz target for FUZZ_SECONDS, side by side, each on a scratch copy of
# its seed corpus; any crash, hang, leak or sanitizer report fails the run and
# leaves the input in $(FUZZ_BUILD)/artifacts.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" -DKORVANTA_BUILD_FUZZ=ON \
	  -DKORVANTA_BUILD_APP=OFF -DKORVANTA_BUILD_TESTS=OFF -DKORVANTA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD)/artifacts $(FUZZ_BUILD)/corpus
	@for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/corpus/$$t; cp -r fuzz/corpus/$$t $(FUZZ_BUILD)/corpus/$$t; \
	  ( $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=2048 \
	      -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t- $(FUZZ_BUILD)/corpus/$$t \
	      > $(FUZZ_BUILD)/fuzz_$$t.log 2>&1; echo $$? > $(FUZZ_BUILD)/fuzz_$$t.rc ) & \
	done; wait; \
	failed=0; for t in $(FUZZ_TARGETS); do \
	  if [ "$$(cat $(FUZZ_BUILD)/fuzz_$$t.rc)" != 0 ]; then tail -n 60 $(FUZZ_BUILD)/fuzz_$$t.log; failed=1; fi; \
	  echo "fuzz_$$t: $$(grep -ho 'number_of_executed_units: [0-9]*' $(FUZZ_BUILD)/fuzz_$$t.log) in $(FUZZ_SECONDS) s"; \
	done; exit $$failed

# Every fuzz target for FUZZ_LONG_SECONDS, side by side, on the kept corpus. The inputs that
# reach new code are merged into fuzz/corpus/<target>/, ready to commit.
fuzz-long: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1" -DKORVANTA_BUILD_FUZZ=ON \
	  -DKORVANTA_BUILD_APP=OFF -DKORVANTA_BUILD_TESTS=OFF -DKORVANTA_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@mkdir -p $(FUZZ_BUILD)/artifacts
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p fuzz/corpus/$$t; rm -rf $(FUZZ_BUILD)/new/$$t; mkdir -p $(FUZZ_BUILD)/new/$$t; \
	  ( $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_LONG_SECONDS) -timeout=30 -rss_limit_mb=2048 \
	      -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t- $(FUZZ_BUILD)/new/$$t fuzz/corpus/$$t \
	      > $(FUZZ_BUILD)/fuzz_long_$$t.log 2>&1; echo $$? > $(FUZZ_BUILD)/fuzz_long_$$t.rc ) & \
	done; wait; \
	failed=0; for t in $(FUZZ_TARGETS); do \
	  log=$(FUZZ_BUILD)/fuzz_long_$$t.log; \
	  if [ "$$(cat $(FUZZ_BUILD)/fuzz_long_$$t.rc)" != 0 ]; then tail -n 60 $$log; failed=1; continue; fi; \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t -merge=1 fuzz/corpus/$$t $(FUZZ_BUILD)/new/$$t > $(FUZZ_BUILD)/fuzz_merge_$$t.log 2>&1 \
	    || { tail -n 20 $(FUZZ_BUILD)/fuzz_merge_$$t.log; failed=1; continue; }; \
	  echo "fuzz_$$t: $$(grep -ho 'number_of_executed_units: [0-9]*' $$log | grep -o '[0-9]*') runs in $(FUZZ_LONG_SECONDS) s," \
	    "$$(grep -o 'cov: [0-9]* ft: [0-9]*' $$log | tail -n 1)," \
	    "$$(grep -o '[0-9]* new files' $(FUZZ_BUILD)/fuzz_merge_$$t.log | tail -n 1 || echo '0 new files') kept in fuzz/corpus/$$t"; \
	done; exit $$failed

# The Debian package from the normal build folder: build/korvanta_VERSION_ARCH.deb.
package: build
	cd $(BUILD) && cpack -G DEB

# Only the package's checks (make test runs them with everything else).
package-check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R '^packaging\.'

bench: build
	$(BUILD)/bench/korvanta_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/korvanta_gui_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

# grade on a class of 500 against a shell loop of `korvanta-cli run`, with the ratio.
.PHONY: bench-grade
bench-grade: build
	bench/grade_vs_shell_loop.sh $(BUILD)/src/cli/korvanta-cli

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
