#!/bin/sh
# Every C++ source of the tree as .clang-format lays it out: lists the files that differ.
#   check_format.sh ROOT
set -eu
root=$1
command -v clang-format >/dev/null 2>&1 || { echo "check_format: clang-format is missing"; exit 1; }
cd "$root"
differ=0
for file in $(find app bench bridge cad cli dialogs fuzz host link packaging rules symbols tests tools \
                   -name '*.cpp' -o -name '*.h' | sort); do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file (clang-format -i $file)"
    differ=1
  fi
done
exit $differ
