#pragma once
// Snapshots: the whole running machine in one fixed-layout file of SNAPSHOT_BYTES, no header.
// The cartridge, the save memory's contents, the decoded sound and every translation cache are
// not in it; a load keeps them as they stand.

#include <cstddef>
#include <cstdint>

constexpr std::size_t SNAPSHOT_BYTES = 430147;

// Fills `image` (SNAPSHOT_BYTES) from the live machine. A flash bank outside the save memory is
// put back to bank 0 first, in the live machine too.
void build_snapshot_image(std::uint8_t* image);

// Replaces the machine with `image` and repairs what depends on it. An image with a value out of
// its fixed range is refused before anything changes: returns false and the machine is untouched.
bool apply_snapshot_image(const std::uint8_t* image);

// Writes the snapshot through a temporary file that replaces `path` only when complete. Returns
// 1, or 0 with errno set and any previous file at `path` unchanged.
int save_snapshot(const char* path);

// Loads the snapshot at `path`. A file that cannot be read, is not exactly SNAPSHOT_BYTES long
// or holds an out-of-range value leaves the machine as it was and returns 0 (errno: why; EINVAL
// for a foreign file). A frame hook that loads one says so by its return value
// (core/timing/scheduler.h).
int load_snapshot(const char* path);
