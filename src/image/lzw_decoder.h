// kivo::LzwDecoder: the variable-width LZW code stream of one GIF image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kivo {

// Reads the codes of one image (its data sub-blocks joined, least significant bit first) and hands
// out the colour indices they stand for. Every table entry extends an older one, so no chain can
// loop, and no string is longer than the table: whatever the bytes, decoding stays inside its own
// arrays. The stream ends at the end code, at the end of the data, or at the first code that names
// an entry not yet made; what was decoded before stays valid.
class LzwDecoder {
  public:
    static constexpr int max_bits = 12;
    static constexpr int table_size = 1 << max_bits;

    // min_code_size must be valid (see valid_min_code_size). The data is only borrowed: it must
    // outlive the decoder.
    LzwDecoder(const std::uint8_t* data, std::size_t size, int min_code_size);

    // GIF encoders write 2 to 8; 1 to 11 still leave the clear and end codes inside 12 bits.
    static bool valid_min_code_size(int size) { return size >= 1 && size < max_bits; }

    // Writes up to max indices to out; returns how many, 0 once the stream has ended.
    std::size_t read(std::uint8_t* out, std::size_t max);

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    std::uint32_t bits_ = 0;
    int bit_count_ = 0;

    int min_code_size_;
    int clear_code_;
    int end_code_;
    int next_code_ = 0;
    int code_width_ = 0;
    int previous_ = -1;
    bool ended_ = false;

    std::uint16_t prefix_[table_size];
    std::uint16_t length_[table_size];
    std::uint8_t suffix_[table_size];
    std::uint8_t first_[table_size];

    // The string of the last code, handed out from pending_begin_.
    std::uint8_t pending_[table_size];
    std::size_t pending_begin_ = 0;
    std::size_t pending_end_ = 0;

    void reset();
    int read_code();
    bool decode_next();
    void expand(int code);
};

} // namespace kivo
