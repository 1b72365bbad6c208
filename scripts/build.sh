#!/usr/bin/env bash
# Configures and builds everything into build/ (programs, template and help pages in build/bin).
# ORVEL_BENCH=1 builds the benchmarks too; BUILD_DIR names another build folder; further arguments go to
# the configuration (-DORVEL_SANITIZE=ON, say); ORVEL_WERROR=ON makes every warning an error, as CI does.
# Compiles through ccache when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=OFF
[ "${ORVEL_BENCH:-0}" = 1 ] && bench=ON
launcher=""
command -v ccache >/dev/null && launcher=ccache
dir="${BUILD_DIR:-build}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DORVEL_BUILD_BENCH="$bench" -DORVEL_WERROR="${ORVEL_WERROR:-OFF}" \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
