// Strict checks first, then glib's decoder, which would pass over what the checks refuse.
#include "kivo/base64.h"

#include <glib.h>

#include <algorithm>
#include <stdexcept>

namespace base64 {

template <typename Out> Out decode_into(std::string_view text)
{
    const std::size_t n = text.size();
    if (n % 4 != 0)
        throw std::runtime_error("Invalid base64 encoded data - Size not divisible by 4");
    // Padding is every "=" of the last group; the characters before it must be of the alphabet.
    const auto padding =
        std::size_t(std::count(text.end() - std::min<std::size_t>(n, 4), text.end(), '='));
    if (padding > 2)
        throw std::runtime_error("Invalid base64 encoded data - Found more than 2 padding signs");
    if (!std::all_of(text.begin(), text.end() - padding,
            [](char c) { return g_ascii_isalnum(c) || c == '+' || c == '/'; }))
        throw std::runtime_error("Invalid base64 encoded data - Invalid character");
    // A padded group's 12 or 18 bits give one or two bytes; the bits left over are ignored.
    Out out(n / 4 * 3, '\0');
    gint state = 0;
    guint save = 0;
    out.resize(
        g_base64_decode_step(text.data(), n, reinterpret_cast<guchar*>(out.data()), &state, &save));
    return out;
}

template std::string decode_into<std::string>(std::string_view text);

} // namespace base64
