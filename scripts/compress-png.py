#!/usr/bin/env python3
"""Rewrites PNG files with their image data compressed at zlib level 9 (the test programs'
screenshots are stored uncompressed): pixels and every other chunk are kept as they are."""
import struct, sys, zlib
def recompress(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n'
    pos, chunks, idat = 8, [], b''
    while pos < len(data):
        n, = struct.unpack('>I', data[pos:pos+4]); kind = data[pos+4:pos+8]; body = data[pos+8:pos+8+n]
        pos += 12 + n
        if kind == b'IDAT': idat += body
        else: chunks.append((kind, body))
    raw = zlib.decompress(idat)
    out = b'\x89PNG\r\n\x1a\n'
    def chunk(k, b): return struct.pack('>I', len(b)) + k + b + struct.pack('>I', zlib.crc32(k + b) & 0xffffffff)
    for k, b in chunks:
        if k == b'IEND': out += chunk(b'IDAT', zlib.compress(raw, 9))
        out += chunk(k, b)
    open(path, 'wb').write(out)
for p in sys.argv[1:]: recompress(p)
