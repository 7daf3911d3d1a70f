#!/usr/bin/env bash
# Configures (once) and builds incrementally with Ninja into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${WAGE_BUILD_DIR:-build}
# Checkouts side by side share compiled objects: paths are hashed relative to the checkout.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
export CCACHE_NOHASHDIR=1
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$BUILD" -j"$(nproc)"
