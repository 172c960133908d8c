#!/usr/bin/env python3
"""Writes a binary PPM (P6) as an uncompressed 8-bit palette BMP: the
256-colour format the About box's picture is kept in."""
import struct
import sys


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b'P6' and fields[3] == b'255'
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    return width, height, [pixels[i:i + 3] for i in range(0, len(pixels), 3)]


def write_bmp8(path, width, height, pixels):
    palette = sorted(set(pixels))
    assert len(palette) <= 256, 'more than 256 colours'
    index = {colour: i for i, colour in enumerate(palette)}
    stride = (width + 3) & ~3
    rows = b''
    for y in reversed(range(height)):  # bottom-up
        row = bytes(index[p] for p in pixels[y * width:(y + 1) * width])
        rows += row + b'\0' * (stride - width)
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette) + b'\0' * 4 * (256 - len(palette))
    offset = 14 + 40 + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    open(path, 'wb').write(header + info + table + rows)


if __name__ == '__main__':
    write_bmp8(sys.argv[2], *read_ppm(sys.argv[1]))
