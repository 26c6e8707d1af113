#!/usr/bin/env python3
"""Instruction counts of the scripted run (bench/script) from its callgrind dumps.

  callgrind.py DIR                       per-phase counts, compared with bench/baseline/callgrind.json
  callgrind.py DIR --write-baseline      records them as the new baseline
  callgrind.py DIR --profile PHASE [N]   self cost of PHASE by library and its N costliest functions

DIR holds callgrind.out.* from `valgrind --tool=callgrind --compress-strings=no
--callgrind-out-file=DIR/callgrind.out kivo-bench-script`. Each phase is dumped as
"<name>/<repeats>"; counts are per repeat (per frame for the screens).
"""
import collections
import glob
import json
import os
import re
import sys

BASELINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "baseline", "callgrind.json")
# Changes smaller than these are run-to-run noise: steady frames repeat within 0.2%; start-up
# (font configuration, first loads) moves by up to 10% between runs on an unchanged tree.
NOISE = 0.02
STARTUP_NOISE = 0.15
STARTUP = ("init_sdl", "create_window", "first_present")


def read_dump(path):
    name, summary = None, None
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("desc: Trigger: Client Request: "):
                name = line[len("desc: Trigger: Client Request: "):].strip()
            elif line.startswith("summary:"):
                summary = int(line.split()[1])
                break
    return name, summary


def phases(directory):
    out = {}
    dumps = glob.glob(os.path.join(directory, "callgrind.out.*"))
    for path in sorted(dumps, key=lambda p: int(p.rsplit(".", 1)[1])):
        name, summary = read_dump(path)
        if not name or summary is None or "/" not in name:
            continue
        phase, repeats = name.rsplit("/", 1)
        out[phase] = {"per_repeat": summary // int(repeats), "file": path}
    return out


def self_costs(path):
    """Self cost per (object, function): cost lines outside calls= records."""
    by_fn = collections.Counter()
    ob = fn = "?"
    skip_next = False
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("ob="):
                ob = line[3:].strip()
            elif line.startswith("fn="):
                fn = line[3:].strip()
            elif line.startswith("calls="):
                skip_next = True
            elif line[:1].isdigit() or line[:1] in "+-*":
                if skip_next:
                    skip_next = False
                    continue
                parts = line.split()
                if len(parts) >= 2:
                    by_fn[(os.path.basename(ob), fn)] += int(parts[-1])
    return by_fn


def library(ob):
    for key, group in (("kivo-bench", "ours"), ("libkivo-gui", "ours"), ("libcairo", "cairo"),
                       ("libpixman", "pixman (cairo)"), ("libpango", "pango"),
                       ("libharfbuzz", "harfbuzz (pango)"), ("libfreetype", "freetype (pango)"),
                       ("libfontconfig", "fontconfig (pango)"), ("libglib", "glib (pango)"),
                       ("libgobject", "glib (pango)"), ("libSDL2_image", "sdl_image"),
                       ("libSDL2", "sdl"), ("libwebp", "webp (sdl_image)"),
                       ("libqrencode", "qrencode"), ("libc.so", "libc"), ("libm.so", "libm")):
        if key in ob:
            return group
    return ob


def profile(directory, phase, top):
    info = phases(directory).get(phase)
    if not info:
        sys.exit(f"no phase {phase!r}")
    costs = self_costs(info["file"])
    total = sum(costs.values())
    by_lib = collections.Counter()
    for (ob, _), c in costs.items():
        by_lib[library(ob)] += c
    print(f"{phase}: {info['per_repeat']:,} instructions per repeat")
    for lib, c in by_lib.most_common():
        print(f"  {100 * c / total:5.1f}%  {lib}")
    print("  costliest functions (self):")
    for (ob, fn), c in costs.most_common(top):
        print(f"  {100 * c / total:5.1f}%  {fn[:90]}  [{library(ob)}]")


def frame_hashes(directory):
    """phase -> hash of the frame's bytes after it, from the run's standard output."""
    path = os.path.join(directory, "script.txt")
    hashes = {}
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and parts[0] == "frame":
                    hashes[parts[1]] = parts[2]
    return hashes


def compare(directory, write):
    current = {k: v["per_repeat"] for k, v in phases(directory).items()}
    if not current:
        sys.exit(f"no callgrind dumps in {directory}")
    frames = frame_hashes(directory)
    base, base_frames = {}, {}
    if os.path.exists(BASELINE):
        with open(BASELINE) as f:
            recorded = json.load(f)
        base, base_frames = recorded["instructions"], recorded.get("frames", {})
    print(f"{'phase':32} {'instructions':>14} {'baseline':>14} {'change':>8}")
    worse = []
    for phase, n in current.items():
        b = base.get(phase)
        change = "" if not b else f"{100 * (n - b) / b:+7.1f}%"
        print(f"{phase:32} {n:>14,} {b or 0:>14,} {change:>8}")
        if b and (n - b) / b > (STARTUP_NOISE if phase in STARTUP else NOISE):
            worse.append(phase)
    if "base64_decode_1MiB" in current:
        print(f"base64 decode of 1 MiB: {current['base64_decode_1MiB'] / (1 << 20):.2f} "
              "instructions per input byte (once per data:// image loaded, beside a decode that "
              "costs far more)")
    if write:
        os.makedirs(os.path.dirname(BASELINE), exist_ok=True)
        with open(BASELINE, "w") as f:
            json.dump({"unit": "instructions per repeat (per frame for screens)",
                       "instructions": current, "frames": frames}, f, indent=2)
            f.write("\n")
        print(f"baseline written: {BASELINE}")
        return
    if worse:
        print("more instructions than the baseline (beyond the noise): " + ", ".join(worse))
    changed = [p for p, h in frames.items() if p in base_frames and base_frames[p] != h]
    if changed:
        print("frames drawn differently from the baseline's: " + ", ".join(changed))
    elif frames and base_frames:
        print("every frame is byte for byte the baseline's")


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    if "--profile" in argv:
        i = argv.index("--profile")
        top = int(argv[i + 2]) if len(argv) > i + 2 else 15
        profile(argv[1], argv[i + 1], top)
    else:
        compare(argv[1], "--write-baseline" in argv)


if __name__ == "__main__":
    main(sys.argv)
