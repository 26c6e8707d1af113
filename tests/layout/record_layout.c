/* The exported records' layouts, checked rather than assumed. Compiles as C99 and as C++; on
 * 32-bit ARM the layout is also asserted at compile time. Prints "N passed, N failed". */
#include <stddef.h>
#include <stdio.h>

#include "kivo/kivo.h"

/* Every member's offset and every record's size: for 4-byte pointers (the ARM target) and for
 * 8-byte pointers (the natural layout on 64-bit hosts). */
#define LAYOUT(M, S)                                                                               \
    S(ConfigRecord, 64, 88)                                                                        \
    M(ConfigRecord, flavour, 0, 0)                                                                 \
    M(ConfigRecord, font0, 4, 8)                                                                   \
    M(ConfigRecord, font1, 8, 16)                                                                  \
    M(ConfigRecord, font2, 12, 24)                                                                 \
    M(ConfigRecord, font3, 16, 32)                                                                 \
    M(ConfigRecord, label_offset_y, 20, 40)                                                        \
    M(ConfigRecord, qr_border, 24, 44)                                                             \
    M(ConfigRecord, icon_center_y, 28, 48)                                                         \
    M(ConfigRecord, reserved, 32, 52)                                                              \
    M(ConfigRecord, carousel_y, 36, 56)                                                            \
    M(ConfigRecord, carousel_spacing, 40, 60)                                                      \
    M(ConfigRecord, slider_start_angle, 44, 64)                                                    \
    M(ConfigRecord, slider_sweep_angle, 48, 68)                                                    \
    M(ConfigRecord, slider_value_color, 52, 72)                                                    \
    M(ConfigRecord, slider_band_color, 56, 76)                                                     \
    M(ConfigRecord, slider_marker_color, 60, 80)                                                   \
    S(LabelRecord, 48, 56)                                                                         \
    M(LabelRecord, x, 0, 0)                                                                        \
    M(LabelRecord, y, 4, 4)                                                                        \
    M(LabelRecord, width, 8, 8)                                                                    \
    M(LabelRecord, height, 12, 12)                                                                 \
    M(LabelRecord, r, 16, 16)                                                                      \
    M(LabelRecord, g, 17, 17)                                                                      \
    M(LabelRecord, b, 18, 18)                                                                      \
    M(LabelRecord, a, 19, 19)                                                                      \
    M(LabelRecord, text, 20, 24)                                                                   \
    M(LabelRecord, value, 24, 32)                                                                  \
    M(LabelRecord, band_value, 28, 36)                                                             \
    M(LabelRecord, marker_value, 32, 40)                                                           \
    M(LabelRecord, kind, 36, 44)                                                                   \
    M(LabelRecord, align, 37, 45)                                                                  \
    M(LabelRecord, font, 38, 46)                                                                   \
    M(LabelRecord, style, 40, 48)                                                                  \
    M(LabelRecord, id, 44, 52)                                                                     \
    S(EventRecord, 20, 20)                                                                         \
    M(EventRecord, kind, 0, 0)                                                                     \
    M(EventRecord, x, 4, 4)                                                                        \
    M(EventRecord, y, 8, 8)                                                                        \
    M(EventRecord, button, 12, 12)                                                                 \
    M(EventRecord, label, 16, 16)

struct member {
    const char* name;
    size_t actual;
    size_t ilp32;
    size_t lp64;
};

#define ROW_MEMBER(type, field, o32, o64) {#type "." #field, offsetof(type, field), o32, o64},
#define ROW_SIZE(type, s32, s64) {"sizeof " #type, sizeof(type), s32, s64},

static const struct member members[] = {LAYOUT(ROW_MEMBER, ROW_SIZE)};

int main(void)
{
    const int wide = sizeof(void*) == 8;
    unsigned passed = 0, failed = 0;
    size_t i;
    for (i = 0; i < sizeof members / sizeof members[0]; ++i) {
        const size_t want = wide ? members[i].lp64 : members[i].ilp32;
        if (members[i].actual == want) {
            ++passed;
        } else {
            ++failed;
            printf("%s is %u, expected %u\n", members[i].name, (unsigned)members[i].actual,
                (unsigned)want);
        }
    }
    printf("layout (%u-bit pointers): %u passed, %u failed\n", (unsigned)(8 * sizeof(void*)),
        passed, failed);
    return failed != 0;
}
