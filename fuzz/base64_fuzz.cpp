// base64::decode_into against a plain, character-by-character reading of the same rules: the
// same bytes, or a std::runtime_error with the same message. Every input is also encoded and
// must decode back to itself.
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeinfo>

#include "input.h"
#include "kivo/base64.h"

namespace {

struct Outcome {
    std::string bytes;
    std::string error;
};

int sextet(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

Outcome reference(std::string_view text)
{
    const std::string prefix = "Invalid base64 encoded data - ";
    const std::size_t n = text.size();
    if (n == 0)
        return {};
    if (n % 4 != 0)
        return {{}, prefix + "Size not divisible by 4"};
    int padding = 0;
    for (std::size_t i = n - 4; i < n; ++i)
        padding += text[i] == '=';
    if (padding > 2)
        return {{}, prefix + "Found more than 2 padding signs"};
    Outcome out;
    for (std::size_t g = 0; g < n; g += 4) {
        const int significant = g + 4 == n ? 4 - padding : 4;
        std::uint32_t bits = 0;
        for (int k = 0; k < 4; ++k) {
            const int v = k < significant ? sextet(static_cast<unsigned char>(text[g + k])) : 0;
            if (v < 0)
                return {{}, prefix + "Invalid character"};
            bits = bits << 6 | std::uint32_t(v);
        }
        for (int b = 0; b < significant - 1; ++b)
            out.bytes += char(bits >> (16 - 8 * b));
    }
    return out;
}

Outcome decode(std::string_view text)
{
    try {
        return {base64::decode_into<std::string>(text), {}};
    } catch (const std::runtime_error& e) {
        if (typeid(e) != typeid(std::runtime_error))
            fuzz::fail("not exactly std::runtime_error:", e.what());
        return {{}, e.what()};
    }
}

void compare(std::string_view text)
{
    const Outcome got = decode(text);
    const Outcome want = reference(text);
    if (got.error != want.error)
        fuzz::fail("error differs:", "'" + got.error + "' vs '" + want.error + "'");
    if (got.bytes != want.bytes)
        fuzz::fail("bytes differ for", std::string(text.substr(0, 64)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    compare(text);
    const std::string bytes(text);
    const std::string encoded = fuzz::base64_encode(bytes);
    compare(encoded);
    if (decode(encoded).bytes != bytes)
        fuzz::fail("round trip lost bytes");
    return 0;
}
