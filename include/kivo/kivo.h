/*
 * kivo-gui: the exported C interface.
 *
 * The library draws the touch-screen interface of one display into the Linux framebuffer
 * (/dev/fb0) and reads its touch panel through tslib (/dev/input/event0). The host describes
 * up to two screens as data, presents them, and polls touch events that are already resolved
 * to the button and the label under the finger.
 *
 * Usable from C99, C++ and any FFI. Every record below has a fixed layout: on 32-bit ARM
 * (hard-float) ConfigRecord is 64 bytes, LabelRecord 48 and EventRecord 20; other targets use
 * the natural layout of the same declarations.
 *
 * Calling order:
 *   kivo_init_sdl();                       once
 *   kivo_get_display_mode(&w, &h, &ok);    optional, needs no window
 *   kivo_create_window(w, h, &config);
 *   ... kivo_set_screen, kivo_present, kivo_poll_events, kivo_push_event,
 *       kivo_surface_width/height, kivo_get_framebuffer ...
 *   kivo_destroy_window();                 a window may then be created again
 *   kivo_quit_sdl();                       once, at the end
 * All functions must be called from one thread (or serialised by the host).
 *
 * How failures are reported. No function returns an error code. Each failure takes one of
 * three roads:
 *   - fatal: device, mapping, tslib and SDL failures, a framebuffer layout the library cannot
 *     draw ("framebuffer format not supported: ..."), and a missing fixed image, end the process
 *     with exit status 1 after one line on standard error "<program>: <message>" (followed by
 *     the errno text where the message is a system call's name). Nothing is released first.
 *   - warning: an image that cannot be loaded ("IMG_Load(<path>): <error>", "IMG_Load_RW:
 *     <error>"), a QR text that cannot be encoded ("qrencode: <errno text>"), a text font too
 *     large to draw ("font \"<font>\": more than 65535 pixels high, too large to draw": above
 *     49151 points, what FreeType can make) or markup that does not parse ("markup: <Pango's
 *     reason>") writes one line to standard error; the element is simply not drawn (a text in
 *     markup that does not parse shows the text laid out before it). A warning is written once
 *     for its cause (the reference of an image, the text of a QR label or of markup, the font of
 *     a text) while the cause stays on screen: a QR text, markup or font that a whole frame
 *     (kivo_present) does not meet is forgotten at the end of that frame, and said again when it
 *     comes back; an image is said when it is loaded, which happens again only after its cache
 *     entry was dropped (see kivo_set_screen). At most 256 causes met in one frame are
 *     remembered, 16 bytes each; a new one met when 256 already were in that frame is not said.
 *   - exception: C++ exceptions leave the function unchanged (std::out_of_range,
 *     std::logic_error, std::runtime_error, std::invalid_argument, std::bad_alloc). A C++ host
 *     can catch them; in a C host (or across an FFI that cannot unwind) an exception ends the
 *     process through std::terminate. Each function below names the exceptions it can raise.
 */
#ifndef KIVO_KIVO_H
#define KIVO_KIVO_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define KIVO_API __attribute__((visibility("default")))
#else
#define KIVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Records ------------------------------------------------------------------------------ */

/*
 * Renderer configuration, passed by pointer to kivo_create_window, read only during that call.
 * The four font texts are Pango font descriptions ("DejaVu Sans 20"); they must not be null but
 * may be empty. Angles are radians in Cairo's convention (0 along +x, growing clockwise on
 * screen). Colours are r, g, b, a.
 */
