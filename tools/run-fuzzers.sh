#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for a bounded time, starting from its seed
# corpus in tests/fuzz/corpus/<harness>; a crash fails. Usage: run-fuzzers.sh [seconds per
# harness] (default 5). New inputs a run finds stay in the build tree's corpus/<harness>,
# where the next run starts from them as well. FUZZ_BUILD_DIR picks the build tree
# (default build-fuzz, the fuzz preset's).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
tree=${FUZZ_BUILD_DIR:-build-fuzz}
cmake --preset fuzz -B "$tree" >/dev/null
cmake --build "$tree" -j2 --target fuzzers
shopt -s nullglob
harnesses=("$tree"/bin/fuzz-*)
if [[ ${#harnesses[@]} -eq 0 ]]; then
    echo "fuzz: no harnesses built"
    exit 0
fi
for harness in "${harnesses[@]}"; do
    name=$(basename "$harness")
    corpus=$tree/corpus/$name
    seeds=$root/tests/fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "fuzz: $name for ${seconds}s from $(find "$seeds" -type f | wc -l) seeds"
    "$harness" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$tree/" \
        "$corpus" "$seeds" 2>"$tree/$name.log" ||
        { tail -n 40 "$tree/$name.log"; echo "fuzz: $name failed"; exit 1; }
    grep -E "stat::(number_of_executed_units|new_units_added)" "$tree/$name.log" |
        sed "s/^/fuzz: $name /"
done
echo "fuzz: ${#harnesses[@]} harnesses ran clean"
