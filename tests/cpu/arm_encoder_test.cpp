// The 32-bit ARM host's instruction words, checked against an independent disassembler
// (Capstone) and, for constants, by running them on an independent CPU (Unicorn).

#include <capstone/capstone.h>
#include <gtest/gtest.h>
#include <unicorn/unicorn.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "cpu/host_arm32/arm_encoder.h"

using namespace arm32;

namespace {

// Capstone's text for one word at `address`, "mnemonic operands".
std::string disassemble(std::uint32_t word, std::uint64_t address = 0x1000) {
  csh handle;
  if (cs_open(CS_ARCH_ARM, CS_MODE_ARM, &handle) != CS_ERR_OK) return "capstone failed";
  cs_insn* insn = nullptr;
  std::string text = "undecodable";
  if (cs_disasm(handle, reinterpret_cast<const std::uint8_t*>(&word), 4, address, 1, &insn) == 1) {
    text = std::string(insn[0].mnemonic) + " " + insn[0].op_str;
    cs_free(insn, 1);
  }
  cs_close(&handle);
  return text;
}

// Runs `count` words on Unicorn's ARM and returns r0.
std::uint32_t run_for_r0(const std::uint32_t* words, unsigned count) {
  uc_engine* uc = nullptr;
  if (uc_open(UC_ARCH_ARM, UC_MODE_ARM, &uc) != UC_ERR_OK) return 0xDEADDEAD;
  constexpr std::uint64_t BASE = 0x10000;
  uc_mem_map(uc, BASE, 0x1000, UC_PROT_ALL);
  uc_mem_write(uc, BASE, words, 4 * count);
  std::uint32_t r0 = 0xDEADDEAD;
  uc_reg_write(uc, UC_ARM_REG_R0, &r0);
  uc_emu_start(uc, BASE, BASE + 4 * count, 0, count);
  uc_reg_read(uc, UC_ARM_REG_R0, &r0);
  uc_close(uc);
  return r0;
}

struct EncodingCase {
  std::uint32_t word;
  const char* text;
};

TEST(ArmEncoderTest, InstructionWordsDisassembleAsIntended) {
  const EncodingCase cases[] = {
      {dp_immediate(AL, MOV, false, R0, 0, 0xAB), "mov r0, #0xab"},
      {dp_immediate(AL, ADD, true, R1, R2, 0xFF000000), "adds r1, r2, #0xff000000"},
      {dp_immediate(NE, SUB, false, R3, R4, 4), "subne r3, r4, #4"},
      {dp_immediate(AL, CMP, false, 0, R5, 1), "cmp r5, #1"},
      {dp_register(AL, EOR, false, R0, R1, R2), "eor r0, r1, r2"},
      {dp_register(AL, ORR, true, R6, R7, R8, LSL, 3), "orrs r6, r7, r8, lsl #3"},
      {dp_register(GE, RSB, false, R9, R10, R11, ASR, 31), "rsbge sb, sl, fp, asr #31"},
      {dp_register(AL, TST, false, 0, R0, R1, ROR, 8), "tst r0, r1, ror #8"},
      // MOVS with a register shift, in its unified-syntax name.
      {dp_register_shift(AL, MOV, true, R0, 0, R1, LSR, R2), "lsrs r0, r1, r2"},
      {dp_register(AL, ADC, false, R12, LR, SP), "adc ip, lr, sp"},
      {load_store(AL, true, Width::WORD, R0, R1, 4), "ldr r0, [r1, #4]"},
      {load_store(AL, false, Width::BYTE, R2, R3, -255), "strb r2, [r3, #-0xff]"},
      {load_store(AL, true, Width::WORD, R0, SP, 4095), "ldr r0, [sp, #0xfff]"},
      {load_store(AL, false, Width::WORD, R4, R5, 8, true, true), "str r4, [r5, #8]!"},
      {load_store(AL, true, Width::WORD, R4, R5, -8, false), "ldr r4, [r5], #-8"},
      {load_store(AL, true, Width::HALF, R0, R1, 0x2A), "ldrh r0, [r1, #0x2a]"},
      {load_store(AL, false, Width::HALF, R0, R1, -0xFF), "strh r0, [r1, #-0xff]"},
      {load_store(AL, true, Width::SIGNED_BYTE, R2, R3, 1), "ldrsb r2, [r3, #1]"},
      {load_store(AL, true, Width::SIGNED_HALF, R2, R3, 0x10), "ldrsh r2, [r3, #0x10]"},
      {load_store_register(AL, true, false, R0, R1, R2), "ldr r0, [r1, r2]"},
      {load_store_register(AL, false, true, R0, R1, R2, false, LSL, 2),
       "strb r0, [r1, -r2, lsl #2]"},
      {block_transfer(AL, true, R0, 0x000C, false, true, false), "ldm r0, {r2, r3}"},
      {block_transfer(AL, false, R0, 0x4010, true, false, true), "stmdb r0!, {r4, lr}"},
      {block_transfer(AL, true, R1, 0x8001, false, true, true), "ldm r1!, {r0, pc}"},
      {block_transfer(AL, false, R2, 0x00F0, true, true, false), "stmib r2, {r4, r5, r6, r7}"},
      {branch_exchange(AL, LR), "bx lr"},
      {branch_exchange(EQ, R3), "bxeq r3"},
  };
  for (const EncodingCase& c : cases) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08" PRIX32, c.word);
    EXPECT_EQ(disassemble(c.word), c.text) << hex;
  }
}

