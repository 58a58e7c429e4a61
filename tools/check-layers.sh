#!/usr/bin/env bash
# Lists every #include that points up or across the layer order; exits 1 when
# there is one. The order, lowest first: each folder may include only itself
# and the folders before it.
set -euo pipefail
cd "$(dirname "$0")/.."
order=(platform store output volumes sheets copy filings search shell gui app)
rank() { local i; for i in "${!order[@]}"; do [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
bad=0
for dir in "${order[@]}"; do
  [ -d "$dir" ] || continue
  own=$(rank "$dir")
  while IFS=: read -r file _ target; do
    to=${target%%/*}
    r=$(rank "$to")
    if [ "$r" -gt "$own" ]; then
      echo "$file includes $target"
      bad=1
    fi
  done < <(grep -rHn --include='*.h' --include='*.cpp' -o '#include "[a-z]*/[^"]*"' "$dir" | sed 's/#include "\(.*\)"/\1/')
done
exit $bad
