// WebP (still and animated), GIF and palette-PNG encoders over assetgen::Image.

#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "image.h"

namespace assetgen {
namespace {

class Picture {
  public:
    explicit Picture(const Image& image)
    {
        if (!WebPPictureInit(&pic_))
            throw std::runtime_error("WebPPictureInit");
        pic_.use_argb = 1;
        pic_.width = image.width;
        pic_.height = image.height;
        if (!WebPPictureImportBGRA(&pic_, image.bgra.data(), image.width * 4))
            throw std::runtime_error("WebPPictureImportBGRA");
    }
    ~Picture() { WebPPictureFree(&pic_); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    WebPPicture* get() { return &pic_; }

  private:
    WebPPicture pic_;
};

WebPConfig make_config(bool lossless, float quality)
{
    WebPConfig config;
    if (!WebPConfigInit(&config))
        throw std::runtime_error("WebPConfigInit");
    config.lossless = lossless;
    config.quality = quality;
    config.exact = 1; // keep the colour under transparent pixels
    return config;
}

void put16(Bytes& out, unsigned v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32be(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

// Packs fixed-width codes least significant bit first, in GIF data sub-blocks.
class GifCodeWriter {
  public:
    explicit GifCodeWriter(Bytes& out) : out_(out) {}
    void put(unsigned code, int width)
    {
        bits_ |= code << nbits_;
        nbits_ += width;
        while (nbits_ >= 8) {
            byte(uint8_t(bits_));
            bits_ >>= 8;
            nbits_ -= 8;
        }
    }
    void finish()
    {
        if (nbits_ > 0)
            byte(uint8_t(bits_));
        flush_block();
        out_.push_back(0);
    }

  private:
    void byte(uint8_t b)
    {
        block_.push_back(b);
        if (block_.size() == 255)
            flush_block();
    }
    void flush_block()
    {
        if (block_.empty())
            return;
        out_.push_back(uint8_t(block_.size()));
        out_.insert(out_.end(), block_.begin(), block_.end());
        block_.clear();
    }
    Bytes& out_;
    Bytes block_;
    unsigned bits_ = 0;
    int nbits_ = 0;
};

} // namespace

Bytes encode_webp(const Image& image, bool lossless, float quality)
{
    WebPConfig config = make_config(lossless, quality);
    Picture pic(image);
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    pic.get()->writer = WebPMemoryWrite;
    pic.get()->custom_ptr = &writer;
    const bool ok = WebPEncode(&config, pic.get());
    Bytes out(writer.mem, writer.mem + writer.size);
    WebPMemoryWriterClear(&writer);
    if (!ok)
        throw std::runtime_error("WebPEncode failed");
    return out;
}

Bytes encode_anim_webp(const std::vector<Image>& frames, const std::vector<int>& delays_ms,
    bool lossless, float quality)
{
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options))
        throw std::runtime_error("WebPAnimEncoderOptionsInit");
    options.anim_params.loop_count = 0;
    const std::unique_ptr<WebPAnimEncoder, decltype(&WebPAnimEncoderDelete)> enc(
        WebPAnimEncoderNew(frames.at(0).width, frames.at(0).height, &options),
        WebPAnimEncoderDelete);
    if (!enc)
        throw std::runtime_error("WebPAnimEncoderNew");
    const WebPConfig config = make_config(lossless, quality);
    int timestamp = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        Picture pic(frames[i]);
        if (!WebPAnimEncoderAdd(enc.get(), pic.get(), timestamp, &config))
            throw std::runtime_error(WebPAnimEncoderGetError(enc.get()));
        timestamp += delays_ms.at(i);
    }
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAdd(enc.get(), nullptr, timestamp, nullptr) ||
        !WebPAnimEncoderAssemble(enc.get(), &data))
        throw std::runtime_error(WebPAnimEncoderGetError(enc.get()));
    Bytes out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return out;
}

// One global palette of up to 8 colours (alpha ignored), minimum code size 3, so codes are 4 bits
// wide. A clear code after every 4 literals keeps the decoder's table far from growing a bit.
Bytes encode_gif(const std::vector<Image>& frames, const std::vector<int>& delays_ms)
{
    constexpr unsigned clear = 8, end = 9, width = 4;
    std::vector<uint32_t> palette;
    auto rgb = [](const uint8_t* p) { return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; };
    for (const Image& f : frames)
        for (size_t i = 0; i < f.bgra.size(); i += 4)
            if (std::find(palette.begin(), palette.end(), rgb(&f.bgra[i])) == palette.end())
                palette.push_back(rgb(&f.bgra[i]));
    if (palette.size() > 8)
        throw std::runtime_error("GIF frames use more than 8 colours");
    palette.resize(8, 0);

    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    put16(out, unsigned(frames.at(0).width));
    put16(out, unsigned(frames.at(0).height));
    out.insert(
        out.end(), {0xA2, 0, 0}); // global table of 2^(2+1) entries, 3 bits of colour resolution
    for (uint32_t c : palette)
        out.insert(out.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    const char* loop = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00";
    out.insert(out.end(), loop, loop + 19);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Image& f = frames[i];
        out.insert(out.end(), {0x21, 0xF9, 4, 0x04}); // graphic control: dispose "do not dispose"
        put16(out, unsigned(delays_ms.at(i) / 10));
        out.insert(out.end(), {0, 0, 0x2C, 0, 0, 0, 0});
        put16(out, unsigned(f.width));
        put16(out, unsigned(f.height));
        out.insert(out.end(), {0, 3}); // no local table; LZW minimum code size
        GifCodeWriter codes(out);
        for (size_t p = 0; p < f.bgra.size() / 4; ++p) {
            if (p % 4 == 0)
                codes.put(clear, width);
            codes.put(unsigned(std::find(palette.begin(), palette.end(), rgb(&f.bgra[p * 4])) -
                               palette.begin()),
                width);
        }
        codes.put(end, width);
        codes.finish();
    }
    out.push_back(0x3B);
    return out;
}

Bytes encode_palette_png(int width, int height, const std::vector<uint8_t>& indices,
    const std::vector<uint8_t>& palette_rgb)
{
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&out](const char* type, const Bytes& data) {
        put32be(out, uint32_t(data.size()));
        const size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        put32be(out, uint32_t(crc32(0, &out[start], uInt(out.size() - start))));
    };
    Bytes ihdr;
    put32be(ihdr, uint32_t(width));
    put32be(ihdr, uint32_t(height));
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0}); // depth 8, colour type 3 (palette)
    chunk("IHDR", ihdr);
    chunk("PLTE", palette_rgb);
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // filter: none
        raw.insert(raw.end(), indices.begin() + ptrdiff_t(y) * width,
            indices.begin() + ptrdiff_t(y + 1) * width);
    }
    uLongf size = compressBound(uLong(raw.size()));
    Bytes idat(size);
    if (compress2(idat.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK)
        throw std::runtime_error("compress2");
    idat.resize(size);
    chunk("IDAT", idat);
    chunk("IEND", {});
    return out;
}

} // namespace assetgen
