/*
 * charging_demo: a charging-station host on the C interface alone.
 *
 *   charging_demo [--frames N] [--fps N]
 *
 * Screens: home (a carousel of three connectors), mode (fast or smart charging), payment (a QR
 * code), charging (a gauge that rises frame by frame), help and menu. The menu's language entry
 * switches every text between English, German, Arabic and Chinese. It runs at a steady frame
 * rate until a Quit event (SIGTERM or SIGINT arrive as one through SDL) or, with --frames, until
 * that many frames have been shown, and exits 0.
 *
 * Standard output, one line each, for scripts and tests:
 *   screen: <name>                   the shown screen changed (home, mode, payment, charging,
 *                                    help, menu)
 *   page: <n>                        the home carousel settled on connector n (1..3)
 *   language: <code>                 the menu switched the texts (en, de, ar, zh)
 *   press button=<b> label=<id>      a touch went down
 *   quit                             a Quit event arrived
 */
#include <kivo/kivo.h>

#include "demo_languages.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define WIDTH 800
#define HEIGHT 480
#define SWIPE_THRESHOLD 80
#define SLIDE_FRAMES 10

#define PI_F 3.14159265f

/* Label ids: what a tap on a label means. */
enum {
    ID_NONE = 0,
    ID_CONNECTOR = 10, /* 10 + page */
    ID_FAST = 21,
    ID_SMART = 22,
    ID_MENU_HELP = 41,
    ID_MENU_ABOUT = 42,
    ID_MENU_LANGUAGE = 43,
};

enum screen { HOME, MODE, PAYMENT, CHARGING, HELP, MENU };
static const char* const screen_names[] = {"home", "mode", "payment", "charging", "help", "menu"};

enum connector_state { AVAILABLE, RESERVED, FAULTED };

/* Their titles and details are in each language's texts. */
static const enum connector_state connectors[] = {AVAILABLE, RESERVED, FAULTED};
#define PAGE_COUNT 3

/* The whole state of the application. */
struct app {
    enum screen screen;
    enum screen help_return; /* where Back leads from the help screen */
    int page;                /* connector shown on the home screen */
    int slide_to;            /* page entering during a slide, or -1 */
    int slide_direction;     /* -1: the new page enters from the right, +1: from the left */
    int slide_frame;
    int selected;                     /* connector of the session */
    int fast;                         /* charging mode: 1 fast, 0 smart */
    int charging;                     /* a session is running (it goes on behind other screens) */
    float soc;                        /* state of charge of the car, 0..1 */
    int about;                        /* the menu shows the station's details */
    const struct demo_language* text; /* the chosen language's texts */
    /* the touch in progress */
    int touching;
    int press_x, press_y;
    uint16_t press_button;
    uint32_t press_label;
    int quit;
};

static const float start_soc = 0.20f;
static const float target_soc = 0.80f;
static const float battery_kwh = 62.0f;

static void print_line(const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    vprintf(format, ap);
    va_end(ap);
    putchar('\n');
    fflush(stdout);
}

static int round_int(float v)
{
    return (int)(v < 0 ? v - 0.5f : v + 0.5f);
}

/* ---- Screen content ---------------------------------------------------------------------- */

static LabelRecord text_label(
    int x, int y, int w, int h, const char* text, uint8_t font, uint16_t style, uint32_t id)
{
    LabelRecord l;
    memset(&l, 0, sizeof l);
    l.x = x;
    l.y = y;
    l.width = w;
    l.height = h;
    l.r = l.g = l.b = l.a = 255;
    l.text = text;
    l.kind = KIVO_LABEL_TEXT;
    l.align = KIVO_ALIGN_CENTER;
    l.font = font;
    l.style = style;
    l.id = id;
    return l;
}

/* Fonts: 0 headings and pill texts, 1 body, 2 large figures, 3 small print. The pill images are
 * centred on the label's box and the text starts at its top, so pill labels get a box as high as
 * one line of font 0 (34 px), centred where the pill goes. */
#define PILL_TEXT_H 34
#define SMALL_PILL_TEXT_H 24 /* the same for font 1 */

