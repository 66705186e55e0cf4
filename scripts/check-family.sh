#!/usr/bin/env bash
# Runs bicubic-check on a whole graph family split into MOD parts (nauty's res/mod split, or the
# lines of a graph6 file), one job per part over GNU parallel (locally or on ssh hosts), keeps
# each part's report and summary, then joins them into one report and one summary.
#
#   check-family.sh [options] K MOD              nauty-genbg -c -d3:3 -D3:3 K K RES/MOD
#   check-family.sh [options] --gen CMD MOD      CMD RES/MOD (any generator taking res/mod last)
#   check-family.sh [options] --file FILE MOD    graph lines RES+1, RES+1+MOD, ... of FILE (graph6/sparse6,
#                                                may be gzipped; a header alone on line 1 is not counted)
#   check-family.sh [options] --part RES ...     run only part RES here (one batch array task)
#   check-family.sh --join DIR                   join the parts already in DIR
#
# Options:
#   -o DIR          output folder (default family-K or family-out); parts go to DIR/parts/
#   -j N            jobs at a time on each host (GNU parallel's -j; default one per core)
#   -S HOSTS        run on these ssh hosts (GNU parallel's -S, e.g. 8/host1,8/host2 or :,host2);
#                   each host needs bash, the generator and bicubic-check in the same places
#   --check PATH    bicubic-check to run (default: bicubic-check on PATH)
#   --name NAME     source name before ":RES/MOD" (default genbg-K+K, the command, or the file)
#   -- OPTS...      further options for bicubic-check (--cycle, --no-method, --time-limit S,
#                   --relabel K, --select WHICH --emit FORMAT, ...)
#
# Outputs: DIR/family.tsv (one header, then every part's rows in part order; source names the
# family and part, index counts within the part) and DIR/family.summary (the parts' counts
# added up: "# search-ms" and "# cpu-ms" are the checker's own time, "# ms" the sum of the
# parts' wall times, waits for the generator included). A part counts as done only when its run
# ended with bicubic-check's status 0 or 3 and the generator's 0; a failed part's messages go
# to DIR/failed/part-RES-of-MOD.log. Each part records the command that made it (generator or
# file, name, MOD and the options after --) and its line count in DIR/parts/part-RES-of-MOD.meta;
# a folder holding parts of another command is refused, never mixed in. Running the same
# command again runs only the parts that are not done. The join refuses (exit 1, nothing
# written) while any part is missing, failed, made by another command, has no "# graphs" line
# in its summary, or has lost or gained lines; a report part must hold its header and, unless
# --select filtered it, one row per graph. Joins into one folder may run at once: each writes
# its own temporary files and renames them into place.
# Exit status: 0 all graphs decided, 3 some unknown, 1 a part failed or the join refused, 2 usage.
set -uo pipefail

readonly exit_unknown=3 exit_failed=1 exit_usage=2

help_text() { sed -n '2,/^# Exit status/p' "$0" | sed 's/^# \{0,1\}//'; }
usage() { # usage [STATUS]: the help on standard output for --help, else on standard error
  local status=${1:-$exit_usage}
  if ((status == 0)); then help_text; else help_text >&2; fi
  exit "$status"
}
die() { echo "check-family: $*" >&2; exit "$exit_failed"; }

# The shell code of one part, run by bash as: bash -c CODE _ RES MOD SOURCE-NAME FILE CHECK OPTS...
# with the generator command in $CHECK_FAMILY_GEN (empty when FILE is split instead). It prints
# the report on stdout, bicubic-check's stderr and a last line "#status GEN CHECK" on stderr.
read -r -d '' part_code <<'EOF'
res=$1 mod=$2 name=$3 file=$4 check=$5; shift 5
if [ -n "$file" ]; then
  # A header alone on the first line is no graph: graph lines are counted after it.
  gzip -cdf -- "$file" | awk -v m="$mod" -v r="$res" 'NR == 1 && /^>>(graph6|sparse6)<<[[:space:]]*\r?$/ { next }
    (k++) % m == r' | "$check" --source "$name:$res/$mod" "$@"
else
  $gen "$res/$mod" | "$check" --source "$name:$res/$mod" "$@"
