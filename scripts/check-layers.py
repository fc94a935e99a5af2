#!/usr/bin/env python3
"""check-layers.py [SRC]: fails when an #include points up a layer.

The layers of src/, bottom up:
  base/                 the ground: state record, run-time error, text,
                        handle owners, the ports' interfaces
  startup/ catalogue/ icons/ bar/ commands/ dialogs/ foldermenu/ crash/
                        the subsystems: each includes base/ and itself only
  app/                  the composition root: may include everything

Portable code (any folder but win32/) includes no win32/ header and no
<....h> system header. Prints every offending include and the arrows
between folders; exits 1 when there is an offence.
"""

import re
import sys
from collections import Counter
from pathlib import Path

BASE = "base"
SUBSYSTEMS = ("startup", "catalogue", "icons", "bar", "commands", "dialogs", "foldermenu", "crash")
ROOT = "app"
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def folder_of(relative: str) -> str:
    return relative.split("/", 1)[0]


def is_win32(relative: str) -> bool:
    return "/win32/" in f"/{relative}"


def offences(src: Path):
    arrows = Counter()
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(src).as_posix()
        here = folder_of(relative)
        if here not in (BASE, ROOT, *SUBSYSTEMS):
            found.append(f"{relative}: folder {here}/ is in no layer")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{relative}:{number}: #include {kind}{name}{'>' if kind == '<' else kind}"
            if kind == "<":
                if not is_win32(relative) and name.endswith(".h"):
                    found.append(f"{where}: a system header in portable code")
                continue
            if not (src / name).is_file():
                continue  # generated (version.h) or beside the file
            there = folder_of(name)
            if there != here:
                arrows[(here, there)] += 1
            if is_win32(name) and not is_win32(relative):
                found.append(f"{where}: portable code includes Win32 code")
            if here == ROOT or there == here or there == BASE:
                continue
            if here == BASE:
                found.append(f"{where}: the ground includes a layer above it")
            elif there == ROOT:
                found.append(f"{where}: a subsystem includes the composition root")
            else:
                found.append(f"{where}: subsystem {here}/ includes subsystem {there}/")
    return found, arrows


def main() -> int:
    src = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src"
    found, arrows = offences(src)
    for (here, there), count in sorted(arrows.items()):
        print(f"  {here}/ -> {there}/  {count}")
    for line in found:
        print(line, file=sys.stderr)
    if found:
        print(f"check-layers: {len(found)} include(s) point the wrong way", file=sys.stderr)
        return 1
    print("check-layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
