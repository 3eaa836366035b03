"""What the release exe is made of, read from its link and from THIRD_PARTY_NOTICES.txt: one source
for the notices check and the bill of materials, so that the two cannot disagree.

The link's map (GNU ld's -Map, written beside the exe by the same link: it changes no byte of the
exe) names every archive member the linker took and every input section that reached the exe.
Inputs given by a path inside the build folder (relative in the map, as the link runs there) are
the project's own, built from its sources; every other one is a third party's, and the notices
must cover it.
"""

from __future__ import annotations

import os
import re
import subprocess
from dataclasses import dataclass
from pathlib import Path

NOTICES = "THIRD_PARTY_NOTICES.txt"


@dataclass(frozen=True)
class LinkedInput:
    name: str  # the archive's or object's file name, as the notices name it
    path: str  # where the linker read it
    bytes_in_exe: int  # the size of its sections that the exe kept


@dataclass(frozen=True)
class Component:
    name: str
    archives: tuple[str, ...]
    package: str
    license: str  # an SPDX expression

    def license_terms(self) -> list[str]:
        return self.license.split(" AND ")


@dataclass(frozen=True)
class Notices:
    components: tuple[Component, ...]
    license_texts: frozenset[str]  # the licences whose text the file holds

    def covering(self, archive: str) -> Component | None:
        return next((c for c in self.components if archive in c.archives), None)


def _third_party(path: str) -> bool:
    return os.path.isabs(path) or path.startswith("..")


def read_link_map(text: str) -> list[LinkedInput]:
    """The third-party archives of which the linker took a member, and the object files it
    loaded, in name order."""
    included, _, rest = text.partition("\nDiscarded input sections")
    _, _, memory_map = rest.partition("\nLinker script and memory map")
    if not memory_map:
        raise ValueError("not a GNU ld map: no memory map")
    paths = {m[1] for m in re.finditer(r"^(\S+)\(\S+\)$", included, re.MULTILINE)}
    paths |= {m[1] for m in re.finditer(r"^LOAD (\S+\.(?:o|obj))$", memory_map, re.MULTILINE)}
    kept = dict.fromkeys(paths, 0)
    # An input section: [name] address size file, the name alone on the line before when long;
    # address 0 is outside the image (a discarded or debugging section).
    for m in re.finditer(r"^ (?:\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+) (\S+?)(?:\(\S+\))?$",
                         memory_map, re.MULTILINE):
        if m[3] in kept and int(m[1], 16):
            kept[m[3]] += int(m[2], 16)
    linked = [LinkedInput(os.path.basename(path), os.path.normpath(path), size)
              for path, size in kept.items() if _third_party(path)]
    return sorted(linked, key=lambda i: (i.name, i.path))


def read_notices(text: str) -> Notices:
    """The notices' paragraphs: "Component" ones (Archives, Package, License fields) and the
    licence texts ("License" paragraphs with text); any other paragraph is prose."""
    components, texts = [], set()
    for paragraph in re.split(r"\n\s*\n", text):
        fields, last = {}, None
        for line in paragraph.splitlines():
            if line.startswith(" ") and last:
                fields[last] += "\n" + line.strip()
            elif m := re.match(r"([A-Za-z-]+): (.*)$", line):
                last = m[1]
                fields[last] = m[2]
        if paragraph.startswith("Component: "):
            components.append(Component(fields["Component"], tuple(fields["Archives"].split()),
                                        fields["Package"], fields["License"]))
        elif paragraph.startswith("License: ") and "\n " in paragraph:
            texts.add(fields["License"].partition("\n")[0])
    return Notices(tuple(components), frozenset(texts))


def findings(linked: list[LinkedInput], notices: Notices, package_of) -> list[str]:
    """What keeps the notices from describing the link exactly, one line each: a linked archive
    that no component covers, a component's archive that is not linked or not from the package
    named, a licence without its text. PACKAGE_OF maps a path to its Debian package."""
    found = []
    for item in linked:
        component = notices.covering(item.name)
        if component is None:
            found.append(f"{item.name} ({item.path}) is linked into the exe, and {NOTICES} does not "
                         "cover it: add its component, licence and licence text")
        elif (package := package_of(item.path)) != component.package:
            found.append(f"{item.name} ({item.path}) comes from the Debian package {package}, and "
                         f"{NOTICES} says {component.package}")
    names = {item.name for item in linked}
    for component in notices.components:
        found += [f"{NOTICES} covers {archive} ({component.name}), which the exe's link does not use"
                  for archive in component.archives if archive not in names]
        found += [f"{NOTICES} has no text for the licence {term} ({component.name})"
                  for term in component.license_terms() if term not in notices.license_texts]
    return found


@dataclass(frozen=True)
class DebianPackage:
    name: str
    version: str
    architecture: str


def debian_package(path: str) -> DebianPackage | None:
    """The installed Debian package that holds PATH, or None."""
    owner = subprocess.run(["dpkg-query", "-S", path], capture_output=True, text=True,
                           stdin=subprocess.DEVNULL)
    if owner.returncode != 0:
        return None
    name = owner.stdout.partition(": ")[0].split(", ")[0]
    version, architecture = subprocess.run(
        ["dpkg-query", "-W", "-f=${Version} ${Architecture}", name], capture_output=True,
        text=True, check=True, stdin=subprocess.DEVNULL).stdout.split()
    return DebianPackage(name.partition(":")[0], version, architecture)


def read_files(link_map: Path, notices: Path) -> tuple[list[LinkedInput], Notices]:
    return (read_link_map(link_map.read_text(encoding="utf-8")),
            read_notices(notices.read_text(encoding="utf-8")))
