#!/usr/bin/env python3
"""Checks a compiled HTML Help file: it must be an ITSF file whose directory lists every topic
named on the command line, and whose #SYSTEM file carries the expected title.

usage: check_chm.py file.chm "Title" topic.htm...
"""

import struct
import sys


def encint(data, pos):
    """A CHM variable-length integer: 7 bits a byte, most significant first."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def directory_entries(data):
    """(name, section, offset, length) of every entry of the listing chunks, and the offset of
    content section 0."""
    if data[:4] != b"ITSF":
        raise ValueError("not an ITSF file")
    version, header_length = struct.unpack_from("<II", data, 4)
    # After the fixed part (0x38 bytes): the header section, then the directory section.
    directory_offset, directory_length = struct.unpack_from("<QQ", data, 0x48)
    if version >= 3 and header_length >= 0x60:
        (content_offset,) = struct.unpack_from("<Q", data, 0x58)
    else:
        content_offset = directory_offset + directory_length
    itsp = directory_offset
    if data[itsp:itsp + 4] != b"ITSP":
        raise ValueError("no ITSP directory header")
    itsp_length, _, chunk_size = struct.unpack_from("<III", data, itsp + 8)
    (chunk_count,) = struct.unpack_from("<I", data, itsp + 44)
    entries = []
    for index in range(chunk_count):
        chunk = itsp + itsp_length + index * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue  # an index chunk (PMGI)
        (free_space,) = struct.unpack_from("<I", data, chunk + 4)
        pos, end = chunk + 20, chunk + chunk_size - free_space
        while pos < end:
            name_length, pos = encint(data, pos)
            name = data[pos:pos + name_length].decode("utf-8")
            pos += name_length
            section, pos = encint(data, pos)
            offset, pos = encint(data, pos)
            length, pos = encint(data, pos)
            entries.append((name, section, offset, length))
    return entries, content_offset


def system_title(data, entries, content_offset):
    """The title record (code 3) of the #SYSTEM file, which lies uncompressed in section 0."""
    for name, section, offset, length in entries:
        if name == "/#SYSTEM" and section == 0:
            record = data[content_offset + offset:content_offset + offset + length]
            pos = 4  # the #SYSTEM version
            while pos + 4 <= len(record):
                code, size = struct.unpack_from("<HH", record, pos)
                pos += 4
                if code == 3:
                    return record[pos:pos + size].rstrip(b"\0").decode("latin-1")
                pos += size
    return None


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path, title, topics = argv[1], argv[2], argv[3:]
    with open(path, "rb") as chm:
        data = chm.read()
    entries, content_offset = directory_entries(data)
    names = {entry[0] for entry in entries}
    failures = ["topic /%s is not in %s" % (topic, path)
                for topic in topics if "/" + topic not in names]
    found_title = system_title(data, entries, content_offset)
    if found_title != title:
        failures.append("title is %r, not %r" % (found_title, title))
    for failure in failures:
        print(failure, file=sys.stderr)
    if not failures:
        print("%s: %d entries, title %r, topics %s" % (path, len(entries), found_title,
                                                       ", ".join(topics)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
