# The two commands a new developer needs: `make run` and `make test`.
PRESET ?= debug
BUILD_DIR := build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/bin/halvane ]; then \
		exec $(BUILD_DIR)/bin/halvane; \
	else \
		echo; \
		echo "Built $(BUILD_DIR)/bin/halvane-hook (the desktop app is not part of this build yet)."; \
		echo "Try the relay as Claude Code would start it:"; \
		echo "  echo '{\"hook_event_name\":\"PreToolUse\",\"tool_name\":\"Bash\"}' | $(BUILD_DIR)/bin/halvane-hook"; \
		echo "With nothing listening on its socket (halvane-hook --socket-path) it prints {} and Claude Code asks as usual."; \
	fi

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: deps
	@bench/run

format:
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) build-release
