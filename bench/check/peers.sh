#!/usr/bin/env bash
# Side-by-side benchmark: bicubic-check against other exact Hamiltonian-cycle deciders on the same
# graph6 files, with the answers cross-checked.
#
#   bench/check/peers.sh [--only GROUPS] [--quick] [BICUBIC_CHECK]
#
#   GROUPS   comma-separated from: families, random, nested, splice, known (default: all)
#   --quick  small instances only, one run each, 10 s cap: a smoke test of the whole pipeline
#
# Environment: BICUBIC_CHECK (the binary, also the first argument; default BUILD/src/check/
# bicubic-check), BUILD (a build directory configured with -DBICUBIC_BUILD_BENCHMARKS=ON, holding
# bench/bicubic-compose and bench/bicubic-gecode-circuit; default build-bench), WORK (instance
# and output directory; default bench/check/out), REPS (process runs per tool and file, median
# reported; default 3), TIMEOUT (seconds per run; default 60).
# The known graphs come from data/graphs. Build first (bench/run.sh uses the same folder):
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBICUBIC_BUILD_BENCHMARKS=ON -DBICUBIC_BUILD_TESTS=OFF
#   cmake --build build-bench -j2 --target bicubic-check bicubic-compose
# Exit status: 0 when all finished answers agree, 1 on a disagreement or a tool error.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
graphs=$root/data/graphs

groups=families,random,nested,splice,known
quick=0
while [ $# -gt 0 ]; do
  case $1 in
    --only) groups=${2:?--only needs a list}; shift 2 ;;
    --quick) quick=1; shift ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) BICUBIC_CHECK=$1; shift ;;
  esac
done
build=${BUILD:-$root/build-bench}
check=${BICUBIC_CHECK:-$build/src/check/bicubic-check}
compose=$build/bench/bicubic-compose
gecode=$build/bench/bicubic-gecode-circuit
work=${WORK:-$here/out}
if [ "$quick" = 1 ]; then
  reps=${REPS:-1}
  cap=${TIMEOUT:-10}
else
  reps=${REPS:-3}
  cap=${TIMEOUT:-60}
fi
mkdir -p "$work/runs"

die() { echo "peers.sh: $*" >&2; exit 1; }
[ -x "$check" ] || die "no bicubic-check at $check (build it or pass its path)"
[ -x "$compose" ] || die "no generator at $compose: configure $build with -DBICUBIC_BUILD_BENCHMARKS=ON and build the target bicubic-compose (see the head of this script)"
for g in ellingham-horton-54 ellingham-horton-78 horton-96; do
  [ -s "$graphs/$g.g6" ] || die "missing $graphs/$g.g6 (it ships with the repository)"
done
wanted() { [[ ",$groups," == *",$1,"* ]]; }

# ---- which tools are here ------------------------------------------------------------------
# A missing peer only loses its column; the run goes on with the others.
# shellcheck source=peer_tools.sh
source "$here/peer_tools.sh"
detect_peers
have_cubhamg=0; command -v nauty-cubhamg > /dev/null && have_cubhamg=1
have_gecode=0; [ -x "$gecode" ] && have_gecode=1
# The exact search alone, when bicubic-check offers it, is the fair figure against the peers.
no_method=0
"$check" --help 2>&1 | grep -q -- '--no-method' && no_method=1
# The summary goes to standard error on builds that have -q; keep it out of this report.
quiet=()
"$check" --help 2>&1 | grep -q -- '--quiet' && quiet=(-q)

# ---- instances -----------------------------------------------------------------------------
# One record per instance: group|label|file|expected, expected "non-H" when the construction
# proves it and "-" otherwise. Generation is seeded, so existing files are reused.
instances=()
add() { instances+=("$1|$2|$3|$4"); }

# Writes $2 by running the rest of the arguments, unless it exists; then self-checks it.
make_file() {
  local out=$1; shift
  if [ ! -s "$out" ]; then "$@" > "$out.tmp" 2> /dev/null && mv "$out.tmp" "$out"; fi
  "$compose" check < "$out" > /dev/null || die "$out is not a connected cubic bipartite graph file"
}

