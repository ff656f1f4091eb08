#!/usr/bin/env python3
"""Checks that no test double is in a program.

The doubles are the classes and structs declared at the top level of the headers given with
--doubles (a folder, or a single header). A program holds one when its symbol table names it
(`nm -C`), or, in a stripped program, when the type name the compiler keeps for a polymorphic
class stands in its bytes (`15ScriptedDialogs` for headless::ScriptedDialogs). Each find is
named with its program; the exit status is 1 then, 0 when every program is clean. With
--expect the other way round: 0 only when every program given holds a double (run on the test
program, it shows that the check finds what it looks for).

Usage: check_program_symbols.py [--nm NM] [--expect] --doubles PATH [--doubles PATH ...]
                                PROGRAM...
"""

import os
import re
import subprocess
import sys

DECLARATION = re.compile(r"^(?:class|struct)\s+(\w+)\b(?!\s*;)", re.MULTILINE)


def headers(path):
    if os.path.isfile(path):
        return [path]
    if not os.path.isdir(path):
        sys.exit(f"check_program_symbols: no such folder or header: {path}")
    return sorted(os.path.join(path, name) for name in os.listdir(path) if name.endswith(".h"))


def double_names(paths):
    names = set()
    for path in paths:
        for header in headers(path):
            with open(header, encoding="utf-8") as f:
                names.update(DECLARATION.findall(f.read()))
    return sorted(names)


def symbol_finds(nm, program, names):
    """Demangled symbols of `program` that name a double; None when it has no symbol table."""
    run = subprocess.run([nm, "-C", program], capture_output=True, text=True, check=False)
    lines = run.stdout.splitlines()
    if run.returncode != 0 or not lines:
        return None
    pattern = re.compile(r"::(?:%s)\b" % "|".join(map(re.escape, names)))
    return [line.split(maxsplit=2)[-1] for line in lines if pattern.search(line)]


def type_name_finds(program, names):
    """The doubles whose length-prefixed type name (as in `N8headless5NameE`) is in the bytes."""
    with open(program, "rb") as f:
        data = f.read()
    found = []
    for name in names:
        encoded = f"{len(name)}{name}".encode()
        if re.search(rb"(?<![0-9])" + re.escape(encoded), data):
            found.append(f"type name {encoded.decode()}")
    return found


def main(argv):
    nm = "nm"
    expect = False
    paths, programs = [], []
    args = iter(argv)
    for arg in args:
        if arg == "--nm":
            nm = next(args, nm)
        elif arg == "--expect":
            expect = True
        elif arg == "--doubles":
            paths.append(next(args, ""))
        else:
            programs.append(arg)
    if not paths or not programs:
        sys.exit(__doc__)
    names = double_names(paths)
    if not names:
        sys.exit("check_program_symbols: no double is declared in " + ", ".join(paths))

    clean = 0
    for program in programs:
        symbols = symbol_finds(nm, program, names)
        finds = (symbols or []) + type_name_finds(program, names)
        read = "symbols and type names" if symbols is not None else "type names (stripped)"
        if finds:
            print(f"{program}: holds test doubles, which no program may link:")
            for find in finds[:20]:
                print(f"  {find if len(find) <= 160 else find[:157] + '...'}")
            if len(finds) > 20:
                print(f"  ... {len(finds) - 20} more")
        else:
            clean += 1
            print(f"{program}: no test double ({read} checked for {len(names)} names)")
    if expect:
        return 0 if clean == 0 else 1
    return 0 if clean == len(programs) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
