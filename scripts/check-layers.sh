#!/usr/bin/env bash
# Checks that every include in src/ follows the layers of src/layers.txt: a folder includes only
# from itself and from lower layers, never from a higher layer or a sibling. Prints each include
# that does not, as file:line: include, and exits non-zero when there is one.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

declare -A rank
level=0
while read -r line; do
  case $line in '' | '#'*) continue ;; esac
  for folder in $line; do
    rank[$folder]=$level
  done
  level=$((level + 1))
done <src/layers.txt

bad=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [ -z "${rank[$folder]+set}" ]; then
    echo "src/$folder/: not in any layer of src/layers.txt"
    bad=$((bad + 1))
  fi
done

pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^">]+)[">]'
while IFS= read -r match; do
  file=${match%%:*}
  rest=${match#*:}
  number=${rest%%:*}
  text=${rest#*:}
  [[ $text =~ $pattern ]] || continue
  included=${BASH_REMATCH[1]}
  # A quoted include is looked up beside the including file first, as the compiler does.
  if [[ $text == *'"'* ]] && [ -e "${file%/*}/$included" ]; then
    included=$(realpath -m --relative-to=src "${file%/*}/$included")
  fi
  from=${file#src/}
  from=${from%%/*}
  to=${included%%/*}
  # Only includes of the layer folders count, not system or library headers.
  if [ "$to" = "$included" ] || [ -z "${rank[$to]+set}" ] || [ -z "${rank[$from]+set}" ]; then
    continue
  fi
  if [ "$to" != "$from" ] && [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
    echo "$file:$number: ${text#"${text%%[![:space:]]*}"}   ($from may not include $to)"
    bad=$((bad + 1))
  fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include' src | sort -t: -k1,1 -k2,2n)

if [ "$bad" -ne 0 ]; then
  echo "$bad findings against the layers of src/layers.txt"
  exit 1
fi
echo "Every include in src/ follows the layers of src/layers.txt."