// Every even rotation of an 8-bit field is one immediate; everything else takes a MOV and ORRs
// (or one MVN), and the words put exactly the constant into the register.
TEST(ArmEncoderTest, ConstantsOfEveryRotationAndTheFallbackLoadExactly) {
  for (unsigned rotate = 0; rotate < 16; ++rotate) {
    std::uint32_t value = (0xABu >> (2 * rotate)) | (rotate ? 0xABu << (32 - 2 * rotate) : 0);
    EXPECT_EQ(encode_immediate(value), static_cast<std::int32_t>((rotate << 8) | 0xAB)) << rotate;
    std::uint32_t words[4];
    ASSERT_EQ(load_constant(AL, R0, value, words), 1u);
    EXPECT_EQ(run_for_r0(words, 1), value);
  }
  struct Case {
    std::uint32_t value;
    unsigned words;
  };
  const Case cases[] = {
      {0x00000000, 1}, {0xFFFFFFFF, 1},  // MVN #0
      {0xFFFF00FF, 1},                   // MVN #0xFF00
      {0x00000101, 2}, {0x12345678, 4}, {0x0F0F0F0F, 4},
      {0xFF00FF00, 2}, {0x80000001, 1},  // 0x06 rotated right by 2: wraps round
      {0xC000003F, 1}, {0x00FFFF00, 2}, {0xDEADBEEF, 4},
  };
  for (const Case& c : cases) {
    std::uint32_t words[4];
    unsigned count = load_constant(AL, R0, c.value, words);
    EXPECT_EQ(count, c.words) << std::hex << c.value;
    EXPECT_EQ(run_for_r0(words, count), c.value) << std::hex << c.value;
    if (encode_immediate(c.value) < 0 && encode_immediate(~c.value) < 0) {
      EXPECT_LT(encode_immediate(c.value), 0);
      std::uint32_t pieces[4];
      unsigned n = split_immediate(c.value, pieces);
      std::uint32_t joined = 0;
      for (unsigned i = 0; i < n; ++i) {
        EXPECT_GE(encode_immediate(pieces[i]), 0) << std::hex << pieces[i];
        joined |= pieces[i];
      }
      EXPECT_EQ(joined, c.value);
    }
  }
}

// A branch site is one word; it reaches 32 MB either way from the site + 8 and is re-aimed in
// place, keeping its condition and link bit.
TEST(ArmEncoderTest, BranchesReachThirtyTwoMegabytesAndPatchInPlace) {
  constexpr std::uintptr_t SITE = 0x04000000;
  const auto* site = reinterpret_cast<const std::uint32_t*>(SITE);
  auto at = [](std::uintptr_t address) { return reinterpret_cast<const void*>(address); };
  struct Case {
    std::uintptr_t target;
    bool reaches;
  };
  const Case cases[] = {
      {SITE + 8, true},
      {SITE, true},
      {SITE + 8 + 0x1FFFFFC, true},
      {SITE + 8 + 0x2000000, false},
      {SITE + 8 - 0x2000000, true},
      {SITE + 8 - 0x2000004, false},
      {SITE + 10, false},  // not a word
  };
  for (const Case& c : cases) {
    std::uint32_t word = 0;
    EXPECT_EQ(branch(AL, false, site, at(c.target), &word), c.reaches) << std::hex << c.target;
    if (!c.reaches) continue;
    char expected[32];
    std::snprintf(expected, sizeof expected, "b #0x%" PRIxPTR, c.target);
    EXPECT_EQ(disassemble(word, SITE), expected);
  }

  std::uint32_t code[4] = {};
  ASSERT_TRUE(branch(NE, true, &code[0], &code[3], &code[0]));
  EXPECT_EQ(code[0] >> 24, 0x1Bu);  // NE, BL
  ASSERT_TRUE(patch_branch(&code[0], &code[0]));
  EXPECT_EQ(code[0] >> 24, 0x1Bu);
  EXPECT_EQ(code[0] & 0xFFFFFF, 0xFFFFFEu);  // -2 words: back to the site itself
}

}  // namespace
