// The console registers, memory areas and BIOS calls the demo game uses.
#pragma once

typedef unsigned char u8;
typedef unsigned short u16;
typedef unsigned int u32;
typedef signed short s16;

#define REG16(offset) (*(volatile u16*)(0x04000000 + (offset)))
#define REG32(offset) (*(volatile u32*)(0x04000000 + (offset)))

#define DISPCNT REG16(0x000)
#define DISPSTAT REG16(0x004)
#define BG0CNT REG16(0x008)
#define BG1CNT REG16(0x00A)
#define BG0VOFS REG16(0x012)
#define BLDCNT REG16(0x050)
#define BLDALPHA REG16(0x052)
#define BLDY REG16(0x054)
#define SOUND1CNT_L REG16(0x060)
#define SOUND1CNT_H REG16(0x062)
#define SOUND1CNT_X REG16(0x064)
#define SOUND4CNT_L REG16(0x078)
#define SOUND4CNT_H REG16(0x07C)
#define SOUNDCNT_L REG16(0x080)
#define SOUNDCNT_H REG16(0x082)
#define SOUNDCNT_X REG16(0x084)
#define FIFO_A_ADDRESS 0x040000A0
#define DMA1SAD REG32(0x0BC)
#define DMA1DAD REG32(0x0C0)
#define DMA1CNT_H REG16(0x0C6)
#define TM0CNT_L REG16(0x100)
#define TM0CNT_H REG16(0x102)
#define KEYINPUT REG16(0x130)
#define KEYCNT REG16(0x132)
#define IE REG16(0x200)
#define IF REG16(0x202)
#define IME REG16(0x208)

#define BIOS_IRQ_FLAGS (*(volatile u16*)0x03007FF8)
#define IRQ_HANDLER (*(void (*volatile*)(void))0x03007FFC)
#define IRQ_VBLANK 0x0001
#define IRQ_KEYPAD 0x1000

#define BG_PALETTE ((volatile u16*)0x05000000)
#define OBJ_PALETTE ((volatile u16*)0x05000200)
#define VRAM 0x06000000
#define OBJ_VRAM 0x06010000
#define OAM ((volatile u32*)0x07000000)
#define SRAM ((volatile u8*)0x0E000000)

// KEYINPUT bits; the register reads 0 for a held button.
#define KEY_A 0x0001
#define KEY_START 0x0008
#define KEY_RIGHT 0x0010
#define KEY_LEFT 0x0020
#define KEY_ALL 0x03FF

// BIOS calls from ARM code: the function number sits in bits 16-23 of the SWI instruction.
static inline void bios_vblank_wait(void) {
  __asm__ volatile("swi 0x050000" ::: "r0", "r1", "r3", "memory");
}
static inline void bios_lz77_to_wram(const void* source, void* dest) {
  register const void* r0 __asm__("r0") = source;
  register void* r1 __asm__("r1") = dest;
  __asm__ volatile("swi 0x110000" : "+r"(r0), "+r"(r1) : : "r3", "memory");
}
static inline void bios_lz77_to_vram(const void* source, u32 dest) {
  register const void* r0 __asm__("r0") = source;
  register u32 r1 __asm__("r1") = dest;
  __asm__ volatile("swi 0x120000" : "+r"(r0), "+r"(r1) : : "r3", "memory");
}
// One OBJ rotation/scaling matrix from scales (8.8) and an angle (full turn 0x10000) into
// `dest`, spaced as the matrices lie in OAM.
struct AffineSource {
  s16 scale_x, scale_y;
  u16 angle, padding;
};
static inline void bios_obj_affine_set(const struct AffineSource* source, volatile void* dest) {
  register const void* r0 __asm__("r0") = source;
  register volatile void* r1 __asm__("r1") = dest;
  register u32 r2 __asm__("r2") = 1;
  register u32 r3 __asm__("r3") = 8;
  __asm__ volatile("swi 0x0F0000" : "+r"(r0), "+r"(r1), "+r"(r3) : "r"(r2) : "memory");
}
