#pragma once
// What the ARM and the Thumb differential tests share: the run settings from the environment,
// running one case on Unicorn and on the translator, and comparing and reporting the outcomes.
//
// Environment:
//   ORVANE_DIFF_SEED   seed of the run (decimal or 0x-hex); a fixed one by default
//   ORVANE_DIFF_CASES  cases per class; e.g. 1000000 for a deep run
//   ORVANE_DIFF_CASE   run only this case index of each class, to reproduce one failure

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "arm_instruction_generator.h"  // DATA_WINDOWS
#include "guest_machine.h"
#include "unicorn_reference.h"

inline constexpr int MAX_REPORTED_FAILURES = 5;
// A random case runs a few dozen instructions; anything near these limits has gone astray.
inline constexpr std::uint64_t CASE_CYCLES = 100'000;
inline constexpr std::uint64_t CASE_INSTRUCTIONS = 10'000;
inline constexpr std::uint32_t ARM_BRANCH_TO_SELF = 0xEAFFFFFE;  // B .
inline constexpr std::uint16_t THUMB_BRANCH_TO_SELF = 0xE7FE;    // B .

struct DiffSettings {
  std::uint64_t seed;
  std::uint64_t cases;
  bool single = false;
  std::uint64_t single_case = 0;
};
DiffSettings diff_settings(std::uint64_t default_seed, std::uint64_t default_cases);

std::string hex(std::uint32_t value);
std::vector<std::uint8_t> bytes_of(const std::vector<std::uint16_t>& halfwords);
std::vector<std::uint8_t> bytes_of(const std::vector<std::uint32_t>& words);

// A case of either instruction set as both sides load and judge it.
struct CaseImage {
  struct Piece {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
  };
  Piece code;
  // The branch-to-self the driver plants at the stop address; Unicorn has no driver, so it is
  // placed right after the code there.
  std::vector<std::uint8_t> stop;
  std::vector<Piece> others;                                // far code, the literal pool
  const std::vector<std::uint8_t>* window_bytes = nullptr;  // the starting DATA_WINDOWS
  std::uint32_t r[16] = {};
  std::uint32_t cpsr = 0;
  std::uint32_t stop_address = 0;
  std::uint32_t cpsr_mask = 0xFFFFFFFF;
  const std::string* mask_reason = nullptr;
  // Thumb reports name where a broken case ended; ARM reports never did.
  bool broken_shows_pc = false;
};

struct Outcome {
  bool stopped = false;
  std::string status;
  std::uint32_t r[16] = {};
  std::uint32_t cpsr = 0;
  std::vector<std::uint8_t> windows[2];
};

class Reference {
 public:
  Reference() { unicorn_.clear_memory(); }
  UnicornReference& unicorn() { return unicorn_; }
  Outcome run(const CaseImage& c);

 private:
  struct Placed {
    std::uint32_t address;
    std::size_t bytes;
  };
  void place(std::uint32_t address, const std::vector<std::uint8_t>& bytes);

  UnicornReference unicorn_;
  std::vector<Placed> placed_;
};

// One for all directed cases: setting Unicorn up costs more than running a case.
Reference& shared_reference();

Outcome run_on_translator(const CaseImage& c, std::uint64_t cycles = CASE_CYCLES);

std::string registers(const std::uint32_t* r, std::uint32_t cpsr);

// Empty when the translator's outcome matches the reference's.
std::string differences(const CaseImage& c, const Outcome& expected, const Outcome& actual);

// A class name as GoogleTest and --gtest_filter take it.
std::string class_filter_name(const char* class_name);

// `title` names the class as reports do; `filter` is the --gtest_filter that reruns it.
std::string report(const std::string& title, const std::string& filter, const DiffSettings& s,
                   std::uint64_t index, const CaseImage& c, const std::string& listing,
                   const std::string& diff);

// Runs the cases `s` selects, reporting the first few that `failure` (empty when the case
// passes) finds fault with.
void run_cases(const DiffSettings& s, const std::string& title,
               const std::function<std::string(std::uint64_t index)>& failure);

// Empty when the translator agrees with the reference, else the whole story.
std::string directed_difference(const CaseImage& c, const std::function<std::string()>& listing,
                                std::uint64_t cycles = CASE_CYCLES);

// The accesses of the last logged reference run that leave the data windows, other than reads
// of the `readable` (address, size) stretches.
std::string stray_accesses(const std::vector<ReferenceAccess>& accesses,
                           const std::vector<std::pair<std::uint32_t, std::uint32_t>>& readable);