static uint16_t connector_style(const struct app* app, int page)
{
    if (app->charging && app->selected == page)
        return KIVO_STYLE_CHARGING_BUTTON;
    switch (connectors[page]) {
    case AVAILABLE:
        return KIVO_STYLE_AVAILABLE_BUTTON;
    case RESERVED:
        return KIVO_STYLE_RESERVED_BUTTON;
    default:
        return KIVO_STYLE_FAULTED_BUTTON;
    }
}

static void show_home_page(const struct app* app, uint32_t slot, int page)
{
    static char status[3][64];
    LabelRecord labels[3];
    const char* state_text = app->text->state[connectors[page]];
    if (app->charging && app->selected == page) {
        snprintf(status[page], sizeof status[page], app->text->charging_percent,
            round_int(app->soc * 100));
        state_text = status[page];
    }
    labels[0] = text_label(150, 190, 500, 40, app->text->title[page], 0, 0, ID_NONE);
    labels[1] = text_label(290, 275 - PILL_TEXT_H / 2, 220, PILL_TEXT_H, state_text, 0,
        connector_style(app, page), ID_CONNECTOR + (uint32_t)page);
    labels[2] = text_label(150, 330, 500, 30, app->text->details[page], 1, 0, ID_NONE);
    kivo_set_screen(slot, "home", "station", labels, 3, (uint32_t)page, PAGE_COUNT,
        KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU);
}

static void show_mode(const struct app* app)
{
    static char title[160];
    const struct demo_language* t = app->text;
    LabelRecord labels[5];
    snprintf(title, sizeof title, t->mode_question, t->title[app->selected]);
    labels[0] = text_label(100, 170, 600, 40, title, 1, 0, ID_NONE);
    labels[1] = text_label(
        150, 260 - PILL_TEXT_H / 2, 240, PILL_TEXT_H, t->fast, 0, KIVO_STYLE_FAST_BUTTON, ID_FAST);
    labels[2] = text_label(410, 260 - PILL_TEXT_H / 2, 240, PILL_TEXT_H, t->smart, 0,
        KIVO_STYLE_SMART_BUTTON, ID_SMART);
    labels[3] = text_label(150, 300, 240, 50, t->fast_note, 3, 0, ID_NONE);
    labels[4] = text_label(410, 300, 240, 50, t->smart_note, 3, 0, ID_NONE);
    kivo_set_screen(0, "charging", "plug", labels, 5, 0, 0, KIVO_BUTTON_BACK | KIVO_BUTTON_HELP);
}

static void show_payment(const struct app* app)
{
    static char url[128];
    LabelRecord labels[3];
    snprintf(url, sizeof url, "https://pay.example.com/kivo?station=KV-0042&connector=%d&mode=%s",
        app->selected + 1, app->fast ? "fast" : "smart");
    labels[0] = text_label(150, 24, 500, 40, app->text->scan_to_pay, 0, 0, ID_NONE);
    labels[1] = text_label(290, 80, 220, 220, url, 0, 0, ID_NONE);
    labels[1].kind = KIVO_LABEL_QR;
    labels[2] = text_label(120, 320, 560, 60, app->text->price[app->fast], 1, 0, ID_NONE);
    kivo_set_screen(0, "payment", NULL, labels, 3, 0, 0,
        KIVO_BUTTON_BACK | KIVO_BUTTON_OK | (app->fast ? KIVO_BUTTON_FAST : KIVO_BUTTON_SMART));
}

