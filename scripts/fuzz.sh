#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default
# 300). The fuzzers' own output goes to build-fuzz/<target>.log; a finding stops the script
# with that log's end and the crashing input left in build-fuzz/. Before fuzzing it checks that
# the build stops on an UndefinedBehaviorSanitizer report; after the remote-message run, that
# its inputs grew long enough to carry many messages.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
bash scripts/install-deps.sh
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVPG_FUZZ=ON -DVPG_BUILD_TESTS=OFF -DVPG_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target settings_file_fuzz remote_message_fuzz \
    stored_settings_fuzz sanitizer_canary

echo "== the build stops on an UndefinedBehaviorSanitizer report"
printf '\001' >build-fuzz/canary.input
if build-fuzz/fuzz/sanitizer_canary build-fuzz/canary.input >build-fuzz/canary.log 2>&1 ||
    ! grep -q "runtime error" build-fuzz/canary.log; then
    tail -n 20 build-fuzz/canary.log
    echo "fuzz.sh: the fuzz build goes on after an UndefinedBehaviorSanitizer report" >&2
    exit 1
fi

mkdir -p build-fuzz/corpus/settings build-fuzz/corpus/remote build-fuzz/corpus/stored
cp fuzz/seeds/*.reg build-fuzz/corpus/settings/
for target in settings_file_fuzz:settings remote_message_fuzz:remote stored_settings_fuzz:stored; do
    name=${target%%:*}
    corpus=build-fuzz/corpus/${target##*:}
    log=build-fuzz/$name.log
    options=()
    # Long inputs from the start: many messages, many stored values per run.
    [[ $name != settings_file_fuzz ]] && options=(-max_len=4096 -len_control=0)
    echo "== $name for ${seconds}s"
    if ! (cd build-fuzz && fuzz/$name -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "${options[@]}" "../$corpus" >"../$log" 2>&1); then
        tail -n 40 "$log"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log"
    if [[ $name == remote_message_fuzz ]]; then
        limit=$(grep -oE 'lim: [0-9]+' "$log" | tail -n 1 | grep -oE '[0-9]+' || echo 0)
        echo "input length limit: $limit bytes"
        if ((limit < 1024)); then
            echo "fuzz.sh: remote-message inputs stayed below 1024 bytes" >&2
            exit 1
        fi
    fi
done
