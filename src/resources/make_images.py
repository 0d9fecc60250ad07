#!/usr/bin/env python3
"""Draws the program's icon (vistello.ico: 32 x 32 and 16 x 16, 32 bits per pixel) and its drag
cursor (drag.cur: 32 x 32, two colours, hot spot 11, 10). The outputs are committed; run this
only to change the pictures: python3 make_images.py"""
import struct


def icon_pixels(size):
    """A framed landscape: sky, sun, two hills; returns rows top-down of (b, g, r, a)."""
    rows = []
    s = size / 32.0
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = x / s, y / s
            if fx < 2 or fx >= 30 or fy < 4 or fy >= 28:
                row.append((0, 0, 0, 0))
                continue
            if fx < 3 or fx >= 29 or fy < 5 or fy >= 27:
                row.append((40, 40, 40, 255))  # frame
                continue
            sky = (235 - int(fy * 3), 190 - int(fy * 2), 120, 255)
            colour = sky
            if (fx - 21) ** 2 + (fy - 11) ** 2 < 12:
                colour = (40, 210, 255, 255)  # sun
            if fy > 27 - 9 * max(0.0, 1 - abs(fx - 10) / 9):
                colour = (60, 150, 70, 255)  # near hill
            if fy > 27 - 6 * max(0.0, 1 - abs(fx - 22) / 8):
                colour = (40, 120, 50, 255)  # far hill
            row.append(colour)
        rows.append(row)
    return rows


def icon_image(size):
    rows = icon_pixels(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(p) for row in reversed(rows) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    and_mask = b''
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bytes(bits)
    return header + xor + and_mask


def write_icon(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    open(path, 'wb').write(out + b''.join(images))


def cursor_shape():
    """A four-way move arrow centred on the hot spot (11, 10): 'B' black, 'W' white outline."""
    hx, hy = 11, 10
    grid = [['.'] * 32 for _ in range(32)]

    def inside(x, y):
        dx, dy = x - hx, y - hy
        if abs(dx) <= 1 and abs(dy) <= 8 or abs(dy) <= 1 and abs(dx) <= 8:
            return True
        # arrow heads: triangles at the four ends
        for ax, ay in ((dx, dy), (dy, dx)):
            if 5 <= abs(ay) <= 9 and abs(ax) <= 9 - abs(ay):
                return True
        return False

    for y in range(32):
        for x in range(32):
            if inside(x, y):
                grid[y][x] = 'B'
    for y in range(32):
        for x in range(32):
            if grid[y][x] == '.' and any(
                    0 <= x + ox < 32 and 0 <= y + oy < 32 and grid[y + oy][x + ox] == 'B'
                    for ox in (-1, 0, 1) for oy in (-1, 0, 1)):
                grid[y][x] = 'W'
    return grid, (hx, hy)


def write_cursor(path):
    grid, (hx, hy) = cursor_shape()
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 2)
    colours = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    xor, and_mask = b'', b''
    for row in reversed(grid):
        xbits, abits = bytearray(4), bytearray(4)
        for x, c in enumerate(row):
            if c == 'W':
                xbits[x // 8] |= 0x80 >> (x % 8)
            if c == '.':
                abits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(xbits)
        and_mask += bytes(abits)
    data = header + colours + xor + and_mask
    out = struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', 32, 32, 2, 0, hx, hy, len(data), 22)
    open(path, 'wb').write(out + data)


if __name__ == '__main__':
    write_icon('vistello.ico')
    write_cursor('drag.cur')
