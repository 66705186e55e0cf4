#!/usr/bin/env bash
# Builds the fuzzers with the "fuzz" preset and runs them one after the other for SECONDS in
# all (default 60; half each: the tool's matrix reader, then bicubic-check's readers of every
# format, gzip included), each in one process on one core (no -jobs/-workers: those fork a
# child that logs to a file instead), starting from scratch copies of the seed corpora so that
# the committed seeds stay as they are.
# Exit status: 0 when the run ended without a finding, non-zero otherwise. Findings are kept in
# the artifact folder that is printed at the end (FUZZ_ARTIFACTS chooses it); a clean run leaves
# nothing behind. Needs clang++ and libFuzzer (Debian: clang, libclang-rt-14-dev).
set -euo pipefail

seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d "${TMPDIR:-/tmp}/bicubic-fuzz-XXXXXX")"
artifacts="${FUZZ_ARTIFACTS:-$work/artifacts}"
mkdir -p "$work/corpus" "$work/check_corpus" "$artifacts"
cp "$here"/corpus/* "$work/corpus/"
cp "$here"/check_corpus/* "$work/check_corpus/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

first=$(((seconds + 1) / 2))
status=0
run() { # run FUZZER SECONDS CORPUS DICTIONARY
  "$root/build-fuzz/fuzz/$1" \
    -max_total_time="$2" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -dict="$here/$4" \
    -artifact_prefix="$artifacts/$1-" "$work/$3" || status=$?
}
run reader_fuzzer "$first" corpus graph.dict
run check_reader_fuzzer "$((seconds - first > 0 ? seconds - first : 1))" check_corpus check.dict

if [ "$status" -eq 0 ] && [ -z "${FUZZ_ARTIFACTS:-}" ]; then
  rm -rf "$work"
  echo "fuzz run of ${seconds}s finished without findings"
else
  echo "fuzz run of ${seconds}s finished with status $status; findings in $artifacts"
fi
exit "$status"
