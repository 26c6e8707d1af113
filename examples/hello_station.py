#!/usr/bin/env python3
"""The smallest host, in Python: one screen, and a line for every tap."""
import kivo

FONT = "DejaVu Sans 24"


def on_event(event: kivo.Event) -> None:
    if event.kind == kivo.EventKind.PRESS:
        print("pressed", event, flush=True)


def main() -> None:
    config = kivo.Config(font0=FONT, font1=FONT, font2=FONT, font3=FONT, qr_border=4)
    hello = kivo.Label(
        200, 200, 400, 80, "Tap to start charging", style=kivo.Style.AVAILABLE_BUTTON, id=1
    )
    with kivo.Window(800, 480, config) as window:
        window.show(kivo.Screen(labels=[hello], buttons=kivo.Button.OK))
        # 300 frames at the display's pace: each present waits for the panel's next refresh.
        window.run(0, on_event=on_event, frames=300)


if __name__ == "__main__":
    main()
