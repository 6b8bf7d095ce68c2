/* Byte offsets into the machine record for the hand-written runtime, which cannot use
   offsetof. runtime_bridge.cpp pins each one with a static_assert. */
#pragma once

#define STATE_REGISTERS 0
#define STATE_SAVED_PSR 256
#define STATE_BANKED 280
#define STATE_BIOS_AREA 512
#define STATE_READ_MAP 888320
#define STATE_WRITE_MAP 953856

#define SLOT_OFFSET(n) (STATE_REGISTERS + 4 * (n))
#define BANKED_OFFSET(mode, word) (STATE_BANKED + 4 * (7 * (mode) + (word)))
#define SAVED_PSR_OFFSET(mode) (STATE_SAVED_PSR + 4 * (mode))
