#!/usr/bin/env bash
# The docs test itself: on a scratch repository whose README has a passing block, a failing
# block, a command block without a marker and an untagged block, it must fail and name each;
# with only the passing block it must pass.
#   docs_selftest.sh DOCS_TEST BUILD_DIR
set -uo pipefail
docs_test=$1 build_dir=$2
for tool in git nauty-genbg; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
repo=$work/repo
mkdir -p "$repo/docs"
git -C "$repo" init -q
good=$'<!-- run -->\n```sh\ntest -x build/src/check/bicubic-check && echo ok > made.txt\ncat made.txt\n```\n\n<!-- not run: needs a cluster -->\n```sh\nsbatch x\n```\n'
bad=$'<!-- run -->\n```sh\nfalse\n```\n\n```sh\necho unmarked\n```\n\n```\nuntagged\n```\n'
commit() { git -C "$repo" add -A && git -C "$repo" -c user.name=t -c user.email=t@t commit -qm "$1"; }
failed=0
printf '%s' "$good" >"$repo/README.md"
commit good
bash "$docs_test" "$repo" "$build_dir" >"$work/good.log" 2>&1 || { echo "FAILED: good docs refused"; cat "$work/good.log"; failed=1; }
printf '%s\n%s' "$good" "$bad" >"$repo/docs/extra.md"
commit bad
if bash "$docs_test" "$repo" "$build_dir" >"$work/bad.log" 2>&1; then echo "FAILED: bad docs passed"; failed=1; fi
for expected in 'FAILED: docs/extra.md:13 (1)' 'docs/extra.md:17: a command block needs' 'docs/extra.md:21: a fenced block without a language'; do
  grep -qF "$expected" "$work/bad.log" || { echo "FAILED: no '$expected' in:"; cat "$work/bad.log"; failed=1; }
done
exit "$failed"
