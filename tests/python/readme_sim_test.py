"""The README's Python example, touched in the simulator as its reader would.

    readme_sim_test.py SOURCE_DIR LIBRARY KIVO_SIM

Run from a directory holding the image tree. The first python block of README.md is played by
kivo-sim with a touch script that waits a second, taps the label and quits: the host must still
be running (it presents at the emulated panel's pace, 60 frames a second) and print the press.
"""
import os
import re
import subprocess
import sys
import tempfile

source, library, simulator = sys.argv[1:4]
with open(os.path.join(source, "README.md"), encoding="utf-8") as f:
    example = re.search(r"```python\n(.*?)```", f.read(), re.S)

SCRIPT = "wait 1000\ntap 400 240\nwait 300\nquit\n"
EXPECTED = "pressed Event(kind=EventKind.PRESS, x=400, y=240, button=Button.NONE, label=1)"

with tempfile.TemporaryDirectory() as work:
    host = os.path.join(work, "hello.py")
    with open(host, "w", encoding="utf-8") as f:
        f.write(example.group(1) if example else "raise SystemExit('no python block')\n")
    with open(os.path.join(work, "tap.txt"), "w") as f:
        f.write(SCRIPT)
    env = dict(os.environ, KIVO_LIBRARY=library, PYTHONPATH=os.path.join(source, "python"),
               PYTHONDONTWRITEBYTECODE="1")
    env.pop("KIVO_EMU_FB_REFRESH", None)  # the emulator's own pace, as for a reader
    done = subprocess.run(
        [simulator, "--script", os.path.join(work, "tap.txt"), "--out", work, "--", sys.executable,
         host], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60)
print(done.stdout)
ok = EXPECTED in done.stdout.splitlines()
print(("ok    " if ok else "FAIL  ") + "the README's Python example answered the tap")
sys.exit(0 if ok else 1)
