#!/usr/bin/env bash
# Checks the layout of the lines changed since BASE (default: the commit
# before HEAD) against .clang-format, with Debian's clang-format. Lines not
# changed are left as they are; a whole file is formatted only by its author.
# Prints what clang-format would change and fails when that is anything.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-HEAD~1}
if ! command -v git-clang-format >/dev/null && ! git clang-format -h >/dev/null 2>&1; then
  echo "git clang-format is missing (Debian package clang-format)" >&2
  exit 2
fi
out=$(git clang-format --diff --extensions h,cpp "$base" -- src tests bench fuzz 2>&1 || true)
case "$out" in
  "" | "no modified files to format" | "clang-format did not modify any files")
    echo "format: the lines changed since $base are laid out as .clang-format says"
    ;;
  *)
    echo "$out"
    echo "format: the lines above, changed since $base, are not laid out as .clang-format says (git clang-format $base)" >&2
    exit 1
    ;;
esac
