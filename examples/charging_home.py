#!/usr/bin/env python3
"""charging_home: the home screen of the charging demo (examples/charging_demo.c), in Python:
the first step of the demo's tour (tools/simulator/tour.txt), where Right slides connector 2 in.

    charging_home.py [--frames N] [--fps N]

The carousel of three connectors: the Left and Right arrows, or a swipe, slide the next
connector in. It runs at a steady frame rate until a Quit event or, with --frames, until that
many frames have been shown. Standard output, as the demo writes it:
    screen: home                     at the start
    page: <n>                        the carousel settled on connector n (1..3)
    press button=<b> label=<id>      a touch went down
    quit                             a Quit event arrived
"""
import argparse
import math
import time

import kivo

WIDTH, HEIGHT = 800, 480
SWIPE_THRESHOLD = 80
SLIDE_FRAMES = 10
PILL_TEXT_H = 34  # one line of font 0: the pill image is centred on a box this high
ID_CONNECTOR = 10  # + page

# title, details, state, the state's pill
CONNECTORS = (
    ("Connector 1 · CCS", "up to 150 kW · 0.59 €/kWh", "Available",
     kivo.STYLE_AVAILABLE_BUTTON),
    ("Connector 2 · Type 2", "22 kW · reserved until 15:30", "Reserved",
     kivo.STYLE_RESERVED_BUTTON),
    ("Connector 3 · CHAdeMO", "50 kW · technician called", "Out of order",
     kivo.STYLE_FAULTED_BUTTON),
)

CONFIG = kivo.Config(
    font0="DejaVu Sans Bold 20",
    font1="DejaVu Sans 15",
    font2="DejaVu Sans Bold 28",
    font3="DejaVu Sans 12",
    qr_border=3,
    icon_center_y=110,
    carousel_y=440,
    carousel_spacing=28,
    slider_start_angle=0.75 * math.pi,
    slider_sweep_angle=1.5 * math.pi,
    slider_value_color=(0x2E, 0xCC, 0x71, 0xFF),
    slider_band_color=(0xFF, 0xFF, 0xFF, 0x90),
    slider_marker_color=(0xF5, 0xA6, 0x23, 0xFF),
)


def home_page(page):
    title, details, state, style = CONNECTORS[page]
    return kivo.Screen(
        background="home",
        icon="station",
        labels=[
            kivo.Label(150, 190, 500, 40, title),
            kivo.Label(290, 275 - PILL_TEXT_H // 2, 220, PILL_TEXT_H, state, style=style,
                       id=ID_CONNECTOR + page),
            kivo.Label(150, 330, 500, 30, details, font=1),
        ],
        buttons=kivo.BUTTON_LEFT | kivo.BUTTON_RIGHT | kivo.BUTTON_MENU,
        carousel=(page, len(CONNECTORS)),
    )


class Home:
    def __init__(self, window):
        self.window = window
        self.page = 0
        self.slide_to = None  # page entering during a slide
        self.direction = 0  # -1: it enters from the right, +1: from the left
        self.frame = 0
        self.press = None  # the Press event of the touch in progress
        self.quit = False
        window.show(home_page(0))
        print("screen: home", flush=True)

    def start_slide(self, direction):
        if self.slide_to is not None:
            return
        self.direction = direction
        self.slide_to = (self.page - direction) % len(CONNECTORS)
        self.frame = 0
        self.window.show(home_page(self.slide_to), slot=1)

    def offset(self):
        """This frame's slide offset; the entering page takes slot 0 when the slide ends."""
        if self.slide_to is None:
            return 0
        self.frame += 1
        if self.frame < SLIDE_FRAMES:
            t = self.frame / SLIDE_FRAMES
            return round(self.direction * (1 - (1 - t) ** 2) * WIDTH)
        self.page, self.slide_to = self.slide_to, None
        self.window.show(home_page(self.page))
        print(f"page: {self.page + 1}", flush=True)
        return 0

    def handle(self, event):
        if event.kind == kivo.EVENT_QUIT:
            print("quit", flush=True)
            self.quit = True
        elif event.kind == kivo.EVENT_PRESS:
            print(f"press button={event.button} label={event.label}", flush=True)
            self.press = event
        elif event.kind == kivo.EVENT_RELEASE and self.press and self.slide_to is None:
            press, self.press = self.press, None
            dx = event.x - press.x
            if abs(dx) > SWIPE_THRESHOLD:
                self.start_slide(-1 if dx < 0 else 1)
            elif abs(event.y - press.y) <= SWIPE_THRESHOLD and press.button == event.button:
                if press.button == kivo.BUTTON_LEFT:
                    self.start_slide(1)
                elif press.button == kivo.BUTTON_RIGHT:
                    self.start_slide(-1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--frames", type=int, default=0)
    parser.add_argument("--fps", type=int, default=30)
    args = parser.parse_args()
    period = 1 / (args.fps if args.fps > 0 else 30)

    with kivo.Window(WIDTH, HEIGHT, CONFIG) as window:
        home = Home(window)
        frame = 0
        due = time.monotonic() + period
        while not home.quit and (args.frames == 0 or frame < args.frames):
            window.present(home.offset())
            for event in window.poll_events():
                if not home.quit:
                    home.handle(event)
            time.sleep(max(0.0, min(due - time.monotonic(), period)))
            due = max(due + period, time.monotonic())
            frame += 1


if __name__ == "__main__":
    main()
