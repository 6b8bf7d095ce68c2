#include "core/machine_link.h"

namespace {

void ignore_bits(std::uint32_t) {}
std::uint32_t cpu_running() { return 0; }
void nothing() {}
bool never() { return false; }
std::uint8_t* store_nothing(std::uint8_t* out) { return out; }
const std::uint8_t* load_nothing(const std::uint8_t* in) { return in; }

constexpr MachineLink UNCONNECTED = {
    .raise_interrupts = ignore_bits,
    .set_halt_state = ignore_bits,
    .halt_state = cpu_running,
    .request_redispatch = nothing,
    .stop_requested = never,
    .flush_ram_code = nothing,
    .flush_all_code = nothing,
    .store_cpu_state = store_nothing,
    .load_cpu_state = load_nothing,
    .draw_line = nothing,
    .frame_end = nothing,
};

}  // namespace

MachineLink machine_link = UNCONNECTED;

void disconnect_machine_link() { machine_link = UNCONNECTED; }
