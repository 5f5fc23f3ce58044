#!/usr/bin/env bash
# Every line of C++ changed since the project took up .clang-format follows it. Files are
# brought to the style as they are touched; `git clang-format <commit>` formats the lines
# changed since a commit.
set -euo pipefail
cd "$(dirname "$0")/.."
introduced=$(git log --diff-filter=A --format=%H -- .clang-format | tail -1)
base=$(git rev-parse --verify --quiet "${introduced}^" || echo "$introduced")
diff=$(git clang-format --diff --extensions cpp,h "$base" -- . 2>&1 || true)
if grep -q '^diff --git' <<<"$diff"; then
  echo "check-format: lines changed since ${base:0:12} do not follow .clang-format:" >&2
  echo "$diff" >&2
  exit 1
fi
echo "check-format: the changed lines follow .clang-format"
