#!/usr/bin/env bash
# Builds Release and runs the whole test suite. Needs cmake, ninja-build, g++ and libgtest-dev;
# nauty (for the family cross-checks) is used when present.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
