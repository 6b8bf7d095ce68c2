#include "core/game_settings.h"

#include "core/state.h"

void apply_game_settings(const char*, const char*, const char*) {
  machine.backup.flash_chip_id = 0x1C;
  machine.bios_area.image[0x39] = 0;
  machine.bios_area.image[0x2C] = 0;
}
