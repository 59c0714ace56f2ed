#!/usr/bin/env bash
# Fails when a file of a lower layer of src/ includes a header of a higher one.
# Layers, lowest first: console, track, app. Usage: tools/check_layers.sh [source root]
set -euo pipefail
root="${1:-$(dirname "$0")/../src}"
layers=(console track app)

rank() {
  local i
  for i in "${!layers[@]}"; do
    if [ "${layers[$i]}" = "$1" ]; then
      echo "$i"
      return
    fi
  done
  echo -1
}

status=0
checked=0
# A new folder must be given its place among the layers before it is checked.
for folder in "$root"/*/; do
  name=$(basename "$folder")
  if [ "$(rank "$name")" -lt 0 ]; then
    echo "layer violation: src/$name/ is no known layer (add it to tools/check_layers.sh)"
    status=1
  fi
done
for layer in "${layers[@]}"; do
  own=$(rank "$layer")
  [ -d "$root/$layer" ] || continue
  while IFS= read -r file; do
    checked=$((checked + 1))
    # Includes are named from src/, so that a relative path cannot slip past the check.
    if grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.' "$file"; then
      echo "layer violation: $file includes a relative path"
      status=1
    fi
    # Every quoted include that names a folder of src/: "line:folder".
    while IFS=: read -r line folder; do
      used=$(rank "$folder")
      if [ "$used" -gt "$own" ]; then
        echo "layer violation: $file:$line includes $folder/ from the $layer layer"
        status=1
      fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]*/' "$file" |
               sed 's/^\([0-9]*\):[^"]*"\([a-z_]*\)\/.*/\1:\2/' || true)
  done < <(find "$root/$layer" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
done
if [ "$checked" -eq 0 ]; then
  echo "layers: no source files under $root"
  exit 1
fi
[ "$status" -eq 0 ] && echo "layers: $checked files, none includes a higher layer"
exit "$status"
