// Which image formats are read, and by which decoder: PNG, JPEG, WebP and BMP by SDL_image's
// loader of that format whatever a file's name says, GIF by the library, everything else refused
// with one warning (formats whose SDL_image 2.6 decoders write outside their buffers included).

#include <cstdio>

#include "kivo/animation.h"
#include "support.h"

namespace {

using kivo_test::stderr_of;

constexpr Uint32 colour = 0xFF3366CC;

bool near(Uint32 a, Uint32 b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > 4)
            return false;
    return true;
}

TEST(Formats, OnlyTheReadFormatsReachADecoder)
{
    const std::string webp = kivo_test::read_file("samples/still.webp");
    const std::string lbm = kivo_test::read_file(
        std::string(KIVO_IMAGE_FINDINGS) + "/lbm-12-planes-overflows-sdl-image-2.6.3");
    const std::string svg_in_jpeg = kivo_test::read_file(
        std::string(KIVO_IMAGE_FINDINGS) + "/leak-jpeg-signature-over-svg-text");
    struct Case {
        const char* what;
        std::string bytes;
        const char* name; // of the file the bytes are also read from
        bool read;
        std::string error = "Unsupported image format";
    } const cases[] = {{"PNG", kivo_test::encoded("PNG", 8, 8, colour), "png-named.tga", true},
        {"JPEG", kivo_test::encoded("JPG", 8, 8, colour), "jpeg-named.png", true},
        {"BMP", kivo_test::encoded("BMP", 8, 8, colour), "bmp-named.xcf", true},
        {"WebP", webp, "webp-named.gif", true},
        // 90 bytes that make SDL_image 2.6.3 write 15 KiB past a palette.
        {"LBM of 12 planes", lbm, "lbm.iff", false},
        {"XCF", std::string("gimp xcf v011\0\0\0\0\x08\0\0\0\x08\0\0\0\0", 26), "image.xcf", false},
        {"SVG", "<svg xmlns='http://www.w3.org/2000/svg' width='8' height='8'/>", "image.svg",
            false},
        {"PNM", "P6 1 1 255\n\x10\x20\x30", "image.ppm", false},
        {"text", "not an image", "image.png", false},
        {"PNG signature cut short", "\x89PNG\r\n\x1a", "short.png", false},
        // SDL_image's generic loader would go on to its SVG decoder (which leaks on this text).
        {"JPEG signature over SVG text", svg_in_jpeg, "svg.jpg", false, "JPEG loading error"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = kivo_test::write_file(c.name, c.bytes);
        const std::string said = stderr_of([&] {
            const kivo::Animation from_memory(c.bytes.data(), unsigned(c.bytes.size()), 0, 0);
            const kivo::Animation from_file(path.c_str(), 0, 0);
            for (const kivo::Animation* a : {&from_memory, &from_file}) {
                ASSERT_EQ(a->empty(), !c.read);
                if (c.read && c.what != std::string("WebP")) {
                    EXPECT_PRED2(near, static_cast<const Uint32*>(a->still()->pixels)[9], colour);
                }
            }
        });
        EXPECT_EQ(said, c.read ? ""
                               : "formats_test: IMG_Load_RW: " + c.error +
                                     "\nformats_test: IMG_Load(" + path + "): " + c.error + "\n");
        std::remove(path.c_str());
    }
}

} // namespace
