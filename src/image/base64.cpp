#include "kivo/base64.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace base64 {
namespace {

// Any invalid byte maps to this in all four tables; valid entries stay below 0x01000000, so the OR
// of a group's four entries is below `invalid` exactly when all four characters are valid.
constexpr std::uint32_t invalid = 0x01FFFFFF;

constexpr int sextet(unsigned c)
{
    if (c >= 'A' && c <= 'Z')
        return int(c - 'A');
    if (c >= 'a' && c <= 'z')
        return int(c - 'a') + 26;
    if (c >= '0' && c <= '9')
        return int(c - '0') + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Entry for a character at `position` in its group: its 6 bits placed where they belong in the
// group's three output bytes, the first output byte being the lowest byte of the word.
constexpr std::uint32_t place(int position, std::uint32_t v)
{
    switch (position) {
    case 0:
        return v << 2;
    case 1:
        return (v >> 4) | ((v & 0x0F) << 12);
    case 2:
        return ((v >> 2) << 8) | ((v & 0x03) << 22);
    default:
        return v << 16;
    }
}

constexpr std::array<std::uint32_t, 256> make_table(int position)
{
    std::array<std::uint32_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        const int v = sextet(c);
        table[c] = v < 0 ? invalid : place(position, std::uint32_t(v));
    }
    return table;
}

constexpr auto t0 = make_table(0);
constexpr auto t1 = make_table(1);
constexpr auto t2 = make_table(2);
constexpr auto t3 = make_table(3);

static_assert(t0['/'] == 0xFC && t1['/'] == 0xF003 && t2['/'] == 0xC00F00 && t3['/'] == 0x3F0000);
static_assert(t0['='] == invalid && t3[0x80] == invalid);

// Decodes the first `significant` characters of a group; the rest are not examined.
std::uint32_t group(const unsigned char* in, int significant)
{
    const std::uint32_t word = t0[in[0]] | t1[in[1]] | (significant > 2 ? t2[in[2]] : 0) |
                               (significant > 3 ? t3[in[3]] : 0);
    if (word >= invalid)
        throw std::runtime_error("Invalid base64 encoded data - Invalid character");
    return word;
}

// Stores the three bytes of a group's word; on little-endian targets a fourth byte too, which the
// next group overwrites.
inline void store(unsigned char* dst, std::uint32_t word)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(dst, &word, 4);
    } else {
        dst[0] = std::uint8_t(word);
        dst[1] = std::uint8_t(word >> 8);
        dst[2] = std::uint8_t(word >> 16);
    }
}

} // namespace

template <typename Out> Out decode_into(std::string_view text)
{
    const std::size_t n = text.size();
    if (n == 0)
        return Out();
    if (n % 4 != 0)
        throw std::runtime_error("Invalid base64 encoded data - Size not divisible by 4");
    const int padding = int(
        (text[n - 1] == '=') + (text[n - 2] == '=') + (text[n - 3] == '=') + (text[n - 4] == '='));
    if (padding > 2)
        throw std::runtime_error("Invalid base64 encoded data - Found more than 2 padding signs");

    Out out(n / 4 * 3 - std::size_t(padding), '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    auto* dst = reinterpret_cast<unsigned char*>(out.data());

    // All full groups but the last store four bytes each; the fourth is overwritten by the next
    // group.
    const std::size_t full = n / 4 - (padding ? 1 : 0);
    const std::size_t wide = full > 0 ? full - 1 : 0;
    // Each table's address in a register of its own: otherwise GCC for 32-bit ARM reaches three of
    // them from one base, with an extra add per character.
    const std::uint32_t *p0 = t0.data(), *p1 = t1.data(), *p2 = t2.data(), *p3 = t3.data();
#if defined(__GNUC__)
    asm("" : "+r"(p0), "+r"(p1), "+r"(p2), "+r"(p3));
#endif
    // Two groups per step, and one validity test for all of them after the loop: the word of an
    // invalid group is stored like any other (the output is then discarded).
    std::uint32_t seen = 0;
    for (const unsigned char* const end = in + wide / 2 * 8; in != end; in += 8, dst += 6) {
        const std::uint32_t a = p0[in[0]] | p1[in[1]] | p2[in[2]] | p3[in[3]];
        const std::uint32_t b = p0[in[4]] | p1[in[5]] | p2[in[6]] | p3[in[7]];
        store(dst, a);
        store(dst + 3, b);
        seen |= a | b;
    }
    if (wide % 2 != 0) {
        const std::uint32_t word = p0[in[0]] | p1[in[1]] | p2[in[2]] | p3[in[3]];
        store(dst, word);
        seen |= word;
        in += 4;
        dst += 3;
    }
    if (seen >= invalid)
        throw std::runtime_error("Invalid base64 encoded data - Invalid character");
    // The last group, full or padded, writes only the bytes it owns.
    for (std::size_t g = wide; g < n / 4; ++g, in += 4) {
        const int significant = g < full ? 4 : 4 - padding;
        const std::uint32_t word = group(in, significant);
        for (int b = 0; b < significant - 1; ++b)
            *dst++ = std::uint8_t(word >> (8 * b));
    }
    return out;
}

template std::string decode_into<std::string>(std::string_view text);

} // namespace base64
