#pragma once
// The part of building a random test case that does not depend on the instruction set: the
// stream of random choices, and the bookkeeping of which registers the code so far relies on,
// shared by the ARM and the Thumb case generators.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "arm_instruction_generator.h"  // DATA_WINDOWS

inline constexpr unsigned SP = 13;
inline constexpr unsigned LR = 14;
inline constexpr unsigned PC = 15;
inline constexpr unsigned NO_REGISTER = 16;
inline constexpr std::uint32_t GENERAL_REGISTERS = 0x7FFF;  // r0-r14

constexpr std::uint32_t bit(unsigned r) { return 1u << r; }

inline constexpr std::uint32_t FLAG_N = 1u << 31;
inline constexpr std::uint32_t FLAG_Z = 1u << 30;
inline constexpr std::uint32_t FLAG_C = 1u << 29;
inline constexpr std::uint32_t FLAG_V = 1u << 28;

inline constexpr unsigned COND_AL = 14;

inline constexpr std::uint32_t MODE_FIQ = 0x11;
inline constexpr std::uint32_t MODE_IRQ = 0x12;
inline constexpr std::uint32_t MODE_SVC = 0x13;
inline constexpr std::uint32_t MODE_ABT = 0x17;
inline constexpr std::uint32_t MODE_UND = 0x1B;
inline constexpr std::uint32_t MODE_SYSTEM = 0x1F;

std::uint64_t mix64(std::uint64_t x);

// The seed of a case's choice stream. `salt` keeps the ARM and Thumb streams of one class
// number apart; ARM uses 0, so that its cases stay those of earlier runs with the same seed.
std::uint64_t case_stream_seed(std::uint64_t seed, std::uint64_t salt, unsigned class_number,
                               std::uint64_t index);

// The starting bytes of DATA_WINDOWS, drawn outside the choice stream so that the code a
// case gets does not depend on the size of the windows.
void fill_data_windows(std::vector<std::uint8_t> (&windows)[2], std::uint64_t seed,
                       std::uint64_t index, std::uint64_t salt);

// Whether `size` bytes at `address` lie inside one data window; safe against wrap-around.
bool inside_a_window(std::uint32_t address, std::uint32_t size);

std::uint32_t ror32(std::uint32_t value, unsigned amount);

class CaseRandom {
 public:
  explicit CaseRandom(std::uint64_t seed) : rng_(seed) {}

  std::uint32_t bits32() { return static_cast<std::uint32_t>(rng_()); }
  unsigned below(unsigned n) { return static_cast<unsigned>(rng_() % n); }
  bool chance(unsigned percent) { return below(100) < percent; }
  template <typename T, std::size_t N>
  T pick(const T (&options)[N]) {
    return options[below(N)];
  }

  // Values near the edges where carries, overflows and sign changes happen, and plain noise.
  std::uint32_t interesting();

  // One of the registers in `set`, NO_REGISTER if it is empty.
  unsigned random_in(std::uint32_t set);

 private:
  std::mt19937_64 rng_;
};

template <typename Case>
class CaseBuilder : public CaseRandom {
 public:
  using CaseRandom::CaseRandom;

  // Any of r0-r14 outside `exclude`, NO_REGISTER if there is none.
  unsigned any_register(std::uint32_t exclude) { return random_in(GENERAL_REGISTERS & ~exclude); }

  // A register no instruction so far has read or written, so that its starting value can still
  // be chosen; NO_REGISTER if all are taken.
  unsigned fresh_register(std::uint32_t exclude) {
    return random_in(GENERAL_REGISTERS & ~touched & ~exclude);
  }

  void set_initial(unsigned r, std::uint32_t value) {
    c.r[r] = value;
    touched |= bit(r);
    known |= bit(r);
    values[r] = value;
  }

  Case c;
  std::uint32_t touched = 0;  // starting values already relied on
  std::uint32_t known = 0;    // registers whose current value `values` holds
  std::uint32_t values[16] = {};
  std::uint32_t bases = 0;  // registers holding an address later accesses may still use

 protected:
  // An attempt at one instruction may claim registers before it finds its choices unusable;
  // starting over gives them back.
  struct RegisterBookmark {
    std::uint32_t r[16];
    std::uint32_t values[16];
    std::uint32_t touched, known, bases;
  };
  void save_registers(RegisterBookmark& m) const {
    std::copy(std::begin(c.r), std::end(c.r), m.r);
    std::copy(std::begin(values), std::end(values), m.values);
    m.touched = touched;
    m.known = known;
    m.bases = bases;
  }
  void restore_registers(const RegisterBookmark& m) {
    std::copy(std::begin(m.r), std::end(m.r), c.r);
    std::copy(std::begin(m.values), std::end(m.values), values);
    touched = m.touched;
    known = m.known;
    bases = m.bases;
  }
};
