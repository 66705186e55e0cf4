#!/usr/bin/env bash
# How bicubic-check's whole run grows with the order: wall and processor time and peak memory of
# `bicubic-check --no-method` on one sparse6 graph per class and size, nauty-cubhamg beside it up
# to its input limit, the SAT/ASP peers where installed (capped), and the growth exponent fitted
# per class (least squares of log time against log n over the sizes that finished).
#
#   bench/check/scale.sh [--sizes "N ..."] [--classes "C ..."] [BICUBIC_CHECK]
#
#   classes: random-cubic (nauty-genrang -r3), random-bipartite, splice-h (Hamiltonian random
#   90-vertex pieces less a vertex, through 3-edge cuts), splice-nonh (Ellingham-Horton 78 less a
#   vertex, through 3-edge cuts), nested (Ellingham-Horton 54 nested into itself through 4-edge
#   cuts), insert (Ellingham-Horton 54 less an edge's ends in a random host, 4-edge cuts).
#   Default sizes: 10000 30000 100000 300000 1000000 (nested: the nearest 54 + 50k).
# Environment: BUILD (default build; needs bench/bicubic-compose, so configure with
# -DBICUBIC_BUILD_BENCHMARKS=ON), WORK (scratch folder for the graphs and runs, default
# bench/check/out/scale, never committed), TIMEOUT (seconds per run, default 60), REPS (runs at
# the sizes cubhamg takes, median reported; default 3), SEED (default 1).
# Once a class hits the cap, its larger sizes are skipped. Exit 1 when two tools disagree.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
graphs=$root/data/graphs

sizes="10000 30000 100000 300000 1000000"
classes="random-cubic random-bipartite splice-h splice-nonh nested insert"
while [ $# -gt 0 ]; do
  case $1 in
    --sizes) sizes=${2:?}; shift 2 ;;
    --classes) classes=${2:?}; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) BICUBIC_CHECK=$1; shift ;;
  esac
done
build=${BUILD:-$root/build}
check=${BICUBIC_CHECK:-$build/src/check/bicubic-check}
compose=$build/bench/bicubic-compose
work=${WORK:-$here/out/scale}
cap=${TIMEOUT:-60}
reps=${REPS:-3}
seed=${SEED:-1}
# nauty-cubhamg refuses inputs above about 32000 vertices.
cubhamg_limit=32000
mkdir -p "$work"
die() { echo "scale.sh: $*" >&2; exit 1; }
[ -x "$check" ] || die "no bicubic-check at $check"
[ -x "$compose" ] || die "no generator at $compose (configure with -DBICUBIC_BUILD_BENCHMARKS=ON)"
command -v nauty-genrang > /dev/null || die "nauty-genrang not found (apt-get install nauty)"
have_cubhamg=0; command -v nauty-cubhamg > /dev/null && have_cubhamg=1
have_clingo=0; command -v clingo > /dev/null && have_clingo=1
have_cms=0; python3 -c 'import pycryptosat' 2> /dev/null && have_cms=1

# The file of one class and size (generated once, seeded); echoes its path.
instance() {
  local class=$1 n=$2 file
  case $class in
    nested) n=$((54 + 50 * ((n - 54 + 25) / 50))) ;;
  esac
  file=$work/$class-$n.s6
  if [ ! -s "$file" ]; then
    case $class in
      random-cubic) nauty-genrang -q -r3 -s -S"$seed" "$n" 1 ;;
      random-bipartite) "$compose" --sparse6 random "$n" "$seed" ;;
      splice-h) "$compose" --sparse6 splice-random "$n" "$seed" $((n / 100)) 90 ;;
      splice-nonh) "$compose" --sparse6 splice "$n" "$seed" $((n / 100)) "$graphs/ellingham-horton-78.g6" ;;
      nested) "$compose" --sparse6 nested "$n" "$seed" "$graphs/ellingham-horton-54.g6" ;;
      insert) "$compose" --sparse6 insert "$n" "$seed" $((n / 100)) "$graphs/ellingham-horton-54.g6" ;;
      *) die "unknown class $class" ;;
    esac > "$file.tmp"
    mv "$file.tmp" "$file"
  fi
  echo "$file"
}

# One capped run under /usr/bin/time: sets wall, user (s), kb (peak resident) and answer
# ("-" when capped).
run_once() {
  local out=$work/run.out stats=$work/run.time rc=0
  timeout "$cap" /usr/bin/time -f '%e %U %M' -o "$stats" "$@" > "$out" 2> /dev/null || rc=$?
  if [ "$rc" -eq 124 ] || [ ! -s "$stats" ]; then wall="> $cap"; user=-; kb=-; answer=-; return; fi
  read -r wall user kb < <(tail -n 1 "$stats")
  answer=$(awk -F'\t' 'NR > 1 && $5 != "" {print $5}' "$out" | head -n 1)
}

# Median wall time of $reps runs (the other figures from the median run).
run_median() {
  local rows=() r
  for ((r = 0; r < reps; r++)); do
    run_once "$@"
    rows+=("$wall $user $kb $answer")
    [[ $wall == ">"* ]] && return
  done
  read -r wall user kb answer < <(printf '%s\n' "${rows[@]}" | sort -n | sed -n "$(((reps + 1) / 2))p")
}

