# Front door: `make test` installs what is missing, builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test sanitize fuzz bench demo demo-library screenshots package package-check clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package $(BUILD)/vorne_<version>_<arch>.deb (CPack, with the
# dependencies dpkg-shlibdeps finds); package-check also lists it and checks
# that it holds every installed file.
package: build
	@cmake --build $(BUILD) --target package
package-check: build
	@tools/check-package.sh $(BUILD)

# The core, vorne-batch and the tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer in their own build folder (the desktop program
# stays out), then every test run; the first report stops the test that made it.
SANITIZE_BUILD ?= build-sanitize
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNE_SANITIZE=ON -DVORNE_GUI=OFF >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target vorne_tests vorne-batch
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The libFuzzer harnesses (clang, with AddressSanitizer and UBSan), each run
# for FUZZ_SECONDS from the seed corpus in tests/fuzz/corpus; what they find
# is kept in $(FUZZ_BUILD)/findings. New inputs stay in $(FUZZ_BUILD)/corpus.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZERS = fuzz_library fuzz_filing
fuzz:
	@tools/install-deps.sh --fuzz
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNE_FUZZ=ON -DVORNE_SANITIZE=ON \
	  -DVORNE_GUI=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS)
	@mkdir -p $(FUZZ_BUILD)/findings
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	  echo "== $$f for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/bin/$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$f- $(FUZZ_BUILD)/corpus/$$f tests/fuzz/corpus/$$f || exit 1; \
	done

# Imports the sample filings into a fresh demo library under $(BUILD)/demo and
# shows it: in the desktop program when a display is available, otherwise as
# the volume list, a Browse listing of every sheet, and the path of the web
# site published from it.
demo: build
	@rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	@echo "== importing samples/ into $(BUILD)/demo/library"
	@$(BUILD)/bin/vorne-batch ADDFROM samples TO $(BUILD)/demo/library > $(BUILD)/demo/volumes.txt
	@echo; echo "== volume list"; cat $(BUILD)/demo/volumes.txt
	@echo; echo "== printing one company's sheets into $(BUILD)/demo/sheets.pdf"
	@$(BUILD)/bin/vorne-batch FROM $(BUILD)/demo/library UNZIP ID 902 NOLIMIT PDF TO $(BUILD)/demo/sheets.pdf > /dev/null
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  echo; echo "== opening it in vorne"; \
	  $(BUILD)/bin/vorne FROM $(BUILD)/demo/library UNZIP; \
	else \
	  echo; echo "== Browse listing (no display: the batch program shows it)"; \
	  $(BUILD)/bin/vorne-batch FROM $(BUILD)/demo/library UNZIP BROWSE ALL; \
	  echo; echo "== publishing the demo library as a web site"; \
	  $(BUILD)/bin/vorne-batch FROM $(BUILD)/demo/library UNZIP HTML TO $(BUILD)/demo/site ALL 2>/dev/null; \
	  echo; echo "demo library: $(BUILD)/demo/library (error logs of the import beside it)"; \
	fi

# The demo library, imported quietly when it is missing.
demo-library: build
	@if [ ! -f $(BUILD)/demo/library/Prime4 ]; then \
	  rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo && \
	  $(BUILD)/bin/vorne-batch ADDFROM samples TO $(BUILD)/demo/library > $(BUILD)/demo/volumes.txt 2>/dev/null; \
	fi

# A scripted session of vorne on the demo library, offscreen: a picture of
# each window and dialog under $(BUILD)/screens, named after the window.
screenshots: demo-library
	@rm -rf $(BUILD)/screens
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bin/vorne-screens $(BUILD)/demo/library $(BUILD)/screens

# The benchmarks work in a folder of the build tree rather than the shared
# temporary folder, whose file system state (recently deleted files) they
# would otherwise measure.
bench: build
	@mkdir -p $(BUILD)/bench-tmp
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; TMPDIR=$(abspath $(BUILD))/bench-tmp $$b; done

clean:
	rm -rf $(BUILD)
