#!/usr/bin/env python3
"""Checks that THIRD_PARTY_NOTICES.txt describes exactly what the exe's link took from third
parties: every archive and object file, from the Debian package it names, with every licence's
text. The link facts come from the map of the exe's own link.

  check_notices.py NOTICES --map EXE.map
  check_notices.py NOTICES --planted CXX AR
      links a small program the way the exe is linked, plus a static library of its own from
      outside the build folder, and passes only when the check names that library
"""

from __future__ import annotations

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools/lib"))
import link_facts  # noqa: E402

PLANTED = "libvelkaron_planted.a"


def check(link_map: Path, notices: Path) -> list[str]:
    linked, described = link_facts.read_files(link_map, notices)
    return link_facts.findings(
        linked, described, lambda path: getattr(link_facts.debian_package(path), "name", None))


def planted_link(folder: Path, cxx: str, ar: str) -> Path:
    def run(*command):
        subprocess.run(command, cwd=folder, check=True, stdin=subprocess.DEVNULL)

    (folder / "planted.cpp").write_text("int velkaron_planted() { return 7; }\n")
    (folder / "main.cpp").write_text("int velkaron_planted();\nint main() { return velkaron_planted(); }\n")
    run(cxx, "-c", "planted.cpp", "main.cpp")
    run(ar, "rcs", PLANTED, "planted.o")
    run(cxx, "-static", "-static-libgcc", "-static-libstdc++", "-Wl,-Map=planted.map", "main.o",
        str(folder / PLANTED), "-o", "planted.exe")
    return folder / "planted.map"


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("notices", type=Path)
    what = parser.add_mutually_exclusive_group(required=True)
    what.add_argument("--map", type=Path)
    what.add_argument("--planted", nargs=2, metavar=("CXX", "AR"))
    arguments = parser.parse_args()
    if arguments.map:
        found = check(arguments.map, arguments.notices)
        print("\n".join(found) or f"{arguments.notices.name} covers exactly what the link took")
        return 1 if found else 0
    with tempfile.TemporaryDirectory() as folder:
        found = check(planted_link(Path(folder), *arguments.planted), arguments.notices)
    named = [line for line in found if line.startswith(f"{PLANTED} (")]
    print("\n".join(named) or f"the planted {PLANTED} went unnoticed: {found}")
    return 0 if named else 1


if __name__ == "__main__":
    sys.exit(main())
