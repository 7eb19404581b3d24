#!/usr/bin/env bash
# Sets up, builds, and renders the default chart to out/chart.png with velmora-render.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target velmora-render
mkdir -p out
build/tools/velmora-render -o out/chart.png "$@"
echo "Abaque écrit dans out/chart.png"