typedef struct ConfigRecord {
    uint8_t flavour;   /* button image set: 0, 1 or 2 */
    const char* font0; /* text labels with font index 0 */
    const char* font1;
    const char* font2;
    const char* font3;
    int32_t label_offset_y; /* shifts text-label backgrounds down, and label hit tests */
    /* qr_border: the quiet zone of QR codes, in modules on each side; a negative one crops the
       code, and nothing is drawn when it leaves no image (nor for a QR label with an empty
       rectangle); one that makes the code image 32768 pixels a side or more ends the process
       ("SDL_CreateRGBSurfaceWithFormat: image too large") */
    int32_t qr_border;
    int32_t icon_center_y;    /* vertical centre of a screen's icon */
    int32_t reserved;         /* KIVO_KEEP_CONSOLE or 0; its other bits are never read */
    int32_t carousel_y;       /* top edge of the carousel dots */
    int32_t carousel_spacing; /* distance between the left edges of two dots */
    float slider_start_angle; /* where every slider arc begins */
    float slider_sweep_angle; /* the angle that a slider value of 1.0 spans */
    uint8_t slider_value_color[4];
    uint8_t slider_band_color[4];
    uint8_t slider_marker_color[4];
} ConfigRecord;

/* ConfigRecord.reserved: leave the terminal alone. Without it, while a window is open the
 * controlling terminal (or /dev/tty0 when the process has none, or when its terminal is no
 * console, such as a pseudo-terminal of a remote shell) is in graphics mode (KDSETMODE
 * KD_GRAPHICS), so that the kernel's text console does not paint over the frame; text mode comes
 * back when the window is destroyed and at every exit, the fatal road included (not when the
 * process is killed by a signal). A terminal that cannot be opened or switched is silently left
 * as it is. Set it when the host manages the terminal itself. */
#define KIVO_KEEP_CONSOLE 0x1

/* Label kinds (LabelRecord.kind). Other values are stored, never drawn, and still hit-tested. */
#define KIVO_LABEL_TEXT 0
#define KIVO_LABEL_ICON 1
#define KIVO_LABEL_QR 2
#define KIVO_LABEL_SLIDER 3

/* Text alignment (LabelRecord.align). Other values keep the previous text label's alignment. */
#define KIVO_ALIGN_CENTER 0
#define KIVO_ALIGN_LEFT 1
#define KIVO_ALIGN_RIGHT 2

/* Text label style bits (LabelRecord.style). Of the background bits only the lowest set one
 * counts: its image is drawn under the text at the image's own size, whatever the label's box,
 * centred on the box (left edge x + (width - image width) / 2, top edge y + (height - image
 * height) / 2 + ConfigRecord.label_offset_y, halves rounded toward zero). The images' sizes:
 *   BLANK_BUTTON, FAST_BUTTON, SMART_BUTTON                                240 x 64
 *   NARROW_BUTTON                                                          180 x 64
 *   AVAILABLE_, RESERVED_, CHARGING_, FAULTED_, GREY_, WHITE_BUTTON        220 x 56
 *   TALL_BUTTON                                                            200 x 72
 *   FULL_BULLET, EMPTY_BULLET                                               16 x 16
 * Only the box answers taps (kivo_poll_events' label), never the image: a 220 x 34 box under a
 * 220 x 56 pill leaves the pill's top and bottom 11 rows dead to the finger. A box the size of
 * the image answers everywhere on it, but the text starts at the box's top; for a line centred
 * on the pill, give the text a box one line high and place a second label with an empty text
 * and the same id over the whole image (the Python layer's Label.pill does this). */
#define KIVO_STYLE_MARKUP 0x0001
#define KIVO_STYLE_BLANK_BUTTON 0x0002
#define KIVO_STYLE_FAST_BUTTON 0x0004
#define KIVO_STYLE_SMART_BUTTON 0x0008
#define KIVO_STYLE_NARROW_BUTTON 0x0010
#define KIVO_STYLE_AVAILABLE_BUTTON 0x0020
#define KIVO_STYLE_RESERVED_BUTTON 0x0040
#define KIVO_STYLE_CHARGING_BUTTON 0x0080
#define KIVO_STYLE_FAULTED_BUTTON 0x0100
#define KIVO_STYLE_GREY_BUTTON 0x0200
#define KIVO_STYLE_WHITE_BUTTON 0x0400
#define KIVO_STYLE_TALL_BUTTON 0x0800
#define KIVO_STYLE_FULL_BULLET 0x1000
#define KIVO_STYLE_EMPTY_BULLET 0x2000

