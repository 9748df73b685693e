#!/usr/bin/env python3
"""Draws the two 16 x 16 folder images of the tree from the pixel grids below
and writes each as an SVG (one square per pixel) and as PNGs of 16, 32 and 48
pixels (folder-open.png, folder-open-32.png, ...): the SVG rendered at 1x, 2x
and 3x, so that the tree's icons stay sharp at every device pixel ratio.

Run from this folder: python3 folders.py
The application icon is drawn in trovel.svg; its PNG sizes come from
  for s in 16 24 32 48 64 128 256; do rsvg-convert -w $s -h $s trovel.svg -o trovel-$s.png; done
"""
import struct
import zlib

PALETTE = {
    '.': None,
    'k': (0x7a, 0x5a, 0x10, 255),   # outline
    'y': (0xf6, 0xd2, 0x4a, 255),   # yellow face
    'Y': (0xff, 0xf0, 0xa8, 255),   # lit edge
    'o': (0xd9, 0xa8, 0x26, 255),   # inside of the open folder
    's': (0x90, 0x90, 0x90, 255),   # shadow
}

CLOSED = """
................
................
..kkkkk.........
.kYYYYYk........
.kYyyyyykkkkkkk.
.kYYYYYYYYYYYYks
.kYyyyyyyyyyyyks
.kYyyyyyyyyyyyks
.kYyyyyyyyyyyyks
.kYyyyyyyyyyyyks
.kYyyyyyyyyyyyks
.kYyyyyyyyyyyyks
.kyyyyyyyyyyyyks
.kkkkkkkkkkkkkks
..ssssssssssssss
................
"""

OPEN = """
................
................
..kkkkk.........
.koooook........
.kooooookkkkkk..
.koooooooooooks.
.kookkkkkkkkkkkk
.kokYYYYYYYYYYks
.kokyyyyyyyyyyks
.kkyyyyyyyyyyks.
.kkyyyyyyyyyyks.
.kyyyyyyyyyyks..
.kyyyyyyyyyyks..
.kkkkkkkkkkkks..
..sssssssssss...
................
"""


def rows(grid):
    lines = [line for line in grid.strip('\n').split('\n')]
    assert len(lines) == 16 and all(len(line) == 16 for line in lines), grid
    return lines


def write_png(path, lines, scale=1):
    raw = b''
    for line in lines:
        row = b''.join(bytes(PALETTE[c] or (0, 0, 0, 0)) * scale for c in line)
        raw += (b'\0' + row) * scale
    side = 16 * scale

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n')
        out.write(chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 6, 0, 0, 0)))
        out.write(chunk(b'IDAT', zlib.compress(raw, 9)))
        out.write(chunk(b'IEND', b''))


def write_svg(path, lines):
    squares = []
    for y, line in enumerate(lines):
        for x, c in enumerate(line):
            colour = PALETTE[c]
            if colour:
                squares.append('<rect x="%d" y="%d" width="1" height="1" fill="#%02x%02x%02x"/>'
                               % (x, y, *colour[:3]))
    with open(path, 'w') as out:
        out.write('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" '
                  'viewBox="0 0 16 16" shape-rendering="crispEdges">\n')
        out.write('\n'.join(squares))
        out.write('\n</svg>\n')


for name, grid in (('folder-closed', CLOSED), ('folder-open', OPEN)):
    lines = rows(grid)
    write_png(name + '.png', lines)
    for scale in (2, 3):
        write_png('%s-%d.png' % (name, 16 * scale), lines, scale)
    write_svg(name + '.svg', lines)
