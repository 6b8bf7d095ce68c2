#include "core/cartridge/game_table.h"

#include <cstring>
#include <iterator>

namespace {

// Rows keep their order: the first match wins, and some games appear twice.
constexpr GameRow ROWS[] = {
    // title, game code, maker, idle loop, translation gate, 128 KB flash, BIOS 0x39, BIOS 0x2C
    {"ADVANCEWARS", "AWRE", "01", 0x0803880A, 0, false, false, false},            // 0
    {"ADVANCEWARS2", "AW2E", "01", 0x08036E2A, 0, false, false, false},           // 1
    {"ADVANCEWARS2", "AW2P", "01", 0x080371BE, 0, false, false, false},           // 2
    {"AGB KIRBY DX", "A7KE", "01", 0x08000FAE, 0, false, false, false},           // 3
    {"AGB KIRBY DX", "A7KJ", "01", 0x08000F92, 0, false, false, false},           // 4
    {"AGB KIRBY DX", "A7KP", "01", 0x08000FAE, 0, false, false, false},           // 5
    {"ASTERIX", "BLXP", "70", 0x0846D060, 0, false, false, false},                // 6
    {"BATTLECHIPGP", "A89E", "08", 0x08000544, 0, false, false, false},           // 7
    {"BLEACH ADV1", "BLEJ", "8P", 0, 0, false, false, false},                     // 8
    {"BOMSTORYUSA", "ABSE", "52", 0x08000526, 0, false, false, false},            // 9
    {"BOOKWORM", "BKWE", "5G", 0x0800397C, 0, false, false, false},               // 10
    {"BROKENSWORD", "ABJE", "6L", 0x08000A26, 0, false, false, false},            // 11
    {"DIGIMON BS2", "BDSE", "B2", 0x08010EB0, 0, false, false, false},            // 12
    {"DIGIMON BTSP", "A8SE", "B2", 0x08011208, 0, false, false, false},           // 13
    {"DISNEY'S DON", "ADKE", "41", 0x08002F30, 0, false, false, false},           // 14
    {"DOOM II", "A9DE", "52", 0, 0x03004FA0, false, false, false},                // 15
    {"DOTC", "ADHE", "5N", 0x080007EC, 0, false, false, false},                   // 16
    {"DRACULA AGB1", "AAME", "A4", 0x080003D2, 0, false, false, false},           // 17
    {"DRILL DOZER", "V49E", "01", 0x080006C2, 0, false, false, false},            // 18
    {"F-ZERO ADVAN", "AFZE", "01", 0x08000C2E, 0, false, false, false},           // 19
    {"F-ZEROCLIMAX", "BFTJ", "01", 0, 0, true, false, false},                     // 20
    {"FF4ADVANCE", "BZ4E", "01", 0x0800FABE, 0, false, false, false},             // 21
    {"FFTA_USVER.", "AFXE", "01", 0x0800041E, 0, false, false, false},            // 22
    {"FINAL FIGHT", "AFFE", "08", 0x0800B428, 0, false, false, false},            // 23
    {"GOLDEN_SUN_B", "AGFE", "01", 0x08013542, 0x030009AC, false, false, false},  // 24
    {"GRADIUSGALAX", "AGAE", "A4", 0x08013844, 0, false, false, false},           // 25
    {"Golden_Sun_A", "AGSE", "01", 0, 0x03007DAC, false, false, false},           // 26
    {"M&D MAGICAL3", "BMQE", "08", 0x08016064, 0, false, false, false},           // 27
    {"M&M MAGICAL2", "AQME", "08", 0x0801D340, 0, false, false, false},           // 28
    {"MARIO&LUIGIU", "A88E", "01", 0, 0, false, false, false},                    // 29
    {"MARIOGOLFGBA", "BMGD", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 30
    {"MARIOGOLFGBA", "BMGE", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 31
    {"MARIOGOLFGBA", "BMGF", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 32
    {"MARIOGOLFGBA", "BMGI", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 33
    {"MARIOGOLFGBA", "BMGJ", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 34
    {"MARIOGOLFGBA", "BMGP", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 35
    {"MARIOGOLFGBA", "BMGS", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 36
    {"MARIOGOLFGBA", "BMGU", "01", 0x08014E0A, 0x03000A30, false, false, false},  // 37
    {"MARIOPARTYEU", "B8MP", "01", 0, 0, false, false, false},                    // 38
    {"MARIOPARTYJA", "B8MJ", "01", 0, 0, false, false, false},                    // 39
    {"MARIOPARTYUS", "B8ME", "01", 0, 0, false, false, false},                    // 40
    {"MARIOVSDK", "BM5E", "01", 0x08033EEC, 0, false, false, false},              // 41
    {"MEGAMAN ZERO", "AZCE", "08", 0x080004EE, 0, false, false, false},           // 42
    {"MEGAMAN5_TC_", "BRKE", "08", 0x080003CA, 0, false, false, false},           // 43
    {"MEGAMAN5_TP_", "BRBE", "08", 0x080003CA, 0, false, false, false},           // 44
    {"MEGAMAN6_GXX", "BR5E", "08", 0x080003DA, 0, false, false, false},           // 45
    {"MEGAMANBN4BM", "B4BE", "08", 0x080003A6, 0, false, false, false},           // 46
    {"MEGAMANBN4RS", "B4WE", "08", 0x080003A6, 0, false, false, false},           // 47
    {"MEGAMANZERO2", "A62E", "08", 0x08000664, 0, false, false, false},           // 48
    {"MEGAMANZERO2", "A62E", "08", 0x08000664, 0, false, false, false},           // 49
    {"MEGAMANZERO3", "BZ3E", "08", 0x08001A08, 0, false, false, false},           // 50
    {"MEGAMANZERO3", "BZ3E", "08", 0x08001A08, 0, false, false, false},           // 51
    {"MEGAMANZERO4", "B4ZE", "08", 0x0800090C, 0, false, false, false},           // 52
    {"MEGAMANZERO4", "B4ZP", "08", 0x0800090C, 0, false, false, false},           // 53
    {"MEGAMAN_BN", "AREE", "08", 0x08000338, 0, false, false, false},             // 54
    {"MEGAMAN_EXE2", "AE2E", "08", 0x08000358, 0, false, false, false},           // 55
    {"MEGA_EXE3_BL", "A3XE", "08", 0x0800036C, 0, false, false, false},           // 56
    {"MEGA_EXE3_WH", "A6BE", "08", 0x0800036C, 0, false, false, false},           // 57
    {"METAL SLUG", "BSME", "B7", 0x08000298, 0, false, false, false},             // 58
    {"MONSRANCHERA", "AMFE", "9B", 0x0809F394, 0, false, false, false},           // 59
    {"MONSTERFORCE", "AM8E", "7D", 0x08000B00, 0, false, false, false},           // 60
    {"MONSTERRANC2", "A2QE", "9B", 0x081C7290, 0, false, false, false},           // 61
    {"NIGHTFIRE", "A7OE", "69", 0x080031D6, 0, false, false, false},              // 62
    {"NINJA COP", "ANXP", "A4", 0, 0, false, false, false},                       // 63
    {"NINJA FIVE 0", "ANXE", "A4", 0, 0, false, false, false},                    // 64
    {"PHANTASIA", "AN8E", "01", 0, 0, false, false, false},                       // 65
    {"PHANTASIA", "AN8J", "AF", 0, 0, false, false, false},                       // 66
    {"PHANTASIA", "AN8P", "01", 0, 0, false, false, false},                       // 67
    {"PINBALL CHAL", "APLP", "41", 0x080075A6, 0, false, false, false},           // 68
    {"PINBALL DEAD", "APDE", "78", 0x08000300, 0, false, false, false},           // 69
    {"POKE DUNGEON", "B24E", "01", 0, 0, true, false, false},                     // 70
    {"POKE DUNGEON", "B24J", "01", 0, 0, true, false, false},                     // 71
    {"POKEMON EMER", "BPED", "01", 0x080008CE, 0, true, false, false},            // 72
    {"POKEMON EMER", "BPEE", "01", 0x080008CE, 0, true, false, false},            // 73
    {"POKEMON EMER", "BPEF", "01", 0x080008CE, 0, true, false, false},            // 74
    {"POKEMON EMER", "BPEI", "01", 0x080008CE, 0, true, false, false},            // 75
    {"POKEMON EMER", "BPEJ", "01", 0x080008CE, 0, true, false, false},            // 76
    {"POKEMON EMER", "BPES", "01", 0x080008CE, 0, true, false, false},            // 77
    {"POKEMON FIRE", "BPRD", "01", 0x080008C6, 0, true, false, false},            // 78
    {"POKEMON FIRE", "BPRE", "01", 0x080008C6, 0, true, false, false},            // 79
    {"POKEMON FIRE", "BPRE", "01", 0x080008C6, 0, true, false, false},            // 80
    {"POKEMON FIRE", "BPRI", "01", 0x080008C6, 0, true, false, false},            // 81
    {"POKEMON FIRE", "BPRJ", "01", 0x080008B2, 0, true, false, false},            // 82
    {"POKEMON FIRE", "BPRS", "01", 0x080008C6, 0, true, false, false},            // 83
    {"POKEMON LEAF", "BPGD", "01", 0x080008B6, 0, true, false, false},            // 84
    {"POKEMON LEAF", "BPGE", "01", 0x080008B2, 0, true, false, false},            // 85
    {"POKEMON LEAF", "BPGF", "01", 0x080008B6, 0, true, false, false},            // 86
    {"POKEMON LEAF", "BPGI", "01", 0x080008B6, 0, true, false, false},            // 87
    {"POKEMON LEAF", "BPGS", "01", 0x080008B6, 0, true, false, false},            // 88
    {"POKEMON RUBY", "AXVD", "01", 0, 0, true, false, false},                     // 89
    {"POKEMON RUBY", "AXVE", "01", 0, 0, true, false, false},                     // 90
    {"POKEMON RUBY", "AXVF", "01", 0, 0, true, false, false},                     // 91
    {"POKEMON RUBY", "AXVI", "01", 0, 0, true, false, false},                     // 92
    {"POKEMON RUBY", "AXVJ", "01", 0, 0, true, false, false},                     // 93
    {"POKEMON RUBY", "AXVS", "01", 0, 0, true, false, false},                     // 94
    {"POKEMON SAPP", "AXPD", "01", 0, 0, true, false, false},                     // 95
    {"POKEMON SAPP", "AXPD", "01", 0, 0, true, false, false},                     // 96
    {"POKEMON SAPP", "AXPE", "01", 0, 0, true, false, false},                     // 97
    {"POKEMON SAPP", "AXPE", "01", 0, 0, true, false, false},                     // 98
    {"POKEMON SAPP", "AXPF", "01", 0, 0, true, false, false},                     // 99
    {"POKEMON SAPP", "AXPI", "01", 0, 0, true, false, false},                     // 100
    {"POKEMON SAPP", "AXPJ", "01", 0, 0, true, false, false},                     // 101
    {"POKEMON SAPP", "AXPS", "01", 0, 0, true, false, false},                     // 102
    {"PRINCEPERSIA", "BPYE", "41", 0x0808FF3A, 0, false, false, false},           // 103
    {"PUZZLEFIGHT2", "AZ8E", "08", 0x08002B5E, 0, false, false, false},           // 104
    {"RAYMAN", "ARYE", "41", 0, 0, false, false, true},                           // 105
    {"REBELSTAR", "BRLE", "AF", 0x0800041A, 0, false, false, false},              // 106
    {"RHYTHMTENGOK", "BRIJ", "01", 0x080013D4, 0, false, false, false},           // 107
    {"RIVERCRANSOM", "BDTE", "EB", 0x0800065A, 0, false, false, false},           // 108
    {"SENNENKAZOKU", "BKAJ", "01", 0, 0, true, false, false},                     // 109
    {"SHINING SOUL", "AHUE", "EB", 0, 0, false, false, false},                    // 110
    {"SHINING SOUL", "AHUJ", "8P", 0, 0, false, false, false},                    // 111
    {"SHINING SOUL", "AHUP", "8P", 0, 0, false, false, false},                    // 112
    {"SHININGSOUL2", "AU2E", "EB", 0, 0, false, false, false},                    // 113
    {"SHININGSOUL2", "AU2J", "8P", 0, 0, false, false, false},                    // 114
    {"SHININGSOUL2", "AU2P", "8P", 0, 0, false, false, false},                    // 115
    {"SPLINTERCELL", "AO4E", "41", 0x0807A0C4, 0, false, false, false},           // 116
    {"SUPER MARIOA", "AMZE", "01", 0x08001CF2, 0, false, false, false},           // 117
    {"SUPER MARIOB", "AA2E", "01", 0x08000534, 0, false, false, false},           // 118
    {"SUPER MARIOC", "A3AE", "01", 0x08002BA4, 0, false, false, false},           // 119
    {"SUPER MARIOD", "AX4E", "01", 0x08000732, 0, true, false, false},            // 120
    {"SUPER MARIOD", "AX4J", "01", 0x08000732, 0, true, false, false},            // 121
    {"SUPER MARIOD", "AX4P", "01", 0x08000732, 0, true, false, false},            // 122
    {"TOM CLANCY'S", "BSLE", "41", 0x0807785E, 0, false, false, false},           // 123
    {"TRINGO", "BTJE", "4Z", 0x080009A4, 0, false, false, false},                 // 124
    {"V-RALLY 3", "AVRP", "70", 0x080AA920, 0, false, false, false},              // 125
    {"VIRTKASPAROV", "AVKE", "60", 0x0800093A, 0, false, false, false},           // 126
    {"WARIOWAREINC", "AZWE", "01", 0x08000F66, 0, false, false, false},           // 127
    {"YU-GI-OH DDM", "AYDE", "A4", 0x0802CC6A, 0, false, false, false},           // 128
    {"YU-GI-OH!EDS", "AY5E", "A4", 0x08075D96, 0, false, false, false},           // 129
    {"YUGIOH DM7", "AY7E", "A4", 0x08003BD6, 0, false, false, false},             // 130
    {"YUGIOHWWE", "AYWE", "A4", 0x08089792, 0, false, false, false},              // 131
    {"YWCT2004USA", "BYWE", "A4", 0x080831DA, 0, false, false, false},            // 132
};
static_assert(std::size(ROWS) == GAME_TABLE_ROWS);

bool row_matches(const GameRow& row, const char* title, const char* game_code,
                 const char* maker_code) {
  return std::strcmp(row.title, title) == 0 && std::strcmp(row.game_code, game_code) == 0 &&
         std::strcmp(row.maker_code, maker_code) == 0;
}

}  // namespace

std::span<const GameRow> game_table() { return ROWS; }

const GameRow* find_game_row(const char* title, const char* game_code, const char* maker_code) {
  for (const GameRow& row : ROWS) {
    if (row_matches(row, title, game_code, maker_code)) return &row;
  }
  return nullptr;
}
