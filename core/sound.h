#pragma once
// The sound generator's entry points used by the rest of the machine. Until the generator is
// built they do nothing.

// Puts the mixing ring's write position a fixed distance ahead of its read position, so that
// output resumes cleanly after the emulation lost its footing (a bad jump, a reload).
void reposition_mix_ring();
