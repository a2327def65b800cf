#!/usr/bin/env python3
"""Checks stripped binaries against the debug files packed beside them.

Each binary (ELF or PE) must carry no DWARF of its own and a .gnu_debuglink
naming a file in the debug folder whose CRC-32 matches the one recorded in
the link, and that file must hold the DWARF (a debugger would otherwise
load nothing, or the wrong build's symbols).
    check-debug-links.py <objdump> <objcopy> <debug folder> <binary>...
"""
import os
import subprocess
import sys
import tempfile
import zlib


def section_names(objdump, path):
    listing = subprocess.run([objdump, "-h", path], check=True, capture_output=True, text=True).stdout
    return {fields[1] for fields in (line.split() for line in listing.splitlines())
            if len(fields) > 1 and fields[0].isdigit()}


def debuglink(objcopy, path):
    """The file name and CRC-32 recorded in the binary's .gnu_debuglink."""
    with tempfile.TemporaryDirectory() as scratch:
        dumped = os.path.join(scratch, "link")
        subprocess.run([objcopy, "--dump-section", ".gnu_debuglink=" + dumped, path, os.path.join(scratch, "copy")],
                       check=True, capture_output=True)
        with open(dumped, "rb") as link:
            data = link.read()
    name_end = data.index(b"\0")
    crc_offset = (name_end + 4) & ~3  # the name, its NUL, padding to 4 bytes
    return data[:name_end].decode(), int.from_bytes(data[crc_offset:crc_offset + 4], "little")


def check(objdump, objcopy, debug_folder, binary):
    problems = []
    sections = section_names(objdump, binary)
    if ".debug_info" in sections:
        problems.append("still carries .debug_info")
    if ".gnu_debuglink" not in sections:
        return problems + ["has no .gnu_debuglink"]
    name, crc = debuglink(objcopy, binary)
    debug_file = os.path.join(debug_folder, name)
    if not os.path.isfile(debug_file):
        return problems + ["links to %s, which is not in the debug files" % name]
    with open(debug_file, "rb") as data:
        actual = zlib.crc32(data.read()) & 0xFFFFFFFF
    if actual != crc:
        problems.append("%s has CRC %08x, the link records %08x" % (name, actual, crc))
    if ".debug_info" not in section_names(objdump, debug_file):
        problems.append("%s holds no .debug_info" % name)
    return problems


def main(argv):
    if len(argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    objdump, objcopy, debug_folder, binaries = argv[1], argv[2], argv[3], argv[4:]
    failures = 0
    for binary in binaries:
        problems = check(objdump, objcopy, debug_folder, binary)
        for problem in problems:
            print("FAILED: %s %s" % (os.path.basename(binary), problem), file=sys.stderr)
        failures += bool(problems)
        if not problems:
            print("ok: %s is stripped, its debug information is beside it" % os.path.basename(binary))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
