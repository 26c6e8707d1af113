"""The Pythonic layer's checks, and what the library says of the same values.

    python_layer_test.py SOURCE_DIR LIBRARY EMULATOR

Run from a directory holding the image tree. Every check of the layer is one row of a table:
the exception type and message a wrong value gets. Then the test runs itself under the device
emulator (--library) to ask the library: for every row of the base64 table (the rows of
tests/image/base64_test.cpp), a child process shows a "data://" background and presents it, and
the library either draws (a warning for bytes that are no image) or ends the child through
std::terminate with its message; the layer must refuse exactly the rows the library refuses,
with the library's message. The same process checks that events come back as enums and that
Window.run ends on a Quit.
"""
import json
import os
import signal
import subprocess
import sys

source, library, emulator = sys.argv[1:4]
sys.path.insert(0, os.path.join(source, "python"))
import kivo  # noqa: E402

ALPHABET = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
# tests/image/base64_test.cpp: the texts it decodes, then those it refuses.
BASE64_ROWS = [b"", b"Zg==", b"Zm8=", b"Zm9v", b"Zm9vYmE=", b"Zm9vYmFy", b"QQ==", b"QR==",
               b"Q///", b"QUJ=", b"AAAAAA==", b"QQBC", b"+/+/", ALPHABET,
               b"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8="]
BASE64_ROWS += [b"Q", b"QQ=", b"-_ \n=", b"Q===", b"=Q==", b"-===", b"QQ=A", b"=QUJ", b"Q=Q=",
                b"QU D", b"QU\0D", b"QUJ\x80", b"QUJDQUJDQUJDQUJDQUJDQUJ.",
                b".UJDQUJDQUJDQUJDQUJDQUJD", b"QUJDQU.="]


def library_side():
    """Under the emulator: the library's verdict on each base64 row, and a polled event."""
    result = {"verdicts": []}
    lib = kivo.library()
    with kivo.Window(320, 240) as window:
        for row in BASE64_ROWS:
            read, write = os.pipe()
            pid = os.fork()
            if pid == 0:
                os.dup2(write, 2)
                lib.kivo_set_screen(0, b"data://" + row, None, None, 0, 0, 0, 0)
                lib.kivo_present(0)
                os._exit(0)
            os.close(write)
            with os.fdopen(read, errors="replace") as f:
                stderr = f.read()
            _, status = os.waitpid(pid, 0)
            aborted = os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGABRT
            what = [line.split("what():", 1)[1].strip() for line in stderr.splitlines()
                    if "what():" in line]
            result["verdicts"].append(what[0] if aborted and what else None if status == 0
                                      else f"status {status}: {stderr.strip()}")
        window.show(kivo.Screen(labels=[kivo.Label(10, 10, 20, 20, id=7)], buttons=kivo.Button.OK))
        window.present()
        window.push_event(kivo.EventKind.PRESS, 20, 20)
        window.push_event(kivo.EventKind.RELEASE, 300, 220)
        result["events"] = [repr(e) for e in window.poll_events()]
        window.push_event(kivo.EventKind.QUIT)
        seen = []
        result["run"] = [window.run(0, None, seen.append, frames=50), [repr(e) for e in seen]]
    print(json.dumps(result))


if sys.argv[4:] == ["--library"]:
    library_side()
    sys.exit(0)

failures = 0


def check(ok, what):
    global failures
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    failures += not ok


def label(**fields):
    return kivo.Label(**{"x": 0, "y": 0, "width": 10, "height": 10, **fields})


def mutated(**fields):
    """A screen whose label was changed after it was made: checked again when shown."""
    item = label()
    for name, value in fields.items():
        setattr(item, name, value)
    kivo.Window(8, 8).show(kivo.Screen(labels=[item]))


def open_window(**fields):
    kivo.Window(8, 8, kivo.Config(**fields))