static void show_charging(const struct app* app)
{
    static char energy[32], percent[64], details[160];
    const struct demo_language* t = app->text;
    LabelRecord labels[5];
    snprintf(energy, sizeof energy, "%.1f kWh", (double)((app->soc - start_soc) * battery_kwh));
    snprintf(percent, sizeof percent, t->percent_of_target, round_int(app->soc * 100),
        round_int(target_soc * 100));
    snprintf(details, sizeof details, t->session[app->fast], t->title[app->selected]);
    labels[0] = text_label(290, 36 - PILL_TEXT_H / 2, 220, PILL_TEXT_H,
        app->soc >= target_soc ? t->done : t->charging, 0, KIVO_STYLE_CHARGING_BUTTON, ID_NONE);
    labels[1] = text_label(290, 130, 220, 220, "", 0, 0, ID_NONE);
    labels[1].kind = KIVO_LABEL_SLIDER;
    labels[1].r = labels[1].g = labels[1].b = 255;
    labels[1].a = 160;
    labels[1].value = app->soc;
    labels[1].band_value = target_soc;
    labels[1].marker_value = app->fast ? 1.0f : 0.5f;
    labels[2] = text_label(280, 208, 240, 50, energy, 2, 0, ID_NONE);
    labels[3] = text_label(300, 260, 200, 30, percent, 1, 0, ID_NONE);
    labels[4] = text_label(100, 410, 600, 30, details, 1, 0, ID_NONE);
    kivo_set_screen(0, "charging_anim", NULL, labels, 5, 0, 0, KIVO_BUTTON_BACK);
}

static void show_help(const struct app* app)
{
    LabelRecord labels[2];
    labels[0] = text_label(DEMO_HELP_TITLE_BOX, app->text->help_title, 2, 0, ID_NONE);
    labels[1] = text_label(DEMO_HELP_BODY_BOX, app->text->help_body, 1, KIVO_STYLE_MARKUP, ID_NONE);
    /* Pango aligns a right-to-left paragraph to the right instead */
    labels[1].align = KIVO_ALIGN_LEFT;
    kivo_set_screen(0, "help", NULL, labels, 2, 0, 0, KIVO_BUTTON_BACK);
}

static void show_menu(const struct app* app)
{
    const struct demo_language* t = app->text;
    LabelRecord labels[5];
    uint32_t n = 0;
    labels[n++] = text_label(150, 30, 500, 40, t->menu_title, 2, 0, ID_NONE);
    labels[n++] = text_label(290, 150 - PILL_TEXT_H / 2, 220, PILL_TEXT_H, t->menu_help, 0,
        KIVO_STYLE_WHITE_BUTTON, ID_MENU_HELP);
    labels[n++] = text_label(290, 230 - PILL_TEXT_H / 2, 220, PILL_TEXT_H, t->menu_about, 0,
        KIVO_STYLE_GREY_BUTTON, ID_MENU_ABOUT);
    labels[n++] = text_label(290, 310 - SMALL_PILL_TEXT_H / 2, 220, SMALL_PILL_TEXT_H, t->language,
        1, KIVO_STYLE_GREY_BUTTON, ID_MENU_LANGUAGE);
    labels[0].r = labels[0].g = labels[0].b = 255;
    labels[1].r = labels[1].g = labels[1].b = 40;
    if (app->about)
        labels[n++] = text_label(150, 360, 500, 80, t->about, 1, 0, ID_NONE);
    kivo_set_screen(0, "help", NULL, labels, n, 0, 0, KIVO_BUTTON_BACK | KIVO_BUTTON_CLOSE);
}

/* Puts the current screen into slot 0. */
static void show(const struct app* app)
{
    switch (app->screen) {
    case HOME:
        show_home_page(app, 0, app->page);
        break;
    case MODE:
        show_mode(app);
        break;
    case PAYMENT:
        show_payment(app);
        break;
    case CHARGING:
        show_charging(app);
        break;
    case HELP:
        show_help(app);
        break;
    case MENU:
        show_menu(app);
        break;
    }
}

static void go(struct app* app, enum screen screen)
{
    if (screen == HELP && app->screen != HELP)
        app->help_return = app->screen;
    if (screen == MENU)
        app->about = 0;
    app->screen = screen;
    show(app);
    print_line("screen: %s", screen_names[screen]);
}

/* ---- Home carousel ----------------------------------------------------------------------- */

/* direction -1 brings the next page in from the right, +1 the previous one from the left. */
static void start_slide(struct app* app, int direction)
{
    if (app->slide_to >= 0)
        return;
    app->slide_direction = direction;
    app->slide_to = (app->page - direction + PAGE_COUNT) % PAGE_COUNT;
    app->slide_frame = 0;
    show_home_page(app, 1, app->slide_to);
}