build_instances() {
  local k n
  if wanted families; then
    local ks="9 10 11 12"
    [ "$quick" = 1 ] && ks="9 10"
    for k in $ks; do
      make_file "$work/genbg-$k.g6" nauty-genbg -c -d3:3 -D3:3 "$k" "$k"
      add families "genbg $k+$k ($(wc -l < "$work/genbg-$k.g6") graphs)" "$work/genbg-$k.g6" -
    done
  fi
  if wanted random; then
    local sizes="100 1000 4998"
    [ "$quick" = 1 ] && sizes="100 1000"
    for n in $sizes; do
      make_file "$work/random-$n.g6" "$compose" random "$n" "$n"
      add random "random $n" "$work/random-$n.g6" -
    done
  fi
  if wanted nested; then
    local sizes="104 204 504 1004 2004 4954"
    [ "$quick" = 1 ] && sizes="104 204"
    for n in $sizes; do
      make_file "$work/nested-$n.g6" "$compose" nested "$n" 1 "$graphs/ellingham-horton-54.g6"
      add nested "nested EH54 $n" "$work/nested-$n.g6" non-H
    done
  fi
  if wanted splice && [ "$quick" = 0 ]; then
    make_file "$work/splice-horton96.g6" "$compose" splice 4998 96 1 "$graphs/horton-96.g6"
    add splice "Horton96-v in random, 4998" "$work/splice-horton96.g6" non-H
    make_file "$work/splice-eh78x30.g6" "$compose" splice 4998 78 30 "$graphs/ellingham-horton-78.g6"
    add splice "30 x EH78-v in random, 4998" "$work/splice-eh78x30.g6" non-H
    make_file "$work/splice-eh78x1.g6" "$compose" splice 4998 79 1 "$graphs/ellingham-horton-78.g6"
    add splice "1 x EH78-v in random, 4998" "$work/splice-eh78x1.g6" non-H
    make_file "$work/splice-random90x30.g6" "$compose" splice-random 4998 90 30 90
    add splice "30 x random90-v in random, 4998" "$work/splice-random90x30.g6" -
    make_file "$work/splice-random90x1.g6" "$compose" splice-random 4998 1 1 90
    add splice "1 x random90-v in random, 4998" "$work/splice-random90x1.g6" -
    # Through 4-edge cuts: EH54 without an edge's two ends in place of a host edge's two ends.
    make_file "$work/insert-eh54x30.g6" "$compose" insert 4998 1 30 "$graphs/ellingham-horton-54.g6"
    add splice "30 x EH54-e in random, 4998" "$work/insert-eh54x30.g6" -
  fi
  if wanted known; then
    add known "Ellingham-Horton 54" "$graphs/ellingham-horton-54.g6" non-H
    add known "Ellingham-Horton 78" "$graphs/ellingham-horton-78.g6" non-H
    add known "Horton 96" "$graphs/horton-96.g6" non-H
  fi
}

# The nested graphs are glued through 4-edge cuts: report whether a cyclic edge cut of at most
# 3 edges exists (brute force, so only on the two small ones).
report_cuts() {
  local n
  for n in 104 204; do
    [ -s "$work/nested-$n.g6" ] || continue
    echo "- nested $n: $("$compose" check --cuts < "$work/nested-$n.g6" | cut -f2-)"
  done
}

# ---- running the tools ---------------------------------------------------------------------
# Each runner takes the instance file and an output file, exits 0 on a completed run, and the
# matching parser turns the output into "H NONH" counts (or "unknown" when not all decided).

