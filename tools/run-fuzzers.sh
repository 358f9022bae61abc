#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for a bounded time; a crash fails.
# Usage: run-fuzzers.sh [seconds per harness]. All harnesses together get at most
# FUZZ_TOTAL_SECONDS (default 80), shared equally. FUZZ_BUILD_DIR picks the build tree
# (default build-fuzz, the fuzz preset's).
set -euo pipefail
seconds=${1:-30}
total=${FUZZ_TOTAL_SECONDS:-80}
tree=${FUZZ_BUILD_DIR:-build-fuzz}
cmake --preset fuzz -B "$tree" >/dev/null
cmake --build "$tree" -j2
shopt -s nullglob
harnesses=("$tree"/bin/fuzz-*)
if [[ ${#harnesses[@]} -eq 0 ]]; then
    echo "fuzz: no harnesses built"
    exit 0
fi
share=$(( total / ${#harnesses[@]} ))
(( share < seconds )) && seconds=$share
(( seconds < 1 )) && seconds=1
for harness in "${harnesses[@]}"; do
    name=$(basename "$harness")
    corpus=$tree/corpus/$name
    mkdir -p "$corpus"
    echo "fuzz: $name for ${seconds}s"
    "$harness" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$tree/" \
        "$corpus" 2>"$tree/$name.log" ||
        { tail -n 40 "$tree/$name.log"; echo "fuzz: $name failed"; exit 1; }
    grep -E "stat::(number_of_executed_units|new_units_added)" "$tree/$name.log" |
        sed "s/^/fuzz: $name /"
done
echo "fuzz: ${#harnesses[@]} harnesses ran clean"
