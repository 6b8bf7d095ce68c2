#pragma once
// Encoders for the BIOS's data formats, written for the tests from the format descriptions,
// so that the BIOS decoders can be checked by round trips. Each returns a complete source
// block (32-bit header first), padded to a multiple of 4 bytes.

#include <cstdint>
#include <random>
#include <vector>

namespace biostest {

using Bytes = std::vector<std::uint8_t>;

// LZ77 (type 1): greedy longest match, up to 18 bytes, at distances min_distance..4096.
// min_distance 2 gives streams the console's "Vram" function can decode.
Bytes lz77_compress(const Bytes& data, unsigned min_distance = 1);

// Run-length (type 3): runs of 3-130 equal bytes, literal blocks of 1-128 bytes.
Bytes rl_compress(const Bytes& data);

// Difference filters (type 8): first unit as is, then differences modulo the unit size.
Bytes diff8_filter(const Bytes& data);
Bytes diff16_filter(const std::vector<std::uint16_t>& data);

// Huffman (type 2) with `width`-bit units (4 or 8, low nibble first): a Huffman tree laid out
// breadth first. Throws std::runtime_error when a child pair would be out of the 6-bit offset's
// reach (the layout does not search for alternatives).
Bytes huff_compress(const Bytes& data, unsigned width);

// BitUnPack as described, computed directly: the destination words it must produce.
Bytes bit_unpack_expected(const Bytes& source, unsigned src_width, unsigned dst_width,
                          std::uint32_t offset, bool add_to_zero);

// Test data shapes.
Bytes random_bytes(std::mt19937_64& rng, std::size_t size);
Bytes text_like(std::mt19937_64& rng, std::size_t size);
Bytes with_runs(std::mt19937_64& rng, std::size_t size);

} // namespace biostest
