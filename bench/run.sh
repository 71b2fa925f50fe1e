#!/usr/bin/env bash
# Builds vork for release and runs the benchmark; arguments go to bench.py.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release -j2 --target vork >/dev/null
exec python3 bench/bench.py "$@"
