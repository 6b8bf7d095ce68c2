#include "core/cartridge/game_settings.h"

#include "core/cartridge/game_table.h"
#include "core/cartridge/translation_settings.h"
#include "core/save/backup.h"
#include "core/state.h"

namespace {

void apply_defaults() {
  translation_settings.idle_loop_address = NO_IDLE_LOOP;
  translation_settings.gate_count = 0;
  machine.backup.flash_chip_id = FLASH_CHIP_ID_64K;
  // Our BIOS keeps 0x20-0x3F free for exactly these two bytes; nothing in it reads them.
  machine.bios_area.image[BIOS_PATCH_39] = 0;
  machine.bios_area.image[BIOS_PATCH_2C] = 0;
}

void apply_row(const GameRow& row) {
  if (row.idle_loop != 0) translation_settings.idle_loop_address = row.idle_loop;
  if (row.gate != 0) {
    translation_settings.gates[0] = row.gate;
    translation_settings.gate_count = 1;
  }
  if (row.flash_128k) machine.backup.flash_chip_id = FLASH_CHIP_ID_128K;
  if (row.bios_byte_39) machine.bios_area.image[BIOS_PATCH_39] = 0xC0;
  if (row.bios_byte_2c) machine.bios_area.image[BIOS_PATCH_2C] = 0x02;
}

}  // namespace

void apply_game_settings(const char* title, const char* game_code, const char* maker_code) {
  apply_defaults();
  if (const GameRow* row = find_game_row(title, game_code, maker_code)) apply_row(*row);
}
