#!/usr/bin/env python3
"""Checks the shipped exe: it imports only DLLs that Windows always takes from its system
folder, and it carries its icon, its version block and its manifest.

  check_executable.py EXE --version X.Y.Z --icon APP.ICO [--objdump OBJDUMP]

With --objdump, the import list read here must equal the one objdump prints, so that a fault in
this reader cannot hide a fault in the exe.
"""

from __future__ import annotations  # type hints in the 3.10 form, on Python 3.9 too

import argparse
import fnmatch
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

import pe_image

# Compiler runtimes that must be linked in, never imported: they are not on a user's machine.
RUNTIME_DLLS = ("libstdc++*", "libgcc*", "libwinpthread*", "vcruntime*", "msvcp*", "libc++*")

MANIFEST_NAMESPACE = "{urn:schemas-microsoft-com:asm.v1}"
COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"


class Checks:
    def __init__(self) -> None:
        self.failures: list[str] = []

    def expect(self, condition: bool, message: str) -> None:
        if not condition:
            self.failures.append(message)


def check_imports(checks: Checks, image: pe_image.PeImage, objdump: str | None, exe: str) -> None:
    dlls = pe_image.imported_dlls(image)
    print("imports:", ", ".join(dlls))
    checks.expect(any(d.lower() == "kernel32.dll" for d in dlls),
                  "KERNEL32.dll is not imported: the import table was not read")
    for dll in dlls:
        name = dll.lower()
        checks.expect(not any(fnmatch.fnmatch(name, p) for p in RUNTIME_DLLS),
                      f"imports the compiler runtime DLL {dll}: link it statically")
        checks.expect(pe_image.is_system_dll(name),
                      f"imports {dll}, which Windows does not always load from its system folder")
    if objdump:
        listing = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                                 text=True).stdout
        printed = re.findall(r"^\s*DLL Name: (\S+)\s*$", listing, re.MULTILINE)
        checks.expect(sorted(printed) == sorted(dlls),
                      f"objdump lists the imports {printed}, this reader {dlls}")


def check_icon(checks: Checks, found: dict, icon_file: bytes) -> None:
    groups = [data for (kind, _, _), data in found.items() if kind == pe_image.RT_GROUP_ICON]
    checks.expect(len(groups) == 1, f"{len(groups)} icon groups, expected 1")
    if not groups:
        return
    group = groups[0]
    _, kind, count = struct.unpack_from("<HHH", group, 0)
    _, _, file_count = struct.unpack_from("<HHH", icon_file, 0)
    checks.expect(kind == 1 and count == file_count,
                  f"the icon group lists {count} images, the icon file {file_count}")
    icons = {name: data for (kind, name, _), data in found.items() if kind == pe_image.RT_ICON}
    for i in range(min(count, file_count)):
        # Group entry: the file's directory entry, with the image's resource id for its offset.
        entry = group[6 + 14 * i:6 + 14 * i + 14]
        icon_id = struct.unpack_from("<H", entry, 12)[0]
        file_entry = icon_file[6 + 16 * i:6 + 16 * i + 16]
        length, offset = struct.unpack_from("<II", file_entry, 8)
        edge = file_entry[0] or 256
        checks.expect(entry[:12] == file_entry[:12],
                      f"icon group entry {i} differs from the icon file's directory")
        checks.expect(icons.get(icon_id) == icon_file[offset:offset + length],
                      f"the {edge}-pixel icon image (resource {icon_id}) is not the icon file's")


def check_version(checks: Checks, found: dict, version: str) -> None:
    blocks = [data for (kind, _, _), data in found.items() if kind == pe_image.RT_VERSION]
    checks.expect(len(blocks) == 1, f"{len(blocks)} version blocks, expected 1")
    if not blocks:
        return
    tree = pe_image.version_tree(blocks[0])
    checks.expect(tree.key == "VS_VERSION_INFO", f"version block key {tree.key!r}")
    fixed = struct.unpack_from("<13I", tree.value, 0) if len(tree.value) == 52 else (0,) * 13
    checks.expect(fixed[0] == 0xFEEF04BD, "the version block has no fixed file information")
    expected = version + ".0"

    def dotted(most: int, least: int) -> str:
        return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"

    checks.expect(dotted(*fixed[2:4]) == expected,
                  f"FILEVERSION is {dotted(*fixed[2:4])}, expected {expected}")
    checks.expect(dotted(*fixed[4:6]) == expected,
                  f"PRODUCTVERSION is {dotted(*fixed[4:6])}, expected {expected}")
    strings = {}
    for block in tree.children:
        if block.key == "StringFileInfo":
            for table in block.children:
                for entry in table.children:
                    strings[entry.key] = entry.value.decode("utf-16-le").rstrip("\0")
    for key in ("FileVersion", "ProductVersion"):
        checks.expect(strings.get(key) == version,
                      f"{key} string is {strings.get(key)!r}, expected {version!r}")
    checks.expect(bool(strings.get("FileDescription")), "no FileDescription string")


def check_manifest(checks: Checks, found: dict) -> None:
    # Resource id 1: the manifest Windows reads when it creates the process.
    manifests = {name: data for (kind, name, _), data in found.items()
                 if kind == pe_image.RT_MANIFEST}
    checks.expect(list(manifests) == [1], f"manifest resources {list(manifests)}, expected [1]")
    if 1 not in manifests:
        return
    try:
        root = ElementTree.fromstring(manifests[1])
    except ElementTree.ParseError as error:
        checks.failures.append(f"the manifest is not well-formed XML: {error}")
        return
    identities = root.findall(f"./{MANIFEST_NAMESPACE}dependency/{MANIFEST_NAMESPACE}"
                              f"dependentAssembly/{MANIFEST_NAMESPACE}assemblyIdentity")
    common_controls = [i.attrib for i in identities if i.get("name") == COMMON_CONTROLS]
    checks.expect(len(common_controls) == 1, f"no dependency on {COMMON_CONTROLS}")
    for identity in common_controls:
        checks.expect(identity.get("version") == "6.0.0.0",
                      f"{COMMON_CONTROLS} version {identity.get('version')}, expected 6.0.0.0")
        checks.expect(identity.get("publicKeyToken") == "6595b64144ccf1df",
                      f"{COMMON_CONTROLS} public key token {identity.get('publicKeyToken')}")


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--version", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("--objdump")
    arguments = parser.parse_args()
    with open(arguments.exe, "rb") as file:
        image = pe_image.read_pe(file.read())
    with open(arguments.icon, "rb") as file:
        icon_file = file.read()
    checks = Checks()
    check_imports(checks, image, arguments.objdump, arguments.exe)
    found = pe_image.resources(image)
    check_icon(checks, found, icon_file)
    check_version(checks, found, arguments.version)
    check_manifest(checks, found)
    for failure in checks.failures:
        print("FAILED:", failure)
    if not checks.failures:
        print("imports, icon, version block and manifest are as they must be")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