/* One frame of a slide: the offset moves towards -W or +W, then slot 0 takes the new page. */
static int slide_offset(struct app* app)
{
    if (app->slide_to < 0)
        return 0;
    if (++app->slide_frame < SLIDE_FRAMES) {
        /* ease out: fast at first, settling at the end */
        float t = (float)app->slide_frame / SLIDE_FRAMES;
        float eased = 1.0f - (1.0f - t) * (1.0f - t);
        return round_int(app->slide_direction * eased * WIDTH);
    }
    app->page = app->slide_to;
    app->slide_to = -1;
    show_home_page(app, 0, app->page);
    print_line("page: %d", app->page + 1);
    return 0;
}

/* ---- Input ------------------------------------------------------------------------------- */

static void tap_button(struct app* app, uint16_t button)
{
    switch (app->screen) {
    case HOME:
        if (button == KIVO_BUTTON_LEFT)
            start_slide(app, +1);
        else if (button == KIVO_BUTTON_RIGHT)
            start_slide(app, -1);
        else if (button == KIVO_BUTTON_MENU)
            go(app, MENU);
        break;
    case MODE:
        if (button == KIVO_BUTTON_BACK)
            go(app, HOME);
        else if (button == KIVO_BUTTON_HELP)
            go(app, HELP);
        break;
    case PAYMENT:
        if (button == KIVO_BUTTON_BACK) {
            go(app, MODE);
        } else if (button == KIVO_BUTTON_OK) {
            app->charging = 1;
            app->soc = start_soc;
            go(app, CHARGING);
        } else if (button == KIVO_BUTTON_FAST || button == KIVO_BUTTON_SMART) {
            app->fast = !app->fast; /* the corner button switches the mode */
            show(app);
        }
        break;
    case CHARGING:
        if (button == KIVO_BUTTON_BACK)
            go(app, HOME); /* the session goes on */
        break;
    case HELP:
        if (button == KIVO_BUTTON_BACK)
            go(app, app->help_return);
        break;
    case MENU:
        if (button == KIVO_BUTTON_BACK || button == KIVO_BUTTON_CLOSE)
            go(app, HOME);
        break;
    }
}

static void tap_label(struct app* app, uint32_t label)
{
    if (app->screen == HOME && label >= ID_CONNECTOR && label < ID_CONNECTOR + PAGE_COUNT) {
        int page = (int)(label - ID_CONNECTOR);
        if (app->charging && app->selected == page) {
            go(app, CHARGING);
        } else if (connectors[page] == AVAILABLE && !app->charging) {
            app->selected = page;
            go(app, MODE);
        } else {
            print_line("connector %d unavailable", page + 1);
        }
    } else if (app->screen == MODE && (label == ID_FAST || label == ID_SMART)) {
        app->fast = label == ID_FAST;
        go(app, PAYMENT);
    } else if (app->screen == MENU && label == ID_MENU_HELP) {
        go(app, HELP);
    } else if (app->screen == MENU && label == ID_MENU_ABOUT) {
        app->about = !app->about;
        show(app);
    } else if (app->screen == MENU && label == ID_MENU_LANGUAGE) {
        const int next = (int)(app->text - demo_languages + 1) % DEMO_LANGUAGE_COUNT;
        app->text = &demo_languages[next];
        show(app);
        print_line("language: %s", app->text->code);
    }
}

/* A tap is a press and a release on the same thing; a release far enough to the side of its
 * press on the home screen is a swipe. Nothing reacts during a slide. */
static void handle(struct app* app, const EventRecord* e)
{
    switch (e->kind) {
    case KIVO_EVENT_QUIT:
        print_line("quit");
        app->quit = 1;
        break;
    case KIVO_EVENT_PRESS:
        print_line("press button=%u label=%u", (unsigned)e->button, (unsigned)e->label);
        app->touching = 1;
        app->press_x = e->x;
        app->press_y = e->y;
        app->press_button = e->button;
        app->press_label = e->label;
        break;
    case KIVO_EVENT_RELEASE: {
        if (!app->touching || app->slide_to >= 0)
            break;
        app->touching = 0;
        int dx = e->x - app->press_x;
        if (app->screen == HOME && abs(dx) > SWIPE_THRESHOLD) {
            start_slide(app, dx < 0 ? -1 : +1);
        } else if (abs(dx) <= SWIPE_THRESHOLD && abs(e->y - app->press_y) <= SWIPE_THRESHOLD) {
            if (app->press_button && app->press_button == e->button)
                tap_button(app, app->press_button);
            else if (app->press_label && app->press_label == e->label)
                tap_label(app, app->press_label);
        }
        break;
    }
    default:
        break;
    }
}

