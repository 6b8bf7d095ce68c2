#include "codecs.h"

#include <algorithm>
#include <queue>
#include <stdexcept>
#include <string>

namespace biostest {

namespace {

void put32(Bytes& out, std::uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void pad4(Bytes& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

Bytes header(std::size_t size, std::uint32_t type_bits)
{
    Bytes out;
    put32(out, static_cast<std::uint32_t>(size << 8) | type_bits);
    return out;
}

} // namespace

Bytes lz77_compress(const Bytes& data, unsigned min_distance)
{
    Bytes out = header(data.size(), 0x10);
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t flag_at = out.size();
        out.push_back(0);
        for (int block = 0; block < 8 && pos < data.size(); block++) {
            std::size_t best_length = 0, best_distance = 0;
            std::size_t max_distance = std::min<std::size_t>(4096, pos);
            for (std::size_t distance = min_distance; distance <= max_distance; distance++) {
                std::size_t length = 0;
                while (length < 18 && pos + length < data.size() &&
                       data[pos + length] == data[pos + length - distance])
                    length++;
                if (length > best_length) {
                    best_length = length;
                    best_distance = distance;
                }
            }
            if (best_length >= 3) {
                out[flag_at] = static_cast<std::uint8_t>(out[flag_at] | (0x80 >> block));
                std::size_t d = best_distance - 1;
                out.push_back(static_cast<std::uint8_t>(((best_length - 3) << 4) | (d >> 8)));
                out.push_back(static_cast<std::uint8_t>(d & 0xFF));
                pos += best_length;
            } else {
                out.push_back(data[pos++]);
            }
        }
    }
    pad4(out);
    return out;
}

Bytes rl_compress(const Bytes& data)
{
    Bytes out = header(data.size(), 0x30);
    Bytes literals;
    auto flush = [&] {
        if (literals.empty())
            return;
        out.push_back(static_cast<std::uint8_t>(literals.size() - 1));
        out.insert(out.end(), literals.begin(), literals.end());
        literals.clear();
    };
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t run = 1;
        while (pos + run < data.size() && run < 130 && data[pos + run] == data[pos])
            run++;
        if (run >= 3) {
            flush();
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 3)));
            out.push_back(data[pos]);
            pos += run;
        } else {
            literals.push_back(data[pos++]);
            if (literals.size() == 128)
                flush();
        }
    }
    flush();
    pad4(out);
    return out;
}

Bytes diff8_filter(const Bytes& data)
{
    Bytes out = header(data.size(), 0x81);
    std::uint8_t previous = 0;
    for (std::uint8_t b : data) {
        out.push_back(static_cast<std::uint8_t>(b - previous));
        previous = b;
    }
    pad4(out);
    return out;
}

Bytes diff16_filter(const std::vector<std::uint16_t>& data)
{
    Bytes out = header(data.size() * 2, 0x82);
    std::uint16_t previous = 0;
    for (std::uint16_t v : data) {
        auto d = static_cast<std::uint16_t>(v - previous);
        out.push_back(static_cast<std::uint8_t>(d));
        out.push_back(static_cast<std::uint8_t>(d >> 8));
        previous = v;
    }
    pad4(out);
    return out;
}

