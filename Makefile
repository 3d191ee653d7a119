# Kaelmund: build, run and test entry points over CMake.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_BENCH ?= build-bench
JOBS       ?= $(shell nproc)

DEB_PACKAGES := build-essential cmake pkg-config \
	libode-dev libsdl1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev libguichan-dev \
	libglew-dev libutfcpp-dev liblua5.1-0-dev libcurl4-openssl-dev libglu1-mesa-dev \
	freeglut3-dev fonts-dejavu-core \
	libgtest-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri x11-utils \
	libpng-dev zlib1g-dev imagemagick lua5.1 xdotool libx11-dev povray

.PHONY: all deps build run test test-asan test-tsan bench fuzz clean

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -z "$$missing" ]; then echo "deps: all packages present"; exit 0; fi; \
	if [ "$$(id -u)" = 0 ]; then \
	  echo "deps: installing$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	else \
	  echo "deps: missing packages; run:"; echo "  sudo apt-get install$$missing"; exit 1; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# make run ARGS="-shaders 1" passes options to the game.
run: build
	cd $(BUILD)/run && ./kaelmund $(ARGS)

# Tests that need a display get one: Xvfb is started when DISPLAY is unset.
# Mesa's software renderer draws on the calling thread and keeps no shader
# cache, so no driver thread is still running when a sanitizer build checks
# for leaks at exit (the test's own setting wins). The leak check reads
# dynamic TLS from glibc's own records, not from the toolchain's
# __tls_get_addr interceptor, whose guess at a block's start can be wild.
define run_ctest
	cd $(1) && export LP_NUM_THREADS=$${LP_NUM_THREADS-0} MESA_SHADER_CACHE_DISABLE=$${MESA_SHADER_CACHE_DISABLE-true} \
	  ASAN_OPTIONS=intercept_tls_get_addr=0$${ASAN_OPTIONS:+:$$ASAN_OPTIONS} && \
	if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS) $(2); \
	else ctest --output-on-failure -j $(JOBS) $(2); fi
endef

test: build
	$(call run_ctest,$(BUILD),)

test-asan: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DKX_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	$(call run_ctest,$(BUILD_ASAN),)

# The thread tests again under ThreadSanitizer: the thread types and line
# queue, the download queue, the room list, the chat log, the lobby
# reader's thread dispatching room lines while a match plays, and the lobby
# reader and download worker against loopback servers.
test-tsan: deps
	cmake -S . -B $(BUILD_TSAN) -DCMAKE_BUILD_TYPE=Debug -DKX_TSAN=ON
	cmake --build $(BUILD_TSAN) -j $(JOBS) --target kx_tests_app kx_tests_net kx_tests_gui kx_tests_game
	$(call run_ctest,$(BUILD_TSAN),-L 'app|net|gui|game' -R 'Thread|LineQueue|Mutex')

# Longer robustness runs under the sanitizers: the image decoders, the line,
# replay and mod readers, matches on mutated mods, on mods of hostile
# objects and object joints and on mods of fighter bodies at their limits
# (heavy ones joined together), the game-server socket fed
# fuzzed lines, and the whole game played on after hostile input and a
# stand-in server's lines;
# FUZZ_SCALE times the default number of broken inputs.
FUZZ_SCALE ?= 50
fuzz: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DKX_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS) --target kx_tests_render kx_tests_game kx_tests_net
	cd $(BUILD_ASAN) && KX_FUZZ_SCALE=$(FUZZ_SCALE) ./tests/kx_tests_render --gtest_filter='ImageRobustness.*'
	cd $(BUILD_ASAN) && KX_FUZZ_SCALE=$(FUZZ_SCALE) ./tests/kx_tests_game --gtest_filter='CommandFuzz.*:ModFuzz.*'
	cd $(BUILD_ASAN) && KX_FUZZ_SCALE=$(FUZZ_SCALE) ./tests/kx_tests_net --gtest_filter='GameSocket.Fuzzed*'

bench: deps
	cmake -S . -B $(BUILD_BENCH) -DCMAKE_BUILD_TYPE=Release -DKX_BENCH=ON -DKX_TESTS=OFF
	cmake --build $(BUILD_BENCH) -j $(JOBS)
	cd $(BUILD_BENCH)/run && ../bench/kx_bench
	cd $(BUILD_BENCH)/run && if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ../bench/kx_startup_bench; \
	else ../bench/kx_startup_bench; fi
	cd $(BUILD_BENCH)/run && if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ../bench/kx_frame_bench; \
	else ../bench/kx_frame_bench; fi
	cd $(BUILD_BENCH)/run && if [ -z "$$DISPLAY" ]; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" ../bench/kx_scene_bench; \
	else ../bench/kx_scene_bench; fi

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_BENCH)
