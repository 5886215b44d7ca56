#!/usr/bin/env bash
# Fails, naming the files, when a C++ source in the repository does not follow .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r -d '' file; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' -print0)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "These files do not follow .clang-format (run clang-format -i on them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
