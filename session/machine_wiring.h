#pragma once
// Assembles the machine: fills in what the core asks of the CPU and the renderer, and gives the
// generated-code runtime the core's scheduler.

// Idempotent; the session calls it when it opens, tests that drive a whole machine before theirs.
void connect_machine();
