"""Python hosts against C hosts, under the device emulator.

    python_hosts_test.py SOURCE_DIR LIBRARY EMULATOR TOUCH_WRITER C_HELLO C_DEMO PYTHON [RUNNER...]

Run from a directory holding the image tree. The programs (and PYTHON, the hosts' interpreter)
run through RUNNER when one is given: qemu for an ARM build. The records' layout table of the
kivo package must be the one tests/layout/record_layout.c checks against the C compilers
(natively and for ARM); importing kivo checks a Python's ctypes against it, here and in the
hosts' interpreter. Then each Python host and its C twin run under the emulator with the same
touches written into the touch panel (a tap, or a swipe stopped at points of its slide): both
must report the press on the expected button or label, and leave the same bytes in the
framebuffer.
"""
import os
import re
import subprocess
import sys
import tempfile

source, library, emulator, touch_writer, c_hello, c_demo, python = sys.argv[1:8]
runner = sys.argv[8:]
sys.path.insert(0, os.path.join(source, "python"))
import kivo  # noqa: E402 (checks the records' layout)

SWIPE = (600, 300, 200, 150, 300, 0)  # finger down at (600, 300), up at (150, 300): to the left
HOSTS = [
    # name, C host, Python host, touch samples (x y pressure...), lines each must print (C, Python)
    ("hello_station", [c_hello], ["hello_station.py"], (400, 240, 200, 400, 240, 0),
     (["pressed button 0, label 1"],
      ["pressed Event(kind=EventKind.PRESS, x=400, y=240, button=Button.NONE, label=1)"])),
    ("demo home: Right arrow", [c_demo, "--frames", "60"], ["charging_home.py", "--frames", "60"],
     (776, 240, 200, 776, 240, 0), (["press button=%d label=0" % kivo.BUTTON_RIGHT, "page: 2"],) * 2),
]
# The swipe arrives with the first frame's events: after 4 and 7 frames connector 2 is 3 and 6
# frames into its slide, after 11 the slide is over. The same bytes mean the same positions.
SLIDE_STEPS = ("4", "7", "11")
for frames in SLIDE_STEPS:
    lines = ["press button=0 label=0"] + (["page: 2"] if frames == "11" else [])
    HOSTS.append((f"demo home: swipe, frame {frames}", [c_demo, "--frames", frames],
                  ["charging_home.py", "--frames", frames], SWIPE, (lines, lines)))

failures = 0


def check(ok, what):
    global failures
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    failures += not ok


def c_layout():
    """The rows of record_layout.c's table, as kivo.records.LAYOUT writes them."""
    with open(os.path.join(source, "tests/layout/record_layout.c")) as f:
        text = f.read()
    rows = set()
    for kind, args in re.findall(r"\b([MS])\((\w+(?:,\s*\w+){2,3})\)", text):
        p = [a.strip() for a in args.split(",")]  # S(record, sizes) or M(record, member, offsets)
        if len(p) == (3 if kind == "S" else 4):
            rows.add((p[0], None if kind == "S" else p[1], int(p[-2]), int(p[-1])))
    return rows


def run(command, fb, samples, work):
    """Runs command under the emulator, with the touch samples; (exit status, output lines)."""
    fifo = os.path.join(work, "touch")
    if os.path.exists(fifo):
        os.unlink(fifo)
    os.mkfifo(fifo)
    # The writer blocks until the host opens its panel, then sends the samples at once.
    writer = subprocess.Popen(runner + [touch_writer, fifo] + [str(n) for n in samples], stdout=subprocess.DEVNULL)
    env = dict(os.environ, LD_PRELOAD=emulator, TSLIB_CONFFILE=os.path.join(source, "tools/emulator/ts.conf"),
               KIVO_EMU_FB_MODE="800x480", KIVO_EMU_FB_REFRESH="0", KIVO_EMU_FB_FILE=fb, KIVO_EMU_TOUCH_FIFO=fifo,
               KIVO_LIBRARY=library, PYTHONPATH=os.path.join(source, "python"), PYTHONDONTWRITEBYTECODE="1")
    try:
        done = subprocess.run(runner + command, env=env, stdout=subprocess.PIPE, text=True, timeout=60)
    finally:
        writer.kill()
        writer.wait()
    return done.returncode, done.stdout.splitlines()


ours, theirs = set(kivo.LAYOUT), c_layout()
check(ours == theirs, "kivo.records.LAYOUT is record_layout.c's table (%d rows); differing: %s"
      % (len(theirs), sorted(ours ^ theirs, key=str)))

shown = {}
with tempfile.TemporaryDirectory() as work:
    for name, c_host, py_host, samples, expected in HOSTS:
        script = [python, os.path.join(source, "examples", py_host[0])] + py_host[1:]
        frames = []
        for label, command, lines in zip(("C", "Python"), (c_host, script), expected):
            fb = os.path.join(work, label + ".fb")
            status, output = run(command, fb, samples, work)
            missing = [line for line in lines if line not in output]
            check(status == 0 and not missing, f"{name}, {label}: exit {status}, missing {missing}")
            with open(fb, "rb") as f:
                frames.append(f.read())
        drawn = len(frames[0]) == 800 * 480 * 4 and frames[0].strip(b"\0") != b""
        check(drawn and frames[0] == frames[1], f"{name}: the same frame bytes from both hosts")
        shown[name] = frames[0]

slide = [shown[f"demo home: swipe, frame {n}"] for n in SLIDE_STEPS]
check(len(set(slide)) == len(slide), "the swipe's frames differ from each other: it slides")

print(f"python hosts: {failures} failed")
sys.exit(failures != 0)
