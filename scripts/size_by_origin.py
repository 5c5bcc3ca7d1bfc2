#!/usr/bin/env python3
"""Bytes of a MinGW program by origin, from the GNU ld link map written beside it.

    size_by_origin.py PROGRAM.map PROGRAM.exe

Sums what each input file puts into the program's sections (code, read-only data, data, unwind
tables, import tables, resources) and groups the input files by where they come from: our
code, libstdc++ (with its locales, iostreams and demangler apart), jsoncpp, libsodium, the
MinGW runtime and the import libraries of Windows' DLLs, our resources. "linker" is the rest of
the stripped file: headers, base relocations, alignment.
"""
import re
import sys
from collections import Counter

# libstdc++ members by what they are for (GCC 12 file names).
LOCALE = re.compile(r"locale|facets|codecvt|ctype|collate|messages|monetary|numeric|time_members|c\+\+locale")
IOSTREAMS = re.compile(r"^(ios|.*stream|streambuf|globals_io|basic_file|stdio_|ext11-inst|.*ios_failure)")
NOT_IN_FILE = {".bss"}


def origin(path):
    member = re.search(r"\(([^()]*)\)$", path)
    name = member.group(1) if member else ""
    if "libstdc++.a" in path:
        if name == "cp-demangle.o":
            return "libstdc++: demangler"
        if LOCALE.search(name):
            return "libstdc++: locales"
        if IOSTREAMS.search(name):
            return "libstdc++: iostreams"
        return "libstdc++: the rest"
    if "libjsoncpp.a" in path:
        return "jsoncpp"
    if "libsodium.a" in path:
        return "libsodium"
    if path.endswith(".res"):
        return "resources"
    if path == "dll stuff" or path.startswith("linker"):
        return "linker"
    if "-w64-mingw32/" in path or "/gcc/" in path:
        return "runtime and imports"
    return "ours"


def contributions(map_text):
    """(output section, input file) -> bytes, from the map's memory map."""
    body = map_text.split("Linker script and memory map", 1)[1]
    sizes = Counter()
    section = None
    for line in body.splitlines():
        if line and not line[0].isspace():
            section = line.split()[0]
            continue
        # " .text.name 0xADDR 0xSIZE file", or the same without the name after a wrapped line;
        # symbols ("0xADDR name") and fill ("*fill* 0xADDR 0xSIZE") don't match
        match = re.match(r"^ (?:\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*\S)\s*$", line)
        if not match or section is None or section.startswith(".debug") or section in NOT_IN_FILE:
            continue
        sizes[(section, match.group(2))] += int(match.group(1), 16)
    return sizes


def main():
    map_path, program = sys.argv[1], sys.argv[2]
    with open(map_path, encoding="utf-8", errors="replace") as f:
        sizes = contributions(f.read())
    with open(program, "rb") as f:
        total = len(f.read())
    by_origin = Counter()
    unwind = 0
    for (section, path), size in sizes.items():
        by_origin[origin(path)] += size
        if section == ".eh_frame" or section in (".pdata", ".xdata"):
            unwind += size
    counted = sum(size for name, size in by_origin.items() if name != "linker")
    by_origin["linker"] = total - counted
    order = ["ours", "resources", "libstdc++: locales", "libstdc++: iostreams", "libstdc++: demangler",
             "libstdc++: the rest", "jsoncpp", "libsodium", "runtime and imports", "linker"]
    for name in order:
        print(f"  {name:24s} {by_origin.get(name, 0):>10,d} bytes")
    stdcxx = sum(size for name, size in by_origin.items() if name.startswith("libstdc++"))
    print(f"  {'(libstdc++ in all)':24s} {stdcxx:>10,d} bytes")
    print(f"  {'(of all: unwind tables)':24s} {unwind:>10,d} bytes")
    print(f"  {'total':24s} {total:>10,d} bytes")


if __name__ == "__main__":
    main()
