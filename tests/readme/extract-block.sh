#!/usr/bin/env bash
# Writes the Nth fenced code block of the given language from a Markdown file.
#   extract-block.sh <README.md> <language> <N, from 1> <output file>
set -euo pipefail
awk -v fence='```'"$2" -v wanted="$3" '
    !inside && $0 == fence { inside = 1; count++; next }
    inside && $0 == "```"  { inside = 0; next }
    inside && count == wanted { print }
' "$1" >"$4.tmp"
[ -s "$4.tmp" ] || { echo "$1: no block $3 of language $2" >&2; rm -f "$4.tmp"; exit 1; }
mv "$4.tmp" "$4"
