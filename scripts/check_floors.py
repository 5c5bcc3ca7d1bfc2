#!/usr/bin/env python3
"""Fails when a source file includes a header of a floor above its own.

The floors of src/, lowest first, are read from cmake/floors.cmake (the one list the build
uses too). A file under src/FLOOR/ may include its own floor and the floors below it; pc and ui
stand side by side and use neither each other. Tests under tests/FLOOR/ follow the same rule.

  check_floors.py [ROOT]
"""
import pathlib
import re
import sys

# Floors that share a level: they sit above the same floors and do not use each other.
SIDE_BY_SIDE = {"pc": 1, "ui": 1}


def read_floors(root):
    text = (root / "cmake" / "floors.cmake").read_text()
    match = re.search(r"set\(LIRRA_FLOORS ([^)]*)\)", text)
    if not match:
        sys.exit("check_floors: no LIRRA_FLOORS list in cmake/floors.cmake")
    return match.group(1).split()


def levels_of(floors):
    levels, level = {}, 0
    for floor in floors:
        if floor in SIDE_BY_SIDE and any(f in levels for f in SIDE_BY_SIDE if f != floor):
            levels[floor] = next(levels[f] for f in SIDE_BY_SIDE if f in levels)
            continue
        levels[floor] = level
        level += 1
    return levels


def allowed(own, target, levels):
    return own == target or levels[target] < levels[own]


def rule(own, levels):
    below = sorted((f for f in levels if levels[f] < levels[own]), key=lambda f: levels[f])
    return f"{own}/ may include {', '.join([own] + below)}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    levels = levels_of(read_floors(root))
    include = re.compile(r'^\s*#\s*include\s+"([a-z_0-9]+)/')
    faults = []
    checked = 0
    for tree in ("src", "tests"):
        for path in sorted((root / tree).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".c") or not path.is_file():
                continue
            parts = path.relative_to(root / tree).parts
            own = parts[0] if len(parts) > 1 else None
            if own not in levels:
                continue
            checked += 1
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                found = include.match(line)
                if found and found.group(1) in levels and not allowed(own, found.group(1), levels):
                    where = path.relative_to(root)
                    faults.append(f"{where}:{number}: includes {found.group(1)}/, a floor above or beside "
                                  f"its own ({rule(own, levels)})")
    if checked == 0:
        sys.exit("check_floors: no source files found under src/ or tests/")
    for fault in faults:
        print(fault)
    if faults:
        print(f"check_floors: {len(faults)} include(s) run up a floor; move the shared piece down")
        return 1
    print(f"check_floors: {checked} files keep to their floors")
    return 0


if __name__ == "__main__":
    sys.exit(main())
