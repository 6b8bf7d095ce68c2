#include "differential_support.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "disassembly_text.h"

namespace {

bool read_number(const char* name, std::uint64_t& out) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 0);
  if (end == text || *end != '\0') {
    ADD_FAILURE() << name << "=" << text << " is not a number";
    return false;
  }
  out = value;
  return true;
}

const char* describe(RunResult result) {
  switch (result) {
    case RunResult::STOPPED: return "stopped";
    case RunResult::BAD_JUMP: return "bad jump";
    case RunResult::OUT_OF_TIME: return "out of time";
  }
  return "?";
}

bool inside(std::uint32_t address, std::uint32_t size, std::uint32_t base, std::uint32_t bytes) {
  return address >= base && address + size <= base + bytes;
}

}  // namespace

DiffSettings diff_settings(std::uint64_t default_seed, std::uint64_t default_cases) {
  DiffSettings s{default_seed, default_cases};
  read_number("ORVANE_DIFF_SEED", s.seed);
  read_number("ORVANE_DIFF_CASES", s.cases);
  s.single = read_number("ORVANE_DIFF_CASE", s.single_case);
  return s;
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08x", value);
  return buffer;
}

std::vector<std::uint8_t> bytes_of(const std::vector<std::uint16_t>& halfwords) {
  std::vector<std::uint8_t> bytes(halfwords.size() * 2);
  for (std::size_t i = 0; i < halfwords.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(halfwords[i]);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(halfwords[i] >> 8);
  }
  return bytes;
}

std::vector<std::uint8_t> bytes_of(const std::vector<std::uint32_t>& words) {
  std::vector<std::uint8_t> bytes(words.size() * 4);
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (unsigned b = 0; b < 4; ++b)
      bytes[4 * i + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
  }
  return bytes;
}

// ---- Running a case on each side -------------------------------------------------------------

Outcome Reference::run(const CaseImage& c) {
  // Leave memory as a fresh machine would have it apart from what this case writes: the
  // previous case's code, pool and data go.
  for (const Placed& p : placed_) {
    const std::vector<std::uint8_t> zeros(p.bytes, 0);
    unicorn_.write_bytes(p.address, zeros.data(), zeros.size());
  }
  placed_.clear();
  for (unsigned w = 0; w < 2; ++w) {
    unicorn_.write_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(), c.window_bytes[w].size());
  }
  std::vector<std::uint8_t> code = c.code.bytes;
  code.insert(code.end(), c.stop.begin(), c.stop.end());
  place(c.code.address, code);
  for (const CaseImage::Piece& piece : c.others) place(piece.address, piece.bytes);

  ReferenceState start{};
  std::memcpy(start.r, c.r, sizeof start.r);
  start.cpsr = c.cpsr;
  ReferenceResult result = unicorn_.run(start, c.stop_address, CASE_INSTRUCTIONS);
  Outcome out;
  out.stopped = result.status == ReferenceStatus::STOPPED;
  out.status = out.stopped ? "stopped" : result.message;
  std::memcpy(out.r, result.state.r, sizeof out.r);
  out.cpsr = result.state.cpsr;
  for (unsigned w = 0; w < 2; ++w) {
    out.windows[w] = unicorn_.read_bytes(DATA_WINDOWS[w].base, DATA_WINDOWS[w].size);
  }
  return out;
}

void Reference::place(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
  unicorn_.write_bytes(address, bytes.data(), bytes.size());
  placed_.push_back({address, bytes.size()});
}

Reference& shared_reference() {
  static Reference reference;
  return reference;
}

Outcome run_on_translator(const CaseImage& c, std::uint64_t cycles) {
  reset_guest_machine();
  for (unsigned w = 0; w < 2; ++w) {
    write_guest_bytes(DATA_WINDOWS[w].base, c.window_bytes[w].data(), c.window_bytes[w].size());
  }
  write_guest_bytes(c.code.address, c.code.bytes.data(), c.code.bytes.size());
  for (const CaseImage::Piece& piece : c.others) {
    write_guest_bytes(piece.address, piece.bytes.data(), piece.bytes.size());
  }

  GuestState start{};
  std::memcpy(start.r, c.r, sizeof start.r);
  start.cpsr = c.cpsr;
  GuestState end{};
  RunResult result = run_guest(start, c.stop_address, end, cycles);
  Outcome out;
  out.stopped = result == RunResult::STOPPED;
  out.status = describe(result);
  std::memcpy(out.r, end.r, sizeof out.r);
  out.cpsr = end.cpsr;
  for (unsigned w = 0; w < 2; ++w) {
    const DataWindow& window = DATA_WINDOWS[w];
    out.windows[w].resize(window.size);
    for (std::uint32_t offset = 0; offset < window.size; offset += 4) {
      std::uint32_t word = read_guest_word(window.base + offset);
      for (unsigned b = 0; b < 4; ++b) {
        out.windows[w][offset + b] = static_cast<std::uint8_t>(word >> (8 * b));
      }
    }
  }
  return out;
}

// ---- Comparing and reporting -----------------------------------------------------------------

std::string registers(const std::uint32_t* r, std::uint32_t cpsr) {
  std::ostringstream out;
  for (unsigned i = 0; i < 16; ++i) {
    out << (i % 4 == 0 ? "    " : "  ") << register_names[i] << (i < 10 ? " =" : "=") << hex(r[i]);
    if (i % 4 == 3) out << "\n";
  }
  out << "    cpsr=" << hex(cpsr) << "\n";
  return out.str();
}