# The `exact` column is found by name in the header row, which may or may not start with "#";
# other "#" lines are comments and the summary.
parse_check() {
  awk -F'\t' '
    !col {
      line = $0; sub(/^# */, "", line); n = split(line, f, "\t")
      for (i = 1; i <= n; i++) if (f[i] == "exact") col = i
      next
    }
    /^#/ { next }
    $col == "hamiltonian" { h++; next }
    $col == "non-hamiltonian" { nh++; next }
    { other++ }
    END { if (!col || other) print "unknown"; else printf "%d %d\n", h, nh }' "$1"
}

# cubhamg writes the non-Hamiltonian graphs to stdout and its counts to stderr. No -T: a node
# limit would report unfinished graphs as non-Hamiltonian.
run_cubhamg() { nauty-cubhamg "$file" > /dev/null 2> "$out"; }
parse_cubhamg() {
  awk '/^>C/ {read = $2} /^>Z/ {nonham = $2} END {if (read == "") print "unknown"; else printf "%d %d\n", read - nonham, nonham}' "$1"
}

# The facts are written before timing.
run_clingo() { clingo_answer "$facts" > "$out"; }
run_cms() { cms_answers "$file" > "$out"; }
run_gecode() { "$gecode" "$file" > "$out"; }
parse_lines() {
  awk '$1 == "hamiltonian" {h++} $1 == "non-hamiltonian" {nh++} END {printf "%d %d\n", h, nh}' "$1"
}

now_ns() { date +%s%N; }

# time_tool RUNNER PARSER: median wall-clock ms of $reps capped runs of one tool on $file.
# Sets `ms` (a number, or "> CAP s" when a run hit the cap, or "error") and `answer`.
time_tool() {
  local runner=$1 parser=$2 samples=() rep start stop rc
  answer=unknown
  for ((rep = 0; rep < reps; rep++)); do
    start=$(now_ns)
    rc=0
    # The runners are shell functions, so the cap runs them in a subshell of this script.
    timeout "$cap" bash -c "source '$here/peer_tools.sh'; $(declare -f "$runner"); $(declare -p check check_args quiet file out facts here cms_python gecode 2> /dev/null); $runner" || rc=$?
    stop=$(now_ns)
    if [ "$rc" -eq 124 ]; then ms="> $cap s"; return; fi
    if [ "$rc" -ne 0 ]; then ms=error; echo "peers.sh: $runner failed ($rc) on $file" >&2; failed=1; return; fi
    samples+=($(((stop - start) / 1000000)))
  done
  ms=$(printf '%s\n' "${samples[@]}" | sort -n | sed -n "$(((${#samples[@]} + 1) / 2))p")
  answer=$($parser "$out")
}

# ---- one table row per instance ------------------------------------------------------------

# Fastest finished peer in ms; "> CAP s" when every peer that ran hit the cap; "-" when none ran.
best_of() {
  local cell best="-"
  for cell in "$@"; do
    if [[ $cell =~ ^[0-9]+$ ]]; then
      if [[ ! $best =~ ^[0-9]+$ ]] || [ "$cell" -lt "$best" ]; then best=$cell; fi
    elif [[ $cell == ">"* && $best == "-" ]]; then
      best=$cell
    fi
  done
  echo "$best"
}

# Ratio of bicubic-check's time to the best finished peer's; bounds when one side hit the cap.
ratio() {
  local mine=$1 best=$2
  if [[ $mine == error || $best == "-" ]]; then echo "n/a"
  elif [[ $mine == ">"* && $best == ">"* ]]; then echo "n/a (both capped)"
  elif [[ $mine == ">"* ]]; then awk -v a="$cap" -v b="$best" 'BEGIN {printf "> %.3g\n", a * 1000 / (b > 0 ? b : 1)}'
  elif [[ $best == ">"* ]]; then awk -v a="$mine" -v b="$cap" 'BEGIN {printf "< %.3g\n", a / (b * 1000)}'
  else awk -v a="$mine" -v b="$best" 'BEGIN {printf "%.3g\n", a / (b > 0 ? b : 1)}'
  fi
}

# Runs every tool on one instance, checks the answers agree, prints the row.
bench_instance() {
  local group=$1 label=$2 expected=$4 tag cell_plain cell_method cells=() best
  file=$3
  answers=()
  tag=$(basename "$file" .g6)
  out=$work/runs/$tag.out
  facts=$work/runs/$tag.lp

  cell_plain="no option"
  if [ "$no_method" = 1 ]; then
    time_check parse_check --no-method
    cell_plain=$ms; note_answer bicubic-check-no-method
  fi
  time_check parse_check
  cell_method=$ms; note_answer bicubic-check
  local mine=$cell_plain
  [ "$no_method" = 1 ] || mine=$cell_method

  local tool runner available per_graph
  for tool in cubhamg clingo cms gecode; do
    runner=run_$tool
    case $tool in
      cubhamg) available=$have_cubhamg; per_graph=0 ;;
      clingo) available=$have_clingo; per_graph=1 ;;
      cms) available=$([ -n "$cms_python" ] && echo 1 || echo 0); per_graph=1 ;;
      gecode) available=$have_gecode; per_graph=1 ;;
    esac
    if [ "$available" = 0 ]; then cells+=("not installed"); continue; fi
    # Whole families hold thousands of graphs: one encoding run per graph would take hours.
    if [ "$per_graph" = 1 ] && [ "$group" = families ]; then cells+=("skipped (family)"); continue; fi
    [ "$tool" = clingo ] && write_clingo_facts "$file" "$facts"
    if [ "$tool" = cubhamg ]; then time_tool "$runner" parse_cubhamg; else time_tool "$runner" parse_lines; fi
    cells+=("$ms"); note_answer "$tool"
  done
  best=$(best_of "${cells[@]}")

  agree "$label" "$expected"
  printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$label" "$cell_plain" "$cell_method" \
    "${cells[0]}" "${cells[1]}" "${cells[2]}" "${cells[3]}" "$best" "$(ratio "$mine" "$best")" "$agreed"
}

