// Typed values read off the front of a fuzz input. Past the end every read yields zero bytes, so
// any input, however short, decodes to something.
#pragma once

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}

    bool empty() const { return left_ == 0; }
    std::size_t left() const { return left_; }

    template <typename T> T take()
    {
        T v{};
        const std::size_t n = left_ < sizeof v ? left_ : sizeof v;
        if (n != 0)
            std::memcpy(&v, p_, n);
        p_ += n;
        left_ -= n;
        return v;
    }
    std::uint8_t byte() { return take<std::uint8_t>(); }

    // Small values most of the time, the ends of the int range now and then.
    std::int32_t coordinate()
    {
        static constexpr std::int32_t ends[] = {
            INT_MIN, INT_MIN + 1, -65536, -1, 0, 1, 65536, INT_MAX - 1, INT_MAX};
        const std::uint8_t mode = byte();
        if (mode < 0xe0)
            return std::int32_t(take<std::int16_t>()) / (mode & 7 ? 1 : 64);
        if (mode < 0xf0)
            return take<std::int32_t>();
        return ends[mode % (sizeof ends / sizeof ends[0])];
    }

    // Any bit pattern: NaN, infinities and denormals included.
    float real() { return take<float>(); }

    // A length byte, then that many bytes.
    std::string text(std::size_t max = 255)
    {
        std::size_t n = byte();
        if (n > max)
            n = max;
        if (n > left_)
            n = left_;
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        left_ -= n;
        return s;
    }

    std::string rest()
    {
        std::string s(reinterpret_cast<const char*>(p_), left_);
        p_ += left_;
        left_ = 0;
        return s;
    }

  private:
    const std::uint8_t* p_;
    std::size_t left_;
};

// Standard base64 with padding, for building "data://" references.
inline std::string base64_encode(const std::string& bytes)
{
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                                std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 |
                                std::uint8_t(bytes[i + 2]);
        for (int s = 18; s >= 0; s -= 6)
            out += alphabet[(v >> s) & 63];
    }
    if (i + 1 == bytes.size()) {
        const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == bytes.size()) {
        const std::uint32_t v = std::uint32_t(std::uint8_t(bytes[i])) << 16 |
                                std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

// Ends the run so that libFuzzer (or the replay test) reports the input.
[[noreturn]] inline void fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "fuzz finding: %s %s\n", what, detail.c_str());
    std::abort();
}

} // namespace fuzz
