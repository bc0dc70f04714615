#!/usr/bin/env bash
# Checks the direction of includes between the modules: a file may include
# its own module and the modules below it, never one above. Prints every
# upward include as FILE:LINE and exits with status 1 when there is one.
#
#     scripts/check-layers.sh [TOP_FOLDER]
#
# The module order, lowest first. Modules on one line stand side by side and
# may include each other.
set -euo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

order=(
  "errors"
  "core"
  "xml"
  "id3v1 mpeg lyrics3 id3v2"
  "id3v230"
  "file"
  "controls"
  "app cli designer"
)

declare -A level
shown=""
for i in "${!order[@]}"; do
  group=${order[$i]}
  [ "$group" = "${group// /}" ] || group="{$group}"
  shown+="${shown:+ -> }$group"
  for module in ${order[$i]}; do level[$module]=$i; done
done

# The module of a source file: lib/<module>/..., or the top folder for the
# programs and the Designer plugin.
module_of() {
  case "$1" in
    lib/*) local rest=${1#lib/}; echo "${rest%%/*}" ;;
    app/*|cli/*|designer/*) echo "${1%%/*}" ;;
  esac
}

status=0
while IFS= read -r -d '' file; do
  from=$(module_of "$file")
  [ -n "$from" ] && [ -n "${level[$from]:-}" ] || continue
  while IFS=: read -r line target; do
    to=${target%%/*}
    [ "$to" != "$target" ] || continue          # a header of the same folder
    [ -n "${level[$to]:-}" ] || continue        # not one of the modules
    if [ "${level[$to]}" -gt "${level[$from]}" ]; then
      echo "$file:$line: $from includes $target, a module above it (order: $shown)"
      status=1
    fi
  done < <(grep -n -o -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" |
           sed -E 's/^([0-9]+):.*"([^"]+)"$/\1:\2/')
done < <(find lib app cli designer -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) -print0 | sort -z)

if [ "$status" -eq 0 ]; then
  echo "check-layers: every include goes down the module order"
fi
exit "$status"
