#!/usr/bin/env python3
"""The smallest host, in Python: one screen, and a line for every tap."""
import kivo

FONT = "DejaVu Sans 24"


def main():
    config = kivo.Config(font0=FONT, font1=FONT, font2=FONT, font3=FONT, qr_border=4)
    hello = kivo.Label(
        200, 200, 400, 80, "Tap to start charging", style=kivo.STYLE_AVAILABLE_BUTTON, id=1
    )
    with kivo.Window(800, 480, config) as window:
        window.show(kivo.Screen(labels=[hello], buttons=kivo.BUTTON_OK))
        for _ in range(300):
            window.present()
            for event in window.poll_events():
                if event.kind == kivo.EVENT_PRESS:
                    print(f"pressed button {event.button}, label {event.label}", flush=True)


if __name__ == "__main__":
    main()
