#include "unicorn_reference.h"

#include <unicorn/unicorn.h>

#include <cstring>

namespace {

constexpr ReferenceRegion mapped_regions[] = {REFERENCE_BIOS, REFERENCE_EWRAM, REFERENCE_IWRAM,
                                              REFERENCE_ROM};

constexpr int register_ids[16] = {
    UC_ARM_REG_R0,  UC_ARM_REG_R1,  UC_ARM_REG_R2,  UC_ARM_REG_R3,  UC_ARM_REG_R4,  UC_ARM_REG_R5,
    UC_ARM_REG_R6,  UC_ARM_REG_R7,  UC_ARM_REG_R8,  UC_ARM_REG_R9,  UC_ARM_REG_R10, UC_ARM_REG_R11,
    UC_ARM_REG_R12, UC_ARM_REG_R13, UC_ARM_REG_R14, UC_ARM_REG_R15,
};

std::string describe(const char* what, uc_err err) {
  return std::string(what) + ": " + uc_strerror(err);
}

void record_access(uc_engine*, uc_mem_type type, std::uint64_t address, int size, std::int64_t,
                   void* user_data) {
  auto* log = static_cast<std::vector<ReferenceAccess>*>(user_data);
  log->push_back({static_cast<std::uint32_t>(address), static_cast<std::uint32_t>(size),
                  type == UC_MEM_WRITE});
}

}  // namespace

UnicornReference::UnicornReference() {
  uc_engine* uc = nullptr;
  uc_err err = uc_open(UC_ARCH_ARM, UC_MODE_ARM, &uc);
  if (err != UC_ERR_OK) {
    error_ = describe("uc_open", err);
    return;
  }
  // The ARM926 is the oldest core Unicorn offers and the closest to the ARM7TDMI (ARMv5 rather
  // than ARMv4T); the differences that matter are kept out of the generated code instead.
  if (uc_ctl_set_cpu_model(uc, UC_CPU_ARM_926) == UC_ERR_OK) {
    cpu_model_ = "ARM926";
  } else {
    cpu_model_ = "Unicorn's default ARM core";
  }
  for (const ReferenceRegion& region : mapped_regions) {
    err = uc_mem_map(uc, region.base, region.size, UC_PROT_ALL);
    if (err != UC_ERR_OK) {
      error_ = describe("uc_mem_map", err);
      uc_close(uc);
      return;
    }
  }
  uc_ = uc;
}

void UnicornReference::log_accesses(bool on) {
  if (uc_ == nullptr || on == logging_) return;
  if (on) {
    uc_hook hook = 0;
    uc_err err = uc_hook_add(uc_, &hook, UC_HOOK_MEM_READ | UC_HOOK_MEM_WRITE,
                             reinterpret_cast<void*>(&record_access), &accesses_, 1, 0);
    if (err != UC_ERR_OK) {
      error_ = describe("uc_hook_add", err);
      return;
    }
    access_hook_ = hook;
  } else {
    uc_hook_del(uc_, access_hook_);
  }
  logging_ = on;
}

void UnicornReference::scramble_banked_registers(std::uint32_t pattern) {
  if (uc_ == nullptr) return;
  static constexpr std::uint32_t modes[] = {0x11, 0x12, 0x13, 0x17, 0x1B, 0x1F};
  for (std::uint32_t mode : modes) {
    std::uint32_t cpsr = 0xD0 | mode;
    uc_reg_write(uc_, UC_ARM_REG_CPSR, &cpsr);
    for (unsigned i = 8; i < 15; ++i) {
      std::uint32_t value = pattern * (mode + 1) + 0x01010101u * i;
      uc_reg_write(uc_, register_ids[i], &value);
    }
    if (mode != 0x1F) {
      std::uint32_t spsr = (pattern & 0xF0000000u) | 0x10 | ((pattern >> 8) & 0xC0);
      uc_reg_write(uc_, UC_ARM_REG_SPSR, &spsr);
    }
  }
}

UnicornReference::~UnicornReference() {
  if (uc_ != nullptr) uc_close(uc_);
}

