#!/usr/bin/env bash
# Mutation check: applies the deliberate faults of scripts/mutations.txt one at a time to a copy of
# the tree (build-mutate/tree), rebuilds it incrementally and runs the native suite, and prints how
# many faults the suite caught and which it missed. The working tree itself is never modified.
#   scripts/mutate.sh [PATTERN]   only the faults whose file or text matches PATTERN (grep -E)
# MUTATE_TIMEOUT (seconds, default 300) bounds the run of one mutant; MUTATE_EXCLUDE (a ctest -E
# pattern) replaces the default list of tests left out. A fault whose text is no
# longer found in its file is reported as stale and left out of the count.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build-mutate
tree=$work/tree
build=$work/build
list=$root/scripts/mutations.txt
pattern=${1:-}
limit=${MUTATE_TIMEOUT:-300}

# The copy follows the working tree; tar keeps modification times, so unchanged files are not
# rebuilt. Files the tree no longer has are not removed from the copy (the globs of src/ would
# still see them): the copy is made afresh when its list of sources differs.
mkdir -p "$tree"
git ls-files -z --cached --others --exclude-standard | grep -z -v -E '^build' |
  tar --null -T - -cf - | tar -xf - -C "$tree"
if [ "$(cd "$tree" && find src tests -type f | sort)" != "$(git ls-files --cached --others --exclude-standard src tests | sort)" ]; then
  rm -rf "$tree" "$build"
  exec "$0" "$@"
fi

if [ ! -f "$build/build.ninja" ]; then
  # The tools that have no test are still built (the tests run the emulator and the simulator),
  # but a change to the shared library does not relink its users.
  cmake -S "$tree" -B "$build" -G Ninja -DKIVO_BUILD_BENCH=OFF -DCMAKE_LINK_DEPENDS_NO_SHARED=ON \
    -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache > /dev/null
fi

# The file being mutated, and its original text, for the trap.
current=
saved=$work/original
restore() {
  if [ -n "$current" ]; then
    cp "$saved" "$tree/$current"
    current=
  fi
}
trap 'restore' EXIT
trap 'restore; exit 130' INT TERM

# Replaces the only occurrence of $2 in file $1 by $3 ("\n" is a line break); fails with status 3
# when the text is not found exactly once.
apply() {
  python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
text = open(path).read()
if text.count(old) != 1:
    sys.exit(3)
open(path, "w").write(text.replace(old, new))
PY
}

# Tests that cannot see the library's code (the records' layouts) and the long soak are left out.
exclude=${MUTATE_EXCLUDE:-^record_layout|^Soak\\.}

# The suite, fastest first: the unit tests, then the demo tests; the first failure ends it.
run_suite() {
  timeout "$limit" ctest --test-dir "$build" -j 2 --stop-on-failure --timeout 120 -E "^demo\\.|$exclude" \
    > "$work/ctest.log" 2>&1 &&
    timeout "$limit" ctest --test-dir "$build" -j 2 --stop-on-failure --timeout 120 -R '^demo\.' \
      >> "$work/ctest.log" 2>&1
}

echo "mutate: building the unmutated copy"
cmake --build "$build" -j 2 > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
if ! run_suite; then
  echo "mutate: the suite fails without any fault; see $work/ctest.log"
  exit 1
fi

# Records: file line, "-" line, "+" line.
files=() olds=() news=()
file=
while IFS= read -r line || [ -n "$line" ]; do
  case $line in
  '#'* | '') ;;
  -*) olds+=("${line:1}") ;;
  +*) news+=("${line:1}"); files+=("$file") ;;
  *) file=$line ;;
  esac
done < "$list"

killed=0 total=0 survivors=() stale=() broken=()
start=$SECONDS
for i in "${!files[@]}"; do
  f=${files[i]} old=${olds[i]} new=${news[i]}
  name="$f: ${old%%\\n*} -> ${new%%\\n*}"
  if [ -n "$pattern" ] && ! grep -q -E -- "$pattern" <<< "$f $old"; then
    continue
  fi
  cp "$tree/$f" "$saved"
  current=$f
  if ! apply "$tree/$f" "$old" "$new"; then
    restore
    stale+=("$name")
    echo "stale    $name"
    continue
  fi
  t0=$SECONDS
  if ! cmake --build "$build" -j 2 > "$work/build.log" 2>&1; then
    # A fault that does not compile tells nothing about the tests: fix its record.
    restore
    broken+=("$name")
    echo "broken   $name"
    continue
  fi
  total=$((total + 1))
  if run_suite; then
    verdict=SURVIVED
    survivors+=("$name")
  else
    verdict=killed
  fi
  [ $verdict = killed ] && killed=$((killed + 1))
  restore
  printf '%-8s %3d s  %s\n' "$verdict" $((SECONDS - t0)) "$name"
done

# Leave the copy built as the tree is, for the next run.
cmake --build "$build" -j 2 > "$work/build.log" 2>&1 || true
echo
echo "mutate: killed $killed/$total in $((SECONDS - start)) s (${#stale[@]} stale, ${#broken[@]} not compiling)"
for s in "${survivors[@]}"; do echo "  survived: $s"; done
for s in "${stale[@]}"; do echo "  stale: $s"; done
for s in "${broken[@]}"; do echo "  not compiling: $s"; done
