#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/ and runs
# every test there (offscreen, the windows too). A report of either stops the program that made it, so its
# test, and this run, fail. The sanitizers' options and suppressions are the build's own
# (ORVEL_SANITIZER_ENV in CMakeLists.txt), so ctest run by hand in build-sanitize/ uses them too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build-sanitize scripts/build.sh -DORVEL_SANITIZE=ON
cd build-sanitize
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
