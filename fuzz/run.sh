#!/bin/sh
# Runs one fuzz target for a number of seconds: fuzz/run.sh fuzz_interpreter 60
# Builds the targets with clang in a build folder of their own (build-fuzz), never touching the
# normal build. New findings land in build-fuzz/findings/TARGET.
set -eu
target=${1:?usage: fuzz/run.sh TARGET SECONDS (fuzz_interpreter, fuzz_dxf_reader)}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUENDRA_PURE_ONLY=ON >/dev/null
fi
cmake --build "$build" --target "$target" -j2

work="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$work" "$findings"
exec "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$findings/" "$work" "$root/fuzz/corpus/$target"