/* Buttons (the buttons mask of kivo_set_screen, EventRecord.button). Each is drawn at the size
 * of its image for the configured flavour (ConfigRecord.flavour), flush with the corner or edge
 * of the surface given here, the same in every flavour unless said. Where buttons sharing a
 * corner overlap, the one listed first here is drawn on top and is the one a touch reports. */
#define KIVO_BUTTON_OK 0x0001       /* bottom right */
#define KIVO_BUTTON_BACK 0x0002     /* bottom left */
#define KIVO_BUTTON_BACK_ALT 0x0004 /* bottom left, the same image as Back */
#define KIVO_BUTTON_MENU 0x0008     /* top right in flavours 0 and 1, bottom right in flavour 2 */
#define KIVO_BUTTON_CLOSE 0x0010    /* top right */
#define KIVO_BUTTON_HELP 0x0020     /* top right */
#define KIVO_BUTTON_FAST 0x0040     /* top right */
#define KIVO_BUTTON_SMART 0x0080    /* top right */
#define KIVO_BUTTON_LEFT 0x0100     /* left edge, centred vertically */
#define KIVO_BUTTON_RIGHT 0x0200    /* right edge, centred vertically */
#define KIVO_BUTTON_FRAME 0x0400    /* top left */

/*
 * One label of a screen. What the members mean depends on kind:
 *   text   x..height is the layout box; r,g,b,a the text colour; text plain or markup
 *          (KIVO_STYLE_MARKUP); align, font, style apply. All text labels are laid out by one
 *          Pango layout, which keeps the attributes (weight, colour, size ...) of the last
 *          markup it was given; plain text clears them, so that a plain label looks the same
 *          whatever label was drawn before it. Texts are bounded when the screen is set, so
 *          that any text lays out in milliseconds: a text of more than 16384 bytes, or markup
 *          of more than 256 tags (each '<' counted), is refused with the warning
 *          "kivo_set_screen: label <i>: text of <n> bytes, more than the bound of 16384" (or
 *          "markup of <n> tags, more than the bound of 256") and the label shows nothing (no
 *          text, no background image; it still answers touches). Of a run of combining marks
 *          (Unicode's non-starters, and marks of class 0 such as U+034F and the variation
 *          selectors, which extend a cluster as well), the first 30 are kept and the rest
 *          dropped, without a message: HarfBuzz's time grows with the square of a cluster's
 *          marks, and Unicode's stream-safe format allows no more than 30 in a row.
 *   icon   the image named by the reference in text is centred in the box.
 *   qr     text is encoded and stretched over the box; r,g,b colour the light modules.
 *   slider a gauge centred in the box; r,g,b,a colour its track; value, band_value (skipped
 *          when negative or NaN) and marker_value are fractions of the configured sweep; an
 *          arc whose angle is not finite is left out, one of a turn or more is a ring. Each
 *          pixel is covered by how far its centre lies from an arc (whole within half a pixel
 *          inside the stroke's edge, not at all half a pixel outside), so that a step of the
 *          value redraws only the pixels around its end.
 *          The gauge draws outside its box: its radius R is half the box's smaller side, and the
 *          value arc and marker (20 pixels wide at R + 18) reach R + 28 from the centre. A gauge
 *          that must stay within an outer box takes that box less 28 pixels on every side.
 * id is reported by touches on the label; 0 cannot be told from "no label".
 * A negative width or height is taken as it is, never refused: the box holds no point, so no
 * touch reports the label; a text is neither wrapped (negative width) nor cut with an ellipsis
 * (negative height, which Pango reads as a count of lines, -height x 1024 of them); an icon is
 * centred on x + width / 2, y + height / 2; a QR code is not drawn; a slider's radius, half the
 * smaller side, is negative, and each of its arcs whose radius is 0 or less shrinks to a round
 * dot at the centre.
 */
