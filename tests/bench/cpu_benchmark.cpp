// How fast translated ARM code runs: a bitwise CRC-32 over a buffer, from IWRAM and from ROM.
//   cpu_benchmark                      Google Benchmark report (guest instructions per second)
//   cpu_benchmark --once BYTES [rom]   one run, for instruction counting under callgrind:
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

std::uint32_t reference_crc(const std::vector<std::uint8_t>& data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320 : 0);
  }
  return crc;
}

std::vector<std::uint8_t> prepare(std::uint32_t code_address, std::size_t bytes) {
  reset_guest_machine();
  std::vector<std::uint8_t> data(bytes);
  for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 31 + 7);
  write_guest_bytes(DATA, data.data(), data.size());
  write_guest_words(code_address, crc_loop);
  return data;
}

bool run_crc(std::uint32_t code_address, const std::vector<std::uint8_t>& data) {
  GuestState start{};
  start.r[0] = DATA;
  start.r[1] = static_cast<std::uint32_t>(data.size());
  start.r[2] = 0xFFFFFFFF;
  start.r[3] = 0xEDB88320;
  start.r[15] = code_address;
  start.cpsr = 0x1F;
  GuestState out{};
  std::uint32_t stop = code_address + 4 * static_cast<std::uint32_t>(crc_loop.size());
  RunResult result = run_guest(start, stop, out, ~std::uint64_t{0} >> 1);
  return result == RunResult::STOPPED && out.r[2] == reference_crc(data);
}

void crc(benchmark::State& state, std::uint32_t code_address) {
  std::vector<std::uint8_t> data = prepare(code_address, 16384);
  for (auto _ : state) {
    if (!run_crc(code_address, data)) state.SkipWithError("wrong CRC");
  }
  double instructions = static_cast<double>(INSTRUCTIONS_PER_BYTE) * static_cast<double>(data.size());
  state.counters["guest_instructions_per_s"] =
      benchmark::Counter(instructions, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(crc, iwram, 0x03000100u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(crc, rom, 0x08000100u)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--once") == 0) {
    std::uint32_t code = argc >= 4 && std::strcmp(argv[3], "rom") == 0 ? 0x08000100 : 0x03000100;
    std::vector<std::uint8_t> data = prepare(code, std::strtoul(argv[2], nullptr, 10));
    bool ok = run_crc(code, data);
    std::printf("%s, %lu guest instructions\n", ok ? "CRC right" : "CRC WRONG",
                static_cast<unsigned long>(INSTRUCTIONS_PER_BYTE * data.size()));
    return ok ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