# What the layer refuses: the call, the exception, its message.
REFUSED = [
    (lambda: label(x=10.5), TypeError, "Label.x: expected an integer, got float 10.5"),
    (lambda: label(width=True), TypeError, "Label.width: expected an integer, got bool True"),
    (lambda: label(y=2**31), ValueError, "Label.y: expected -2147483648 to 2147483647, got 2147483648"),
    (lambda: label(id=-1), ValueError, "Label.id: expected 0 to 4294967295, got -1"),
    (lambda: label(width=-10), ValueError, "Label.width: expected 0 to 2147483647, got -10"),
    (lambda: label(height=-20), ValueError, "Label.height: expected 0 to 2147483647, got -20"),
    (lambda: kivo.Label.slider(0, 0, 300, 55), ValueError, "Label.slider height: expected 56 to"),
    (lambda: label(color=(255, 0, 0)), ValueError, "Label.color: expected 4 values 0-255, got 3"),
    (lambda: label(color="red"), TypeError, "Label.color: expected 4 values 0-255, got str 'red'"),
    (lambda: label(color=(0, 0, 0, 256)), ValueError, "Label.color[3]: expected 0 to 255, got 256"),
    (lambda: label(text=b"abc"), TypeError, "Label.text: expected a str, got bytes b'abc'"),
    (lambda: label(text=None), TypeError, "Label.text: expected a str, got NoneType None"),
    (lambda: label(text="a\0b"), ValueError, "Label.text: contains a NUL character"),
    (lambda: label(kind=4), ValueError, "Label.kind: 4 is not a LabelKind"),
    (lambda: label(align=3), ValueError, "Label.align: 3 is not a Align"),
    (lambda: label(font=4), ValueError, "Label.font: expected 0 to 3, got 4"),
    (lambda: label(style=0x10020), ValueError, "Label.style: 0x10000 is not a Style bit"),
    (lambda: label(style=0x4000), ValueError, "Label.style: 0x4000 is not a Style bit"),
    (lambda: label(value="1"), TypeError, "Label.value: expected a number, got str '1'"),
    (lambda: label(marker_value=1e39), ValueError, "Label.marker_value: 1e+39 is beyond a 32-bit float"),
    (lambda: label(kind=kivo.LabelKind.ICON, text="data://abc"), ValueError,
     "Label.text: Invalid base64 encoded data - Size not divisible by 4"),
    (lambda: mutated(x=1.5), TypeError, "Label.x: expected an integer, got float 1.5"),
    (lambda: mutated(style=0x8000), ValueError, "Label.style: 0x8000 is not a Style bit"),
    (lambda: kivo.Label.pill(0, 0, "x", kivo.Style.MARKUP), ValueError, "Label.style: Style.MARKUP has no image"),
    (lambda: kivo.Screen(background="data://abc"), ValueError,
     "Screen.background: Invalid base64 encoded data - Size not divisible by 4"),
    (lambda: kivo.Screen(icon="data://Q==="), ValueError,
     "Screen.icon: Invalid base64 encoded data - Found more than 2 padding signs"),
    (lambda: kivo.Screen(buttons=kivo.Button.OK | 0x10000), ValueError,
     "Screen.buttons: 0x10000 is not a Button bit"),
    (lambda: kivo.Screen(labels=[label(), (0, 0, 1, 1)]), TypeError, "Screen.labels[1]: expected a Label"),
    (lambda: kivo.Screen(labels="abc"), TypeError, "Screen.labels: expected a sequence of Label"),
    (lambda: kivo.Screen(carousel=[0, 3]), TypeError, "Screen.carousel: expected (current, count)"),
    (lambda: kivo.Screen(carousel=(0, -3)), ValueError, "Screen.carousel[1]: expected 0 to 4294967295"),
    (lambda: open_window(flavour=3), ValueError, "Config.flavour: expected 0 to 2, got 3"),
    (lambda: open_window(font2=None), TypeError, "Config.font2: expected a str, got NoneType"),
    (lambda: open_window(carousel_y=1.5), TypeError, "Config.carousel_y: expected an integer"),
    (lambda: open_window(slider_sweep_angle="pi"), TypeError, "Config.slider_sweep_angle: expected a number"),
    (lambda: open_window(slider_band_color=(1, 2, 3)), ValueError,
     "Config.slider_band_color: expected 4 values 0-255, got 3"),
    (lambda: kivo.Window(0, 480), ValueError, "Window.width: expected 1 to 2147483647, got 0"),
    (lambda: kivo.Window(800, 480, {}), TypeError, "Window.config: expected a Config"),
    (lambda: kivo.Window(8, 8).show(kivo.Screen(), slot=2), ValueError, "Window.show slot: expected 0 to 1, got 2"),
    (lambda: kivo.Window(8, 8).present(2**31), ValueError, "Window.present offset: expected -2147483648"),
    (lambda: kivo.Window(8, 8).push_event(9), ValueError, "Window.push_event kind: 9 is not a EventKind"),
    (lambda: kivo.Window(8, 8).poll_events(0), ValueError, "Window.poll_events chunk: expected 1 to 4096"),
    (lambda: kivo.Window(8, 8).run(-1), ValueError, "Window.run fps: expected a number of frames"),
    (lambda: kivo.Slide(kivo.Window(8, 8)).start(kivo.Screen(), 0), ValueError,
     "Slide.start direction: expected -1 or 1, got 0"),
]

