#!/usr/bin/env python3
"""Prints how large the tests are against the rest of the code: non-blank lines that are not only
a comment, in C, C++, Python and shell files under git, tests/ against everything else (the fuzz
corpora and findings are inputs, not code)."""
import os
import re
import subprocess
import sys

C_LIKE = (".c", ".cc", ".cpp", ".h", ".hpp")
HASH_COMMENTED = (".py", ".sh")


def code_lines(path):
    c_like = path.endswith(C_LIKE)
    count = 0
    in_block = False
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            s = line.strip()
            if c_like:
                if in_block:
                    if "*/" not in s:
                        continue
                    in_block = False
                    s = s.split("*/", 1)[1].strip()
                if s.startswith("/*") and "*/" not in s:
                    in_block = True
                    continue
                s = re.sub(r"^/\*.*?\*/", "", s).strip()
                if not s or s.startswith("//"):
                    continue
            elif not s or s.startswith("#"):
                continue
            count += 1
    return count


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    files = subprocess.run(["git", "ls-files"], cwd=root, capture_output=True, text=True,
                           check=True).stdout.split()
    tests = other = 0
    for path in files:
        if not path.endswith(C_LIKE + HASH_COMMENTED) or re.match(r"fuzz/(corpus|crashes)/", path):
            continue
        full = os.path.join(root, path)
        if not os.path.isfile(full):
            continue
        n = code_lines(full)
        if path.startswith("tests/"):
            tests += n
        else:
            other += n
    print(f"tests: {tests} lines of code against {other} elsewhere: {100 * tests / other:.0f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
