#!/usr/bin/env bash
# Writes the Nth fenced code block of the given language from a Markdown file.
# For a C++ block, an interface (cpp or c) rewrites the block's include and
# namespace alias to that C++ interface: the C++ library or the header-only
# layer over the C library, which the README promises are interchangeable.
#   extract-block.sh <README.md> <language> <N, from 1> <output file> [cpp|c]
set -euo pipefail
awk -v fence='```'"$2" -v wanted="$3" '
    !inside && $0 == fence { inside = 1; count++; next }
    inside && $0 == "```"  { inside = 0; next }
    inside && count == wanted { print }
' "$1" >"$4.tmp"
[ -s "$4.tmp" ] || { echo "$1: no block $3 of language $2" >&2; rm -f "$4.tmp"; exit 1; }
case ${5:-} in
    "") ;;
    cpp) sed -i -e 's|^#include <velmora/uvc_stereo_c\.hpp>$|#include <velmora/uvc_stereo.hpp>|' \
                -e 's|^namespace uvc = velmora::uvc_stereo_c;$|namespace uvc = velmora::uvc_stereo;|' "$4.tmp" ;;
    c) sed -i -e 's|^#include <velmora/uvc_stereo\.hpp>$|#include <velmora/uvc_stereo_c.hpp>|' \
              -e 's|^namespace uvc = velmora::uvc_stereo;$|namespace uvc = velmora::uvc_stereo_c;|' "$4.tmp" ;;
    *) echo "unknown interface $5" >&2; rm -f "$4.tmp"; exit 2 ;;
esac
if [ -n "${5:-}" ] && ! grep -q '^namespace uvc = velmora::uvc_stereo_\?c\?;$' "$4.tmp"; then
    echo "$1: C++ block $3 has no 'namespace uvc = ...;' line to switch interfaces with" >&2
    rm -f "$4.tmp"
    exit 1
fi
mv "$4.tmp" "$4"