cubhamg_time() {
  local file=$1 r samples=() start stop rc
  for ((r = 0; r < reps; r++)); do
    start=$(date +%s%N)
    rc=0
    timeout "$cap" nauty-cubhamg "$file" > /dev/null 2> "$work/cubhamg.err" || rc=$?
    stop=$(date +%s%N)
    if [ "$rc" -eq 124 ]; then echo "> $cap s"; return; fi
    samples+=("$(((stop - start) / 1000000))")
  done
  local read_count non
  read_count=$(awk '/^>C/ {print $2}' "$work/cubhamg.err")
  non=$(awk '/^>Z/ {print $2}' "$work/cubhamg.err")
  if [ -z "$read_count" ]; then echo "refused"; return; fi
  cubhamg_answer=$([ "$non" = 0 ] && echo hamiltonian || echo non-hamiltonian)
  printf '%s ms' "$(printf '%s\n' "${samples[@]}" | sort -n | sed -n "$(((reps + 1) / 2))p")"
}

echo "# bicubic-check at scale"
echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); cap $cap s a run;"
echo "median of $reps runs where nauty-cubhamg takes the graph (n <= $cubhamg_limit), one run above."
echo "bytes/vertex: peak resident set / n. clingo: $([ $have_clingo = 1 ] && echo installed || echo "not installed");" \
  "CryptoMiniSat (pycryptosat): $([ $have_cms = 1 ] && echo installed || echo "not installed")."
echo
echo "| class | n | answer | wall s | user s | peak MB | bytes/vertex | nauty-cubhamg | SAT/ASP peers |"
echo "|---|---|---|---|---|---|---|---|---|"
mismatch=0
fits=()
for class in $classes; do
  points=()
  for n in $sizes; do
    file=$(instance "$class" "$n")
    order=$(basename "$file" .s6); order=${order##*-}
    cub="-"; cubhamg_answer=""
    if [ "$order" -le "$cubhamg_limit" ]; then
      run_median "$check" -q --no-method "$file"
      [ "$have_cubhamg" = 1 ] && cub=$(cubhamg_time "$file")
    else
      run_once "$check" -q --no-method "$file"
    fi
    if [ -n "$cubhamg_answer" ] && [ "$answer" != - ] && [ "$answer" != "$cubhamg_answer" ]; then
      echo "scale.sh: MISMATCH on $class $order: bicubic-check $answer, cubhamg $cubhamg_answer" >&2
      mismatch=1
    fi
    peers="not installed"
    if [ $have_clingo = 1 ] || [ $have_cms = 1 ]; then
      # The peers read graph6 (n^2/6 bytes) and re-solve per subtour: only the smallest size.
      peers="not run above 10000"
      if [ "$order" -le 10000 ]; then
        nauty-copyg -q -g "$file" > "$work/peer.g6"
        cells=()
        if [ $have_cms = 1 ]; then
          start=$(date +%s%N)
          if timeout "$cap" python3 "$here/peers/cms_hamiltonian.py" "$work/peer.g6" > /dev/null 2>&1; then
            cells+=("cms $((($(date +%s%N) - start) / 1000000)) ms"); else cells+=("cms > $cap s"); fi
        fi
        if [ $have_clingo = 1 ]; then
          python3 "$here/peers/clingo_facts.py" "$work/peer.g6" > "$work/peer.lp"
          start=$(date +%s%N); rc=0
          timeout "$cap" clingo -q "$here/peers/hamiltonian.lp" "$work/peer.lp" > /dev/null 2>&1 || rc=$?
          if [ $rc -eq 10 ] || [ $rc -eq 20 ] || [ $rc -eq 30 ]; then
            cells+=("clingo $((($(date +%s%N) - start) / 1000000)) ms"); else cells+=("clingo > $cap s"); fi
        fi
        peers=$(IFS=', '; echo "${cells[*]}")
      fi
    fi
    if [[ $wall == ">"* ]]; then
      printf '| %s | %s | - | %s | - | - | - | %s | %s |\n' "$class" "$order" "$wall" "$cub" "$peers"
      break
    fi
    mb=$(awk -v k="$kb" 'BEGIN {printf "%.1f", k / 1024}')
    bpv=$(awk -v k="$kb" -v n="$order" 'BEGIN {printf "%.0f", k * 1024 / n}')
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$class" "$order" "$answer" "$wall" "$user" "$mb" "$bpv" "$cub" "$peers"
    points+=("$order $wall")
  done
  fits+=("$class $(printf '%s\n' "${points[@]}" | awk '
    $2 > 0 { x = log($1); y = log($2); sx += x; sy += y; sxx += x * x; sxy += x * y; k++; t[sprintf("%.0e", $1)] = $2 }
    END {
      if (k < 2) { print "- -"; exit }
      slope = (k * sxy - sx * sy) / (k * sxx - sx * sx)
      ratio = ("1e+05" in t && "1e+06" in t && t["1e+05"] > 0) ? sprintf("%.1fx", t["1e+06"] / t["1e+05"]) : "-"
      printf "%.2f %s\n", slope, ratio
    }')")
done
echo
echo "| class | fitted exponent (wall time ~ n^k) | 10^5 to 10^6 |"
echo "|---|---|---|"
for fit in "${fits[@]}"; do
  read -r class slope ratio <<< "$fit"
  printf '| %s | %s | %s |\n' "$class" "$slope" "$ratio"
done
[ "$mismatch" = 0 ] || exit 1
