// Uses the library's exported C++ classes from outside its tree; run in the installed data
// directory. Exit status 0 when every check holds, else 1 with the failed checks on stderr.
#include <kivo/animation.h>
#include <kivo/base64.h>
#include <kivo/config.h>
#include <kivo/kivo.h>
#include <kivo/renderer.h>
#include <kivo/screen.h>
#include <kivo/surface.h>
#include <kivo/window.h>

#include <cstdio>
#include <string>

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "cxx_consumer: %s\n", what);
        ++failures;
    }
}

} // namespace

int main()
{
    check(base64::decode_into<std::string>("aGk=") == "hi", "base64 decoding");

    const kivo::Surface blank(0, 4, 3, 32, kivo::working_format);
    check(blank && blank->w == 4 && blank->h == 3, "allocated surface");

    // An installed image, at its natural size and then stretched.
    const char* ok_button = "app/share/marvo/images/button/rosk/ok.webp";
    const kivo::Surface natural(ok_button, 0, 0);
    check(natural && natural->w > 0 && natural->h > 0, "installed image at natural size");
    const kivo::Surface stretched(ok_button, 17, 9);
    check(stretched && stretched->w == 17 && stretched->h == 9 &&
              stretched->format->format == kivo::working_format,
        "installed image stretched to 17x9");
    return failures ? 1 : 0;
}
