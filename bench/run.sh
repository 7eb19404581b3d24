#!/usr/bin/env bash
# Benchmarks (medians): the chart drawn in process; loops analysed and drawn; closed-loop step
# responses; a loop's gain tuned to a target, a lead designed; one step of a gain drag in the
# program (document, margins window, 600 x 950 chart window); the cold velmora-render process
# against a bare Qt program that writes one PNG (alternated runs); velmora-render --report-json
# against python-control computing the same quantities, when PYTHON_CONTROL names a
# python-control source tree (it is not a Debian package).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh libbenchmark-dev hyperfine python3 python3-numpy python3-scipy python3-matplotlib
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target render_bench loop_bench step_bench tuning_bench ui_bench bare_png velmora-render
for bench in render_bench loop_bench step_bench tuning_bench ui_bench; do
    build-bench/bench/$bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true \
        | grep -E '^(Benchmark|-|BM_.*_median)'
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
medians() { # hyperfine's JSON: each command's median, and the ratio of the second to the first
    python3 - "$1" <<'PY'
import json, sys
first, second = json.load(open(sys.argv[1]))["results"]
for r in (first, second):
    print(f"{r['command'][:60]}: median {r['median'] * 1000:.1f} ms")
print(f"ratio: {second['median'] / first['median']:.3f}")
PY
}
# Alternated, 200 runs each: the machine's drifts slow both commands alike.
bench/alternate.py 200 "build-bench/bench/bare_png $out/bare.png" \
    "build-bench/tools/velmora-render -o $out/chart.png" 2>/dev/null

loop='1000*(s+2)*(s+5)*exp(-0.05*s)/(s*(s+1)*(s+3)*(s+10)^2*(s^2+2*s+25)*(s+20)*(s+40)*(s+50))'
if [ -n "${PYTHON_CONTROL:-}" ]; then
    hyperfine -N --warmup 3 --runs 20 --export-json "$out/report.json" \
        "env PYTHONPATH=$PYTHON_CONTROL /usr/bin/python3 bench/python_control_margins.py" \
        "build-bench/tools/velmora-render --loop $loop --report-json" >/dev/null
    medians "$out/report.json"
else
    echo "PYTHON_CONTROL unset: velmora-render --report-json is not compared with python-control"
fi
