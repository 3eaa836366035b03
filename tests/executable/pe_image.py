"""A small reader of 64-bit PE images: the DLLs they import, the names they export and their
resources; and the one list of the DLLs a shipped exe may import.

Reads only what the checks need, and refuses anything it does not understand rather than
guessing.
"""

from __future__ import annotations  # type hints in the 3.10 form, on Python 3.9 too

import fnmatch
import struct
from dataclasses import dataclass, field

# DLLs that Windows always loads from its own system folder (known DLLs and API sets), so no file
# beside the exe can stand in for them; lower case, shell patterns. Media Foundation is not one
# of them: the program binds it at run time from the system folder instead of importing it.
SYSTEM_DLLS = (
    "kernel32.dll", "kernelbase.dll", "ntdll.dll", "advapi32.dll", "user32.dll", "gdi32.dll",
    "shell32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "combase.dll",
    "api-ms-win-crt-*.dll", "api-ms-win-core-*.dll",
)

EXPORT_DIRECTORY = 0
IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2
DELAY_IMPORT_DIRECTORY = 13

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


class PeError(ValueError):
    pass


@dataclass
class Section:
    name: str
    address: int
    virtual_size: int
    file_offset: int
    file_size: int


@dataclass
class PeImage:
    data: bytes
    sections: list[Section] = field(default_factory=list)
    directories: list[tuple[int, int]] = field(default_factory=list)

    def offset_of(self, address: int) -> int:
        for section in self.sections:
            if section.address <= address < section.address + max(section.virtual_size,
                                                                    section.file_size):
                return section.file_offset + address - section.address
        raise PeError(f"address 0x{address:x} lies in no section")

    def read(self, address: int, length: int) -> bytes:
        offset = self.offset_of(address)
        if offset + length > len(self.data):
            raise PeError(f"{length} bytes at 0x{address:x} run past the end of the file")
        return self.data[offset:offset + length]

    def c_string(self, address: int) -> str:
        offset = self.offset_of(address)
        end = self.data.index(b"\0", offset)
        return self.data[offset:end].decode("ascii")


def read_pe(data: bytes) -> PeImage:
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    coff = pe_offset + 4
    _, section_count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, coff)
    optional = coff + 20
    (magic,) = struct.unpack_from("<H", data, optional)
    if magic != 0x20B:
        raise PeError(f"not a 64-bit (PE32+) image: optional header magic 0x{magic:x}")
    (directory_count,) = struct.unpack_from("<I", data, optional + 108)
    image = PeImage(data)
    for i in range(directory_count):
        image.directories.append(struct.unpack_from("<II", data, optional + 112 + 8 * i))
    table = optional + optional_size
    for i in range(section_count):
        raw_name, virtual_size, address, file_size, file_offset = struct.unpack_from(
            "<8sIIII", data, table + 40 * i)
        image.sections.append(Section(raw_name.rstrip(b"\0").decode("ascii", "replace"),
                                      address, virtual_size, file_offset, file_size))
    return image


def directory(image: PeImage, index: int) -> tuple[int, int]:
    if index < len(image.directories):
        return image.directories[index]
    return 0, 0


def imported_dlls(image: PeImage) -> list[str]:
    """Names of the DLLs in the import table and the delay-load import table, in table order."""
    names = []
    address, _ = directory(image, IMPORT_DIRECTORY)
    while address:
        descriptor = struct.unpack("<IIIII", image.read(address, 20))
        if descriptor == (0, 0, 0, 0, 0):
            break
        names.append(image.c_string(descriptor[3]))
        address += 20
    address, _ = directory(image, DELAY_IMPORT_DIRECTORY)
    while address:
        descriptor = struct.unpack("<8I", image.read(address, 32))
        if descriptor == (0,) * 8:
            break
        names.append(image.c_string(descriptor[1]))
        address += 32
    return names


def is_system_dll(name: str) -> bool:
    return any(fnmatch.fnmatch(name.lower(), pattern) for pattern in SYSTEM_DLLS)


def exported_names(image: PeImage) -> list[str]:
    """The names in the export directory, in its (sorted) order."""
    address, _ = directory(image, EXPORT_DIRECTORY)
    if not address:
        return []
    count, _, names = struct.unpack("<III", image.read(address + 24, 12))
    return [image.c_string(struct.unpack("<I", image.read(names + 4 * i, 4))[0])
            for i in range(count)]


def resources(image: PeImage) -> dict[tuple[int | str, int | str, int | str], bytes]:
    """Every resource as (type, name, language) -> bytes."""
    root, size = directory(image, RESOURCE_DIRECTORY)
    if not root:
        return {}
    found = {}

    def entry_id(value: int) -> int | str:
        if value & 0x80000000:
            name_address = root + (value & 0x7FFFFFFF)
            (length,) = struct.unpack("<H", image.read(name_address, 2))
            return image.read(name_address + 2, 2 * length).decode("utf-16-le")
        return value

    def walk(table_address: int, path: tuple[int | str, ...]) -> None:
        if len(path) > 3:
            raise PeError("resource tree deeper than type/name/language")
        header = struct.unpack("<IIHHHH", image.read(table_address, 16))
        count = header[4] + header[5]
        for i in range(count):
            name, target = struct.unpack("<II", image.read(table_address + 16 + 8 * i, 8))
            key = path + (entry_id(name),)
            if target & 0x80000000:
                walk(root + (target & 0x7FFFFFFF), key)
            elif len(key) == 3:
                data_address, data_size, _, _ = struct.unpack(
                    "<IIII", image.read(root + target, 16))
                found[key] = image.read(data_address, data_size)
            else:
                raise PeError(f"resource data at depth {len(key)}")

    if size < 16:
        raise PeError("resource directory too small")
    walk(root, ())
    return found


@dataclass
class VersionNode:
    key: str
    value: bytes
    text: bool
    children: list["VersionNode"]


def version_tree(block: bytes) -> VersionNode:
    """The VS_VERSIONINFO structure of an RT_VERSION resource."""

    def align(offset: int) -> int:
        return (offset + 3) & ~3

    def node(offset: int) -> tuple[VersionNode, int]:
        length, value_length, kind = struct.unpack_from("<HHH", block, offset)
        if length < 6 or offset + length > len(block):
            raise PeError(f"version block node at {offset} has length {length}")
        end = offset + length
        key_start = offset + 6
        key_end = key_start
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[key_start:key_end].decode("utf-16-le")
        position = align(key_end + 2)
        if kind == 1:
            # A text value: its length counts 16-bit units, though not every resource compiler
            # agrees on that; a String node holds nothing after its value, so read to the end.
            value = block[position:end] if value_length else b""
            position = end if value_length else position
        else:
            value = block[position:position + value_length]
            position = align(position + value_length)
        children = []
        while position < end:
            child, position = node(position)
            children.append(child)
            position = align(position)
        return VersionNode(key, value, kind == 1, children), end

    tree, _ = node(0)
    return tree