for i, (call, kind, message) in enumerate(REFUSED):
    try:
        call()
        got = "accepted"
    except (TypeError, ValueError) as error:
        got = f"{type(error).__name__}: {error}"
    check(got.startswith(f"{kind.__name__}: {message}"), f"refused {i}: {got}")

# Accepted as given: enums from plain ints, NaN for a band that is not drawn, the defaults.
made = label(kind=1, text="data://QQ==", style=0x21, band_value=float("nan"))
check(repr(made.kind) == "LabelKind.ICON" and str(made.style) == "Style.MARKUP|Style.AVAILABLE_BUTTON",
      f"plain ints become enums: {made.kind!r}, {made.style}")
record, _ = kivo.Config().to_record(600)
check((record.icon_center_y, record.carousel_y, record.qr_border) == (137, 560, 3),
      "Config() places the icon and the dots for the window's height")
text, area = kivo.Label.pill(290, 247, "Available", kivo.Style.AVAILABLE_BUTTON, id=11)
check((text.x, text.y, text.width, text.height, area.y, area.height, area.id) == (290, 258, 220, 34, 247, 56, 11),
      "Label.pill: the text centred on the 220 x 56 image, the image's box answering taps")
gauge = kivo.Label.slider(100, 50, 300, 301, value=0.5)
check((gauge.x, gauge.y, gauge.width, gauge.height, gauge.kind) == (128, 78, 244, 245, kivo.LabelKind.SLIDER),
      "Label.slider: the outer box less the gauge's reach on every side")

env = dict(os.environ, LD_PRELOAD=emulator, KIVO_LIBRARY=library, KIVO_EMU_FB_REFRESH="0",
           TSLIB_CONFFILE=os.path.join(source, "tools/emulator/ts.conf"),
           PYTHONDONTWRITEBYTECODE="1")
done = subprocess.run([sys.executable, __file__, source, library, emulator, "--library"],
                      env=env, stdout=subprocess.PIPE, text=True, timeout=120)
check(done.returncode == 0, f"the library side ran: exit {done.returncode}")
answer = json.loads(done.stdout.splitlines()[-1]) if done.returncode == 0 else {}
for row, theirs in zip(BASE64_ROWS, answer.get("verdicts", [])):
    ours = kivo.base64_error(row)
    # C ends the text at the NUL; the layer refuses every text holding one.
    same = (ours is not None and theirs is not None) if b"\0" in row else ours == theirs
    if same and row.isascii() and ours and b"\0" not in row:
        try:
            kivo.Screen(background="data://" + row.decode())
            same = False
        except ValueError as error:
            same = str(error) == f"Screen.background: {ours}"
    check(same, f"base64 {row!r}: the layer says {ours}, the library {theirs}")
check(len(answer.get("verdicts", [])) == len(BASE64_ROWS), "a verdict for every base64 row")

events = answer.get("events")
check(events == ["Event(kind=EventKind.PRESS, x=20, y=20, button=Button.NONE, label=7)",
                 "Event(kind=EventKind.RELEASE, x=300, y=220, button=Button.OK, label=0)"],
      f"events of enums: {events}")

check(answer.get("run") == [1, ["Event(kind=EventKind.QUIT, x=0, y=0, button=Button.NONE, label=0)"]],
      f"Window.run ends with the frame that brought a Quit: {answer.get('run')}")

print(f"python layer: {failures} failed")
sys.exit(failures != 0)
