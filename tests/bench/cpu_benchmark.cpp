// How fast translated code runs: a bitwise CRC-32 over a buffer, in ARM code from IWRAM and from
// ROM, and in Thumb code from ROM (where most game code runs).
//   cpu_benchmark                      Google Benchmark report (guest instructions per second)
//   cpu_benchmark --once BYTES [rom|thumb]  one run, for instruction counting under callgrind:
//                                      the difference between two sizes is the cost of the loop

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/state.h"
#include "tests/cpu/guest_machine.h"

namespace {

constexpr std::uint32_t DATA = 0x02000000;
constexpr std::uint32_t INSTRUCTIONS_PER_BYTE = 3 + 8 * 4 + 2;

const std::vector<std::uint32_t> crc_loop = {
    0xE4D04001,  // outer: ldrb r4, [r0], #1
    0xE0222004,  //        eor r2, r2, r4
    0xE3A05008,  //        mov r5, #8
    0xE1B020A2,  // inner: movs r2, r2, lsr #1
    0x20222003,  //        eorcs r2, r2, r3
    0xE2555001,  //        subs r5, r5, #1
    0x1AFFFFFB,  //        bne inner
    0xE2511001,  //        subs r1, r1, #1
    0x1AFFFFF6,  //        bne outer
};

const std::vector<std::uint16_t> thumb_crc_loop = {
    0x7804,  // outer: ldrb r4, [r0]
    0x3001,  //        adds r0, #1
    0x4062,  //        eors r2, r4
    0x2508,  //        movs r5, #8
    0x0852,  // inner: lsrs r2, r2, #1
    0xD300,  //        bcc skip
    0x405A,  //        eors r2, r3
    0x3D01,  // skip:  subs r5, #1
    0xD1FA,  //        bne inner
    0x3901,  //        subs r1, #1
    0xD1F4,  //        bne outer
};

// The CRC, and how many Thumb instructions the loop above executes for it (the ARM loop runs a
// fixed INSTRUCTIONS_PER_BYTE).
std::uint32_t reference_crc(const std::vector<std::uint8_t>& data,
                            std::uint64_t* thumb_count = nullptr) {
  std::uint32_t crc = 0xFFFFFFFF;
  std::uint64_t count = 0;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    count += 6;
    for (int bit = 0; bit < 8; ++bit) {
      count += (crc & 1) ? 5 : 4;
      crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320 : 0);
    }
  }
  if (thumb_count != nullptr) *thumb_count = count;
  return crc;
}

std::vector<std::uint8_t> prepare(std::uint32_t code_address, std::size_t bytes, bool thumb) {
  reset_guest_machine();
  std::vector<std::uint8_t> data(bytes);
  for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 31 + 7);
  write_guest_bytes(DATA, data.data(), data.size());
  if (thumb) {
    write_guest_halfwords(code_address, thumb_crc_loop);
  } else {
    write_guest_words(code_address, crc_loop);
  }
  return data;
}

bool run_crc(std::uint32_t code_address, const std::vector<std::uint8_t>& data, bool thumb) {
  GuestState start{};
  start.r[0] = DATA;
  start.r[1] = static_cast<std::uint32_t>(data.size());
  start.r[2] = 0xFFFFFFFF;
  start.r[3] = 0xEDB88320;
  start.r[15] = code_address;
  start.cpsr = thumb ? 0x3F : 0x1F;
  GuestState out{};
  std::uint32_t size = thumb ? 2 * static_cast<std::uint32_t>(thumb_crc_loop.size())
                             : 4 * static_cast<std::uint32_t>(crc_loop.size());
  std::uint32_t stop = code_address + size;
  RunResult result = run_guest(start, stop, out, ~std::uint64_t{0} >> 1);
  return result == RunResult::STOPPED && out.r[2] == reference_crc(data);
}

std::uint64_t guest_instructions(const std::vector<std::uint8_t>& data, bool thumb) {
  std::uint64_t thumb_count = 0;
  reference_crc(data, &thumb_count);
  return thumb ? thumb_count : INSTRUCTIONS_PER_BYTE * data.size();
}

void crc(benchmark::State& state, std::uint32_t code_address, bool thumb) {
  std::vector<std::uint8_t> data = prepare(code_address, 16384, thumb);
  for (auto _ : state) {
    if (!run_crc(code_address, data, thumb)) state.SkipWithError("wrong CRC");
  }
  auto instructions = static_cast<double>(guest_instructions(data, thumb));
  state.counters["guest_instructions_per_s"] =
      benchmark::Counter(instructions, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(crc, arm_iwram, 0x03000100u, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(crc, arm_rom, 0x08000100u, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(crc, thumb_rom, 0x08000100u, true)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--once") == 0) {
    bool thumb = argc >= 4 && std::strcmp(argv[3], "thumb") == 0;
    bool rom = thumb || (argc >= 4 && std::strcmp(argv[3], "rom") == 0);
    std::uint32_t code = rom ? 0x08000100 : 0x03000100;
    std::vector<std::uint8_t> data = prepare(code, std::strtoul(argv[2], nullptr, 10), thumb);
    bool ok = run_crc(code, data, thumb);
    std::printf("%s, %lu guest instructions\n", ok ? "CRC right" : "CRC WRONG",
                static_cast<unsigned long>(guest_instructions(data, thumb)));
    return ok ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
