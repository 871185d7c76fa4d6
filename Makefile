# Lyrivane: the two commands of the quick start, and the rest of the developer's tasks.
#   make run [ARGS="info song.mp3"]   install what is missing, build, run the demo or the CLI
#   make test                         every test: native, then the Windows ones under Wine
.PHONY: run test deps native windows test-native test-windows test-fuzz gui fuzz bench \
        format format-check clean

BUILD  := build
NATIVE := $(BUILD)/native
WINDOWS := $(BUILD)/windows
JOBS   ?= 2
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
WINE_TIMEOUT ?= 900

deps:
	@scripts/install-deps.sh

native: deps
	@[ -f $(NATIVE)/CMakeCache.txt ] || cmake -S . -B $(NATIVE) $(CMAKE_GEN) >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

windows: deps
	@[ -f $(WINDOWS)/CMakeCache.txt ] || cmake -S . -B $(WINDOWS) $(CMAKE_GEN) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake >/dev/null
	@cmake --build $(WINDOWS) -j $(JOBS)

run: native
ifeq ($(strip $(ARGS)),)
	@scripts/demo.sh $(NATIVE)/lyrivane $(BUILD)/demo
else
	@$(NATIVE)/lyrivane $(ARGS)
endif

test: test-native test-windows test-fuzz

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
