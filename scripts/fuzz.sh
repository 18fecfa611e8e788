#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ (in build-fuzz/: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each in turn.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   each target for SECONDS (default 60); all targets
#                                           unless some are named (package tag_values ...)
# Seeds come from fuzz/corpus/<target>/ and are never changed; what a run learns is kept in
# build-fuzz/corpus/<target>/ for the next run. Exits non-zero when a target crashes, leaks, hangs
# or runs out of memory; the input that did it is in build-fuzz/findings/<target>/ (replay it with
# build-fuzz/fuzz/fuzz_<target> FILE). docs/fuzzing.md says more.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
(( $# )) && shift
targets=(package tag_values connection_string text_file xlsx xls number_format show_server)
(( $# )) && targets=("$@")

scripts/setup.sh --fuzz
# At most two compilers at once: the machines we run on are shared.
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVINTREL_FUZZ=ON -DVINTREL_BUILD_TESTS=OFF -DVINTREL_BUILD_BENCH=OFF >/dev/null
echo "Building the fuzz targets..." >&2
cmake --build build-fuzz -j"$jobs" --target "${targets[@]/#/fuzz_}" >&2

# The longest input each target is given: a little over its largest seed.
declare -A max_len=([package]=131072 [xlsx]=65536 [xls]=65536 [text_file]=16384
  [show_server]=4096 [tag_values]=1024 [connection_string]=1024 [number_format]=1024)
declare -A dictionary=([package]=xml [xlsx]=xml [show_server]=http)

status=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
    -max_len="${max_len[$target]:-4096}" -print_final_stats=1 -artifact_prefix="$findings/")
  [[ -n "${dictionary[$target]:-}" ]] && options+=(-dict="fuzz/dict/${dictionary[$target]}.dict")
  echo "== fuzz_$target for ${seconds}s ==" >&2
  log=build-fuzz/fuzz_$target.log
  if build-fuzz/fuzz/fuzz_"$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1
  then
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$log" | tail -n 2 >&2 || true
  else
    echo "fuzz_$target FAILED: see $log and $findings/" >&2
    grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -n 5 >&2 || true
    status=1
  fi
done
exit $status
