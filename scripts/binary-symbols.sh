# Name lists of a shared library or program, ELF or PE (sourced by the check scripts).
#   exported_names FILE   the names FILE exports, one a line
#   imported_names FILE   the names FILE takes from other libraries, one a line
#   imported_dlls FILE    the DLLs a Windows binary imports from, one a line
#   expect_exactly_these_exports FILE NAMES WHAT
#                         succeeds when FILE exports exactly NAMES (sorted, one a
#                         line), else shows the difference and fails

# A PE file starts with "MZ"; anything else is taken for ELF.
is_pe_file() { [ "$(head -c 2 "$1")" = "MZ" ]; }

pe_objdump() { "${OBJDUMP:-x86_64-w64-mingw32-objdump}" -p "$1"; }

exported_names() {
    if is_pe_file "$1"; then
        # The export table lists one "[ordinal] name" line per exported name.
        pe_objdump "$1" |
            awk '/\[Ordinal\/Name Pointer\] Table/ { in_table = 1; next }
                 in_table && NF == 0 { in_table = 0 }
                 in_table { print $NF }'
    else
        nm -D --defined-only "$1" | awk '{ print $NF }'
    fi
}

imported_names() {
    if is_pe_file "$1"; then
        # Each import table starts "DLL Name: X" and lists "vma hint name" lines.
        pe_objdump "$1" |
            awk '/^[[:space:]]*DLL Name:/ { in_table = 1; next }
                 in_table && NF == 0 { in_table = 0 }
                 in_table && $1 ~ /^[0-9a-fA-F]+$/ && $2 ~ /^[0-9]+$/ { print $3 }'
    else
        nm -D --undefined-only "$1" | awk '{ sub(/@.*/, "", $NF); print $NF }'
    fi
}

imported_dlls() {
    pe_objdump "$1" | awk '/^[[:space:]]*DLL Name:/ { print $3 }'
}

expect_exactly_these_exports() {
    local library=$1 expected=$2 what=$3 actual
    actual=$(exported_names "$library" | sort)
    if [ "$actual" = "$expected" ]; then
        echo "$(basename "$library"): exports exactly the $(wc -l <<<"$expected") $what"
        return 0
    fi
    echo "$(basename "$library"): export list differs (< missing, > unexpected):" >&2
    diff <(echo "$expected") <(echo "$actual") >&2 || true
    return 1
}
