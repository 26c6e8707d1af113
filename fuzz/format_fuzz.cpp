// kivo::FbFormat::convert against convert_plain: a panel layout the window takes (16 bits with
// 5- or 6-bit fields in any order, 24 bits in whole bytes, 32 bits in whole bytes or at any shift,
// with or without transparency bits), a run of pixels at any place on the screen: the same bytes,
// and nothing written beyond the run.
#include <linux/fb.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input.h"
#include "window/fb_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t kind = in.byte(), order = in.byte() % 6, shift = in.byte();
    static constexpr int orders[6][3] = {
        {0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    fb_var_screeninfo v{};
    fb_bitfield* fields[3] = {&v.red, &v.green, &v.blue};
    v.bits_per_pixel = 16 + 8 * (kind % 3);
    // The fields one after another from the lowest bit (32 bits: from `shift`, at most 8), in the
    // given order, at 16 bits one of them (or none) 6 bits long; the transparency bits, if any, in
    // what is left at the top.
    const int wide = kind / 3 % 4 - 1;
    std::uint32_t at = v.bits_per_pixel == 32 ? shift % 9u : 0;
    for (int k = 0; k < 3; ++k) {
        const int c = orders[order][k];
        fields[c]->length = v.bits_per_pixel > 16 ? 8 : c == wide ? 6 : 5;
        fields[c]->offset = at;
        at += fields[c]->length;
    }
    if (kind / 12 % 2 && at < v.bits_per_pixel)
        v.transp = {at, std::min<std::uint32_t>(v.bits_per_pixel - at, 8), 0};
    const kivo::FbFormat format(v, FB_VISUAL_TRUECOLOR);

    const std::size_t n = in.take<std::uint16_t>() % 300, x = in.take<std::uint16_t>(),
                      y = in.take<std::uint16_t>();
    std::vector<std::uint32_t> src(n + 1); // never empty: data() is a pointer to pixels
    for (std::size_t i = 0; i < n; ++i)
        src[i] = in.empty() ? std::uint32_t(i) * 2654435761u : in.take<std::uint32_t>();
    const std::size_t bytes = format.bytes();
    std::vector<unsigned char> fast(bytes * n + 64, 0xa5), plain = fast;
    format.convert(src.data(), fast.data() + 32, n, x, y);
    format.convert_plain(src.data(), plain.data() + 32, n, x, y);
    if (fast != plain) {
        const auto at_byte = std::mismatch(fast.begin(), fast.end(), plain.begin()).first;
        fuzz::fail("conversions differ at byte", std::to_string(at_byte - fast.begin() - 32) +
                                                     " of " + std::to_string(n) + " pixels of " +
                                                     std::to_string(v.bits_per_pixel) + " bits");
    }
    return 0;
}
