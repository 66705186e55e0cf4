#!/usr/bin/env bash
# How bicubic-check's whole run grows with the order: wall and processor time and peak memory of
# `bicubic-check --no-method` on one sparse6 graph per class and size, nauty-cubhamg beside it up
# to its input limit, the SAT/ASP peers (clingo, CryptoMiniSat) where installed with their wall
# time on the same sparse6 file (a peer that hits the cap on a class is not run on its larger
# sizes), and the growth exponent fitted per class (least squares of log time against log n over
# the sizes that finished). Every answer that finished is checked against bicubic-check's.
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
# bench/check/out/scale, never committed), TIMEOUT (seconds per run, default 60), REPS (runs of
# bicubic-check and of cubhamg per graph, median reported; default 3), SEED (default 1).
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
# shellcheck source=peer_tools.sh
source "$here/peer_tools.sh"
detect_peers
have_cms=0; [ -n "$cms_python" ] && have_cms=1

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
# The wall time is read from the clock to the millisecond (time's own is to the hundredth of a
# second, too coarse for the small sizes the growth is measured from).
run_once() {
  local out=$work/run.out stats=$work/run.time rc=0 start stop
  start=$(date +%s%N)
  timeout "$cap" /usr/bin/time -f '%U %M' -o "$stats" "$@" > "$out" 2> /dev/null || rc=$?
  stop=$(date +%s%N)
  if [ "$rc" -eq 124 ] || [ ! -s "$stats" ]; then wall="> $cap"; user=-; kb=-; answer=-; return; fi
  read -r user kb < <(tail -n 1 "$stats")
  wall=$(awk -v ns=$((stop - start)) 'BEGIN {printf "%.3f", ns / 1e9}')
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

# One peer's capped run (a function of peer_tools.sh, so timeout runs it in a bash that sources
# it): sets peer_ms (a number, "> CAP s" or "error (...)") and peer_answer.
time_peer() {
  local start rc=0
  start=$(date +%s%N)
  peer_answer=$(timeout "$cap" bash -c 'source "$1"; cms_python=$2; shift 2; "$@"' _ \
    "$here/peer_tools.sh" "$cms_python" "$@" 2> /dev/null | head -n 1) || rc=$?
  peer_ms=$((($(date +%s%N) - start) / 1000000))
  if [ "$rc" -eq 124 ]; then
    peer_ms="> $cap s"
  elif [ "$rc" -ne 0 ]; then
    peer_ms="error (status $rc)"
  elif [ -z "$peer_answer" ]; then
    peer_ms="error (no answer)"
  fi
}

# Sets peers, the peers' cell for one instance (e.g. "clingo 812 ms, cms > 60 s"); a peer capped
# on a smaller size of the class is skipped. A finished answer that differs from bicubic-check's
# is a MISMATCH (reported on standard error; the script then exits 1).
declare -A capped=()
peer_cells() {
  local class=$1 file=$2 mine=$3 cells=() tool
  peers="not installed"
  if [ $have_clingo = 0 ] && [ $have_cms = 0 ]; then return; fi
  for tool in clingo cms; do
    if [ $tool = clingo ] && [ $have_clingo = 0 ]; then continue; fi
    if [ $tool = cms ] && [ $have_cms = 0 ]; then continue; fi
    if [ -n "${capped[$class/$tool]:-}" ]; then cells+=("$tool skipped"); continue; fi
    if [ $tool = clingo ]; then
      write_clingo_facts "$file" "$work/peer.lp"
      time_peer clingo_answer "$work/peer.lp"
    else
      time_peer cms_answers "$file"
    fi
    if [[ $peer_ms != [0-9]* ]]; then capped[$class/$tool]=1; cells+=("$tool $peer_ms"); continue; fi
    cells+=("$tool $peer_ms ms")
    if [ "$mine" != - ] && [ "$peer_answer" != "$mine" ]; then
      echo "scale.sh: MISMATCH on $file: bicubic-check $mine, $tool $peer_answer" >&2
      mismatch=1
    fi
  done
  peers=$(printf '%s, ' "${cells[@]}")
  peers=${peers%, }
}

echo "# bicubic-check at scale"
echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); cap $cap s a run;"
echo "bicubic-check: median wall time of $reps runs at every size; nauty-cubhamg likewise (n <= $cubhamg_limit)."
clingo_version="not installed"
[ $have_clingo = 1 ] && clingo_version=$(clingo --version 2> /dev/null | sed -n 1p)
echo "bytes/vertex: peak resident set / n. clingo: $clingo_version;" \
  "CryptoMiniSat (pycryptosat): $([ $have_cms = 1 ] && echo installed || echo "not installed"); peers' wall ms, one run."
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
    run_median "$check" -q --no-method "$file"
    if [ "$order" -le "$cubhamg_limit" ] && [ "$have_cubhamg" = 1 ]; then cub=$(cubhamg_time "$file"); fi
    if [ -n "$cubhamg_answer" ] && [ "$answer" != - ] && [ "$answer" != "$cubhamg_answer" ]; then
      echo "scale.sh: MISMATCH on $class $order: bicubic-check $answer, cubhamg $cubhamg_answer" >&2
      mismatch=1
    fi
    peer_cells "$class" "$file" "$answer"
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
