#!/usr/bin/env bash
# Builds the reader fuzzer with the "fuzz" preset and runs it for SECONDS (default 60) in one
# process on one core (no -jobs/-workers: those fork a child that logs to a file instead),
# starting from a scratch copy of the seed corpus so that the committed seeds stay as they are.
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
mkdir -p "$work/corpus" "$artifacts"
cp "$here"/corpus/* "$work/corpus/"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
"$root/build-fuzz/fuzz/reader_fuzzer" \
  -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -dict="$here/graph.dict" \
  -artifact_prefix="$artifacts/" "$work/corpus" || status=$?

if [ "$status" -eq 0 ] && [ -z "${FUZZ_ARTIFACTS:-}" ]; then
  rm -rf "$work"
  echo "fuzz run of ${seconds}s finished without findings"
else
  echo "fuzz run of ${seconds}s finished with status $status; findings in $artifacts"
fi
exit "$status"
