#!/usr/bin/env bash
# Configures and builds the project into ./build (or $CORVANE_BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${CORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/install-deps"
# ccache, when present, makes rebuilds in other checkouts of the tree cheap;
# paths are taken relative to the checkout so they share one cache.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$here}"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