typedef struct LabelRecord {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
    uint8_t r;
    uint8_t g;
    uint8_t b;
    uint8_t a;
    const char* text; /* never null */
    float value;
    float band_value;
    float marker_value;
    uint8_t kind;
    uint8_t align;
    uint8_t font; /* 0..3 select font0..font3; other values keep the previous label's font */
    uint16_t style;
    uint32_t id;
} LabelRecord;

/* Event kinds (EventRecord.kind). */
#define KIVO_EVENT_QUIT 0
#define KIVO_EVENT_MOTION 1
#define KIVO_EVENT_RELEASE 2
#define KIVO_EVENT_PRESS 3
#define KIVO_EVENT_USER 4

/* One event. x, y are surface pixels for Motion, Release and Press, 0 otherwise; button is the
 * KIVO_BUTTON_* under the position and label the id of the label under it, 0 for none. */
typedef struct EventRecord {
    uint8_t kind;
    int32_t x;
    int32_t y;
    uint16_t button;
    uint32_t label;
} EventRecord;

/* ---- Window and frame -------------------------------------------------------------------- */

/* Starts SDL's event subsystem. Call once, before anything else.
 * Fatal: "SDL_Init: <SDL error>". */
KIVO_API void kivo_init_sdl(void);

/* Shuts SDL down. Call once, after the last kivo_destroy_window. */
KIVO_API void kivo_quit_sdl(void);

/* Reads the framebuffer's current visible size without changing it; needs no window (opens and
 * closes /dev/fb0 on every call). Stores width, height and then true through valid, always.
 * Fatal: "open", "ioctl", "close" (with the errno text). */
KIVO_API void kivo_get_display_mode(int32_t* width, int32_t* height, bool* valid);

/*
 * Opens the display: sets the framebuffer to width x height at 32 bits per pixel (a driver that
 * refuses that depth with EINVAL keeps its own, at width x height) and maps it, takes the pixel
 * layout the driver then reports (see kivo_present), puts the terminal in graphics mode (see
 * KIVO_KEEP_CONSOLE), opens the touch panel (non-blocking), creates the drawing surface of
 * exactly width x height,
 * and builds the renderer with a copy of *config (all 33 fixed images are loaded from
 * "app/share/marvo/images/" below the working directory). The screen slots are left as they
 * are. config is read only during the call.
 *
 * If a window already exists, it and its renderer are destroyed first (as by
 * kivo_destroy_window, except that the screen slots are kept); a held touch is forgotten.
 *
 * Exceptions: std::logic_error "basic_string: construction from null is not valid" when a font
 * pointer is null, std::logic_error when config itself is null (nothing has been created or
 * destroyed then).
 * Fatal: "open", "ioctl", "mmap", "ts_setup" (with the errno text; a panel that goes away later
 * is looked for again by kivo_poll_events instead),
 * "framebuffer format not supported: <what the driver reported>" (a palette, grayscale, FOURCC,
 * 8 bits, or colour fields other than 8 bits at 24 and 32 bits per pixel and 5 or 6 bits at 16),
 * "SDL_CreateRGBSurfaceWithFormat: <SDL error>", "essential images missing" (after one
 * "IMG_Load(...)" warning per missing image).
 */
KIVO_API void kivo_create_window(int32_t width, int32_t height, const ConfigRecord* config);

/* Destroys the renderer and then the window (touch panel closed, framebuffer unmapped and
 * closed), empties both screen slots and forgets a held touch. Harmless without a window.
 * Fatal: "ts_close", "munmap", "close". */
KIVO_API void kivo_destroy_window(void);

/* The drawing surface's width and height in pixels (those given to kivo_create_window);
 * 0 when no window exists. */
KIVO_API int32_t kivo_surface_width(void);
KIVO_API int32_t kivo_surface_height(void);

