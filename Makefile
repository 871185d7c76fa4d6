# Lyrivane: the two commands of the quick start, and the rest of the developer's tasks.
#   make run [ARGS="info song.mp3"]   install what is missing, build, run the demo or the CLI
#   make test                         every test: native, then the Windows ones under Wine
#   make dist                         build/dist/Lyrivane-VERSION-win64.zip, the release
#   make install [PREFIX=/usr/local]  the lyrivane command, its manual page, bash completion
.PHONY: run test deps native windows test-native test-windows test-dist test-fuzz gui fuzz \
        bench dist install configure-native format format-check clean

BUILD  := build
NATIVE := $(BUILD)/native
WINDOWS := $(BUILD)/windows
RELEASE := $(BUILD)/release-windows
DIST   := $(BUILD)/dist
PREFIX ?= /usr/local
JOBS   ?= 2
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
WINE_TIMEOUT ?= 900

deps:
	@scripts/install-deps.sh

configure-native: deps
	@[ -f $(NATIVE)/CMakeCache.txt ] || cmake -S . -B $(NATIVE) $(CMAKE_GEN) >/dev/null

native: configure-native
	@cmake --build $(NATIVE) -j $(JOBS)

windows: deps
	@[ -f $(WINDOWS)/CMakeCache.txt ] || cmake -S . -B $(WINDOWS) $(CMAKE_GEN) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake >/dev/null
	@cmake --build $(WINDOWS) -j $(JOBS)

# Builds only the command it runs, not the test suite.
run: configure-native
	@cmake --build $(NATIVE) -j $(JOBS) --target lyrivane
ifeq ($(strip $(ARGS)),)
	@scripts/demo.sh $(NATIVE)/lyrivane $(BUILD)/demo
else
	@$(NATIVE)/lyrivane $(ARGS)
endif

test: test-native test-windows test-dist test-fuzz

test-native: native
	@echo "== native tests"
	@cd $(NATIVE) && { ctest --output-on-failure -j $(JOBS) >ctest.log 2>&1; rc=$$?; \
	   if [ $$rc -ne 0 ]; then cat ctest.log; else tail -n 3 ctest.log; fi; exit $$rc; }

test-windows: windows
	@echo "== Windows tests under Wine"
	@scripts/wine.sh run -t $(WINE_TIMEOUT) $(WINDOWS)/lyrivane_tests.exe --gtest_brief=1
	@if [ -f $(WINDOWS)/lyrivane_gui_tests.exe ]; then \
	   echo "== Windows GUI tests under Wine"; \
	   scripts/wine.sh run -t $(WINE_TIMEOUT) $(WINDOWS)/lyrivane_gui_tests.exe --gtest_brief=1 && \
	   echo "== speech input with no sound device" && \
	   scripts/wine.sh run --no-audio -t 120 $(WINDOWS)/lyrivane_gui_tests.exe --gtest_brief=1 \
	     --gtest_filter='SpeechInputWithoutDevice.*'; \
	 fi

# The release archive, checked from the outside: its program starts under Wine and its
# version resource says what `lyrivane --version` says.
test-dist: dist native windows
	@echo "== the release archive"
	@scripts/test-dist.sh $(NATIVE)/lyrivane $(WINDOWS)/version_probe.exe $(DIST)

# The release: optimised, stripped, static Lyrivane.exe and its read-me in one zip.
dist: deps
	@[ -f $(RELEASE)/CMakeCache.txt ] || cmake -S . -B $(RELEASE) $(CMAKE_GEN) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DLYRIVANE_TESTS=OFF -DLYRIVANE_DIST_DIR=$(abspath $(DIST)) >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS) --target dist

install: configure-native
	@cmake --build $(NATIVE) -j $(JOBS) --target lyrivane
	@cmake --install $(NATIVE) --prefix $(PREFIX) --strip

# Every reader is fuzzed briefly by `make test`; `make fuzz FUZZ_SECONDS=3600` for real.
FUZZ_SECONDS ?= 600
test-fuzz: deps
	@echo "== fuzzing each reader briefly"
	@scripts/fuzz.sh 10

fuzz: deps
	@scripts/fuzz.sh $(FUZZ_SECONDS)

# Files per second of `lyrivane info` against a TagLib reader, measured in the same run.
bench: native
	@scripts/bench.sh

gui: windows
	@scripts/wine.sh run --display $(WINDOWS)/Lyrivane.exe $(ARGS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD)
