// QR-code labels: one image pixel per module, stretched over the label's rectangle.
#include <err.h>

#include "render/blit.h"
#include "render/label_geometry.h"
#include "render/warnings.h"

namespace kivo {

QrCode encode_qr(const std::string& text)
{
    return QrCode(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1));
}

// A quiet zone so negative that nothing of the image remains, or a rectangle without area,
// draws nothing; a negative quiet zone that leaves an image crops the code's outer modules.
void draw_qr_code(
    SDL_Surface* target, int qr_border, const QRcode& code, const Label& label, int offset)
{
    const std::int64_t border = qr_border;
    const std::int64_t side = code.width + 2 * border;
    if (side <= 0 || label.width <= 0 || label.height <= 0)
        return;
    // SDL's stretch overflows at 32768 pixels a side (see Surface::convert): such an image is one
    // this library cannot make.
    if (side >= 32768)
        errx(1, "SDL_CreateRGBSurfaceWithFormat: %s", "image too large");

    const int s = static_cast<int>(side);
    const Surface image(0, s, s, 32, SDL_PIXELFORMAT_ABGR8888);
    if (!image)
        errx(1, "SDL_CreateRGBSurfaceWithFormat: %s", SDL_GetError());
    // Every pixel is opaque, so a copy draws the same pixels as a blended blit, at a fraction of
    // its cost. (The stretch still converts ABGR to the target's format pixel by pixel.)
    SDL_SetSurfaceBlendMode(image.get(), SDL_BLENDMODE_NONE);

    SDL_FillRect(image.get(), nullptr,
        SDL_MapRGB(image->format, label.color.r, label.color.g, label.color.b));

    // Dark modules opaque black, those the quiet zone crops left out.
    for (int i = 0; i < code.width; ++i)
        for (int j = 0; j < code.width; ++j) {
            const std::int64_t row = border + i, column = border + j;
            if ((code.data[i * code.width + j] & 1) && coords::inside(column, row, 0, 0, s, s))
                *reinterpret_cast<std::uint32_t*>(pixel_at(image.get(), int(column), int(row))) =
                    0xFF000000u;
        }

    SDL_Rect dst{
        coords::saturate(std::int64_t{label.x} + offset), label.y, label.width, label.height};
    if (SDL_UpperBlitScaled(image.get(), nullptr, target, &dst) != 0)
        errx(1, "SDL_UpperBlitScaled: %s", SDL_GetError());
}

void Renderer::draw_qr_label(const Label& label, int offset) const
{
    if (const QrCode code = encode_qr(label.text))
        draw_qr_code(target_, config_.qr_border, *code, label, offset);
    else if (warnings_->first("qrencode", label.text))
        warn("qrencode");
}

} // namespace kivo
