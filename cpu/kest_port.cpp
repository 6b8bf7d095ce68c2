#include "cpu/kest_port.h"

#include <cstddef>

#include "core/report.h"

namespace {

// The host's range flush; null while the interface is closed.
using RangeFlush = void (*)(std::uint8_t* begin, std::size_t length);

void flush_host_range([[maybe_unused]] std::uint8_t* begin, [[maybe_unused]] std::size_t length) {
#if defined(__arm__) || defined(__aarch64__)
  __builtin___clear_cache(reinterpret_cast<char*>(begin), reinterpret_cast<char*>(begin + length));
#endif
}

// Handle of the open interface. The name is kept because the established assertion texts
// ("hIst == NULL", "hIst != NULL") are written in terms of it.
// There is no library to load here: the handle points at a token of our own.
const char host_cache_interface = 0;
const void* hIst = NULL;
RangeFlush cache_range_flush = nullptr;
IcacheFlushObserver flush_observer = nullptr;

}  // namespace

int icache_open() {
  ORVANE_CHECK(hIst == NULL, 0);
  hIst = &host_cache_interface;
  cache_range_flush = flush_host_range;
  return 1;
}

int icache_close() {
  ORVANE_CHECK(hIst != NULL, 0);
  hIst = NULL;
  cache_range_flush = nullptr;
  return 1;
}

bool icache_is_open() { return hIst != NULL; }

int icache_flush_length(std::uint8_t* begin, std::size_t length) {
  if (cache_range_flush == nullptr) {
    report_assertion("CacheRangeFlush", __FILE__, __LINE__);
    return 0;
  }
  cache_range_flush(begin, length);
  if (flush_observer != nullptr) flush_observer(begin, length);
  return 1;
}

void icache_observe_flushes(IcacheFlushObserver observer) { flush_observer = observer; }

int icache_flush_range(std::uint8_t* begin, std::uint8_t* end) {
  ORVANE_CHECK((end - begin) > 0, 0);
  return icache_flush_length(begin, static_cast<std::size_t>(end - begin));
}
