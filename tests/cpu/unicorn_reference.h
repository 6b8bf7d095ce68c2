#pragma once
// The oracle for the translator tests: the same guest code and memory image run on Unicorn, an
// independent ARM emulator, so that expected results never come from our own translator.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct uc_struct;

// The areas of the console's map that test code and data may use; Unicorn gets exactly these,
// so an access anywhere else faults on the reference side instead of passing quietly.
struct ReferenceRegion {
  std::uint32_t base;
  std::uint32_t size;
};
inline constexpr ReferenceRegion REFERENCE_BIOS{0x00000000, 0x4000};
inline constexpr ReferenceRegion REFERENCE_EWRAM{0x02000000, 0x40000};
inline constexpr ReferenceRegion REFERENCE_IWRAM{0x03000000, 0x8000};
inline constexpr ReferenceRegion REFERENCE_ROM{0x08000000, 0x100000};

struct ReferenceState {
  std::uint32_t r[16];  // r[15] is where execution starts, and on return where it stopped
  std::uint32_t cpsr;
};

enum class ReferenceStatus {
  STOPPED,            // reached the stop address
  INSTRUCTION_LIMIT,  // the instruction allowance ran out first: the guest code did not finish
  FAULT,              // Unicorn refused: unmapped access, undefined instruction, ...
};

// One data access the guest made, recorded only while access logging is on.
struct ReferenceAccess {
  std::uint32_t address;
  std::uint32_t size;
  bool write;
};

struct ReferenceResult {
  ReferenceStatus status = ReferenceStatus::FAULT;
  ReferenceState state{};
  std::string message;  // Unicorn's reason when it did not stop cleanly
};

class UnicornReference {
 public:
  UnicornReference();
  ~UnicornReference();
  UnicornReference(const UnicornReference&) = delete;
  UnicornReference& operator=(const UnicornReference&) = delete;

  // False (with `error()` saying why) when Unicorn could not be set up.
  bool ready() const { return uc_ != nullptr; }
  const std::string& error() const { return error_; }
  // "ARM926" when that model could be selected; the library's default ARM core otherwise.
  const std::string& cpu_model() const { return cpu_model_; }

  // Zeros every mapped region, as a freshly reset console.
  void clear_memory();
  void write_bytes(std::uint32_t address, const void* bytes, std::size_t count);
  void write_words(std::uint32_t address, const std::vector<std::uint32_t>& words);
  void read_bytes(std::uint32_t address, void* bytes, std::size_t count) const;
  std::vector<std::uint8_t> read_bytes(std::uint32_t address, std::size_t count) const;
  std::uint32_t read_word(std::uint32_t address) const;

  // Runs code from start.r[15] in the mode, flags and state (ARM or Thumb) of start.cpsr until
  // the next instruction would be the one at `stop_address`, or until `max_instructions` have
  // run.
  // Code written since the previous run is always seen: cached translations are dropped.
  ReferenceResult run(const ReferenceState& start, std::uint32_t stop_address,
                      std::uint64_t max_instructions);

  // Fills r8-r14 and the SPSR of every privileged mode with values derived from `pattern`: a
  // case run after two different fills must end the same, or it read registers it never set.
  void scramble_banked_registers(std::uint32_t pattern);

  // With logging on, every data read and write of the following runs is kept in `accesses()`
  // (cleared at the start of each run): how the tests prove that generated code stays inside
  // the memory that both sides compare.
  void log_accesses(bool on);
  const std::vector<ReferenceAccess>& accesses() const { return accesses_; }

 private:
  uc_struct* uc_ = nullptr;
  std::string error_;
  std::string cpu_model_;
  std::vector<ReferenceAccess> accesses_;
  std::vector<ReferenceRegion> written_;  // since the last run: translations there are stale
  std::size_t access_hook_ = 0;
  bool logging_ = false;
};
