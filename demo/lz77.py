"""LZ77 packing in the console's format (type 0x10), as the BIOS's LZ77UnComp functions read it.

Header word: 0x10 | unpacked size << 8. Then groups of a flag byte and eight blocks, the first
block under the flag's top bit: 0 = one literal byte, 1 = a copy of 3-18 bytes from 1-4096 bytes
back, two bytes: (length - 3) << 4 | (distance - 1) >> 8, then (distance - 1) & 0xFF.
"""

MIN_MATCH = 3
MAX_MATCH = 18
WINDOW = 4096
# The console's VRAM variant writes halfwords and cannot copy from the byte just written.
MIN_DISTANCE = 2
CHAIN_LIMIT = 64


def compress(data):
    out = bytearray([0x10, len(data) & 0xFF, (len(data) >> 8) & 0xFF, (len(data) >> 16) & 0xFF])
    heads = {}  # three-byte prefix -> positions, newest last
    at = 0
    while at < len(data):
        flag_at = len(out)
        out.append(0)
        for bit in range(8):
            if at >= len(data):
                break
            length, distance = _longest_match(data, at, heads)
            if length >= MIN_MATCH:
                out[flag_at] |= 0x80 >> bit
                out += bytes([(length - 3) << 4 | (distance - 1) >> 8, (distance - 1) & 0xFF])
            else:
                length = 1
                out.append(data[at])
            for step in range(at, at + length):
                heads.setdefault(bytes(data[step:step + 3]), []).append(step)
            at += length
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def _longest_match(data, at, heads):
    best_length, best_distance = 0, 0
    limit = min(MAX_MATCH, len(data) - at)
    for start in reversed(heads.get(bytes(data[at:at + 3]), [])[-CHAIN_LIMIT:]):
        distance = at - start
        if distance > WINDOW:
            break
        if distance < MIN_DISTANCE:
            continue
        length = 0
        while length < limit and data[start + length] == data[at + length]:
            length += 1
        if length > best_length:
            best_length, best_distance = length, distance
            if length == limit:
                break
    return best_length, best_distance


def decompress(packed):
    """The reading side, kept apart from the packer so that each checks the other."""
    size = packed[1] | packed[2] << 8 | packed[3] << 16
    out = bytearray()
    at = 4
    while len(out) < size:
        flags = packed[at]
        at += 1
        for bit in range(8):
            if len(out) >= size:
                break
            if flags & (0x80 >> bit):
                length = (packed[at] >> 4) + 3
                distance = ((packed[at] & 0xF) << 8 | packed[at + 1]) + 1
                at += 2
                for _ in range(length):
                    out.append(out[-distance])
            else:
                out.append(packed[at])
                at += 1
    return bytes(out[:size])
