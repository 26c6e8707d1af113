#include "webp_recorder.h"

#include <cstdio>
#include <err.h>

namespace kivo_sim {

WebpRecorder::WebpRecorder(std::string path) : path_(std::move(path))
{
    if (!WebPConfigInit(&config_))
        errx(1, "WebPConfigInit: libwebp version mismatch");
    config_.quality = 70;
    config_.method = 1; // fast: frames are encoded while the host runs
}

WebpRecorder::~WebpRecorder()
{
    if (encoder_)
        WebPAnimEncoderDelete(encoder_);
}

void WebpRecorder::add(const Frame& frame, int time_ms)
{
    if (!encoder_) {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options))
            errx(1, "WebPAnimEncoderOptionsInit: libwebp version mismatch");
        options.allow_mixed = 1;
        encoder_ = WebPAnimEncoderNew(frame.width, frame.height, &options);
        if (!encoder_)
            errx(1, "WebPAnimEncoderNew failed");
        width_ = frame.width;
        height_ = frame.height;
    }
    if (frame.width != width_ || frame.height != height_)
        return;
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        errx(1, "WebPPictureInit: libwebp version mismatch");
    picture.width = frame.width;
    picture.height = frame.height;
    picture.use_argb = 1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.pixels.data());
    if (!WebPPictureImportBGRX(&picture, bytes, frame.width * 4))
        errx(1, "WebPPictureImportBGRX: out of memory");
    if (!WebPAnimEncoderAdd(encoder_, &picture, time_ms, &config_))
        warnx("%s: frame at %d ms: %s", path_.c_str(), time_ms, WebPAnimEncoderGetError(encoder_));
    else
        ++frames_;
    WebPPictureFree(&picture);
}

bool WebpRecorder::finish(int time_ms)
{
    if (!encoder_ || frames_ == 0) {
        warnx("%s: no frames recorded", path_.c_str());
        return false;
    }
    WebPData data;
    WebPDataInit(&data);
    bool ok = WebPAnimEncoderAdd(encoder_, nullptr, time_ms, nullptr) &&
              WebPAnimEncoderAssemble(encoder_, &data);
    if (!ok) {
        warnx("%s: %s", path_.c_str(), WebPAnimEncoderGetError(encoder_));
    } else if (FILE* f = std::fopen(path_.c_str(), "wbe")) {
        ok = std::fwrite(data.bytes, 1, data.size, f) == data.size;
        ok = std::fclose(f) == 0 && ok;
        if (!ok)
            warn("%s", path_.c_str());
    } else {
        warn("%s", path_.c_str());
        ok = false;
    }
    WebPDataClear(&data);
    return ok;
}

} // namespace kivo_sim
