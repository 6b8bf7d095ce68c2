#include "core/state.h"

#include <cstring>

MachineState machine;
std::uint32_t* reg = machine.registers;

void clear_machine_state() {
  std::memset(&machine, 0, sizeof machine);
  reg = machine.registers;
}