std::string differences(const CaseImage& c, const Outcome& expected, const Outcome& actual) {
  std::ostringstream out;
  if (!expected.stopped) {
    out << "  the reference did not reach the stop address (" << expected.status;
    if (c.broken_shows_pc) out << ", pc " << hex(expected.r[15]);
    out << "): the generated case is broken\n";
    return out.str();
  }
  if (!actual.stopped) out << "  translator: " << actual.status << " instead of stopping\n";
  for (unsigned i = 0; i < 15; ++i) {
    if (expected.r[i] != actual.r[i]) {
      out << "  " << register_names[i] << ": expected " << hex(expected.r[i]) << ", got "
          << hex(actual.r[i]) << "\n";
    }
  }
  if (actual.stopped && actual.r[15] != c.stop_address) {
    out << "  pc: expected " << hex(c.stop_address) << ", got " << hex(actual.r[15]) << "\n";
  }
  if (((expected.cpsr ^ actual.cpsr) & c.cpsr_mask) != 0) {
    out << "  cpsr: expected " << hex(expected.cpsr) << ", got " << hex(actual.cpsr);
    if (c.cpsr_mask != 0xFFFFFFFF) {
      out << " (bits " << hex(c.cpsr_mask) << " compared: " << *c.mask_reason << ")";
    }
    out << "\n";
  }
  for (unsigned w = 0; w < 2; ++w) {
    const std::vector<std::uint8_t>& e = expected.windows[w];
    const std::vector<std::uint8_t>& a = actual.windows[w];
    std::size_t differing = 0;
    std::ostringstream bytes;
    for (std::size_t i = 0; i < e.size() && i < a.size(); ++i) {
      if (e[i] == a[i]) continue;
      if (differing < 8) {
        char line[80];
        std::snprintf(line, sizeof line, "    %08x: expected %02x, got %02x (was %02x)\n",
                      DATA_WINDOWS[w].base + static_cast<std::uint32_t>(i), e[i], a[i],
                      c.window_bytes[w][i]);
        bytes << line;
      }
      ++differing;
    }
    if (differing != 0) {
      out << "  memory: " << differing << " byte(s) differ in " << hex(DATA_WINDOWS[w].base) << "-"
          << hex(DATA_WINDOWS[w].base + DATA_WINDOWS[w].size - 1) << ", first ones:\n"
          << bytes.str();
    }
  }
  return out.str();
}

std::string class_filter_name(const char* class_name) {
  std::string name = class_name;
  for (char& ch : name) {
    if (ch == ' ') ch = '_';
  }
  return name;
}

std::string report(const std::string& title, const std::string& filter, const DiffSettings& s,
                   std::uint64_t index, const CaseImage& c, const std::string& listing,
                   const std::string& diff) {
  std::ostringstream out;
  char seed[32];
  std::snprintf(seed, sizeof seed, "0x%" PRIx64, s.seed);
  out << title << " case " << index << " of seed " << seed
      << " (again on its own: ORVANE_DIFF_SEED=" << seed << " ORVANE_DIFF_CASE=" << index
      << " translator_test --gtest_filter='" << filter << "')\n"
      << "  code:\n"
      << listing << "  start:\n"
      << registers(c.r, c.cpsr) << diff;
  return out.str();
}

void run_cases(const DiffSettings& s, const std::string& title,
               const std::function<std::string(std::uint64_t index)>& failure) {
  const std::uint64_t first = s.single ? s.single_case : 0;
  const std::uint64_t last = s.single ? s.single_case + 1 : s.cases;
  int failures = 0;
  std::uint64_t run = 0;
  for (std::uint64_t index = first; index < last && failures < MAX_REPORTED_FAILURES; ++index) {
    const std::string problem = failure(index);
    ++run;
    if (!problem.empty()) {
      ++failures;
      ADD_FAILURE() << problem;
    }
  }
  if (failures >= MAX_REPORTED_FAILURES) {
    std::printf("[ stopped  ] %s: first %d failures reported after %" PRIu64 " cases\n",
                title.c_str(), failures, run);
  }
}

std::string directed_difference(const CaseImage& c, const std::function<std::string()>& listing,
                                std::uint64_t cycles) {
  Reference& reference = shared_reference();
  if (!reference.unicorn().ready()) return reference.unicorn().error();
  const Outcome expected = reference.run(c);
  const Outcome actual = run_on_translator(c, cycles);
  const std::string diff = differences(c, expected, actual);
  if (diff.empty()) return diff;
  return "code:\n" + listing() + "start:\n" + registers(c.r, c.cpsr) + diff;
}

std::string stray_accesses(const std::vector<ReferenceAccess>& accesses,
                           const std::vector<std::pair<std::uint32_t, std::uint32_t>>& readable) {
  std::ostringstream problems;
  for (const ReferenceAccess& access : accesses) {
    bool allowed = false;
    for (const DataWindow& w : DATA_WINDOWS) {
      allowed = allowed || inside(access.address, access.size, w.base, w.size);
    }
    if (!access.write) {
      for (const auto& [base, bytes] : readable) {
        allowed = allowed || inside(access.address, access.size, base, bytes);
      }
    }
    if (!allowed) {
      problems << "  " << (access.write ? "write" : "read") << " of " << access.size << " at "
               << hex(access.address) << "\n";
    }
  }
  return problems.str();
}
