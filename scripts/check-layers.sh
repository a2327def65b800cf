#!/usr/bin/env bash
# Checks src/layers.txt and every #include of the SDK's sources and of the desk
# tool against it: a layer builds only on layers of lower floors (listed
# before it); a layer may include its own headers and those of the layers it
# builds on (directly or through others), nothing above; a private header
# (the camera library's declarations) is included by its own layer alone; the
# tool may include public headers, the virtual camera's control header and
# the internal headers the table lists for it, nothing else internal. No
# include may climb out of its folder with "../".
#   check-layers.sh [--graph] [REPOSITORY]
#     --graph     also print, per layer, the layers its files include
#     REPOSITORY  the tree to check (default: the one holding this script)
set -euo pipefail

show_graph=0
if [ "${1:-}" = "--graph" ]; then
    show_graph=1
    shift
fi
root=${1:-$(dirname "$0")/..}
table=$root/src/layers.txt
if [ $# -gt 1 ] || [ ! -f "$table" ]; then
    echo "usage: $0 [--graph] [REPOSITORY with src/layers.txt]" >&2
    exit 2
fi

failures=0
checked=0
declare -A edges
report() {
    echo "$1" >&2
    failures=$((failures + 1))
}

declare -A folder_of depends_of layer_of_header private_header tool_header
layers=()
while read -r keyword first second rest; do
    case $keyword in
        layer)
            # Floors: every layer built on is listed, lower, before this one.
            for dependency in $rest; do
                [ -n "${folder_of[$dependency]:-}" ] ||
                    report "src/layers.txt: $first builds on $dependency, which is not on a lower floor"
            done
            layers+=("$first")
            folder_of[$first]=$second
            depends_of[$first]=$rest
            ;;
        header) layer_of_header[$first]=$second ;;
        private)
            layer_of_header[$first]=$second
            private_header[$first]=$second
            ;;
        tool) tool_header[$first]=1 ;;
    esac
done < <(grep -E '^(layer|header|private|tool)[[:space:]]' "$table")

# Every layer a layer may include: itself and all it reaches through its arrows.
declare -A reachable
for layer in "${layers[@]}"; do
    reached=" $layer "
    pending=${depends_of[$layer]}
    while [ -n "${pending// /}" ]; do
        read -r next pending <<<"$pending"
        case $reached in *" $next "*) continue ;; esac
        reached+="$next "
        pending+=" ${depends_of[$next]:-}"
    done
    reachable[$layer]=$reached
done

# The layer whose folder holds a path relative to src/ (longest folder wins),
# in REPLY; empty when none does.
layer_of_path() {
    local path=$1 best_length=0 layer folder
    REPLY=""
    for layer in "${layers[@]}"; do
        folder=${folder_of[$layer]}
        if [[ $path == "$folder"/* ]] && [ ${#folder} -gt $best_length ]; then
            REPLY=$layer
            best_length=${#folder}
        fi
    done
}

# The layer an included name belongs to, in REPLY; empty for system and local
# headers, "?" for a public or vendor-side header the table does not know.
layer_of_include() {
    local name=$1
    if [ -n "${layer_of_header[$name]:-}" ]; then
        REPLY=${layer_of_header[$name]}
    elif [[ $name == velmora/* || $name == velmora_* || $name == sonix_virtual/* ]]; then
        REPLY="?"
    else
        layer_of_path "$name"
    fi
}

# check_file FILE LAYER: LAYER is the file's layer, or "tool".
check_file() {
    local file=$1 layer=$2 line number text name target
    local pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"]'
    while IFS= read -r line; do
        number=${line%%:*}
        text=${line#*:}
        [[ $text =~ $pattern ]] || continue  # a computed include: nothing to check
        name=${BASH_REMATCH[1]}
        checked=$((checked + 1))
        local where=${file#"$root"/}:$number
        if [[ $name == *../* ]]; then
            report "$where: includes $name, climbing out of its folder"
            continue
        fi
        layer_of_include "$name"
        target=$REPLY
        if [ -n "${private_header[$name]:-}" ] && [ "$layer" != "$target" ]; then
            report "$where: includes $name, which only $target may include"
        elif [ "$target" = "?" ]; then
            report "$where: includes $name, which src/layers.txt gives to no layer"
        elif [ -z "$target" ]; then
            continue
        elif [ "$layer" = tool ]; then
            if [ -z "${layer_of_header[$name]:-}" ] && [ -z "${tool_header[$name]:-}" ]; then
                report "$where: the tool includes $name, an internal header of $target (public headers and the tool's internal interface only)"
            fi
        else
            [ "$target" != "$layer" ] && edges["$layer $target"]=1
            case ${reachable[$layer]} in
                *" $target "*) ;;
                *) report "$where: $layer includes $name ($target), which it does not build on" ;;
            esac
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
}

files=0
while IFS= read -r file; do
    layer_of_path "${file#"$root"/src/}"
    layer=$REPLY
    files=$((files + 1))
    if [ -z "$layer" ]; then
        report "${file#"$root"/}: lies in no layer of src/layers.txt"
        continue
    fi
    check_file "$file" "$layer"
done < <(find "$root/src" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' -o -name '*.c' \) | sort)

if [ -d "$root/tools" ]; then
    while IFS= read -r file; do
        files=$((files + 1))
        check_file "$file" tool
    done < <(find "$root/tools" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \) | sort)
fi

if [ "$show_graph" = 1 ]; then
    for layer in "${layers[@]}"; do
        targets=()
        for other in "${layers[@]}"; do
            [ -n "${edges["$layer $other"]:-}" ] && targets+=("$other")
        done
        echo "$layer -> ${targets[*]:--}"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "layers: $failures include(s) run against src/layers.txt" >&2
    exit 1
fi
echo "layers: $checked includes of $files files follow src/layers.txt"
