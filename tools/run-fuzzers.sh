#!/usr/bin/env bash
# Builds the libFuzzer harnesses and runs each for a bounded time; a crash fails.
set -euo pipefail
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2
shopt -s nullglob
harnesses=(build-fuzz/bin/fuzz-*)
if [[ ${#harnesses[@]} -eq 0 ]]; then
    echo "fuzz: no harnesses built"
    exit 0
fi
for harness in "${harnesses[@]}"; do
    name=$(basename "$harness")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "fuzz: $name for ${seconds}s"
    "$harness" -max_total_time="$seconds" -print_final_stats=0 "$corpus" 2>build-fuzz/$name.log ||
        { tail -n 40 build-fuzz/$name.log; echo "fuzz: $name failed"; exit 1; }
done
echo "fuzz: ${#harnesses[@]} harnesses ran clean"
