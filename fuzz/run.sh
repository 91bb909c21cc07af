#!/bin/sh
# Runs one fuzz target for a number of seconds: fuzz/run.sh fuzz_interpreter 60
# Builds the targets with clang in a build folder of their own (build-fuzz), never touching the
# normal build; with QUENDRA_FUZZ_PREBUILT=1 the caller has built them already (scripts/fuzz).
# The corpus grows in build-fuzz/corpus/TARGET (the seeds in fuzz/corpus/TARGET stay as they
# are); an input that fails lands in build-fuzz/findings/TARGET and the run exits non-zero.
set -eu
target=${1:?usage: fuzz/run.sh TARGET SECONDS (a fuzz/fuzz_*.cpp name, e.g. fuzz_forms)}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

if [ "${QUENDRA_FUZZ_PREBUILT:-0}" != 1 ]; then
  if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUENDRA_PURE_ONLY=ON >/dev/null
  fi
  cmake --build "$build" --target "$target" -j2
fi

# A target's own options of libFuzzer, if it has them: fuzz/TARGET.options, one or more a line,
# lines starting with # left out.
options=""
if [ -f "$root/fuzz/$target.options" ]; then
  options=$(sed '/^[[:space:]]*#/d' "$root/fuzz/$target.options")
fi

work="$build/corpus/$target"
findings="$build/findings/$target"
seeds="$root/fuzz/corpus/$target"
mkdir -p "$work" "$findings" "$seeds"
# shellcheck disable=SC2086
exec "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 $options \
  -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$seeds"
