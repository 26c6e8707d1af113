// The decoded-size bound: an image whose header declares more pixels than the bound allows is
// refused with its loader's warning before anything of that size is asked for, whatever its
// format, from memory and from a file; and nothing stretches an image past the bound.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "image/image_bound.h"
#include "kivo/animation.h"
#include "support.h"

extern "C" {
std::size_t kivo_test_largest_allocation(void);
void kivo_test_reset_largest_allocation(void);
}

namespace {

using kivo_test::stderr_of;

// The warning line for a source refused, from memory ("IMG_Load_RW") or a file ("IMG_Load(path)").
std::string warning(const std::string& where, const std::string& reason)
{
    return std::string(program_invocation_short_name) + ": " + where + ": " + reason + "\n";
}

// What loading bytes at w x h from memory writes; the load gives an image exactly when `loads`.
template <typename Bytes> std::string load(const Bytes& bytes, int w, int h, bool loads = false)
{
    return stderr_of([&] {
        EXPECT_EQ(kivo::Animation(bytes.data(), unsigned(bytes.size()), w, h).empty(), !loads);
    });
}

// Far below any of the declared sizes, far above what reading a header takes.
constexpr std::size_t small_allocation = std::size_t{16} << 20;

std::string decoded(const char* pixels, int mib)
{
    return std::string("image of ") + pixels + " pixels in 1 frame needs " + std::to_string(mib) +
           " MiB decoded, more than the bound of 256 MiB";
}

const struct {
    const char* file;
    std::string reason; // in the warning
} huge[] = {{KIVO_IMAGE_FINDINGS "/huge-png-30000x30000", decoded("30000 x 30000", 3434)},
    // 153 MiB of pixels, and an array of 8-byte row pointers twice that (SDL_image's).
    {KIVO_IMAGE_CORPUS "/huge-png-1x40000000-row-pointers", decoded("1 x 40000000", 458)},
    {KIVO_IMAGE_FINDINGS "/huge-bmp-30000x30000", decoded("30000 x 30000", 3434)},
    {KIVO_IMAGE_FINDINGS "/oom-webp-canvas-64x16777008", decoded("64 x 16777008", 16384)},
    {KIVO_IMAGE_CORPUS "/huge-webp-lossless-16384x16384", decoded("16384 x 16384", 2049)},
    {KIVO_IMAGE_CORPUS "/huge-jpeg-30000x30000", decoded("30000 x 30000", 3434)},
    {KIVO_IMAGE_CORPUS "/huge-jpeg-progressive-7000x7000", decoded("7000 x 7000", 281)},
    {KIVO_IMAGE_CORPUS "/huge-gif-20000x20000", decoded("20000 x 20000", 4578)}};

TEST(Bound, DeclaredSizesAboveTheBoundAreRefusedBeforeDecoding)
{
    ASSERT_EQ(kivo::image_bound(), std::uint64_t{256} << 20) << "a machine of less than 1 GiB";
    for (const auto& h : huge) {
        SCOPED_TRACE(h.file);
        const std::string bytes = kivo_test::read_file(h.file);
        ASSERT_FALSE(bytes.empty());
        kivo_test_reset_largest_allocation();
        EXPECT_EQ(load(bytes, 800, 480), warning("IMG_Load_RW", h.reason));
        EXPECT_EQ(stderr_of([&] { EXPECT_TRUE(kivo::Animation(h.file, 800, 480).empty()); }),
            warning("IMG_Load(" + std::string(h.file) + ")", h.reason));
        EXPECT_LT(kivo_test_largest_allocation(), small_allocation);
    }
}

// libpng checksums a chunk of any declared length, reading on past the end of the data: only a
// PNG whose chunks lie whole within it, IHDR first and IEND last, reaches the decoder.
TEST(Bound, PngChunksMustLieWithinTheData)
{
    const std::string png = kivo_test::encoded("PNG", 8, 8, 0);
    ASSERT_GT(png.size(), 45u);
    const auto with_length = [&](std::size_t at, std::uint32_t length) {
        std::string v = png;
        const char big_endian[4] = {
            char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
        if (at + 4 <= v.size())
            std::memcpy(v.data() + at, big_endian, 4);
        return v;
    };
    const std::size_t second_chunk = 8 + 12 + 13;
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    };
    const Case cases[] = {
        {"whole", png, true},
        {"first chunk not IHDR, declaring 1.6 GB",
            kivo_test::read_file(KIVO_IMAGE_FINDINGS "/png-first-chunk-not-ihdr-1.6-gb-slow"),
            false},
        {"IHDR of the wrong length", with_length(8, 14), false},
        {"a chunk of 2 GiB - 1 past the end", with_length(second_chunk, 0x7fffffff), false},
        {"a chunk just past the end",
            with_length(second_chunk, std::uint32_t(png.size() - second_chunk - 12 + 1)), false},
        {"a chunk length above 2^31 - 1", with_length(second_chunk, 0x80000000u), false},
        {"no IEND", png.substr(0, png.size() - 12), false},
        {"cut inside IEND", png.substr(0, png.size() - 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(load(c.bytes, 0, 0, c.loads),
            c.loads ? ""
                    : warning("IMG_Load_RW", "PNG whose chunks do not lie whole within its " +
                                                 std::to_string(c.bytes.size()) +
                                                 " bytes, IHDR to IEND"));
    }
}

// Small images asked for at a size past the bound, as a background of a huge surface would be;
// and a surface of more than 2 GiB handed to convert (SDL's stretch would overflow on it).
TEST(Bound, NothingIsStretchedPastTheBound)
{
    const std::string png = kivo_test::encoded("PNG", 8, 8, 0);
    EXPECT_EQ(load(png, 9000, 9000),
        warning("IMG_Load_RW", "image of 8 x 8 pixels in 1 frame needs 309 MiB stretched, more "
                               "than the bound of 256 MiB"));

    // A GIF's frames are counted as giflib reads them, then checked at the size asked for.
    const std::string gif = kivo_test::read_file(KIVO_IMAGE_CORPUS "/anim_gif");
    const std::string refused = load(gif, 9000, 9000);
    EXPECT_EQ(refused.find(": IMG_Load_RW: image of 64 x 48 pixels in "), refused.find(':'));
    EXPECT_NE(refused.find(" frames needs "), std::string::npos) << refused;
    EXPECT_NE(refused.find(" MiB stretched, more than the bound of 256 MiB\n"), std::string::npos);

    std::uint32_t pixel = 0;
    SDL_Surface* huge_header = SDL_CreateRGBSurfaceWithFormatFrom(
        &pixel, 30000, 30000, 32, 30000 * 4, kivo::working_format);
    ASSERT_NE(huge_header, nullptr);
    kivo_test_reset_largest_allocation();
    EXPECT_EQ(kivo::Surface::convert(huge_header, 800, 480), nullptr);
    EXPECT_LT(kivo_test_largest_allocation(), small_allocation);

    SDL_Surface* small = SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, kivo::working_format);
    EXPECT_EQ(kivo::Surface::convert(small, 9000, 9000), nullptr);
    EXPECT_STREQ(SDL_GetError(),
        "image of 9000 x 9000 pixels needs 309 MiB, more than the bound of 256 MiB");
}

// A file of more bytes than the bound (sparse: it takes no room), from its path and mapped into
// memory, is refused before a byte of it is read; so are a FIFO (whose open would wait for a
// writer: the test would hang), a directory and devices, at once, naming what they are.
TEST(Bound, SourcesLargerThanTheBoundAreNotRead)
{
    const std::string path = ::testing::TempDir() + "kivo-bound-large.png";
    const std::string png = kivo_test::read_file(KIVO_IMAGE_FINDINGS "/huge-png-30000x30000");
    const off_t size = off_t(kivo::image_bound() + 1);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, png.data(), png.size()), ssize_t(png.size()));
    ASSERT_EQ(::ftruncate(fd, size), 0);
    void* mapped = ::mmap(nullptr, std::size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    ASSERT_NE(mapped, MAP_FAILED);
    const std::string fifo = ::testing::TempDir() + "kivo-bound-fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    const std::string too_large =
        "data of 268435457 bytes needs 257 MiB, more than the bound of 256 MiB";
    EXPECT_EQ(load(std::string_view(static_cast<const char*>(mapped), std::size_t(size)), 0, 0),
        warning("IMG_Load_RW", too_large));
    const std::pair<std::string, std::string> files[] = {{path, too_large},
        {fifo, "a FIFO, not a regular file"},
        {::testing::TempDir(), "a directory, not a regular file"},
        {"/dev/zero", "a character device, not a regular file"}};
    for (const auto& [file, reason] : files) {
        EXPECT_EQ(stderr_of([&] { EXPECT_TRUE(kivo::Animation(file.c_str(), 0, 0).empty()); }),
            warning("IMG_Load(" + file + ")", reason));
    }
    ::munmap(mapped, std::size_t(size));
    std::remove(path.c_str());
    std::remove(fifo.c_str());
}

// A flat grey progressive JPEG of 1024 x 1024 (tools/board/huge_images.py): a DC scan, then an AC
// scan repeated to 32 scans. Here with `scans` of them, each repeat after `gap`, then `tail`.
std::string progressive_jpeg(int scans, const std::string& gap = "", const std::string& tail = "")
{
    const std::string file = kivo_test::read_file(KIVO_IMAGE_CORPUS "/jpeg-32-scans-1024x1024");
    const std::string jpeg = file.substr(0, file.size() - 2);
    const std::size_t ac = jpeg.find("\xFF\xDA", jpeg.find("\xFF\xDA") + 2);
    std::string out = jpeg.substr(0, ac);
    for (int i = 1; i < scans; ++i)
        out += gap + jpeg.substr(jpeg.rfind("\xFF\xDA"));
    return out + tail + "\xFF\xD9";
}

// libjpeg decodes each scan over the whole image: past the limit the file is refused from the
// count of its start-of-scan markers, however they are hidden from a walk over its segments.
TEST(Bound, JpegScansAreLimited)
{
    const std::string comment("\xFF\xFE\x00\x06\xFF\xDA\xFF\xDA", 8); // two marker pairs, no scan
    const struct {
        const char* name;
        std::string bytes;
        int scans; // counted; 0: decoded
    } cases[] = {
        {"below the limit", progressive_jpeg(2), 0},
        {"at the limit", progressive_jpeg(32), 0},
        {"one scan over", progressive_jpeg(33), 33},
        {"5000 scans", progressive_jpeg(5000), 5000},
        {"scans after fill bytes", progressive_jpeg(33, "\xFF\xFF"), 33},
        {"scans after stray bytes", progressive_jpeg(33, "stray"), 33},
        {"markers in a comment", progressive_jpeg(31, "", comment), 33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(load(c.bytes, 0, 0, c.scans == 0),
            c.scans == 0 ? ""
                         : warning("IMG_Load_RW", "JPEG of " + std::to_string(c.scans) +
                                                      " scans, more than the limit of 32"));
    }
}

} // namespace
