#!/usr/bin/env bash
# Reproduces the bicubic-check figures in docs/check.md.
#   bench/check/run_benchmarks.sh BUILD_DIR [accuracy|nauty12|families|all]
# Needs nauty (apt-get install nauty). Build first:
#   cmake -S . -B BUILD_DIR -G Ninja -DCMAKE_BUILD_TYPE=Release -DBICUBIC_BUILD_BENCHMARKS=ON && cmake --build BUILD_DIR -j2
# (the benchmark programs need libbenchmark-dev: apt-get install libbenchmark-dev)
set -euo pipefail
build=${1:?build directory}
what=${2:-all}
check=$build/src/check/bicubic-check
families=$build/bench/bicubic-check-families
timing=$build/bench/bicubic-check-timing
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

accuracy() {
  echo "## method accuracy on nauty-genbg -c -d3:3 -D3:3 k k"
  printf '| vertices | graphs | Hamiltonian | method H | method not-H | H but not Hamiltonian | not-H but Hamiltonian | agree |\n'
  printf '|---|---|---|---|---|---|---|---|\n'
  for k in 3 4 5 6 7 8 9 10 11; do
    nauty-genbg -c -d3:3 -D3:3 "$k" "$k" 2>/dev/null | "$check" 2> "$work/acc.txt" > /dev/null || true
    awk -v n=$((2 * k)) -F'\t' '
      /^# H\t/ {hh=$2; hn=$3}
      /^# not-H\t/ {nh=$2; nn=$3}
      /^# may-be-H\t/ {mh=$2; mn=$3}
      /^# graphs\t/ {total=$2}
      END {
        ham = hh + nh + mh
        agree = hh + nn + mh
        printf "| %d | %d | %d | %d | %d | %d | %d | %.1f%% |\n", n, total, ham, hh + hn, nh + nn, hn, nh, 100 * agree / total
      }' "$work/acc.txt"
  done
}

nauty12() {
  echo "## 12+12: generator alone, then generator piped into bicubic-check"
  /usr/bin/time -f "genbg alone: %e s wall, %U s user" nauty-genbg -c -d3:3 -D3:3 12 12 > /dev/null 2>"$work/gen.err" || true
  grep "genbg alone" "$work/gen.err"
  /usr/bin/time -f "genbg | bicubic-check: %e s wall" bash -c \
    "nauty-genbg -c -d3:3 -D3:3 12 12 2>/dev/null | '$check' > '$work/12.tsv' 2> '$work/12.txt'" 2>&1 || true
  cat "$work/12.txt"
}

families() {
  echo "## hard families and random graphs: exact search alone (ms), 10 graphs each"
  local small=$work/k20.g6
  nauty-genbg -c -d3:3 -D3:3 10 10 2>/dev/null | "$check" | awk -F'\t' '$5 == "non-hamiltonian" {print $2}' > "$work/idx"
  nauty-genbg -c -d3:3 -D3:3 10 10 2>/dev/null | sed -n "$(head -1 "$work/idx")p" > "$small"
  for n in 200 1000 2000 4998; do
    for kind in two-cut three-cut random; do
      if [ "$kind" = random ]; then
        "$families" random "$n" 10 "$n" > "$work/f.g6"
      else
        "$families" "$kind" "$n" 10 "$n" "$small" > "$work/f.g6"
      fi
      "$timing" --no-method < "$work/f.g6" > "$work/t.txt"
      answers=$(grep -v '^#' "$work/t.txt" | cut -f3 | sort | uniq -c | tr -s ' ' | tr '\n' ';')
      echo "$kind n=$n: $answers $(tail -1 "$work/t.txt" | sed 's/^# //')"
    done
  done
  echo "## 3-edge cut splices of graphs without 2-edge cuts (Petersen, flower snark J5; not bipartite)"
  echo 'IheA@GUAo' > "$work/petersen.g6"
  "$families" flower 5 > "$work/j5.g6"
  for small in petersen j5; do
    for kind in two-cut three-cut; do
      "$families" "$kind" 4998 10 5 "$work/$small.g6" > "$work/f.g6"
      "$timing" --no-method < "$work/f.g6" > "$work/t.txt"
      answers=$(grep -v '^#' "$work/t.txt" | cut -f3 | sort | uniq -c | tr -s ' ' | tr '\n' ';')
      echo "$small $kind n=4998: $answers $(tail -1 "$work/t.txt" | sed 's/^# //')"
    done
  done
  echo "## flower snarks J5 .. J25 (3-connected, no cut to split on)"
  for k in 5 7 9 11 13 15 17 19 21 23 25; do "$families" flower "$k"; done | "$timing" --no-method
  echo "## 30 random 4998-vertex graphs"
  "$families" random 4998 30 77 | "$timing" --no-method | tail -1
  echo "## one 4998-vertex random graph through bicubic-check (method included)"
  "$families" random 4998 1 4998 > "$work/r.g6"
  /usr/bin/time -f "bicubic-check wall: %e s" "$check" "$work/r.g6" 2>&1 | grep -v '^# [a-z-]*\t0\t0\t0$'
}

case $what in
  accuracy) accuracy ;;
  nauty12) nauty12 ;;
  families) families ;;
  all) accuracy; nauty12; families ;;
  *) echo "unknown part $what" >&2; exit 2 ;;
esac
