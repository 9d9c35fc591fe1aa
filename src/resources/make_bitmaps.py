#!/usr/bin/env python3
"""Writes the twelve menu bitmaps (icons, check boxes and their masks) as BMP files.

Run once from this folder; the outputs are committed beside it under bitmaps/.
Each picture is drawn below as rows of letters. In every image the pixels
outside the picture are white ('.'); its mask (1 bit per pixel) is black on the
picture and white elsewhere.
"""

import os
import struct

COLOURS = {
    '.': (255, 255, 255),  # outside the picture
    'W': (255, 255, 255),  # white inside the picture
    'K': (0, 0, 0),
    'Y': (255, 214, 64),   # folder
    'O': (204, 153, 0),    # folder, darker flap
    'B': (0, 0, 128),      # floppy body
    'S': (192, 192, 192),  # floppy shutter
    'G': (128, 128, 128),
    'R': (224, 0, 0),      # red cross
    'D': (128, 0, 0),      # red cross, shade
}

OPEN_FOLDER = """
................
................
.KKKK...........
KYYYYK..........
KYYYYKKKKKKKK...
KYYYYYYYYYYYK...
KYYYYYYYYYYYK...
KYYYKKKKKKKKKKKK
KYYKOOOOOOOOOOOK
KYYKOOOOOOOOOOK.
KYKOOOOOOOOOOOK.
KYKOOOOOOOOOOK..
KKOOOOOOOOOOOK..
KKOOOOOOOOOOK...
KKKKKKKKKKKKK...
................
"""

FLOPPY = """
................
.KKKKKKKKKKKKKK.
.KBBSSSSSSSSBBK.
.KBBSSSSSKKSBBK.
.KBBSSSSSKKSBBK.
.KBBSSSSSKKSBBK.
.KBBSSSSSSSSBBK.
.KBBBBBBBBBBBBK.
.KBBBBBBBBBBBBK.
.KBWWWWWWWWWWBK.
.KBWGGGGGGGGWBK.
.KBWWWWWWWWWWBK.
.KBWGGGGGGGGWBK.
.KBWWWWWWWWWWBK.
.KKKKKKKKKKKKKK.
................
"""

BLANK_PAGE = """
................
..KKKKKKKKK.....
..KWWWWWWWKK....
..KWWWWWWWKWK...
..KWWWWWWWKWWK..
..KWWWWWWWKKKKK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KWWWWWWWWWWWK.
..KKKKKKKKKKKKK.
................
"""

RED_CROSS = """
..............
.RD........RD.
.RRD......RRD.
..RRD....RRD..
...RRD..RRD...
....RRDRRD....
.....RRRD.....
.....RRRD.....
....RRDRRD....
...RRD..RRD...
..RRD....RRD..
.RRD......RRD.
.RD........RD.
..............
"""

EMPTY_BOX = """
KKKKKKKKKKKK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KWWWWWWWWWWK
KKKKKKKKKKKK
"""

CROSSED_BOX = """
KKKKKKKKKKKK
KWWWWWWWWWWK
KWKWWWWWWKWK
KWWKWWWWKWWK
KWWWKWWKWWWK
KWWWWKKWWWWK
KWWWWKKWWWWK
KWWWKWWKWWWK
KWWKWWWWKWWK
KWKWWWWWWKWK
KWWWWWWWWWWK
KKKKKKKKKKKK
"""


def rows_of(art):
    rows = [line for line in art.strip('\n').split('\n')]
    width = len(rows[0])
    assert all(len(r) == width for r in rows), art
    return rows


def bmp(width, height, bits, palette, pixel_rows):
    """pixel_rows: top-down rows of bytes already packed for the depth."""
    stride = ((width * bits + 31) // 32) * 4
    data = b''.join(row + b'\0' * (stride - len(row)) for row in reversed(pixel_rows))
    colours = len(palette)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 3780, 3780, colours, colours)
    return header + info + pal + data


def image24(rows):
    packed = [b''.join(struct.pack('<BBB', *reversed(COLOURS[c])) for c in r) for r in rows]
    return bmp(len(rows[0]), len(rows), 24, [], packed)


def image8(rows):
    palette = sorted({COLOURS[c] for r in rows for c in r})
    index = {colour: i for i, colour in enumerate(palette)}
    packed = [bytes(index[COLOURS[c]] for c in r) for r in rows]
    return bmp(len(rows[0]), len(rows), 8, palette, packed)


def mask1(rows, all_black=False):
    """1 bit per pixel: index 0 black (the picture), index 1 white."""
    packed = []
    for r in rows:
        bits = [0 if (all_black or c != '.') else 1 for c in r]
        bits += [0] * (-len(bits) % 8)
        packed.append(bytes(int(''.join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8)))
    return bmp(len(rows[0]), len(rows), 1, [(0, 0, 0), (255, 255, 255)], packed)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'bitmaps')
    os.makedirs(out, exist_ok=True)
    files = {
        101: image24(rows_of(OPEN_FOLDER)), 102: mask1(rows_of(OPEN_FOLDER)),
        103: image24(rows_of(FLOPPY)), 104: mask1(rows_of(FLOPPY)),
        105: image24(rows_of(BLANK_PAGE)), 106: mask1(rows_of(BLANK_PAGE)),
        107: image8(rows_of(RED_CROSS)), 108: mask1(rows_of(RED_CROSS), all_black=True),
        996: image24(rows_of(EMPTY_BOX)), 997: mask1(rows_of(EMPTY_BOX)),
        998: image24(rows_of(CROSSED_BOX)), 999: mask1(rows_of(CROSSED_BOX)),
    }
    for number, data in files.items():
        with open(os.path.join(out, '%d.bmp' % number), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
