#!/usr/bin/env python3
"""Draws the relauncher application icon and writes relauncher/relauncher.ico.

The picture is a "restart" arrow: a thick blue ring open at the upper right,
about 300 degrees long, whose end at the top carries an arrowhead pointing
clockwise into the gap. Background is transparent; edges are anti-aliased by
sampling each pixel on an 8x8 grid and using the covered fraction as alpha.

The .ico holds 16x16, 32x32 and 48x48 images, each a 32-bit BGRA DIB with its
1-bit AND mask. The output depends on nothing but this file, so two runs give
byte-identical results.

Usage:
    python3 scripts/draw-icon.py [--out FILE] [--png DIR]

--png DIR also writes each image as DIR/relauncher-<size>.png (for looking at).
"""

import argparse
import math
import os
import struct
import zlib

SIZES = (16, 32, 48)
SAMPLES = 8                      # samples per pixel along each axis

# Colour of the arrow (R, G, B).
COLOUR = (0x1A, 0x6C, 0xD8)

# Geometry, in units of the icon's edge length, x to the right and y upwards.
STROKE = 1.0 / 6.0               # ring thickness
HEAD_HALF = 0.20                 # arrowhead half-width, measured from ring centre line
HEAD_LEN = 0.23                  # arrowhead length, from its base to its tip
MARGIN = 0.01                    # free border above the arrowhead and below the ring
# The arrowhead sits on top of the ring and sticks out further than the ring
# does at the bottom, so the ring is as large as fits between the margins and
# its centre lies a little below the middle of the icon.
RING_R = (1.0 - 2 * MARGIN - HEAD_HALF - STROKE / 2) / 2  # ring centre line
CENTRE_X = 0.5
CENTRE_Y = MARGIN + STROKE / 2 + RING_R

# Angles in degrees, mathematical sense (0 = right, 90 = up, counter-clockwise).
# The ring runs clockwise from its tail to its head; the body covers the
# angles from HEAD_END up to TAIL_END (taken counter-clockwise).
HEAD_END = 90.0                  # where the body stops and the arrowhead starts
BODY_SWEEP = 270.0               # the head adds about 40 degrees more
TAIL_END = HEAD_END + BODY_SWEEP


def ccw_from(start, angle):
    """Angle in [0, 360) reached by turning counter-clockwise from start."""
    return (angle - start) % 360.0


def covered(x, y):
    """True if the point (x, y) (icon units, y pointing up) is inside the arrow."""
    dx = x - CENTRE_X
    dy = y - CENTRE_Y
    r = math.hypot(dx, dy)
    a = math.degrees(math.atan2(dy, dx))

    # Ring body.
    if abs(r - RING_R) <= STROKE / 2 and ccw_from(HEAD_END, a) <= TAIL_END - HEAD_END:
        return True

    # Arrowhead: a triangle whose base lies across the ring at HEAD_END and
    # whose tip points clockwise along the ring's tangent there.
    e = math.radians(HEAD_END)
    ux, uy = math.cos(e), math.sin(e)          # outwards at HEAD_END
    tx, ty = uy, -ux                           # clockwise tangent at HEAD_END
    along = dx * tx + dy * ty                  # distance past the base
    across = dx * ux + dy * uy - RING_R        # distance from the centre line
    if 0.0 <= along <= HEAD_LEN and abs(across) <= HEAD_HALF * (1.0 - along / HEAD_LEN):
        return True
    return False


def render(size):
    """Returns rows (top row first) of (r, g, b, a) tuples for one image."""
    total = SAMPLES * SAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(SAMPLES):
                # Pixel rows go down; icon units go up.
                y = 1.0 - (py + (sy + 0.5) / SAMPLES) / size
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    if covered(x, y):
                        hits += 1
            alpha = (hits * 255 + total // 2) // total
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(COLOUR + (alpha,))
        rows.append(row)
    return rows


def ico_image(rows):
    """Encodes one image as BITMAPINFOHEADER + BGRA pixels + AND mask."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):                    # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                  # biSize
        size,                # biWidth
        size * 2,            # biHeight: colour image plus mask
        1,                   # biPlanes
        32,                  # biBitCount
        0,                   # biCompression = BI_RGB
        len(xor) + len(mask),  # biSizeImage
        0, 0,                # resolution
        0, 0,                # biClrUsed, biClrImportant
    )
    return header + bytes(xor) + bytes(mask)


def ico_file(images):
    """Builds the .ico: ICONDIR, one ICONDIRENTRY per image, then the images."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, rows in images:
        blob = ico_image(rows)
        out += struct.pack(
            "<BBBBHHII",
            size % 256,      # bWidth (0 would mean 256)
            size % 256,      # bHeight
            0,               # bColorCount: no palette
            0,               # bReserved
            1,               # wPlanes
            32,              # wBitCount
            len(blob),       # dwBytesInRes
            offset,          # dwImageOffset
        )
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def png_file(rows):
    """Encodes rows of RGBA tuples as a PNG."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)                            # filter type: none
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description="Draws the relauncher icon.")
    parser.add_argument("--out", default=os.path.join(root, "relauncher", "relauncher.ico"),
                        help="where to write the .ico (default: relauncher/relauncher.ico)")
    parser.add_argument("--png", metavar="DIR",
                        help="also write each image as a PNG into DIR")
    args = parser.parse_args()

    images = [(size, render(size)) for size in SIZES]

    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    with open(args.out, "wb") as f:
        f.write(ico_file(images))

    if args.png:
        os.makedirs(args.png, exist_ok=True)
        for size, rows in images:
            with open(os.path.join(args.png, "relauncher-%d.png" % size), "wb") as f:
                f.write(png_file(rows))


if __name__ == "__main__":
    main()
