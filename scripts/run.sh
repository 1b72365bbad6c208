#!/usr/bin/env bash
# Sets up, builds and starts Orvel 3 on its default database (Documents/Orvel3DB).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/bin/Orvel3
