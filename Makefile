# Front door: `make test` installs what is missing, builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test bench demo clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Writes the demo library into $(BUILD)/demo/library and lists it.
demo: build
	@rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	@$(BUILD)/bin/make-demo-library $(BUILD)/demo/library >/dev/null
	@$(BUILD)/bin/vorne-batch FROM $(BUILD)/demo/library BROWSE ALL VOLSTO $(BUILD)/demo/TVolumes.tab
	@echo; echo "== volume list ($(BUILD)/demo/TVolumes.tab)"; cat $(BUILD)/demo/TVolumes.tab
	@echo; echo "demo library: $(BUILD)/demo/library"

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD)
