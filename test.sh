#!/usr/bin/env bash
# Sets up, builds and runs every test and check, each stage timed:
#   1. build with -Wall -Wextra -Werror, then every test (unit, pixel, command line, windows,
#      end to end under Xvfb, clang-format check);
#   2. the same tests on an AddressSanitizer + UndefinedBehaviorSanitizer build;
#   3. the libFuzzer targets of the texts users type or load (numbers, expressions, CSV data),
#      on their corpus and for a bounded time;
#   4. valgrind memcheck of velmora-render on both profiles, and with loops.
# "./test.sh --quick" runs stage 1 only.
set -euo pipefail
cd "$(dirname "$0")"

quick=0
[ "${1:-}" = "--quick" ] && quick=1
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-30} # per target

if [ "$quick" -eq 1 ]; then
    scripts/setup.sh
else
    scripts/setup.sh clang-14 libclang-rt-14-dev valgrind
fi

summary=()
passed=0
stage() { # name, command...
    local name=$1 start
    shift
    start=$(date +%s)
    echo "=== $name"
    "$@"
    summary+=("$name: $(($(date +%s) - start)) s")
}

# Runs ctest in a build folder and adds its count of tests to the total.
run_ctest() {
    local log
    log=$(mktemp)
    ctest --test-dir "$1" -j2 --output-on-failure | tee "$log"
    passed=$((passed + $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log")))
    rm -f "$log"
}

build_and_test() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=ON >/dev/null
    cmake --build build -j2
    run_ctest build
}

sanitized() {
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON \
        -DVELMORA_SANITIZE=ON >/dev/null
    cmake --build build-asan -j2
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp \
        run_ctest build-asan
}

fuzz() {
    CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVELMORA_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j2
    local target corpus new
    for target in text_to_real real_to_text transfer_function compensator measured_response; do
        corpus=fuzz/corpus/$target
        new=$(mktemp -d)
        # New inputs go to a scratch folder; the committed corpus is read, never written.
        build-fuzz/fuzz/fuzz_$target -max_total_time="$fuzz_seconds" -print_final_stats=1 \
            "$new" "$corpus" 2>"$new.log" || { cat "$new.log"; exit 1; }
        grep -E '^Done|number_of_executed_units' "$new.log"
        rm -rf "$new" "$new.log"
        passed=$((passed + 1))
    done
}

memcheck() {
    local out profile
    out=$(mktemp -d)
    for profile in window clipboard; do
        valgrind --quiet --error-exitcode=1 --leak-check=full \
            --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
            build/tools/velmora-render --profile "$profile" -o "$out/$profile.png"
        echo "velmora-render --profile $profile: 0 errors"
        passed=$((passed + 1))
    done
    # Loops: a rational one and one with a delay, drawn as a PDF and reported.
    valgrind --quiet --error-exitcode=1 --leak-check=full \
        --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
        build/tools/velmora-render --loop "4/(s*(s+1)*(s+2))" \
        --loop "0.5*exp(-0.2*s)/(s*(0.5*s+1))" --report -o "$out/loops.pdf" >/dev/null
    echo "velmora-render with two loops: 0 errors"
    passed=$((passed + 1))
    rm -rf "$out"
}

stage "build -Werror and tests" build_and_test
if [ "$quick" -eq 0 ]; then
    stage "AddressSanitizer + UBSan build and tests" sanitized
    stage "libFuzzer, ${fuzz_seconds} s per target" fuzz
    stage "valgrind memcheck" memcheck
fi

echo
printf '%s\n' "${summary[@]}"
echo "All: $passed passed, 0 failed"
