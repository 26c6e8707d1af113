#include "image/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace kivo {

LzwDecoder::LzwDecoder(const std::uint8_t* data, std::size_t size, int min_code_size)
    : data_(data), size_(size), min_code_size_(min_code_size), clear_code_(1 << min_code_size),
      end_code_(clear_code_ + 1)
{
    for (int i = 0; i < clear_code_; ++i) {
        prefix_[i] = 0;
        length_[i] = 1;
        suffix_[i] = std::uint8_t(i);
        first_[i] = std::uint8_t(i);
    }
    reset();
}

void LzwDecoder::reset()
{
    next_code_ = clear_code_ + 2;
    code_width_ = min_code_size_ + 1;
    previous_ = -1;
}

int LzwDecoder::read_code()
{
    while (bit_count_ < code_width_) {
        if (position_ == size_)
            return -1;
        bits_ |= std::uint32_t(data_[position_++]) << bit_count_;
        bit_count_ += 8;
    }
    const int code = int(bits_ & ((1u << code_width_) - 1));
    bits_ >>= code_width_;
    bit_count_ -= code_width_;
    return code;
}

// Entries are built from the root codes up, so length_[code] is at most table_size - clear_code_
// and the walk down the prefixes ends at a root.
void LzwDecoder::expand(int code)
{
    const std::size_t length = length_[code];
    for (std::size_t i = length; i-- > 0; code = prefix_[code])
        pending_[i] = suffix_[code];
    pending_begin_ = 0;
    pending_end_ = length;
}

bool LzwDecoder::decode_next()
{
    for (;;) {
        const int code = read_code();
        if (code < 0 || code == end_code_)
            return false;
        if (code == clear_code_) {
            reset();
            continue;
        }
        if (previous_ < 0) {
            if (code >= clear_code_)
                return false;
            expand(code);
            previous_ = code;
            return true;
        }
        std::uint8_t first;
        if (code < next_code_) {
            expand(code);
            first = first_[code];
        } else if (code == next_code_) {
            // The entry this code names is being made: the previous string and its own first index.
            expand(previous_);
            first = first_[previous_];
            pending_[pending_end_++] = first;
        } else {
            return false;
        }
        if (next_code_ < table_size) {
            prefix_[next_code_] = std::uint16_t(previous_);
            suffix_[next_code_] = first;
            first_[next_code_] = first_[previous_];
            length_[next_code_] = std::uint16_t(length_[previous_] + 1);
            ++next_code_;
            if (next_code_ == (1 << code_width_) && code_width_ < max_bits)
                ++code_width_;
        }
        previous_ = code;
        return true;
    }
}

std::size_t LzwDecoder::read(std::uint8_t* out, std::size_t max)
{
    std::size_t written = 0;
    while (written < max) {
        if (pending_begin_ == pending_end_) {
            if (ended_ || !decode_next()) {
                ended_ = true;
                break;
            }
        }
        const std::size_t n = std::min(max - written, pending_end_ - pending_begin_);
        std::memcpy(out + written, pending_ + pending_begin_, n);
        pending_begin_ += n;
        written += n;
    }
    return written;
}

} // namespace kivo
