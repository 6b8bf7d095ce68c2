#include "session/run_stats.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "core/sound/sound_output.h"
#include "cpu/runtime.h"
#include "cpu/translation_cache.h"

namespace {

using Clock = std::chrono::steady_clock;

struct RunStats {
  Clock::time_point start;
  Clock::duration total;
  Clock::duration translating;
  Clock::duration scheduling;
  std::uint64_t blocks_translated;
  std::uint64_t scheduler_calls;
  int translation_depth;
  TranslateFunction arm;
  TranslateFunction thumb;
  SchedulerStep scheduler;
};
RunStats stats;

// Translations nest (a block translates the blocks it links to): only the outermost is timed.
int timed_translation(TranslateFunction translate, std::uint32_t pc, int region, int tag_code) {
  stats.blocks_translated += 1;
  if (stats.translation_depth++ > 0) {
    int result = translate(pc, region, tag_code);
    --stats.translation_depth;
    return result;
  }
  Clock::time_point begin = Clock::now();
  int result = translate(pc, region, tag_code);
  stats.translating += Clock::now() - begin;
  --stats.translation_depth;
  return result;
}

int timed_arm(std::uint32_t pc, int region, int tag_code) {
  return timed_translation(stats.arm, pc, region, tag_code);
}
int timed_thumb(std::uint32_t pc, int region, int tag_code) {
  return timed_translation(stats.thumb, pc, region, tag_code);
}

std::uint32_t timed_scheduler() {
  stats.scheduler_calls += 1;
  Clock::time_point begin = Clock::now();
  std::uint32_t budget = stats.scheduler();
  stats.scheduling += Clock::now() - begin;
  return budget;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double share(Clock::duration part) {
  return stats.total.count() > 0 ? 100.0 * seconds(part) / seconds(stats.total) : 0.0;
}

// The high-water mark of this program's own memory. getrusage's ru_maxrss is no good here: Linux
// carries it across exec, so a run started by a large shell or test driver would report that
// process's peak instead.
double peak_resident_megabytes() {
  long kilobytes = -1;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (kilobytes < 0 && std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) != 1) kilobytes = -1;
    }
    std::fclose(status);
  }
  if (kilobytes < 0) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    kilobytes = usage.ru_maxrss;  // in KB on Linux; an upper bound where /proc is missing
  }
  return static_cast<double>(kilobytes) / 1024.0;
}

}  // namespace

void start_run_stats() {
  stats = RunStats{};
  stats.arm = arm_translator;
  stats.thumb = thumb_translator;
  stats.scheduler = runtime_scheduler;
  arm_translator = timed_arm;
  thumb_translator = timed_thumb;
  runtime_scheduler = timed_scheduler;
  stats.start = Clock::now();
}

void stop_run_stats() {
  stats.total = Clock::now() - stats.start;
  arm_translator = stats.arm;
  thumb_translator = stats.thumb;
  runtime_scheduler = stats.scheduler;
}

void print_run_stats(std::uint32_t frames) {
  constexpr double CONSOLE_FPS = 16777216.0 / 280896.0;
  double total = seconds(stats.total);
  double fps = total > 0 ? frames / total : 0.0;
  Clock::duration generated = stats.total - stats.translating - stats.scheduling;
  std::printf("frames: %u in %.3f s, %.1f frames/s (%.0f%% of the console's %.2f)\n", frames, total,
              fps, 100.0 * fps / CONSOLE_FPS, CONSOLE_FPS);
  std::printf("generated code: %.3f s (%.1f%%)\n", seconds(generated), share(generated));
  std::printf("translation: %.3f s (%.1f%%), %llu blocks\n", seconds(stats.translating),
              share(stats.translating), static_cast<unsigned long long>(stats.blocks_translated));
  std::printf("scheduler and hardware, renderer included: %.3f s (%.1f%%), %llu calls\n",
              seconds(stats.scheduling), share(stats.scheduling),
              static_cast<unsigned long long>(stats.scheduler_calls));
  std::printf("cache flushes since start: rom %u, ram %u, bios %u\n",
              caches.flush_generation[CODE_REGION_ROM], caches.flush_generation[CODE_REGION_RAM],
              caches.flush_generation[CODE_REGION_BIOS]);
  std::printf("sound blocks dropped (no buffer free within %llu ms): %llu\n",
              static_cast<unsigned long long>(SOUND_WAIT_LIMIT_MS),
              static_cast<unsigned long long>(sound_blocks_dropped_waiting()));
  std::printf("peak resident memory: %.1f MB\n", peak_resident_megabytes());
}
