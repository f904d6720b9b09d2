#!/usr/bin/env python3
"""Turns the pixel-art text files beside this script into the program's
icons and cursors.

    python3 make_art.py OUTDIR

Each text file holds one square image: '#' comment lines, 'colour C RRGGBB'
lines naming the letter C, an optional 'hotspot X Y' line (cursors), then one
row of letters per pixel row, '.' meaning transparent.  The images are written
as classic DIB icons/cursors (BITMAPINFOHEADER, XOR bitmap, AND mask), which
every Windows version and windres accept.

Exit status 0 when every file was written, 1 on a malformed source.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Output file, resource kind (1 icon, 2 cursor), bits per pixel, sources.
OUTPUTS = [
    ("sorvel.ico", 1, 24, ["sorvel-48.txt", "sorvel-32.txt", "sorvel-16.txt"]),
    ("browse.ico", 1, 4, ["browse-16.txt"]),
    ("drag.cur", 2, 4, ["drag-32.txt"]),
    ("hover.cur", 2, 4, ["hover-32.txt"]),
]


class ArtError(Exception):
    pass


def read_art(path):
    """Returns (rows, colours, hotspot) of one source; raises ArtError."""
    colours = {}
    hotspot = None
    rows = []
    name = os.path.basename(path)
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            where = "%s:%d" % (name, number)
            if not line.strip() or line.startswith("#"):
                continue
            words = line.split()
            if words[0] == "colour":
                if len(words) != 3 or len(words[1]) != 1 or words[1] == "." or len(words[2]) != 6:
                    raise ArtError(where + ": expected 'colour C RRGGBB'")
                try:
                    colours[words[1]] = int(words[2], 16)
                except ValueError:
                    raise ArtError(where + ": bad colour value " + words[2])
            elif words[0] == "hotspot":
                if len(words) != 3 or not words[1].isdigit() or not words[2].isdigit():
                    raise ArtError(where + ": expected 'hotspot X Y'")
                hotspot = (int(words[1]), int(words[2]))
            else:
                for ch in line:
                    if ch != "." and ch not in colours:
                        raise ArtError("%s: letter %r has no colour" % (where, ch))
                rows.append(line)
    size = len(rows)
    if size not in (16, 32, 48):
        raise ArtError("%s: %d rows, expected 16, 32 or 48" % (name, size))
    for i, row in enumerate(rows):
        if len(row) != size:
            raise ArtError("%s: row %d is %d wide, expected %d" % (name, i, len(row), size))
    if hotspot and not (hotspot[0] < size and hotspot[1] < size):
        raise ArtError(name + ": hot spot outside the image")
    return rows, colours, hotspot


def stride(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def palette_for(colours, name):
    """Index 0 stays black so transparent pixels leave the screen untouched."""
    palette = [0x000000]
    for value in sorted(set(colours.values())):
        if value not in palette:
            palette.append(value)
    if len(palette) > 16:
        raise ArtError(name + ": more than 16 colours")
    return palette + [0] * (16 - len(palette))


def dib(rows, colours, bpp, name):
    """The image data of one icon/cursor entry: header, palette, XOR, AND."""
    size = len(rows)
    palette = palette_for(colours, name) if bpp == 4 else []
    xor_stride = stride(size, bpp)
    and_stride = stride(size, 1)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # DIBs are stored bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, ch in enumerate(row):
            rgb = 0 if ch == "." else colours[ch]
            if ch == ".":
                bits[x >> 3] |= 0x80 >> (x & 7)
            if bpp == 24:
                line[x * 3:x * 3 + 3] = bytes((rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16))
            else:
                index = palette.index(rgb)
                line[x >> 1] |= index << 4 if x % 2 == 0 else index
        xor += line
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, len(palette), 0)
    quads = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in palette)
    return header + quads + bytes(xor) + bytes(mask)


def build(kind, bpp, sources):
    """The bytes of one .ico (kind 1) or .cur (kind 2) file."""
    images = []
    for source in sources:
        rows, colours, hotspot = read_art(os.path.join(HERE, source))
        if kind == 2 and hotspot is None:
            raise ArtError(source + ": a cursor needs a hot spot")
        images.append((len(rows), hotspot, dib(rows, colours, bpp, source)))
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for size, hotspot, data in images:
        colour_count = 16 if bpp == 4 else 0
        if kind == 2:
            # A cursor directory keeps the hot spot where an icon keeps planes and depth.
            field1, field2 = hotspot
        else:
            field1, field2 = 1, bpp
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, field1, field2, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, _, data in images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTDIR\n")
        return 1
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    try:
        for name, kind, bpp, sources in OUTPUTS:
            data = build(kind, bpp, sources)
            path = os.path.join(outdir, name)
            with open(path + ".tmp", "wb") as f:
                f.write(data)
            os.replace(path + ".tmp", path)
    except (ArtError, OSError) as e:
        sys.stderr.write("make_art: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
