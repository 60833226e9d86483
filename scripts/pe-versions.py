#!/usr/bin/env python3
"""Prints what a built qorvel.dll says of its version, read from the PE file itself (no Windows
needed): the fixed and the string file and product versions of its version resource, the
version of its embedded type library, and how many COFF symbols it carries.

Usage: pe-versions.py DLL
Output, one "name value" a line: file-version 1.0.0.0, product-version 1.0.0.0,
FileVersion 1.0.0.0, ProductVersion 1.0.0.0, typelib 1.0, symbols 0.
"""
import struct
import sys

RT_VERSION = 16


class Pe:
    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not a PE file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        sections, _, _, self.symbols, optional_size = struct.unpack_from("<HIIIH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = []
        for i in range(sections):
            header = optional + optional_size + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, header + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva: int) -> int:
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def _entries(self, directory: int):
        base = self.offset(self.resource_rva)
        named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    def resource(self, kind) -> bytes:
        """The first resource of type `kind` (a number or a name), whatever its id and language."""
        for name, target in self._entries(0):
            if name != kind:
                continue
            while target & 0x80000000:
                target = next(self._entries(target & 0x7FFFFFFF))[1]
            rva, size = struct.unpack_from("<II", self.data, self.offset(self.resource_rva) + target)
            at = self.offset(rva)
            return self.data[at:at + size]
        raise ValueError(f"no resource of type {kind}")


def version_string(block: bytes, key: str) -> str:
    """The value of `key` in a version resource's string table."""
    at = block.find((key + "\0").encode("utf-16-le"))
    if at < 0 or at % 2:
        raise ValueError(f"no {key} in the version resource")
    at += 2 * len(key) + 2
    at += -at % 4
    end = block.find(b"\0\0", at)
    while end >= 0 and (end - at) % 2:
        end = block.find(b"\0\0", end + 1)
    return block[at:end].decode("utf-16-le")


def main() -> int:
    pe = Pe(open(sys.argv[1], "rb").read())
    version = pe.resource(RT_VERSION)
    fixed = version.find(struct.pack("<I", 0xFEEF04BD))
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", version, fixed + 8)
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    print("file-version", dotted(file_ms, file_ls))
    print("product-version", dotted(product_ms, product_ls))
    for key in ("FileVersion", "ProductVersion"):
        print(key, version_string(version, key))
    typelib = pe.resource("TYPELIB")
    if typelib[:4] != b"MSFT":
        raise ValueError("the TYPELIB resource is no type library")
    # The library's version: its major number in the low word, the minor in the high word.
    major, minor = struct.unpack_from("<HH", typelib, 0x18)
    print("typelib", f"{major}.{minor}")
    print("symbols", pe.symbols)
    return 0


if __name__ == "__main__":
    sys.exit(main())
