#!/usr/bin/env bash
# Benchmarks: in-process rendering (Google Benchmark, medians of 10 repetitions), and the cold
# velmora-render process against a bare Qt program that writes one PNG, both timed in one
# hyperfine run (medians of 200 runs each).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh libbenchmark-dev hyperfine python3
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target render_bench bare_png velmora-render
build-bench/bench/render_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true \
    | grep -E '^(Benchmark|-|BM_.*_median)'

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
hyperfine -N --warmup 10 --runs 200 --export-json "$out/cold.json" \
    "build-bench/bench/bare_png $out/bare.png" \
    "build-bench/tools/velmora-render -o $out/chart.png" >/dev/null
python3 - "$out/cold.json" <<'PY'
import json, sys
bare, render = json.load(open(sys.argv[1]))["results"]
print(f"bare Qt program, one PNG: median {bare['median'] * 1000:.1f} ms")
print(f"velmora-render -o chart.png: median {render['median'] * 1000:.1f} ms")
print(f"ratio: {render['median'] / bare['median']:.2f}")
PY