Bytes huff_compress(const Bytes& data, unsigned width)
{
    if (width != 4 && width != 8)
        throw std::runtime_error("unsupported Huffman width");
    std::vector<unsigned> units;
    for (std::uint8_t b : data) {
        if (width == 8) {
            units.push_back(b);
        } else {
            units.push_back(b & 0x0Fu);
            units.push_back(b >> 4);
        }
    }

    struct Node {
        std::uint64_t weight;
        int child[2];
        int symbol; // leaves only
    };
    std::vector<Node> nodes;
    std::vector<std::uint64_t> counts(1u << width, 0);
    for (unsigned u : units)
        counts[u]++;
    for (unsigned s = 0; s < counts.size(); s++)
        if (counts[s])
            nodes.push_back({counts[s], {-1, -1}, static_cast<int>(s)});
    if (nodes.empty())
        nodes.push_back({1, {-1, -1}, 0});
    if (nodes.size() == 1) // a tree needs two children under the root
        nodes.push_back({0, {-1, -1}, nodes[0].symbol});

    // Lowest weight first; ties by creation order, so the tree is reproducible.
    auto later = [&](int a, int b) {
        if (nodes[static_cast<std::size_t>(a)].weight != nodes[static_cast<std::size_t>(b)].weight)
            return nodes[static_cast<std::size_t>(a)].weight > nodes[static_cast<std::size_t>(b)].weight;
        return a > b;
    };
    std::priority_queue<int, std::vector<int>, decltype(later)> queue(later);
    for (int i = 0; i < static_cast<int>(nodes.size()); i++)
        queue.push(i);
    while (queue.size() > 1) {
        int a = queue.top();
        queue.pop();
        int b = queue.top();
        queue.pop();
        nodes.push_back({nodes[static_cast<std::size_t>(a)].weight + nodes[static_cast<std::size_t>(b)].weight,
                         {a, b}, -1});
        queue.push(static_cast<int>(nodes.size()) - 1);
    }
    int root = queue.top();

    // Codes: child 0 is bit 0.
    std::vector<std::vector<bool>> codes(1u << width);
    std::vector<std::pair<int, std::vector<bool>>> stack{{root, {}}};
    while (!stack.empty()) {
        auto [n, code] = stack.back();
        stack.pop_back();
        const Node& node = nodes[static_cast<std::size_t>(n)];
        if (node.child[0] < 0) {
            if (codes[static_cast<std::size_t>(node.symbol)].empty())
                codes[static_cast<std::size_t>(node.symbol)] = code;
            continue;
        }
        for (int k = 0; k < 2; k++) {
            auto c = code;
            c.push_back(k == 1);
            stack.push_back({node.child[k], c});
        }
    }

    // Table: [0] size byte, [1] root, pair p at [2 + 2p]. Child 0 of the node at `at` is at
    // (at & ~1) + 2 * offset + 2, with a 6-bit offset: a node's child pair must come at most 63
    // pairs after the pair holding the node. Pairs are placed depth first, which keeps few nodes
    // waiting, except that a waiting node whose limit is close goes first.
    struct Waiting {
        int node;
        std::size_t at;       // table index of the node
        std::size_t deadline; // last pair index its children may use
    };
    Bytes table(2, 0);
    std::vector<Waiting> waiting{{root, 1, 63}};
    std::size_t next_pair = 0;
    while (!waiting.empty()) {
        std::size_t pick = waiting.size() - 1;
        std::size_t urgent = 0;
        for (std::size_t i = 1; i < waiting.size(); i++)
            if (waiting[i].deadline < waiting[urgent].deadline)
                urgent = i;
        if (waiting[urgent].deadline < next_pair + waiting.size())
            pick = urgent;
        Waiting w = waiting[pick];
        waiting.erase(waiting.begin() + static_cast<std::ptrdiff_t>(pick));
        const Node& node = nodes[static_cast<std::size_t>(w.node)];
        std::size_t pair = next_pair++;
        table.resize(2 + 2 * next_pair);
        if (pair > w.deadline)
            throw std::runtime_error("Huffman tree layout: child offset beyond 63");
        std::size_t offset = pair - (w.at & ~std::size_t{1}) / 2;
        auto value = static_cast<std::uint8_t>(offset);
        for (int k = 0; k < 2; k++) {
            const Node& child = nodes[static_cast<std::size_t>(node.child[k])];
            std::size_t slot = 2 + 2 * pair + static_cast<std::size_t>(k);
            if (child.child[0] < 0) {
                value = static_cast<std::uint8_t>(value | (k == 0 ? 0x80 : 0x40));
                table[slot] = static_cast<std::uint8_t>(child.symbol);
            } else {
                waiting.push_back({node.child[k], slot, pair + 1 + 63});
            }
        }
        table[w.at] = value;
    }
    pad4(table);
    table[0] = static_cast<std::uint8_t>(table.size() / 2 - 1);

    Bytes out = header(data.size(), 0x20 | width);
    out.insert(out.end(), table.begin(), table.end());
    std::uint32_t word = 0;
    int bits = 0;
    for (unsigned u : units) {
        for (bool bit : codes[u]) {
            word |= static_cast<std::uint32_t>(bit) << (31 - bits);
            if (++bits == 32) {
                put32(out, word);
                word = 0;
                bits = 0;
            }
        }
    }
    if (bits)
        put32(out, word);
    return out;
}

Bytes bit_unpack_expected(const Bytes& source, unsigned src_width, unsigned dst_width, std::uint32_t offset,
                          bool add_to_zero)
{
    Bytes out;
    std::uint64_t word = 0;
    unsigned filled = 0;
    std::uint64_t dst_mask = (std::uint64_t{1} << dst_width) - 1;
    for (std::uint8_t byte : source) {
        for (unsigned shift = 0; shift < 8; shift += src_width) {
            std::uint64_t unit = (byte >> shift) & ((1u << src_width) - 1);
            if (unit != 0 || add_to_zero)
                unit += offset;
            word |= (unit & dst_mask) << filled;
            filled += dst_width;
            if (filled == 32) {
                put32(out, static_cast<std::uint32_t>(word));
                word = 0;
                filled = 0;
            }
        }
    }
    return out;
}

Bytes random_bytes(std::mt19937_64& rng, std::size_t size)
{
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

Bytes text_like(std::mt19937_64& rng, std::size_t size)
{
    static const char* const words[] = {"the ", "tile ", "map ", "sprite ", "palette ", "of ", "and ",
                                        "screen ", "a ", "bank ", "\n", "0x1F ", "BG2 ", "window "};
    Bytes out;
    while (out.size() < size) {
        const char* w = words[rng() % (sizeof words / sizeof words[0])];
        for (const char* p = w; *p && out.size() < size; p++)
            out.push_back(static_cast<std::uint8_t>(*p));
    }
    return out;
}

Bytes with_runs(std::mt19937_64& rng, std::size_t size)
{
    Bytes out;
    while (out.size() < size) {
        auto value = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : 0);
        auto length = static_cast<std::size_t>(1 + rng() % (rng() % 3 == 0 ? 300 : 5));
        for (std::size_t i = 0; i < length && out.size() < size; i++)
            out.push_back(value);
    }
    return out;
}

} // namespace biostest
