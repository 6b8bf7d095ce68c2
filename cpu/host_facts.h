#pragma once
// The few host facts that shared code must know, from the selected host's folder.

#if defined(ORVANE_HOST_X64)
#include "cpu/host_x64/host_facts.h"
#elif defined(ORVANE_HOST_ARM32)
#include "cpu/host_arm32/host_facts.h"
#else
#error "no recompiler host selected (CMake defines ORVANE_HOST_<name>)"
#endif
