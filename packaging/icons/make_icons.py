#!/usr/bin/env python3
"""Writes the program's icon for the desktop's hicolor theme: quorvan-N.png at
16, 32, 48, 64, 128 and 256 pixels, and quorvan.svg for any other size.

Run once from this folder; the outputs are committed beside it. The icon is
the one in src/resources/quorvan.png (the 32-pixel one equals it pixel for
pixel): four quarters of checks in two shades each, in a dark frame. Each size
is drawn anew rather than scaled, so that its checks and frame stay sharp.
"""

import struct
import zlib

FRAME = (0x14, 0x14, 0x28)
# Each quarter's light and dark shade: top left, top right, bottom left, bottom right.
QUARTERS = [
    ((0x21, 0x55, 0xFF), (0x18, 0x3F, 0xBF)),
    ((0xFF, 0x88, 0x33), (0xBF, 0x66, 0x26)),
    ((0x2B, 0xF0, 0x35), (0x20, 0xB4, 0x27)),
    ((0xFF, 0xEF, 0xA6), (0xBF, 0xB3, 0x7C)),
]
SIZES = [16, 32, 48, 64, 128, 256]
CHECKS = 8  # checks across the icon, four to a quarter


def pixel(x, y, size):
    check = size // CHECKS
    frame = max(1, round(size / 32))
    if min(x, y) < frame or max(x, y) >= size - frame:
        return FRAME
    quarter = (2 if y >= size // 2 else 0) + (1 if x >= size // 2 else 0)
    light, dark = QUARTERS[quarter]
    return light if (x // check + y // check) % 2 == 0 else dark


def png(size):
    rows = b''.join(b'\0' + bytes(c for x in range(size) for c in pixel(x, y, size)) for y in range(size))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    header = struct.pack('>IIBBBBB', size, size, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows, 9))
            + chunk(b'IEND', b''))


def svg():
    def hexa(colour):
        return '#%02x%02x%02x' % colour

    checks = []
    for row in range(CHECKS):
        for column in range(CHECKS):
            x, y = column * 4, row * 4
            checks.append('<rect x="%d" y="%d" width="4" height="4" fill="%s"/>'
                          % (x, y, hexa(pixel(x + 1, y + 1, 32))))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32" '
            'shape-rendering="crispEdges">\n' + '\n'.join(checks) + '\n'
            '<rect x="0.5" y="0.5" width="31" height="31" fill="none" stroke="%s" stroke-width="1"/>\n'
            '</svg>\n' % hexa(FRAME))


if __name__ == '__main__':
    for size in SIZES:
        with open('quorvan-%d.png' % size, 'wb') as out:
            out.write(png(size))
    with open('quorvan.svg', 'w') as out:
        out.write(svg())