/*
 * Draws a frame and copies it to the display (after waiting for the vertical blank: on a 60 Hz
 * panel, and under the device emulator's default pace, a loop of presents runs at 60 frames a
 * second without sleeping).
 * offset 0 draws slot 0. Any other offset draws a slide: slot 0 shifted right by offset, slot 1
 * beside it (at offset + W when offset < 0, entering from the right; at offset - W when
 * offset > 0, entering from the left). Buttons and carousel stay in place and belong to the slot
 * that covers more than half the surface (slot 1 once |offset| > W/2); so do the hit tests.
 * A slide frame whose screens only moved since the frame before moves that frame's pixels and
 * redraws what it brought in, the buttons and carousel, and what changed; no surface is kept.
 * The move usually copies nothing: the drawing surface is a view into a buffer 4 rows longer at
 * each end (8 x W x 4 bytes in all), and the view moves; about once every 8 slides the same way
 * it reaches an end and the frame is copied to the other.
 * The copy never reads past the surface nor writes past the mapping, whatever mode the driver
 * accepted. It converts to the framebuffer's layout: 32 bits laid out like the surface are
 * copied unchanged; 32 bits in another byte order (transparency bits set), 24 bits in either
 * order and 16 bits (RGB565, BGR565, RGB555) are converted, the 16-bit ones after an ordered 4 x 4
 * dither fixed to screen positions (an unchanged pixel always gives the same bytes). The surface
 * and kivo_get_framebuffer are the same on every panel. Does nothing when no window exists.
 * Only what changed costs: the library remembers what it drew and redraws only the regions
 * where this frame differs from the one before (everything when that cannot be proven), and
 * copies only those regions to the display, nothing for an unchanged frame. The first present
 * of a window and every 64th copy the whole frame all the same, in case something else wrote to
 * the framebuffer. This costs no second frame: the framebuffer is only written. Both the display
 * and kivo_get_framebuffer hold exactly the bytes a full redraw and copy would have left.
 * Exceptions: std::runtime_error for a malformed "data://" reference; std::invalid_argument
 * "flavour" when a shown button has no image for the configured flavour. The frame is then
 * partly drawn and not copied to the display.
 * Fatal: "SDL_CreateRGBSurfaceWithFormat: ..." or "SDL_UpperBlitScaled: ..." from a QR label.
 */
KIVO_API void kivo_present(int32_t offset);

/* Copies min(size, height x pitch) bytes of the last drawn frame into buffer: rows top to
 * bottom, pixels as 32-bit little-endian 0xAARRGGBB words (bytes b, g, r, a). Bytes of buffer
 * beyond that are not written. Does nothing when no window exists. */
KIVO_API void kivo_get_framebuffer(void* buffer, size_t size);

/* ---- Screens ----------------------------------------------------------------------------- */

