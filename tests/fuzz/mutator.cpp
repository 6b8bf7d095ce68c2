#include "tests/fuzz/mutator.h"

#include <algorithm>
#include <fstream>
#include <iterator>

Mutator::Mutator(std::uint64_t seed, std::size_t header_size)
    : random_(seed), header_size_(header_size) {}

std::uint64_t Mutator::below(std::uint64_t bound) {
  return std::uniform_int_distribution<std::uint64_t>(0, bound - 1)(random_);
}

Bytes Mutator::mutate(const std::vector<Bytes>& corpus) {
  Bytes bytes = corpus[below(corpus.size())];
  switch (below(8)) {
    case 0:
    case 1:
    case 2: flip_bytes(bytes); break;  // the most common damage, and the one real files meet
    case 3: truncate(bytes); break;
    case 4: extend(bytes); break;
    case 5: splice(bytes, corpus[below(corpus.size())]); break;
    case 6: random_header(bytes); break;
    default: random_bytes(bytes); break;
  }
  return bytes;
}

// 1-100 bytes, each set to a random value; one byte in four gets a single flipped bit instead.
void Mutator::flip_bytes(Bytes& bytes) {
  last_kind_ = "byte flips";
  if (bytes.empty()) return;
  std::uint64_t flips = 1 + below(100);
  for (std::uint64_t i = 0; i < flips; ++i) {
    std::uint8_t& byte = bytes[below(bytes.size())];
    byte = below(4) == 0 ? static_cast<std::uint8_t>(byte ^ (1u << below(8)))
                         : static_cast<std::uint8_t>(below(256));
  }
}

void Mutator::truncate(Bytes& bytes) {
  last_kind_ = "truncation";
  bytes.resize(below(bytes.size() + 1));
}

// Zeros, copies of the input's own bytes or random bytes, up to the input's size again.
void Mutator::extend(Bytes& bytes) {
  last_kind_ = "extension";
  std::size_t extra = 1 + below(std::max<std::size_t>(bytes.size(), 64));
  std::uint64_t fill = below(3);
  std::size_t size = bytes.size();
  for (std::size_t i = 0; i < extra; ++i) {
    std::uint8_t byte = 0;
    if (fill == 1 && size > 0) byte = bytes[below(size)];
    if (fill == 2) byte = static_cast<std::uint8_t>(below(256));
    bytes.push_back(byte);
  }
}

// The first part of one input and the rest of another.
void Mutator::splice(Bytes& bytes, const Bytes& other) {
  last_kind_ = "splice";
  std::size_t cut = below(bytes.size() + 1);
  std::size_t from = below(other.size() + 1);
  bytes.resize(cut);
  bytes.insert(bytes.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
}

void Mutator::random_header(Bytes& bytes) {
  last_kind_ = "random header";
  std::size_t count = std::min(bytes.size(), header_size_);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(below(256));
}

void Mutator::random_bytes(Bytes& bytes) {
  last_kind_ = "random bytes";
  std::size_t size = below(std::max<std::size_t>(bytes.size(), 16) + 1);
  bytes.resize(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(below(256));
}

bool read_file(const std::string& path, Bytes& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool write_file(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}
