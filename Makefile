# The two commands a new developer needs: `make run` and `make test`.
PRESET ?= debug
BUILD_DIR := build
JOBS ?= $(shell nproc)
# The sanitizer build is a second full build: ccache, where installed, keeps
# rebuilds of it short.
CCACHE := $(shell command -v ccache 2>/dev/null)
SANITIZER_LAUNCHER := $(if $(CCACHE),CMAKE_C_COMPILER_LAUNCHER=$(CCACHE) CMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: all deps configure build run test test-asan bench format clean

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

# The whole suite again with AddressSanitizer, LeakSanitizer and UBSan in every
# target (build-asan/). The test preset holds the sanitizers' options.
test-asan: deps
	@$(SANITIZER_LAUNCHER) cmake --preset asan-ubsan >/dev/null
	@cmake --build --preset asan-ubsan -j $(JOBS)
	@# The real Claude Code CLI runs in the plain build only: it is not ours to
	@# instrument, and its minute-long waits add nothing under the sanitizers.
	@ctest --preset asan-ubsan -j $(JOBS) -LE claude

bench: deps
	@bench/run

format:
	@git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) build-release build-asan build-tsan