/* ---- Frame loop -------------------------------------------------------------------------- */

static long long monotonic_ns(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

/* Sleeps until the next frame is due. The sleep is relative and never longer than one period:
 * under a manual monotonic clock (the device emulator's) the time read does not move, and an
 * absolute clock_nanosleep would then be due at once or never. */
static void wait_frame(long long* due, long long period)
{
    long long now = monotonic_ns();
    long long rest = *due - now;
    if (rest > period)
        rest = period;
    if (rest > 0) {
        struct timespec ts = {(time_t)(rest / 1000000000LL), (long)(rest % 1000000000LL)};
        while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }
    *due += period;
    if (*due < now) /* fell behind: no burst to catch up */
        *due = now + period;
}

static ConfigRecord demo_config(void)
{
    ConfigRecord config;
    memset(&config, 0, sizeof config);
    config.flavour = 0;
    config.font0 = DEMO_FONT0;
    config.font1 = DEMO_FONT1;
    config.font2 = DEMO_FONT2;
    config.font3 = DEMO_FONT3;
    config.qr_border = 3;
    config.icon_center_y = 110;
    config.carousel_y = 440;
    config.carousel_spacing = 28;
    config.slider_start_angle = 0.75f * PI_F;
    config.slider_sweep_angle = 1.5f * PI_F;
    static const uint8_t value_color[4] = {0x2e, 0xcc, 0x71, 0xff};
    static const uint8_t band_color[4] = {0xff, 0xff, 0xff, 0x90};
    static const uint8_t marker_color[4] = {0xf5, 0xa6, 0x23, 0xff};
    memcpy(config.slider_value_color, value_color, 4);
    memcpy(config.slider_band_color, band_color, 4);
    memcpy(config.slider_marker_color, marker_color, 4);
    return config;
}

static int parse_option(int argc, char** argv, int* i, const char* name, long* value)
{
    if (strcmp(argv[*i], name) != 0)
        return 0;
    char* end = NULL;
    if (*i + 1 >= argc || (*value = strtol(argv[*i + 1], &end, 10)) < 0 || *end) {
        fprintf(stderr, "charging_demo: %s needs a number\n", name);
        exit(2);
    }
    ++*i;
    return 1;
}

int main(int argc, char** argv)
{
    long frames = 0, fps = 30;
    for (int i = 1; i < argc; ++i) {
        if (!parse_option(argc, argv, &i, "--frames", &frames) &&
            !parse_option(argc, argv, &i, "--fps", &fps)) {
            fprintf(stderr, "usage: charging_demo [--frames N] [--fps N]\n");
            return 2;
        }
    }
    if (fps <= 0)
        fps = 30;

    ConfigRecord config = demo_config();

    kivo_init_sdl();
    kivo_create_window(WIDTH, HEIGHT, &config);

    struct app app;
    memset(&app, 0, sizeof app);
    app.slide_to = -1;
    app.fast = 1;
    app.text = &demo_languages[0];
    go(&app, HOME);

    const long long period = 1000000000LL / fps;
    long long due = monotonic_ns() + period;
    for (long frame = 0; !app.quit && (frames == 0 || frame < frames); ++frame) {
        if (app.charging && app.soc < target_soc) {
            app.soc += 0.004f;
            if (app.soc > target_soc)
                app.soc = target_soc;
            if (app.screen == CHARGING || (app.screen == HOME && app.slide_to < 0))
                show(&app);
        }
        kivo_present(slide_offset(&app));

        EventRecord events[16];
        uint32_t n;
        while ((n = kivo_poll_events(events, 16)) > 0 && !app.quit)
            for (uint32_t i = 0; i < n && !app.quit; ++i)
                handle(&app, &events[i]);
        wait_frame(&due, period);
    }

    kivo_destroy_window();
    kivo_quit_sdl();
    return 0;
}
