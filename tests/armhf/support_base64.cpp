// The one piece of tests/support that tests/image/base64_test.cpp uses, for the run of
// scripts/ci-armhf.sh that has only the cross compiler (tests/support itself needs SDL).
#include <string>

namespace kivo_test {

std::string base64(const std::string& bytes)
{
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (unsigned char c : bytes) {
        bits = bits << 8 | c;
        for (count += 8; count >= 6; count -= 6)
            out += alphabet[(bits >> (count - 6)) & 63];
    }
    if (count > 0)
        out += alphabet[(bits << (6 - count)) & 63];
    out.append((4 - out.size() % 4) % 4, '=');
    return out;
}

} // namespace kivo_test
