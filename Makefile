# Thin wrapper: installs what is missing, configures once, builds and tests.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

FRAMES ?= 120
DEMO_ROM = $(BUILD_DIR)/tests/roms/demo.gba

.PHONY: all deps configure build test run clean

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

# Without a window yet, runs a cartridge headless: ROM=game.gba, or our own demo cartridge, whose
# counters are explained after the run.
run: build
ifdef ROM
	$(BUILD_DIR)/app/orvane --headless --frames $(FRAMES) --stats --regs "$(ROM)"
else
	@echo "Running our demo cartridge for $(FRAMES) frames (source: tests/roms/demo.S)"
	@$(BUILD_DIR)/app/orvane --headless --frames $(FRAMES) --stats --dump 2000000:16 $(DEMO_ROM) \
	  | ./scripts/explain-demo.sh
	@echo "Then our picture cartridge (tests/roms/backgrounds.S): video modes 0-5, 30 frames each;"
	@echo "a screenshot in the middle of each mode:"
	@for m in 0 1 2 3 4 5; do \
	  $(BUILD_DIR)/app/orvane --headless --frames $$((m * 30 + 20)) \
	    --screenshot $(BUILD_DIR)/mode$$m.png $(BUILD_DIR)/tests/roms/backgrounds.gba \
	  && echo "  mode $$m: $(BUILD_DIR)/mode$$m.png"; done
	@echo "And our sprite cartridge (tests/roms/sprites.S): objects, a window and blending:"
	@$(BUILD_DIR)/app/orvane --headless --frames 60 --screenshot $(BUILD_DIR)/sprites.png \
	    $(BUILD_DIR)/tests/roms/sprites.gba && echo "  $(BUILD_DIR)/sprites.png"
endif

clean:
	rm -rf $(BUILD_DIR)
