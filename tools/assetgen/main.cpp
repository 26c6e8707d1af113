// kivo-assetgen <output-root>                      draws every image below <output-root>
// kivo-assetgen --contact-sheet <out.png> [<root>]  lays the fixed images of <root> (default ".")
// out in one PNG

#include <err.h>
#include <fontconfig/fontconfig.h>

#include <exception>
#include <string>

#include "fixed_assets.h"
#include "generate.h"
#include "image.h"

namespace assetgen {

void write_fixed_assets(const std::string& root)
{
    for (const FixedAsset& a : fixed_assets) {
        Canvas c(a.width, a.height);
        a.draw(c.cr(), a.width, a.height);
        write_file(root + "/" + images_dir + a.path, encode_webp(c.image(), true));
    }
}

} // namespace assetgen

int main(int argc, char** argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    try {
        if (first == "--contact-sheet" && (argc == 3 || argc == 4)) {
            assetgen::write_contact_sheet(argc == 4 ? argv[3] : ".", argv[2]);
            cairo_debug_reset_static_data(); // release the font caches, so that leak checkers stay
                                             // quiet
            FcFini();
        } else if (argc == 2 && !first.empty() && first[0] != '-') {
            assetgen::write_fixed_assets(first);
            assetgen::write_backgrounds_and_icons(first);
            assetgen::write_samples(first);
        } else {
            errx(2, "usage: kivo-assetgen <output-root> | --contact-sheet <out.png> [<root>]");
        }
    } catch (const std::exception& e) {
        errx(1, "%s", e.what());
    }
}
