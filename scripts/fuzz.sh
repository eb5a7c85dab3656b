#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS seconds (default 30) on a scratch copy of its seed corpus
# (fuzz/corpus/<target without _fuzz>), so the committed corpus stays as it is.
# Fails when a target does not build or when any run finds a crash.
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build=build-fuzz

werror=OFF
if [ -n "${CI:-}" ] && [ "${CI}" != "false" ]; then werror=ON; fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQL_BUILD_FUZZ=ON -DQL_BUILD_UI=OFF -DQL_BUILD_TESTS=OFF -DQL_WERROR="$werror" >/dev/null
cmake --build "$build" -j2

scratch="$(mktemp -d "${TMPDIR:-/tmp}/ql-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

failed=()
ran=0
for target in "$build"/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name="$(basename "$target")"
  ran=$((ran + 1))
  corpus="$scratch/${name%_fuzz}"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/${name%_fuzz}" ]; then
    cp -R "fuzz/corpus/${name%_fuzz}/." "$corpus/"
  fi
  echo "== $name: ${seconds}s"
  # Crash inputs land in the scratch folder; the log names the input.
  if ! "$target" -max_total_time="$seconds" -artifact_prefix="$scratch/$name-" -print_final_stats=1 \
       "$corpus" >"$scratch/$name.log" 2>&1; then
    tail -n 40 "$scratch/$name.log"
    mkdir -p "$build/crashes"
    cp "$scratch/$name-"* "$build/crashes/" 2>/dev/null || true
    failed+=("$name")
  else
    grep -E '^stat::number_of_executed_units' "$scratch/$name.log" || true
  fi
done

if [ "$ran" -eq 0 ]; then
  echo "no fuzz target was built"
  exit 1
fi
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzing found crashes in: ${failed[*]} (inputs in $build/crashes/)"
  exit 1
fi
echo "fuzzing: no crash"
