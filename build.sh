#!/usr/bin/env bash
# Configures and builds the project into ./build (or $CORVANE_BUILD_DIR).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${CORVANE_BUILD_DIR:-$here/build}"
"$here/scripts/install-deps"
cmake -S "$here" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
