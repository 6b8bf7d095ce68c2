#include "core/save/clock_source.h"

namespace {

std::tm host_local_time() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

ClockSource current_source = host_local_time;

}  // namespace

void set_clock_source(ClockSource source) {
  current_source = source != nullptr ? source : host_local_time;
}

std::tm clock_now() { return current_source(); }
