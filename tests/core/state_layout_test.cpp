#include <gtest/gtest.h>

#include "core/state.h"

namespace {

// Stores find the tag of any RAM byte 32 KB below it; the guest address of an EWRAM byte picks
// its [tags][data] pair at twice its page offset.
TEST(StateLayout, RamTagsLie32KbBelowTheirData) {
  for (std::uint32_t address : {0x02000000u, 0x02012345u, 0x0203FFFFu}) {
    auto* pair0 = reinterpret_cast<std::uint8_t*>(&machine.ewram[0]);
    std::uint8_t* data = machine.ewram[(address >> 15) & 7].data + (address & 0x7FFF);
    std::uint8_t* tags = pair0 + (address & 0x7FFF) + 2 * (address & 0x38000);
    EXPECT_EQ(data - RAM_TAG_DISTANCE, tags) << std::hex << address;
  }
  EXPECT_EQ(machine.iwram.data - RAM_TAG_DISTANCE,
            reinterpret_cast<std::uint8_t*>(machine.iwram.tags));
  EXPECT_EQ(reinterpret_cast<std::uint8_t*>(machine.bios_area.tags),
            machine.bios_area.image + 0x4000);
}

TEST(StateLayout, ClearingPutsTheRegisterAreaBackHome) {
  static std::uint32_t elsewhere[REGISTER_SLOTS];
  reg = elsewhere;
  machine.registers[5] = 7;
  machine.iwram.data[0] = 9;
  clear_machine_state();
  EXPECT_EQ(reg, machine.registers);
  EXPECT_EQ(machine.registers[5], 0u);
  EXPECT_EQ(machine.iwram.data[0], 0);
}

}  // namespace
