#!/usr/bin/env bash
# Builds the benchmark kit (Release, build-bench/), makes the benchmark graphs under bench/data/
# (kept and reused), times whole runs of the tool next to the parse floor on the same files, and
# prints a Markdown table.
#
#   bench/run.sh [--reps N] [--timeout SECONDS] [--dense N|none] [--seed S] [--no-build] [SIZES...]
#
# SIZES are cubic graph vertex counts (even, 6..4998); the default is 1000 2000 4998. --dense adds
# a row for a dense weighted matrix of that size (default 1000) and times the solver alone on it.
set -euo pipefail

reps=5
timeout=120
dense=1000
seed=1
build=1
sizes=()
while (($#)); do
  case "$1" in
    --reps) reps="$2"; shift 2 ;;
    --timeout) timeout="$2"; shift 2 ;;
    --dense) dense="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) sizes+=("$1"); shift ;;
  esac
done
((${#sizes[@]})) || sizes=(1000 2000 4998)

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
builddir="$root/build-bench"
data="$root/bench/data"
mkdir -p "$data"

if ((build)); then
  # Tests stay off: the kit needs none of them, and a test folder being edited must not stop it.
  cmake -S "$root" -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBICUBIC_BUILD_BENCHMARKS=ON \
    -DBICUBIC_BUILD_TESTS=OFF >/dev/null
  cmake --build "$builddir" -j 2 --target bicubic make_graph parse_floor run_timed solver_benchmark >/dev/null
fi
tool="$builddir/bicubic"
bin="$builddir/bench"

# Makes (once) the graph file of a shape, size and seed and prints its path.
graph_file() {
  local file="$data/$1-$2-s$seed.txt"
  if [[ ! -s "$file" ]]; then
    "$bin/make_graph" "$1" "$2" "$seed" "$file.part" && mv "$file.part" "$file"
  fi
  printf '%s\n' "$file"
}

# Median and best (minimum) of the numbers given, to three decimals.
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END{if(NR%2) m=v[(NR+1)/2]; else m=(v[NR/2]+v[NR/2+1])/2; printf "%.3f", m}'; }
best() { printf '%s\n' "$@" | sort -g | head -n1 | awk '{printf "%.3f", $1}'; }
mb() { awk -v b="$1" 'BEGIN{printf "%.1f", b/1048576}'; }

table=()
notes=()
last_tool_cpu=

# Times the tool and the parse floor alternately on one file and adds a table row.
time_file() {
  local label="$1" file="$2"
  local out="$data/out-$(basename "$file")" floor_out="$data/floor-$(basename "$file")"
  local tool_walls=() tool_cpus=() floor_walls=() floor_cpus=() peak=0 status=ok last verdict
  cat "$file" >/dev/null  # the page cache holds the file for every repetition alike
  for ((r = 0; r < reps; r++)); do
    read -r wall user sys rss how < <("$bin/run_timed" "$timeout" "$out" "$tool" "$file")
    if [[ "$how" != ok ]]; then status="$how"; break; fi
    tool_walls+=("$wall")
    tool_cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN{print u + s}')")
    ((rss > peak)) && peak=$rss
    read -r wall user sys _rss how < <("$bin/run_timed" "$timeout" "$floor_out" "$bin/parse_floor" "$file")
    floor_walls+=("$wall")
    floor_cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN{print u + s}')")
  done
  local size_mb
  size_mb=$(mb "$(stat -c %s "$file")")
  if [[ "$status" != ok ]]; then
    table+=("| $label | $size_mb | $status after ${timeout}s | | | | | | | | | |")
    return
  fi
  last=$(tail -n 1 "$out")
  [[ "$last" == "total ticks  is "* ]] || notes+=("$label: output does not end with the tick line (last line: '$last')")
  verdict=$(grep -aE '^(Graph is|Bicubic is|Since it is)' "$out" | tail -n 1 | sed 's/ *$//')
  local tm fm
  tm=$(median "${tool_walls[@]}")
  last_tool_cpu=$(median "${tool_cpus[@]}")
  fm=$(median "${floor_walls[@]}")
  table+=("| $label | $size_mb | $tm | $(best "${tool_walls[@]}") | $(median "${tool_cpus[@]}") | $fm | $(best "${floor_walls[@]}") | $(awk -v a="$tm" -v b="$fm" 'BEGIN{printf "%.1f", a/b}') | $(awk -v a="$last_tool_cpu" -v b="$(median "${floor_cpus[@]}")" 'BEGIN{if (b > 0) printf "%.1f", a/b; else printf "-"}') | $(awk -v k="$peak" 'BEGIN{printf "%.0f", k/1024}') | $(mb "$(stat -c %s "$out")") | ${verdict:-?} |")
}

for n in "${sizes[@]}"; do
  time_file "cubic $n" "$(graph_file cubic "$n")"
done

solver_lines=()
if [[ "$dense" != none ]]; then
  weighted="$(graph_file densebip "$dense")"
  plain="$(graph_file dense "$dense")"
  time_file "dense bipartite $dense" "$weighted"
  # The solver alone on the same files, median of three single solves (milliseconds).
  csv=$(timeout "$((timeout * 4))" "$bin/solver_benchmark" --matrix_file="$weighted" --matrix_file="$plain" --benchmark_filter='BM_SolveFile' \
    --benchmark_min_time=0 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null || true)
  # Milliseconds of the named file's median: column 3 is wall, 4 is CPU.
  solve_ms() {
    local ms
    ms=$(printf '%s\n' "$csv" | awk -F, -v n="\"BM_SolveFile/$1/real_time_median\"" -v col="${2:-3}" '$1==n{printf "%.1f", $col}')
    printf '%s' "${ms:-(no result: timed out after $((timeout * 4)) s or failed)}"
  }
  weighted_ms=$(solve_ms "$(basename "$weighted")")
  share=$(awk -v ms="$(solve_ms "$(basename "$weighted")" 4)" -v cpu="$last_tool_cpu" 'BEGIN{if (ms + 0 > 0 && cpu + 0 > 0) printf "%.0f%%", ms / 10 / cpu; else printf "?"}')
  solver_lines+=("- solver alone on $(basename "$weighted"): $weighted_ms ms wall (median of 3); its CPU time is about $share of the run's; the run solves this n x n matrix and then the n/2 x n/2 half again in the decision stage")
  solver_lines+=("- solver alone on $(basename "$plain") (integers 0..99 everywhere, goal: at most 3 s): $(solve_ms "$(basename "$plain")") ms (median of 3)")
fi

echo
echo "Whole runs: wall seconds over $reps repetitions, tool and parse floor alternating; tool CPU = median user+sys;"
echo "ratio = tool median / floor median wall; CPU ratio = the same for median user+sys; peak = tool's max RSS. Other processes on this machine inflate wall times."
echo "Solver: $(grep -q TEMPORARY "$root/src/assignment/assignment.cpp" && echo 'literal (temporary)' || echo 'fast') ($(git -C "$root" log -1 --format=%h 2>/dev/null || echo '?') + work tree), $(date -u '+%Y-%m-%d %H:%M UTC'), load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| graph | file MB | tool median s | tool best s | tool CPU s | floor median s | floor best s | ratio (median) | CPU ratio | peak MB | output MB | verdict |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${table[@]}"
((${#solver_lines[@]})) && { echo; printf '%s\n' "${solver_lines[@]}"; }
((${#notes[@]})) && { echo; printf 'NOTE %s\n' "${notes[@]}"; }
exit 0
