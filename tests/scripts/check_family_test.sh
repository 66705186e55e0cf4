#!/usr/bin/env bash
# Runs scripts/check-family.sh and scripts/check-family.slurm against bicubic-check on small
# nauty families: the joined report and summary must equal one run over the whole family,
# whatever the order the parts ran in, and the join must refuse incomplete or broken parts.
#   check_family_test.sh SOURCE_DIR BICUBIC_CHECK
# Exit 77 (skipped) when nauty-genbg or GNU parallel is missing.
set -uo pipefail
source_dir=$1 check=$2
family=$source_dir/scripts/check-family.sh
for tool in nauty-genbg parallel; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0 failed=0
expect() { # expect NAME COMMAND...: counts a check
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
# What must not change when a family is split: the rows without their source, index and time,
# and the summary without its time.
rows() { tail -n +2 "$1" | cut -f3-6 | sort; }
counts() { grep -Ev $'^# (ms|search-ms|cpu-ms)\t' "$1"; }
identities() { tail -n +2 "$1" | cut -f1,2; }

nauty-genbg -q -c -d3:3 -D3:3 7 7 >g7.g6
"$check" g7.g6 >whole.tsv 2>whole.summary
gzip -c g7.g6 >g7.g6.gz

# One family, run three ways: over parallel, part by part in reverse order, through the Slurm
# file in a shuffled order. Eleven parts, so that four are empty and part 10 sorts before 2 by name.
mod=11
"$family" --check "$check" -o par -j 2 7 $mod 2>/dev/null
expect "parallel run exits 0" [ $? = 0 ]
for res in $(seq $((mod - 1)) -1 0); do "$family" --check "$check" --part "$res" -o bypart 7 $mod 2>/dev/null; done
"$family" --join bypart 2>/dev/null
for res in 3 10 0 7 1 9 2 8 4 6 5; do
  SLURM_ARRAY_TASK_ID=$res SLURM_SUBMIT_DIR=$source_dir K=7 MOD=$mod OUT=slurm CHECK=$check \
    bash "$source_dir/scripts/check-family.slurm" 2>/dev/null
done
SLURM_SUBMIT_DIR=$source_dir K=7 MOD=$mod OUT=slurm bash "$source_dir/scripts/check-family.slurm" 2>/dev/null
"$family" --check "$check" --file g7.g6.gz -o file 3 2>/dev/null

for dir in par bypart slurm file; do
  expect "$dir: one header" [ "$(grep -c $'^source\t' $dir/family.tsv)" = 1 ]
  expect "$dir: same rows as one run" cmp -s <(rows whole.tsv) <(rows $dir/family.tsv)
  expect "$dir: same counts as one run" cmp -s <(counts whole.summary) <(counts $dir/family.summary)
  expect "$dir: every row's identity is unique" [ -z "$(identities $dir/family.tsv | sort | uniq -d)" ]
done
expect "part order does not matter" cmp -s <(cut -f1-6 par/family.tsv) <(cut -f1-6 bypart/family.tsv)
expect "slurm parts equal parallel parts" cmp -s <(cut -f1-6 par/family.tsv) <(cut -f1-6 slurm/family.tsv)
expect "rows in part order, source names family and part" [ "$(identities par/family.tsv | cut -f1 | uniq)" = \
  "$(for res in $(seq 0 $((mod - 1))); do grep -q . <(nauty-genbg -q -c -d3:3 -D3:3 7 7 $res/$mod) && echo "genbg-7+7:$res/$mod"; done)" ]
# Part RES of a split file holds lines RES+1, RES+1+MOD, ...: its index maps back to the line.
expect "file parts map back to lines" cmp -s <(cut -f3-6 whole.tsv | tail -n +2) <(tail -n +2 file/family.tsv |
  awk -F'\t' -v OFS='\t' '{ split($1, p, /[:\/]/); print (($2 - 1) * 3 + p[2] + 1), $3, $4, $5, $6 }' | sort -n | cut -f2-)

# The join refuses a part whose run failed or whose files are incomplete, and writes nothing.
refuse_case() { # refuse_case NAME BREAK-COMMAND
  rm -rf broken && cp -r par broken && rm broken/family.*
  eval "$2"
  "$family" --join broken 2>broken.err
  expect "$1: join exits 1" [ $? = 1 ]
  expect "$1: nothing joined" [ ! -e broken/family.tsv ] && [ ! -e broken/family.summary ]
  expect "$1: names the part" grep -q "part 3/$mod" broken.err
}
refuse_case "empty summary" ': >broken/parts/part-3-of-$mod.summary'
refuse_case "missing summary" 'rm broken/parts/part-3-of-$mod.summary'
refuse_case "missing report" 'rm broken/parts/part-3-of-$mod.tsv'
refuse_case "lost row" 'sed -i "\$d" broken/parts/part-3-of-$mod.tsv'

refuse_case "empty report" ': >broken/parts/part-3-of-$mod.tsv'
refuse_case "other command" 'sed -i "s/^command\t.*/command\tother/" broken/parts/part-3-of-$mod.meta'

# A folder never mixes commands: another family, or other options after --, into the same -o
# folder is refused and leaves the parts there as they were.
"$family" --check "$check" -o mixed 6 3 2>/dev/null
for case in "other options:6 3 -- --no-method" "other family:8 3"; do
  read -r -a args <<<"${case#*:}"
  "$family" --check "$check" -o mixed "${args[@]}" 2>mixed.err
  expect "${case%%:*}: refused" [ $? = 1 ]
  expect "${case%%:*}: says why" grep -q "holds parts of another command" mixed.err
  expect "${case%%:*}: first family kept" cmp -s <(counts mixed/family.summary) <("$family" --join mixed 2>/dev/null; counts mixed/family.summary)
done

# --select without --emit: a filtered table joins, and holds the rows one run would.
"$family" --check "$check" -o selected 7 3 -- --select method-wrong 2>/dev/null
expect "filtered table joins" [ $? = 0 ]
expect "filtered rows as one run" [ "$(tail -n +2 selected/family.tsv | wc -l)" = "$(awk -F'\t' '$6 == "no"' whole.tsv | wc -l)" ]

# Joins into one folder at once: each succeeds, leaves no temporary file and a whole report.
for i in 1 2 3 4 5 6 7 8; do "$family" --join par 2>/dev/null & done
joins_ok=0
for job in $(jobs -p); do wait "$job" && joins_ok=$((joins_ok + 1)); done
expect "concurrent joins all succeed" [ "$joins_ok" = 8 ]
expect "concurrent joins leave no temporary file" [ -z "$(ls -A par | grep '^\.')" ]
expect "concurrent joins leave the whole report" cmp -s <(rows whole.tsv) <(rows par/family.tsv)

# A run that fails (bicubic-check exits 1, or the generator fails) is not taken as a part.
for case in "false-check:--check false 8 3" "bad-generator:--check $check --gen false 3"; do
  read -r -a args <<<"${case#*:}"
  "$family" -o "${case%%:*}" "${args[@]}" 2>/dev/null
  expect "${case%%:*}: exits 1" [ $? = 1 ]
  expect "${case%%:*}: no part kept" [ -z "$(ls "${case%%:*}/parts")" ]
  expect "${case%%:*}: failure logged" [ -s "${case%%:*}/failed/part-0-of-3.log" ]
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
