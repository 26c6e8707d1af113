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

import kivo

WIDTH, HEIGHT = 800, 480
ID_CONNECTOR = 10  # + page

# title, details, state, the state's pill
CONNECTORS = (
    ("Connector 1 · CCS", "up to 150 kW · 0.59 €/kWh", "Available", kivo.Style.AVAILABLE_BUTTON),
    ("Connector 2 · Type 2", "22 kW · reserved until 15:30", "Reserved", kivo.Style.RESERVED_BUTTON),
    ("Connector 3 · CHAdeMO", "50 kW · technician called", "Out of order", kivo.Style.FAULTED_BUTTON),
)


def home_page(page: int) -> kivo.Screen:
    title, details, state, style = CONNECTORS[page]
    # The pill's image is 220 x 56 with its top left corner at (290, 247); all of it answers taps.
    pill = kivo.Label.pill(290, 247, state, style, id=ID_CONNECTOR + page)
    return kivo.Screen(
        background="home",
        icon="station",
        labels=[
            kivo.Label(150, 190, 500, 40, title),
            *pill,
            kivo.Label(150, 330, 500, 30, details, font=1),
        ],
        buttons=kivo.Button.LEFT | kivo.Button.RIGHT | kivo.Button.MENU,
        carousel=(page, len(CONNECTORS)),
    )


class Home:
    def __init__(self, window: kivo.Window) -> None:
        self.window = window
        self.slide = kivo.Slide(window)
        self.page = 0
        window.show(home_page(0))
        print("screen: home", flush=True)

    def turn(self, direction: int) -> None:
        """Slides the next connector in: from the right for -1, from the left for +1."""
        page = (self.page - direction) % len(CONNECTORS)
        self.slide.start(home_page(page), direction, lambda: self.settle(page))

    def settle(self, page: int) -> None:
        self.page = page
        print(f"page: {page + 1}", flush=True)

    def on_event(self, event: kivo.Event) -> None:
        if event.kind == kivo.EventKind.QUIT:
            print("quit", flush=True)
        elif event.kind == kivo.EventKind.PRESS:
            print(f"press button={event.button:d} label={event.label}", flush=True)
        gesture = self.slide.touch(event)
        if isinstance(gesture, kivo.Swipe):
            self.turn(gesture.direction)
        elif isinstance(gesture, kivo.Tap) and gesture.button == kivo.Button.LEFT:
            self.turn(1)
        elif isinstance(gesture, kivo.Tap) and gesture.button == kivo.Button.RIGHT:
            self.turn(-1)


def main() -> None:
    parser = argparse.ArgumentParser(description=(__doc__ or "").splitlines()[0])
    parser.add_argument("--frames", type=int, default=0)
    parser.add_argument("--fps", type=int, default=30)
    args = parser.parse_args()

    with kivo.Window(WIDTH, HEIGHT) as window:
        home = Home(window)
        window.run(args.fps if args.fps > 0 else 30, home.slide.offset, home.on_event, args.frames)


if __name__ == "__main__":
    main()
