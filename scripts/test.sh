#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
BUILD=${WAGE_BUILD_DIR:-build}
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 600