/*
 * Replaces the whole content of screen slot 0 (shown) or 1 (the other screen of a slide).
 * Everything is copied: the host may free or change its strings and records right after.
 * background, icon: image references, null for none. A reference is "file://<path>",
 *   "data://<base64 image bytes>", "image://<name>" or a bare name, the last two meaning
 *   "app/share/marvo/images/background/<name>.webp" (or icon/...). The names that ship:
 *     backgrounds (800 x 480, stretched to the surface): home (blue, the station's home
 *     screen), charging (green, a charging session), charging_anim (the same with a light
 *     sweeping across, 8 frames of 100 ms), payment (purple, paying), help (grey, help pages);
 *     icons (96 x 96, also for icon labels): plug (the connector), car, card (a payment card),
 *     station (the charging station).
 *   A file is opened without waiting and read only when it is a regular file: a FIFO (whose
 *   open would wait for a writer), a device, a directory or a socket is refused at once with the
 *   warning "IMG_Load(<path>): a FIFO, not a regular file" (or "a character device", "a
 *   directory" ...).
 *   Images are PNG, JPEG, WebP, BMP or GIF, recognised by their first bytes whatever a file is
 *   called; animated WebP and GIF play. Other formats are refused with the warning
 *   "...: Unsupported image format": SDL_image 2.6's own decoders of the other formats it knows
 *   write outside their buffers on some malformed files. GIF, still or animated, is read
 *   through giflib (never by SDL_image), for the same reason: frames composed as browsers show
 *   them, a damaged file giving the frames and rows giflib reads of it, and a file whose frames
 *   (with two more for the canvas they are composed on and its copy) would take more than the
 *   image bound (below) decoded refused, before anything of that size
 *   is allocated, with the warning "...: image of <w> x <h> pixels in <n> frame(s) needs <m> MiB
 *   decoded, more than the bound of <b> MiB" (<n> the frames read so far and the next).
 *   The image bound is a quarter of the machine's physical memory (sysconf), and never more than
 *   256 MiB: 128 MiB on a board of 512 MiB. No image may need more: before anything is decoded,
 *   the size its header declares (PNG's IHDR, the JPEG frame header read by libjpeg, WebP's
 *   canvas and frame count read by libwebp, the BMP info header) is checked, counting 4 bytes a
 *   pixel and 1 KiB for every frame, plus what the decoder keeps besides (one more frame for a
 *   still WebP, three canvases for an animated one, every coefficient of a progressive JPEG,
 *   8 bytes a row for a PNG's row pointers),
 *   and also every frame at the size it is shown (a background stretched to the surface). A file
 *   or "data://" image larger than the bound is not read at all. What passes is refused in
 *   milliseconds with the warning "IMG_Load(<path>): ..." or "IMG_Load_RW: ..." followed by "image
 *   of <w> x <h> pixels in <n> frame(s) needs <m> MiB decoded (or stretched), more than the bound
 *   of <b> MiB" or "data of <size> bytes needs <m> MiB, more than the bound of <b> MiB", and is not
 *   drawn, as any unreadable image. A PNG is decoded only when its chunks lie whole within its
 *   bytes, from IHDR to IEND (libpng would otherwise checksum a declared length of up to 2 GiB past
 *   the end); any other is refused at once with "...: PNG whose chunks do not lie whole within its
 *   <n> bytes, IHDR to IEND". libjpeg decodes each scan of a progressive JPEG over the whole image,
 *   so a JPEG of more than 32 scans (every byte pair 0xFF 0xDA in the file counted, so that none
 *   can be hidden) is refused at once with "...: JPEG of <n> scans, more than the limit of 32";
 *   encoders write about ten. A GIF image larger than its screen counts at its own size, since all
 *   of it is decoded.
 *   What a host can expect: the first frame that decodes an image costs its decode, which the
 *   bound keeps in proportion to the pixels but not short. The largest noisy file of each kind
 *   within the bound of 256 MiB (scripts/first-frames.sh), x86-64 here (best of three loads) /
 *   the armhf build under qemu-arm-static on this same machine (one load, same run):
 *     BMP 8190 x 8190, 24 bits (201 MB)                 0.5 / 0.8 s
 *     PNG 8180 x 8180 RGBA, Paeth rows (207 MB)         5.4 / 16.5 s
 *     JPEG 8190 x 8190 baseline (110 MB)                2.5 / 12.8 s; 6670 x 6670 progressive
 *       grey, 32 scans 0.5 / 3.0 s; 5170 x 5170 progressive colour, 32 scans (133 MB) 8.1 / 26.0 s
 *     WebP 5790 x 5790 lossy (20 MB)                    2.3 / 8.3 s; lossless (101 MB) 1.6 / 6.6 s
 *     GIF 4729 x 4729 (30 MB)                           0.6 / 2.8 s
 *   The emulated board (qemu-system-arm, 512 MiB, a bound of 122 MiB), files of 0.69 times these
 *   sides: 3.9 s (GIF) to 27.1 s (colour progressive JPEG). Both are emulators on this machine,
 *   not an ARM board. An image a customer should not wait for is best shown once at start-up,
 *   so that it is cached decoded.
 *   Images are cached by reference and dropped after ten minutes unused. While the cached
 *   images take more than the same bound (4 bytes a pixel of every frame), the images that the
 *   frame just drawn did not name are dropped, least recently used first, until they fit: an
 *   image on screen is never dropped. A host then sees only this: an image dropped early is
 *   loaded (and decoded) again on its next use, with its warning again if it fails, and an
 *   animated one then starts again from its first frame.
 * labels: label_count records (may be null when label_count is 0).
 * The carousel is shown only when carousel_count > carousel_current (unsigned), with dot
 * carousel_current full. buttons: OR of KIVO_BUTTON_* (other bits are stored, without effect).
 * Works with or without a window; the next kivo_present draws the new content.
 *
 * Exceptions: std::out_of_range "array::at: __n (which is <slot>) >= _Nm (which is 2)" for a
 * slot above 1 (nothing changed); std::logic_error "basic_string: construction from null is not
 * valid" for a label whose text is null (the slot then holds the new background, icon, label
 * count and the labels before the failing one; the rest keep their previous content);
 * std::logic_error when labels is null but label_count is not 0 (nothing changed).
 */