void UnicornReference::clear_memory() {
  if (uc_ == nullptr) return;
  std::vector<std::uint8_t> zeros(REFERENCE_ROM.size, 0);
  for (const ReferenceRegion& region : mapped_regions) {
    write_bytes(region.base, zeros.data(), region.size);
  }
}

void UnicornReference::write_bytes(std::uint32_t address, const void* bytes, std::size_t count) {
  if (uc_ == nullptr || count == 0) return;
  uc_err err = uc_mem_write(uc_, address, bytes, count);
  if (err != UC_ERR_OK) error_ = describe("uc_mem_write", err);
  written_.push_back({address, static_cast<std::uint32_t>(count)});
}

void UnicornReference::write_words(std::uint32_t address, const std::vector<std::uint32_t>& words) {
  std::vector<std::uint8_t> bytes(words.size() * 4);
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (unsigned b = 0; b < 4; ++b) {
      bytes[i * 4 + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
    }
  }
  write_bytes(address, bytes.data(), bytes.size());
}

void UnicornReference::read_bytes(std::uint32_t address, void* bytes, std::size_t count) const {
  std::memset(bytes, 0, count);
  if (uc_ == nullptr || count == 0) return;
  uc_mem_read(uc_, address, bytes, count);
}

std::vector<std::uint8_t> UnicornReference::read_bytes(std::uint32_t address,
                                                       std::size_t count) const {
  std::vector<std::uint8_t> bytes(count);
  read_bytes(address, bytes.data(), count);
  return bytes;
}

std::uint32_t UnicornReference::read_word(std::uint32_t address) const {
  std::uint8_t bytes[4];
  read_bytes(address, bytes, 4);
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

ReferenceResult UnicornReference::run(const ReferenceState& start, std::uint32_t stop_address,
                                      std::uint64_t max_instructions) {
  ReferenceResult result;
  if (uc_ == nullptr) {
    result.message = "Unicorn is not available: " + error_;
    return result;
  }
  // The code under test changes between runs at the same addresses. Dropping every cached
  // translation costs milliseconds, so only those over memory written since the last run go.
  for (const ReferenceRegion& region : written_) {
    uc_ctl_remove_cache(uc_, static_cast<std::uint64_t>(region.base),
                        static_cast<std::uint64_t>(region.base) + region.size);
  }
  written_.clear();
  accesses_.clear();

  // The mode goes first: it decides which bank the register writes below land in.
  std::uint32_t cpsr = start.cpsr;
  uc_reg_write(uc_, UC_ARM_REG_CPSR, &cpsr);
  for (unsigned i = 0; i < 15; ++i) {
    std::uint32_t value = start.r[i];
    uc_reg_write(uc_, register_ids[i], &value);
  }
  // Unicorn takes the state from bit 0 of a PC write, whatever the CPSR said.
  const std::uint32_t thumb = (start.cpsr & 0x20) != 0 ? 1u : 0u;
  std::uint32_t pc = start.r[15] | thumb;
  uc_reg_write(uc_, UC_ARM_REG_R15, &pc);
  std::uint32_t check = 0;
  uc_reg_read(uc_, UC_ARM_REG_CPSR, &check);
  if (check != cpsr) {
    result.message = "Unicorn did not take the starting CPSR";
    return result;
  }

  std::uint64_t begin = start.r[15] | thumb;
  uc_err err =
      uc_emu_start(uc_, begin, stop_address, 0, static_cast<std::size_t>(max_instructions));

  for (unsigned i = 0; i < 16; ++i) uc_reg_read(uc_, register_ids[i], &result.state.r[i]);
  uc_reg_read(uc_, UC_ARM_REG_CPSR, &result.state.cpsr);
  if (err != UC_ERR_OK) {
    result.status = ReferenceStatus::FAULT;
    result.message = describe("uc_emu_start", err);
  } else if (result.state.r[15] == stop_address) {
    result.status = ReferenceStatus::STOPPED;
  } else {
    result.status = ReferenceStatus::INSTRUCTION_LIMIT;
    result.message = "instruction limit reached";
  }
  return result;
}
