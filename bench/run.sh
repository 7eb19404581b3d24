#!/usr/bin/env bash
# Benchmarks: in-process rendering (Google Benchmark, medians of 10 repetitions) and the cold
# velmora-render process (wall time and peak memory over 50 runs).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh libbenchmark-dev time
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target render_bench velmora-render
build-bench/bench/render_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
runs=50
times=()
peak=0
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$out/time" build-bench/tools/velmora-render -o "$out/chart.png"
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
    kib=$(cat "$out/time")
    [ "$kib" -gt "$peak" ] && peak=$kib
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "velmora-render -o chart.png, $runs runs: median wall time $((median / 1000)).$(( (median % 1000) / 100 )) ms, peak RSS $((peak / 1024)) MiB"
