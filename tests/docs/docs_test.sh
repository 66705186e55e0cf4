#!/usr/bin/env bash
# Runs the commands of README.md and docs/*.md as a reader would, so that no documented command
# can stop working unnoticed.
#   docs_test.sh SOURCE_DIR BUILD_DIR [--long]
# Every fenced block needs a language: `text` for file contents, synopses and listings; `sh` or
# `console` (only its `$ ` lines are commands) for commands; `python` for Python examples, run by
# the interpreter of the venv that the Python module's test installs in BUILD_DIR/python-venv
# (not run when there is none). The last non-blank line before a
# command block must be one of
#   <!-- run -->              run here, within 60 s
#   <!-- run: long -->        run only with --long (ctest label `long`), within 600 s
#   <!-- not run: REASON -->  cannot run here (package installs, Slurm, ssh hosts, hours of work)
# so a new block without one fails. The runnable blocks of each document run in order, each in
# `bash -eo pipefail`, in one scratch clone of SOURCE_DIR's HEAD (files one block writes are there
# for the next) with `build` linked to BUILD_DIR and its programs on PATH, as after an install.
# A block that configures a build must not be marked runnable: `build` is the caller's build.
# Exit status: 0 all good, 1 a block failed or lacks its marker, 77 (skipped) without git or
# nauty or when SOURCE_DIR is not a git checkout.
set -uo pipefail
source_dir=$(cd "$1" && pwd) build_dir=$(cd "$2" && pwd)
long=0
[ "${3:-}" = --long ] && long=1
for tool in git nauty-genbg timeout; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
git -C "$source_dir" rev-parse HEAD >/dev/null 2>&1 || { echo "SKIP: $source_dir is not a git checkout"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/clone
git clone -q "$source_dir" "$clone" || exit 1
ln -s "$build_dir" "$clone/build"
export PATH=$clone/build/src/check:$clone/build:$PATH
python=$build_dir/python-venv/bin/python

# Splits one document into $work/blocks/DOC-NNN.{cmd,meta}; meta is "LINE LANG MARKER".
# Markers and fences are matched at the start of a line (indented ones too).
extract() {
  local doc=$1 tag=$2
  awk -v out="$work/blocks/$tag" '
    function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t]+$/, "", s); return s }
    inblock && /^[ \t]*```[ \t]*$/ { inblock = 0; close(cmd); marker = "```"; next }
    inblock { print > cmd; next }
    /^[ \t]*```/ {
      inblock = 1; n++
      lang = trim(substr(trim($0), 4)); if (lang == "") lang = "-"
      file = sprintf("%s-%03d", out, n); cmd = file ".cmd"
      printf "" > cmd
      printf "%d\t%s\t%s\n", NR, lang, marker > (file ".meta"); close(file ".meta")
      next
    }
    trim($0) != "" { marker = trim($0) }' "$doc"
}

failed=0 ran=0 skipped=0
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# Runs one block's commands in the clone; the status is the block's.
run_block() {
  local cmd=$1 lang=$2 limit=$3 script=$work/script.sh
  if [ "$lang" = console ]; then sed -n 's/^\$ //p' "$cmd" >"$script"; else cp "$cmd" "$script"; fi
  if [ "$lang" = python ]; then
    (cd "$clone" && timeout "$limit" "$python" "$script") >"$work/out.txt" 2>&1
  else
    (cd "$clone" && timeout "$limit" bash -eo pipefail "$script") >"$work/out.txt" 2>&1
  fi
}

mkdir -p "$work/blocks"
cd "$clone" || exit 1
docs=(README.md docs/*.md)
for doc in "${docs[@]}"; do
  tag=${doc//\//_}
  extract "$doc" "$tag"
  for meta in "$work/blocks/$tag"-*.meta; do
    [ -e "$meta" ] || continue
    IFS=$'\t' read -r line lang marker <"$meta"
    where="$doc:$line"
    case $lang in
      text) continue ;;
      sh|console|python) ;;
      -) fail "$where: a fenced block without a language (sh, console or python for commands, text otherwise)"; continue ;;
      *) fail "$where: unknown block language '$lang' (sh, console, python or text)"; continue ;;
    esac
    case $marker in
      '<!-- run -->') limit=60 ;;
      '<!-- run: long -->') limit=600; [ "$long" = 1 ] || { skipped=$((skipped + 1)); continue; } ;;
      '<!-- not run: '?*' -->') skipped=$((skipped + 1)); continue ;;
      *) fail "$where: a command block needs <!-- run -->, <!-- run: long --> or <!-- not run: REASON --> on the line before"; continue ;;
    esac
    # Python examples run in the venv the Python module's test installs into the build folder.
    if [ "$lang" = python ] && [ ! -x "$python" ]; then
      echo "$where: not run, no Python module installed in $python"; skipped=$((skipped + 1)); continue
    fi
    start=$(date +%s)
    run_block "${meta%.meta}.cmd" "$lang" "$limit"
    rc=$?
    ran=$((ran + 1))
    echo "$where: status $rc, $(($(date +%s) - start)) s"
    if [ "$rc" -ne 0 ]; then
      [ "$rc" -eq 124 ] && rc="timeout after $limit s"
      fail "$where ($rc):"; sed 's/^/    /' "${meta%.meta}.cmd"; echo "  output:"; tail -n 20 "$work/out.txt" | sed 's/^/    /'
    fi
  done
done
echo "$ran blocks ran, $skipped not run here, $failed failed"
[ "$failed" -eq 0 ] && [ "$ran" -gt 0 ]
