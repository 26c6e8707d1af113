#!/usr/bin/env python3
"""Prints a Google Benchmark JSON run as ratios to the memcpy of one 800 x 480 frame measured in
the same run (medians of the CPU times), checks the targets, and compares with a previous run.

  report.py LATEST.json [PREVIOUS.json] [--exe kivo-bench --sites alloc_sites.txt]
"""
import json
import os
import subprocess
import sys

REFERENCE = "memcpy_frame/800x480"
UNITS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
ALLOC_ORIGINS = ("ours", "cairo", "pango", "sdl", "other")


def medians(path):
    """name -> median run (CPU time in ns and the counters)."""
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        if b.get("run_type") == "aggregate" or name not in runs:
            entry = dict(b)
            entry["cpu_ns"] = b["cpu_time"] * UNITS[b.get("time_unit", "ns")]
            runs[name] = entry
    return runs


def ratio_table(latest, previous):
    ref = latest.get(REFERENCE)
    if not ref:
        sys.exit(f"no {REFERENCE} in the run")
    ref_ns = ref["cpu_ns"]
    prev_ref = previous.get(REFERENCE, {}).get("cpu_ns") if previous else None
    print(f"ratios to {REFERENCE} = {ref_ns / 1000:.1f} us CPU (median of the repetitions)\n")
    print(f"{'benchmark':34} {'median CPU':>12} {'x memcpy':>9} {'previous':>9}")
    for name, run in latest.items():
        if name.startswith("alloc/"):
            continue  # times include the counting
        ratio = run["cpu_ns"] / ref_ns
        prev = ""
        if prev_ref and name in previous:
            prev = f"{previous[name]['cpu_ns'] / prev_ref:9.2f}"
        print(f"{name:34} {format_ns(run['cpu_ns']):>12} {ratio:9.2f} {prev:>9}")
    return ref_ns


def format_ns(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.1f} us"
    return f"{ns:.1f} ns"


def targets(latest, ref_ns):
    def r(name, against=REFERENCE):
        if name not in latest or against not in latest:
            return None
        return latest[name]["cpu_ns"] / latest[against]["cpu_ns"]

    checks = []
    for size in ("800x480", "1280x800"):
        checks.append((f"present/{size}/equal vs memcpy_frame/{size}",
                       r(f"present/{size}/equal", f"memcpy_frame/{size}"), 1.15))
    checks.append(("element/background vs memcpy of a frame", r("element/background"), 1.1))
    for size in ("800x480", "1280x800"):
        for mode, limit in (("full", 3.0), ("redrawn", 3.0), ("one_label", 0.2), ("unchanged", 0.05)):
            checks.append((f"home/{size}/{mode} vs memcpy_frame/{size}",
                           r(f"home/{size}/{mode}", f"memcpy_frame/{size}"), limit))
    for screen in ("home", "charging", "payment"):
        checks.append((f"frame/{screen} vs memcpy of a frame", r(f"frame/{screen}"), 12.0))
    print("\ntargets (ratios in this run)")
    for what, value, limit in checks:
        if value is None:
            print(f"  {what:48} missing")
            continue
        verdict = "met" if value <= limit else "MISSED"
        print(f"  {what:48} {value:6.2f} (at most {limit}) {verdict}")
    print("  base64 decode of 1 MiB: instructions per input byte come from bench/callgrind.py")
    inside = [(n, r(n)) for n in ("sdl/blit_copy_800x480", "sdl/blit_blend_opaque_800x480")]
    if all(v is not None for _, v in inside):
        print("  SDL alone, two plain surfaces: " +
              ", ".join(f"{n} {v:.2f}" for n, v in inside) + " x memcpy")
    sdl, ours = r("sdl/blit_blend_translucent_800x480"), r("kivo/alpha_blend_translucent_800x480")
    if sdl is not None and ours is not None:
        print(f"  a translucent frame blended: SDL {sdl:.2f}, AlphaBlend {ours:.2f} x memcpy")
    laid, drawn = r("text/pango_counter_laid_out"), r("text/pango_counter_drawn")
    if laid is not None and drawn is not None:
        print(f"  the one-label counter in Pango and Cairo alone: laid out {laid:.2f}, "
              f"and drawn {drawn:.2f} x memcpy (the floor of home/800x480/one_label)")


def allocations(latest, exe, sites):
    rows = [(n, r) for n, r in latest.items() if n.startswith("alloc/")]
    if not rows:
        return
    print("\nheap allocations per presented frame, by the library that asked")
    print(f"{'frame':22}" + "".join(f"{o:>8}" for o in ALLOC_ORIGINS))
    for name, run in rows:
        print(f"{name:22}" + "".join(f"{run.get(o, 0):8.1f}" for o in ALLOC_ORIGINS))
    if not (exe and sites and os.path.exists(sites)):
        return
    with open(sites) as f:
        lines = [line.split() for line in f if line.strip()]
    if not lines:
        print("our call sites: none")
        return
    where = resolve(exe, [offset for _, offset, _ in lines])
    print("our call sites (per frame):")
    for (frame, offset, n), place in zip(lines, where):
        print(f"  {frame:12} {float(n):6.2f}  {place}")


def resolve(exe, offsets):
    try:
        out = subprocess.run(["addr2line", "-f", "-C", "-e", exe] + offsets, check=True,
                             capture_output=True, text=True).stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        return offsets
    return [f"{out[i]} ({os.path.basename(out[i + 1])})" for i in range(0, len(out) - 1, 2)]


def main(argv):
    args = [a for a in argv[1:]]
    exe = sites = None
    if "--exe" in args:
        i = args.index("--exe")
        exe = args[i + 1]
        del args[i:i + 2]
    if "--sites" in args:
        i = args.index("--sites")
        sites = args[i + 1]
        del args[i:i + 2]
    if not args:
        sys.exit(__doc__)
    latest = medians(args[0])
    previous = medians(args[1]) if len(args) > 1 and os.path.exists(args[1]) else None
    ref_ns = ratio_table(latest, previous)
    targets(latest, ref_ns)
    allocations(latest, exe, sites)
    if previous is None:
        print("\n(no previous run to compare with)")


if __name__ == "__main__":
    main(sys.argv)