fi
status=("${PIPESTATUS[@]}")
gen_status=0
for s in "${status[@]:0:${#status[@]}-1}"; do [ "$s" = 0 ] || gen_status=$s; done
printf '#status\t%s\t%s\n' "$gen_status" "${status[-1]}" >&2
EOF

# The command a part records: what made its graphs and the options that shaped its report.
# Set in main; the checker's path is left out (the same checker may sit elsewhere on a host).
identity=""
# Reads KEY from a part's .meta file.
meta_value() { awk -F'\t' -v k="$2" '$1 == k { sub(/^[^\t]*\t/, ""); print; exit }' "$1" 2>/dev/null; }

# Moves a finished part's raw output into DIR/parts when its run succeeded, else its messages
# into DIR/failed. Returns 0 when the part is done.
promote_part() {
  local dir=$1 res=$2 mod=$3 raw_out=$4 raw_err=$5
  local base="part-$res-of-$mod" last gen_status check_status
  last=$(tail -n 1 "$raw_err" 2>/dev/null)
  IFS=$'\t' read -r _ gen_status check_status <<<"$last"
  mkdir -p "$dir/parts" "$dir/failed"
  if [[ $last == '#status'* && $gen_status == 0 && ($check_status == 0 || $check_status == "$exit_unknown") ]]; then
    printf 'command\t%s\nlines\t%s\n' "$identity" "$(wc -l <"$raw_out")" >"$dir/parts/$base.meta.tmp" &&
      sed '$d' "$raw_err" >"$dir/parts/$base.summary.tmp" &&
      mv -f "$raw_out" "$dir/parts/$base.tsv" &&
      mv -f "$dir/parts/$base.meta.tmp" "$dir/parts/$base.meta" &&
      mv -f "$dir/parts/$base.summary.tmp" "$dir/parts/$base.summary" &&
      rm -f "$raw_err" "$dir/failed/$base.log"
    return
  fi
  { cat "$raw_err" 2>/dev/null
    if [[ $last != '#status'* ]]; then echo "check-family: part $res/$mod did not finish"
    else echo "check-family: generator exit status $gen_status, bicubic-check exit status $check_status"; fi
  } >"$dir/failed/$base.log"
  rm -f "$raw_out" "$raw_err" "$dir/parts/$base.tsv" "$dir/parts/$base.summary" "$dir/parts/$base.meta"
  echo "check-family: part $res/$mod failed, see $dir/failed/$base.log" >&2
  return 1
}

part_done() { grep -q $'^# graphs\t' "$1/parts/part-$2-of-$3.summary" 2>/dev/null; }

# Refuses a folder that holds parts made by a command other than this one.
check_folder_command() {
  local dir=$1 f
  for f in "$dir"/parts/part-*-of-*.meta; do
    [[ -e $f ]] || continue
    [[ $(meta_value "$f" command) == "$identity" ]] && continue
    die "$dir holds parts of another command ($(meta_value "$f" command)); use another -o folder or remove $dir/parts"
  done
}

