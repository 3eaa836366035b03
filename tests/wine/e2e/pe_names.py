"""The names a PE file imports from a DLL and the names it exports, read from
its import and export directories (64-bit images)."""

import struct


class PeImage:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        sections, optional_size = struct.unpack_from("<2xH12xH", self.data, pe + 4)
        optional = pe + 24
        # PE32+: the data directories start 112 bytes into the optional header.
        self.directories = [struct.unpack_from("<II", self.data, optional + 112 + 8 * i)
                            for i in range(2)]
        first_section = optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", self.data, first_section + 40 * i)
                         for i in range(sections)]

    def offset(self, rva):
        for virtual_size, virtual_address, raw_size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self, dll):
        """Names imported from the DLL (case-insensitive match of its name)."""
        names = []
        descriptor = self.offset(self.directories[1][0])
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if name == 0:
                return names
            if self.text(name).lower() == dll.lower():
                entry = self.offset(lookup or thunks)
                while (value := struct.unpack_from("<Q", self.data, entry)[0]) != 0:
                    if not value >> 63:  # by name, not by ordinal
                        names.append(self.text((value & 0x7FFFFFFF) + 2))
                    entry += 8
            descriptor += 20

    def exports(self):
        directory = self.offset(self.directories[0][0])
        count = struct.unpack_from("<I", self.data, directory + 24)[0]
        table = self.offset(struct.unpack_from("<I", self.data, directory + 32)[0])
        return [self.text(struct.unpack_from("<I", self.data, table + 4 * i)[0])
                for i in range(count)]