KIVO_API void kivo_set_screen(uint32_t slot, const char* background, const char* icon,
    const LabelRecord* labels, uint32_t label_count, uint32_t carousel_current,
    uint32_t carousel_count, uint16_t buttons);

/* ---- Events ------------------------------------------------------------------------------ */

/* Puts an event into the queue that kivo_poll_events reads, as if it came from the panel:
 * only kind, x and y are read (x, y in the coordinate space of touch positions). Kinds above 4
 * are ignored; an event the queue refuses is lost. A null event is ignored. Needs kivo_init_sdl,
 * no window. The event goes in through SDL_PushEvent, stamped with the current tick count: a
 * host's SDL event filter and watches (SDL_SetEventFilter, SDL_AddEventWatch) see it, and a
 * filter that drops it drops it for kivo_poll_events too. The panel's touches do not pass them:
 * kivo_poll_events puts them into the queue with SDL_PeepEvents, which keeps the tick count of
 * the sample that made them (SDL_PushEvent would stamp the time of the call instead). */
KIVO_API void kivo_push_event(const EventRecord* event);

/*
 * Moves pending touch samples into the queue, then writes up to max records to events, in
 * queue order, and returns how many it wrote. Never waits. SDL's events are pumped once
 * (SDL_PumpEvents) and then taken with SDL_PeepEvents, not SDL_PollEvent: from SDL 2.24 on,
 * SDL_PollEvent ends each cycle at a marker it queues behind the pending events, and a call that
 * stopped at max would leave the marker first in the queue, so that the next call read nothing
 * although events were pending. Positions are scaled from the event
 * coordinate space (the window size, or the last resize event) to surface pixels, truncating
 * toward zero. Motion is reported only between a Press and its Release. Events left over stay
 * queued for the next call; max 0 reads none.
 * Without a window it returns 0 and leaves the queue alone. When the coordinate space has a
 * zero width (height), x (y) is reported as 0. The product is exact (64-bit) and a quotient
 * outside the int32 range is clamped to it.
 * The touch panel may go away and come back (a USB controller resetting): when its reads fail
 * with ENODEV, or its descriptor hangs up, the panel is closed and a touch held then is reported
 * released, once, at its last position, so that no button stays pressed. Later calls try to open
 * /dev/input/event0 again through tslib, at most every 250 ms, without waiting and without a
 * message; taps are answered again from the call that finds it. Only the first open, in
 * kivo_create_window, is fatal.
 * Exceptions: std::invalid_argument "flavour" from the button hit test (records already written
 * stay in events; their count is lost).
 */
KIVO_API uint32_t kivo_poll_events(EventRecord* events, uint32_t max);

#ifdef __cplusplus
}
#endif

#endif /* KIVO_KIVO_H */
