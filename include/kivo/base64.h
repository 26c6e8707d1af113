// Strict base64 (RFC 4648, standard alphabet, "=" padding, no line breaks).
#pragma once

#include <string>
#include <string_view>

#include "kivo/export.h"

namespace base64 {

// Decodes text into a new container (instantiated for std::string), zero bytes included.
// Throws std::runtime_error with exactly one of, checked in this order:
//   "Invalid base64 encoded data - Size not divisible by 4"
//   "Invalid base64 encoded data - Found more than 2 padding signs"
//   "Invalid base64 encoded data - Invalid character"
template <typename Out> KIVO_EXPORT Out decode_into(std::string_view text);

extern template KIVO_EXPORT std::string decode_into<std::string>(std::string_view text);

} // namespace base64
