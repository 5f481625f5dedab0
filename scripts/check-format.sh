#!/usr/bin/env bash
# Checks that the C and C++ sources are formatted as .clang-format says; exit 1 when any file
# would change. Nothing is rewritten: clang-format -i FILE fixes a file.
#
# Usage: scripts/check-format.sh [FILE...]
#   without FILEs: every tracked *.c, *.cc, *.cpp, *.h and *.hpp file of the repository
#   (the *.inc tables are data laid out by hand and are left alone).
# CLANG_FORMAT names the program (default: clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$clang_format" >/dev/null; then
  echo "check-format: $clang_format not found (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')
fi
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no files" >&2
  exit 0
fi

# --dry-run -Werror reports every place that would change and fails on the first such file.
if printf '%s\0' "${files[@]}" | xargs -0 "$clang_format" --style=file --dry-run -Werror; then
  echo "check-format: ${#files[@]} files formatted"
else
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