# Joins DIR/parts/part-*-of-MOD.{tsv,summary} into DIR/family.tsv and DIR/family.summary.
join_parts() {
  local dir=$1 mod="" res problems=() f
  for f in "$dir"/parts/part-*-of-*.summary "$dir"/parts/part-*-of-*.tsv "$dir"/failed/part-*-of-*.log; do
    [[ -e $f && $f =~ part-[0-9]+-of-([0-9]+)\. ]] || continue
    if [[ -z $mod ]]; then mod=${BASH_REMATCH[1]}
    elif [[ $mod != "${BASH_REMATCH[1]}" ]]; then die "$dir holds parts of different splits ($mod and ${BASH_REMATCH[1]})"; fi
  done
  [[ -n $mod ]] || die "no parts in $dir/parts"
  local command="" first=""
  for ((res = 0; res < mod; res++)); do
    local base="$dir/parts/part-$res-of-$mod" graphs rows this emit=0 select=0
    if ! part_done "$dir" "$res" "$mod" || [[ ! -f $base.tsv ]]; then
      problems+=("part $res/$mod has no complete summary (missing, empty or failed run)")
      continue
    fi
    if [[ ! -f $base.meta ]]; then
      problems+=("part $res/$mod has no record of its command (made by an older check-family.sh?)")
      continue
    fi
    this=$(meta_value "$base.meta" command)
    if [[ -z $first ]]; then first=$res command=$this
    elif [[ $this != "$command" ]]; then
      problems+=("part $res/$mod was made by another command than part $first/$mod ($this)")
    fi
    [[ $(wc -l <"$base.tsv") == "$(meta_value "$base.meta" lines)" ]] ||
      problems+=("part $res/$mod has $(wc -l <"$base.tsv") lines, not the $(meta_value "$base.meta" lines) its run wrote")
    [[ " $this " == *" --emit "* || " $this " == *" --emit="* ]] && emit=1
    [[ " $this " == *" --select "* || " $this " == *" --select="* ]] && select=1
    ((emit)) && continue
    graphs=$(awk -F'\t' '$1 == "# graphs" { print $2 }' "$base.summary")
    if ! head -n 1 "$base.tsv" | grep -q $'^source\t'; then
      problems+=("part $res/$mod has no report header (an empty or damaged report)")
      continue
    fi
    rows=$(($(wc -l <"$base.tsv") - 1))
    if ((select ? rows > graphs : rows != graphs)); then
      problems+=("part $res/$mod has $rows report rows but $graphs graphs in its summary")
    fi
  done
  if ((${#problems[@]})); then
    printf 'check-family: %s\n' "${problems[@]}" >&2
    die "join refused: rerun the parts above, then join again"
  fi
  local parts_tsv=() parts_summary=()
  for ((res = 0; res < mod; res++)); do
    parts_tsv+=("$dir/parts/part-$res-of-$mod.tsv")
    parts_summary+=("$dir/parts/part-$res-of-$mod.summary")
  done
  # Report: the first header line once, then every row (with --emit the parts hold graph lines
  # and no header, and are simply concatenated).
  # Temporary files of their own, renamed into place: joins into one folder may run at once.
  local tsv_tmp summary_tmp
  tsv_tmp=$(mktemp "$dir/.family.tsv.XXXXXX") && summary_tmp=$(mktemp "$dir/.family.summary.XXXXXX") ||
    die "cannot write in $dir"
  trap 'rm -f "$tsv_tmp" "$summary_tmp"' EXIT
  awk 'FNR == 1 && /^source\t/ { if (!header++) print; next } { print }' "${parts_tsv[@]}" >"$tsv_tmp" || die "cannot write $dir/family.tsv"
  # Summary: "# KEY<tab>numbers..." lines are added up column by column; other "# " lines (the
  # column header) are kept once; anything else (messages) is dropped. A key that only some
  # parts have (the "# -" row) goes after the key it follows in those parts.
  awk -F'\t' '
    FNR == 1 { previous = "" }
    !/^# / { next }
    {
      numeric = NF > 1
      for (i = 2; i <= NF; i++) if ($i !~ /^-?[0-9]+(\.[0-9]+)?$/) numeric = 0
      if (!($1 in seen)) {
        seen[$1] = 1; width[$1] = NF; text[$1] = $0; isnum[$1] = numeric
        at = 1
        for (k = 1; k <= keys; k++) if (order[k] == previous) at = k + 1
        for (k = ++keys; k > at; k--) order[k] = order[k - 1]
        order[at] = $1
      }
      if (numeric) for (i = 2; i <= NF; i++) { sum[$1, i] += $i; if ($i ~ /\./) decimal[$1] = 1 }
      previous = $1
    }
    END {
      for (k = 1; k <= keys; k++) {
        key = order[k]
        if (!isnum[key]) { print text[key]; continue }
        line = key
        for (i = 2; i <= width[key]; i++) line = line "\t" (decimal[key] ? sprintf("%.3f", sum[key, i]) : sprintf("%d", sum[key, i]))
        print line
      }
    }' "${parts_summary[@]}" >"$summary_tmp" || die "cannot write $dir/family.summary"
  chmod 644 "$tsv_tmp" "$summary_tmp"
  mv -f "$tsv_tmp" "$dir/family.tsv" && mv -f "$summary_tmp" "$dir/family.summary" ||
    die "cannot write the joined files in $dir"
  trap - EXIT
  local unknown
  unknown=$(awk -F'\t' '$1 ~ /^# / && $1 != "# method" && NF == 4 { u += $4 } END { print u + 0 }' "$dir/family.summary")
  echo "check-family: joined $mod parts into $dir/family.tsv and $dir/family.summary" >&2
  ((unknown == 0)) || return "$exit_unknown"
}

main() {
  local dir="" jobs="" hosts="" check=bicubic-check name="" gen="" file="" part="" join="" k="" mod=""
  local positional=() check_opts=()
  while (($#)); do
    case $1 in
      -o) dir=${2:?}; shift 2 ;;
      -j) jobs=${2:?}; shift 2 ;;
      -j?*) jobs=${1#-j}; shift ;;
      -S) hosts=${2:?}; shift 2 ;;
      --check) check=${2:?}; shift 2 ;;
      --name) name=${2:?}; shift 2 ;;
      --gen) gen=${2:?}; shift 2 ;;
      --file) file=${2:?}; shift 2 ;;
      --part) part=${2:?}; shift 2 ;;
      --join) join=${2:?}; shift 2 ;;
      -h | --help) usage 0 ;;
      --) shift; check_opts=("$@"); break ;;
      -*) echo "check-family: unknown option $1" >&2; usage ;;
      *) positional+=("$1"); shift ;;
    esac
  done
  [[ -z $join ]] || { join_parts "$join"; return; }
  if [[ -n $gen || -n $file ]]; then
    [[ -z $gen || -z $file ]] && ((${#positional[@]} == 1)) || usage
    mod=${positional[0]}
  else
    ((${#positional[@]} == 2)) || usage
    k=${positional[0]} mod=${positional[1]}
    [[ $k =~ ^[0-9]+$ ]] || usage
    gen="nauty-genbg -q -c -d3:3 -D3:3 $k $k"
  fi
  [[ $mod =~ ^[0-9]+$ ]] && ((mod >= 1)) || usage
  [[ -z $part ]] || { [[ $part =~ ^[0-9]+$ ]] && ((part < mod)); } || usage
  if [[ -z $name ]]; then
    if [[ -n $k ]]; then name="genbg-$k+$k"; elif [[ -n $file ]]; then name=$file; else name=$gen; fi
  fi
  [[ -n $dir ]] || { [[ -n $k ]] && dir="family-$k" || dir=family-out; }
  [[ -z $file || -r $file ]] || die "cannot read $file"
  mkdir -p "$dir/parts" "$dir/failed" "$dir/run" || die "cannot create $dir"
  identity=$(printf '%q ' "$gen" "$file" "$name" "$mod" "${check_opts[@]}")
  identity=${identity% }
  check_folder_command "$dir"
  local code="gen=$(printf '%q' "$gen")"$'\n'"$part_code"

  if [[ -n $part ]]; then
    local raw="$dir/run/part-$part-of-$mod"
    bash -c "$code" _ "$part" "$mod" "$name" "$file" "$check" "${check_opts[@]}" >"$raw.out" 2>"$raw.err"
    promote_part "$dir" "$part" "$mod" "$raw.out" "$raw.err" || return "$exit_failed"
    return 0
  fi

  local todo=() res
  for ((res = 0; res < mod; res++)); do part_done "$dir" "$res" "$mod" || todo+=("$res"); done
  if ((${#todo[@]})); then
    command -v parallel >/dev/null || die "GNU parallel is needed (apt-get install parallel)"
    local options=(--joblog "+$dir/jobs.log" --results "$dir/run/part-{}-of-$mod/")
    [[ -z $jobs ]] || options+=(-j "$jobs")
    [[ -z $hosts ]] || options+=(-S "$hosts")
    # parallel joins its command words into shell code, so every word is quoted here once.
    local command
    command="bash -c $(printf '%q' "$code") _ {} $(printf '%q ' "$mod" "$name" "$file" "$check" "${check_opts[@]}")"
    parallel "${options[@]}" "$command" ::: "${todo[@]}" >/dev/null
    local failed=0
    for res in "${todo[@]}"; do
      local raw="$dir/run/part-$res-of-$mod"
      promote_part "$dir" "$res" "$mod" "$raw/stdout" "$raw/stderr" || failed=1
      rm -rf "$raw"
    done
    rmdir "$dir/run" "$dir/failed" 2>/dev/null
    ((failed == 0)) || die "some parts failed; run the same command again to rerun only those"
  fi
  join_parts "$dir"
}

main "$@"
