# Thin wrapper: installs what is missing, configures once, builds and tests.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

FRAMES ?= 120
# The cartridge `make run` starts when no ROM= is given: STARSWEEP, our own game (demo/).
DEMO_ROM = $(BUILD_DIR)/demo/starsweep.gba

.PHONY: all deps configure build test test-arm run clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

# The recompiler's 32-bit ARM host, cross-built for armhf in a tree of its own and run under
# qemu-arm: the CPU tests (directed and differential against Unicorn), the BIOS tests and the
# ARM/Thumb conformance cartridges, headless. The program is built without SDL there.
ARM_BUILD_DIR ?= build-arm
ARM_TARGETS = orvane cpu_test translator_test arm_encoder_test bios_test
ARM_CARTRIDGES = '^conformance\.(gba-tests\.(arm|thumb)|fuzzarm\.)'

test-arm:
	@./scripts/install-deps.sh --arm
	@test -f $(ARM_BUILD_DIR)/build.ninja || cmake -S . -B $(ARM_BUILD_DIR) -G Ninja \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/armhf-toolchain.cmake $(CMAKE_FLAGS)
	cmake --build $(ARM_BUILD_DIR) --target $(ARM_TARGETS)
	ctest --test-dir $(ARM_BUILD_DIR) --output-on-failure -j2 -L '^cpu$$'
	ctest --test-dir $(ARM_BUILD_DIR) --output-on-failure -j2 -R '^bios\.'
	ctest --test-dir $(ARM_BUILD_DIR) --output-on-failure -j2 -R $(ARM_CARTRIDGES)

# Opens the window on a cartridge: ROM=game.gba, or our own demo cartridge. Without a display,
# says so and runs the cartridge headless instead. Builds only what running needs (the program
# and the game), not every test.
run: configure
	cmake --build $(BUILD_DIR) --target orvane demo_game
ifdef ROM
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD_DIR)/app/orvane "$(ROM)"; else \
	  echo "No display: running $(ROM) headless for $(FRAMES) frames"; \
	  $(BUILD_DIR)/app/orvane --headless --frames $(FRAMES) --stats --regs "$(ROM)"; fi
else
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "STARSWEEP, our demo game (demo/), in the window: F1 menu, Space game/menu"; \
	  $(BUILD_DIR)/app/orvane $(DEMO_ROM); else \
	  echo "No display: running STARSWEEP headless for $(FRAMES) frames;" \
	    "its last picture goes to $(BUILD_DIR)/starsweep.png, its sound to $(BUILD_DIR)/starsweep.wav"; \
	  $(BUILD_DIR)/app/orvane --headless --frames $(FRAMES) --stats \
	    --screenshot $(BUILD_DIR)/starsweep.png --audio $(BUILD_DIR)/starsweep.wav $(DEMO_ROM); fi
endif

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, in a tree of its own;
# the first report ends the test that met it.
.PHONY: test-sanitize fuzz
SANITIZE_DIR ?= build-sanitize
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j2
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j2

# Every fuzz target for some minutes with a fresh seed (SEED=N to repeat one, SCALE=N longer).
fuzz: build
	./scripts/fuzz.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ARM_BUILD_DIR)
