#pragma once
// Seeded mutations of real inputs for the fuzz targets: byte flips, truncation, extension,
// splices of two inputs, random headers and wholly random bytes. The same seed and index give
// the same input, so every failure can be made again from its reproduction line.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class Mutator {
 public:
  // `header_size`: how many leading bytes a random header replaces (the format's header).
  Mutator(std::uint64_t seed, std::size_t header_size);

  // A new input made from one of `corpus` (and, for a splice, a second one). Never empty unless
  // the mutation chose to truncate to nothing.
  Bytes mutate(const std::vector<Bytes>& corpus);
  // The name of the last mutation, for reports.
  const char* last_kind() const { return last_kind_; }

  std::uint64_t below(std::uint64_t bound);  // 0 <= result < bound; bound > 0

 private:
  void flip_bytes(Bytes& bytes);
  void truncate(Bytes& bytes);
  void extend(Bytes& bytes);
  void splice(Bytes& bytes, const Bytes& other);
  void random_header(Bytes& bytes);
  void random_bytes(Bytes& bytes);

  std::mt19937_64 random_;
  std::size_t header_size_;
  const char* last_kind_ = "";
};

// Reads a whole file; false when it cannot be read.
bool read_file(const std::string& path, Bytes& bytes);
// Writes a whole file; false when it cannot be written.
bool write_file(const std::string& path, const Bytes& bytes);