# bicubic-check's options go through check_args so the runner sees them in the capped subshell;
# its exit status 3 (some answer unknown) is still a completed run.
time_check() {
  local parser=$1; shift
  check_args=("$@")
  time_tool run_check "$parser"
}
run_check() { "$check" ${quiet[@]+"${quiet[@]}"} ${check_args[@]+"${check_args[@]}"} "$file" > "$out" || [ $? -eq 3 ]; }

note_answer() { [[ $ms =~ ^[0-9]+$ ]] && [ "$answer" != unknown ] && answers+=("$1=$answer") || true; }

# All finished tools must give the same counts, and a proven non-Hamiltonian construction must
# come out non-Hamiltonian; anything else is a fault in a tool or in the generator. Sets `agreed`
# and `mismatch` (so it must not run in a command substitution).
agree() {
  local label=$1 expected=$2 first="" entry counts
  for entry in ${answers[@]+"${answers[@]}"}; do
    counts=${entry#*=}
    [ -z "$first" ] && first=$counts
    if [ "$counts" != "$first" ]; then
      echo "peers.sh: MISMATCH on $label: ${answers[*]}" >&2
      agreed=MISMATCH; mismatch=1; return
    fi
  done
  if [ -z "$first" ]; then agreed="no tool finished"; return; fi
  if [ "$expected" = non-H ] && [ "${first%% *}" != 0 ]; then
    echo "peers.sh: $label is non-Hamiltonian by construction but the tools found a cycle: ${answers[*]}" >&2
    agreed=MISMATCH; mismatch=1; return
  fi
  agreed="${first% *} H / ${first#* } non-H"
}

# ---- main ----------------------------------------------------------------------------------
mismatch=0
failed=0
declare -a check_args=()
build_instances

echo "# bicubic-check against its peers"
echo
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg);" \
  "median of $reps process run(s), wall clock ms, cap $cap s per run."
echo "bicubic-check: $check ($("$check" --version 2>&1 | head -1)); --no-method $([ "$no_method" = 1 ] && echo offered || echo "not offered by this build")."
echo "clingo, CryptoMiniSat and Gecode decode one graph per process, so whole families run only"
echo "bicubic-check and nauty-cubhamg (the per-graph encodings would take hours)."
echo
wanted nested && [ "$quick" = 0 ] && { echo "Cyclic edge cuts of the nested graphs:"; report_cuts; echo; }
echo "| class | bicubic-check ms (no-method) | bicubic-check ms (with method) | cubhamg ms | clingo ms | cms ms | gecode ms | best peer | ratio (bicubic-check / best peer) | answers |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for record in "${instances[@]}"; do
  IFS='|' read -r group label file expected <<< "$record"
  bench_instance "$group" "$label" "$file" "$expected"
done

if [ "$mismatch" = 1 ]; then echo "peers.sh: the tools disagree (see MISMATCH rows)" >&2; exit 1; fi
if [ "$failed" = 1 ]; then echo "peers.sh: a tool failed (see above)" >&2; exit 1; fi
