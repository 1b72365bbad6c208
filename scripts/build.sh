#!/usr/bin/env bash
# Configures and builds everything into build/ (programs, template and help pages in build/bin).
# ORVEL_BENCH=1 builds the benchmarks too.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=OFF
[ "${ORVEL_BENCH:-0}" = 1 ] && bench=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DORVEL_BUILD_BENCH="$bench" >/dev/null
cmake --build build -j"$(nproc)"
