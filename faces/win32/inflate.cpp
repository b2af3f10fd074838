#include "inflate.h"

#include <algorithm>
#include <cstdint>

namespace quorlex
{

namespace
{

// Bits are read from the least significant end of each byte, as DEFLATE stores them.
class BitReader
{
public:
    BitReader(const unsigned char *in, size_t size) : m_in(in), m_size(size) {}

    uint32_t take(int count)
    {
        while (m_count < count) {
            const uint32_t byte = m_pos < m_size ? m_in[m_pos] : 0;
            m_overrun = m_overrun || m_pos >= m_size;
            ++m_pos;
            m_buffer |= byte << m_count;
            m_count += 8;
        }
        const uint32_t value = m_buffer & ((1u << count) - 1);
        m_buffer >>= count;
        m_count -= count;
        return value;
    }
    // Stored blocks start at a byte: the rest of the current byte is padding.
    void skipToByte()
    {
        m_buffer = 0;
        m_count = 0;
    }
    bool bytes(size_t count, std::vector<unsigned char> &out)
    {
        if (m_size - std::min(m_pos, m_size) < count)
            return false;
        out.insert(out.end(), m_in + m_pos, m_in + m_pos + count);
        m_pos += count;
        return true;
    }
    bool overrun() const { return m_overrun; }

private:
    const unsigned char *m_in;
    size_t m_size;
    size_t m_pos = 0;
    uint32_t m_buffer = 0;
    int m_count = 0; // always below 8 between calls: the unread bits of the last byte taken
    bool m_overrun = false;
};

constexpr int kMaxBits = 15;

// A canonical Huffman code: how many codes have each length, and the symbols in code order.
struct Code {
    uint16_t counts[kMaxBits + 1] = {};
    uint16_t symbols[288] = {};
};

bool build(Code &code, const uint8_t *lengths, int count)
{
    std::fill(std::begin(code.counts), std::end(code.counts), 0);
    for (int s = 0; s < count; ++s)
        ++code.counts[lengths[s]];
    code.counts[0] = 0;
    int left = 1; // codes of the current length still free: never fewer than none
    for (int length = 1; length <= kMaxBits; ++length) {
        left = 2 * left - code.counts[length];
        if (left < 0)
            return false;
    }
    uint16_t offsets[kMaxBits + 2] = {};
    for (int length = 1; length <= kMaxBits; ++length)
        offsets[length + 1] = offsets[length] + code.counts[length];
    for (int s = 0; s < count; ++s) {
        if (lengths[s] != 0)
            code.symbols[offsets[lengths[s]]++] = uint16_t(s);
    }
    return true;
}

// The next symbol, or -1 for a code the table does not have.
int decode(BitReader &bits, const Code &code)
{
    int value = 0; // the bits read so far, first bit most significant
    int first = 0; // the first code of the current length
    int index = 0; // where the symbols of the current length start
    for (int length = 1; length <= kMaxBits; ++length) {
        value |= int(bits.take(1));
        const int count = code.counts[length];
        if (value - first < count)
            return code.symbols[index + value - first];
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    return -1;
}

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool inflateBlock(BitReader &bits, const Code &literals, const Code &distances,
                  std::vector<unsigned char> &out)
{
    for (;;) {
        const int symbol = decode(bits, literals);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < 256) {
            out.push_back(uint8_t(symbol));
            continue;
        }
        if (symbol == 256)
            return true;
        if (symbol > 285)
            return false;
        const size_t length = kLengthBase[symbol - 257] + bits.take(kLengthExtra[symbol - 257]);
        const int distanceSymbol = decode(bits, distances);
        if (distanceSymbol < 0 || distanceSymbol >= 30)
            return false;
        const size_t distance =
            kDistanceBase[distanceSymbol] + bits.take(kDistanceExtra[distanceSymbol]);
        if (distance > out.size())
            return false;
        for (size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    }
}

bool fixedCodes(Code &literals, Code &distances)
{
    uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    uint8_t distanceLengths[30];
    std::fill(std::begin(distanceLengths), std::end(distanceLengths), 5);
    return build(literals, lengths, 288) && build(distances, distanceLengths, 30);
}

bool dynamicCodes(BitReader &bits, Code &literals, Code &distances)
{
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                           11, 4,  12, 3, 13, 2, 14, 1, 15};
    const int literalCount = int(bits.take(5)) + 257;
    const int distanceCount = int(bits.take(5)) + 1;
    const int lengthCodeCount = int(bits.take(4)) + 4;
    if (literalCount > 286 || distanceCount > 30)
        return false;
    uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < lengthCodeCount; ++i)
        lengths[kOrder[i]] = uint8_t(bits.take(3));
    Code lengthCode;
    if (!build(lengthCode, lengths, 19))
        return false;
    std::fill(std::begin(lengths), std::end(lengths), 0);
    for (int i = 0; i < literalCount + distanceCount;) {
        const int symbol = decode(bits, lengthCode);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < 16) {
            lengths[i++] = uint8_t(symbol);
            continue;
        }
        int repeat = 0;
        uint8_t value = 0;
        if (symbol == 16) {
            if (i == 0)
                return false;
            value = lengths[i - 1];
            repeat = 3 + int(bits.take(2));
        } else {
            repeat = symbol == 17 ? 3 + int(bits.take(3)) : 11 + int(bits.take(7));
        }
        if (i + repeat > literalCount + distanceCount)
            return false;
        std::fill(lengths + i, lengths + i + repeat, value);
        i += repeat;
    }
    return lengths[256] != 0 && build(literals, lengths, literalCount) &&
           build(distances, lengths + literalCount, distanceCount);
}

} // namespace

bool inflate(const unsigned char *in, size_t size, std::vector<unsigned char> &out)
{
    BitReader bits(in, size);
    for (bool last = false; !last;) {
        last = bits.take(1) == 1;
        const uint32_t type = bits.take(2);
        if (type == 0) {
            bits.skipToByte();
            std::vector<unsigned char> header;
            if (!bits.bytes(4, header) ||
                (header[0] | header[1] << 8) != (~(header[2] | header[3] << 8) & 0xFFFF))
                return false;
            if (!bits.bytes(size_t(header[0] | header[1] << 8), out))
                return false;
            continue;
        }
        Code literals;
        Code distances;
        const bool codes = type == 1   ? fixedCodes(literals, distances)
                           : type == 2 ? dynamicCodes(bits, literals, distances)
                                       : false;
        if (!codes || !inflateBlock(bits, literals, distances, out))
            return false;
    }
    return !bits.overrun();
}

} // namespace quorlex
