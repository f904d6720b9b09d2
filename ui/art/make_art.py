#!/usr/bin/env python3
"""Turns the pixel-art text files beside this script into the program's
icons and cursors.

    python3 make_art.py OUTDIR

Each pixel-art file holds one square image of 16, 20, 24, 28, 32, 40, 48 or
64 pixels: '#' comment lines, 'colour C RRGGBB' lines naming the letter C, an
optional 'hotspot X Y' line (cursors), then one row of letters per pixel row,
'.' meaning transparent.  These are written as classic DIB icons/cursors
(BITMAPINFOHEADER, XOR bitmap, AND mask), which every Windows version and
windres accept.

The 256-pixel program icon is drawn as shapes instead (see read_shapes) and
written as a PNG image inside the .ico, as Windows Vista and later read icons
of that size: the directory entry says 0 for 256 and the entry's data is a
whole PNG file, 8-bit RGBA.  Only the standard library is used, and one
machine always writes the same bytes.

Exit status 0 when every file was written, 1 on a malformed source.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Output file, resource kind (1 icon, 2 cursor), then its images largest
# first as (source, bits per pixel); 32 means a PNG rendered from shapes.
# The 16, 32 and 48 of the program icon and the 16 of the browse icon are the
# images of the first release and keep their depth (and bytes); the other
# bitmaps are 4-bit to keep the exe small.
OUTPUTS = [
    ("sorvel.ico", 1, [("sorvel-256.txt", 32), ("sorvel-64.txt", 4), ("sorvel-48.txt", 24),
                       ("sorvel-40.txt", 4), ("sorvel-32.txt", 24), ("sorvel-28.txt", 4),
                       ("sorvel-24.txt", 4),
                       ("sorvel-20.txt", 4), ("sorvel-16.txt", 24)]),
    ("browse.ico", 1, [("browse-32.txt", 4), ("browse-28.txt", 4), ("browse-24.txt", 4),
                       ("browse-20.txt", 4), ("browse-16.txt", 4)]),
    ("drag.cur", 2, [("drag-32.txt", 4)]),
    ("hover.cur", 2, [("hover-32.txt", 4)]),
]

PIXEL_SIZES = (16, 20, 24, 28, 32, 40, 48, 64)
SHAPE_SIZE = 256


class ArtError(Exception):
    pass


def read_colour(words, where, colours):
    """Adds the letter of one 'colour C RRGGBB' line to colours; raises ArtError."""
    if len(words) != 3 or len(words[1]) != 1 or words[1] == "." or len(words[2]) != 6:
        raise ArtError(where + ": expected 'colour C RRGGBB'")
    try:
        colours[words[1]] = int(words[2], 16)
    except ValueError:
        raise ArtError(where + ": bad colour value " + words[2])


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
                read_colour(words, where, colours)
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
    if size not in PIXEL_SIZES:
        raise ArtError("%s: %d rows, expected one of %s" % (name, size, ", ".join(map(str, PIXEL_SIZES))))
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


def number(word, where):
    """A coordinate or length of a shape source; raises ArtError."""
    try:
        value = float(word)
    except ValueError:
        raise ArtError("%s: bad number %s" % (where, word))
    # A shape may reach a little past the plane (it is cut there), but no
    # further than a typing slip would take it.
    if not math.isfinite(value) or abs(value) > 4 * SHAPE_SIZE:
        raise ArtError("%s: number out of range %s" % (where, word))
    return value


# Each shape keyword and the form of its line, named in error messages.
SHAPE_FORMS = {
    "polygon": "polygon C X Y X Y X Y ...",
    "rect": "rect C X0 Y0 X1 Y1",
    "ellipse": "ellipse C CX CY RX RY [DEGREES]",
    "stroke": "stroke C WIDTH X Y X Y ...",
}


def read_shapes(path):
    """Returns [(colour, primitives)] of a shape source, in painting order;
    raises ArtError.

    The source draws on a 256 x 256 plane, x to the right and y down, pixel
    (i, j) covering [i, i+1) x [j, j+1).  Besides '#' comments and 'colour'
    lines as in pixel art, each line is one shape painted over the ones before:
        polygon C X Y X Y X Y ...          corners in order (even-odd filling)
        rect C X0 Y0 X1 Y1                 corners top left and bottom right
        ellipse C CX CY RX RY [DEGREES]    turned clockwise by DEGREES
        stroke C WIDTH X Y X Y ...         a line through the points, round
                                           at its ends and corners
    A primitive is ("polygon", points) or ("ellipse", cx, cy, rx, ry, degrees).
    """
    colours = {}
    shapes = []
    name = os.path.basename(path)
    with open(path, encoding="ascii") as f:
        for line_number, line in enumerate(f, 1):
            where = "%s:%d" % (name, line_number)
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "colour":
                read_colour(words, where, colours)
                continue
            form = SHAPE_FORMS.get(words[0])
            if form is None:
                raise ArtError("%s: unknown shape %r" % (where, words[0]))
            if len(words) < 2 or words[1] not in colours:
                raise ArtError("%s: expected '%s' with a named colour" % (where, form))
            values = [number(w, where) for w in words[2:]]
            kind = words[0]
            n = len(values)
            well_formed = {
                "polygon": n >= 6 and n % 2 == 0,
                "rect": n == 4 and values[0] < values[2] and values[1] < values[3],
                "ellipse": n in (4, 5) and min(values[2:4]) > 0,
                "stroke": n >= 5 and n % 2 == 1 and values[0] > 0,
            }[kind]
            if not well_formed:
                raise ArtError("%s: expected '%s'" % (where, form))
            if kind == "polygon":
                primitives = [("polygon", list(zip(values[0::2], values[1::2])))]
            elif kind == "rect":
                x0, y0, x1, y1 = values
                primitives = [("polygon", [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])]
            elif kind == "ellipse":
                primitives = [("ellipse",) + tuple(values[:4]) + ((values + [0.0])[4],)]
            else:
                primitives = stroke_primitives(values[0], list(zip(values[1::2], values[2::2])))
            shapes.append((colours[words[1]], primitives))
    if not shapes:
        raise ArtError(name + ": no shapes")
    return shapes


def stroke_primitives(width, points):
    """A round-ended line of WIDTH through POINTS as polygons and discs."""
    r = width / 2
    primitives = [("ellipse", x, y, r, r, 0.0) for x, y in points]
    for (x0, y0), (x1, y1) in zip(points, points[1:]):
        length = math.hypot(x1 - x0, y1 - y0)
        if length == 0:
            continue
        nx, ny = -(y1 - y0) / length * r, (x1 - x0) / length * r
        primitives.append(("polygon", [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                                       (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]))
    return primitives


def primitive_spans(primitive, y):
    """The [x0, x1) intervals of one primitive on the line at height y."""
    if primitive[0] == "polygon":
        points = primitive[1]
        xs = []
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (y0 <= y < y1) or (y1 <= y < y0):
                xs.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        return [(xs[i], xs[i + 1]) for i in range(0, len(xs) - 1, 2)]
    _, cx, cy, rx, ry, degrees = primitive
    # Points (cx + dx, y) inside: a * dx^2 + b * dx + c <= 0.
    t = math.radians(degrees)
    cos, sin = math.cos(t), math.sin(t)
    dy = y - cy
    a = cos * cos / (rx * rx) + sin * sin / (ry * ry)
    b = 2 * dy * sin * cos * (1 / (rx * rx) - 1 / (ry * ry))
    c = dy * dy * (sin * sin / (rx * rx) + cos * cos / (ry * ry)) - 1
    disc = b * b - 4 * a * c
    if disc <= 0:
        return []
    root = math.sqrt(disc)
    return [(cx + (-b - root) / (2 * a), cx + (-b + root) / (2 * a))]


def primitive_rows(primitive):
    """The pixel rows a primitive may touch, as a range."""
    if primitive[0] == "polygon":
        ys = [y for _, y in primitive[1]]
        top, bottom = min(ys), max(ys)
    else:
        reach = max(primitive[3], primitive[4])
        top, bottom = primitive[2] - reach, primitive[2] + reach
    return range(max(0, int(math.floor(top))), min(SHAPE_SIZE, int(math.ceil(bottom)) + 1))


# Samples per pixel row; along the row the covered length is exact.  The
# coverage is then kept in sixteenths: finer steps cannot be seen at this
# size and make the PNG a third larger.
SUBROWS = 16
LEVELS = 16


def coverage_row(primitives, py):
    """How much of each pixel of row py the union of the primitives covers, 0 to 1."""
    size = SHAPE_SIZE
    whole = [0] * (size + 1)  # +1 from the first to -1 after the last wholly covered pixel
    part = [0.0] * size
    for j in range(SUBROWS):
        y = py + (j + 0.5) / SUBROWS
        spans = sorted(s for p in primitives for s in primitive_spans(p, y))
        merged = []
        for x0, x1 in spans:
            if merged and x0 <= merged[-1][1]:
                merged[-1][1] = max(merged[-1][1], x1)
            else:
                merged.append([x0, x1])
        for x0, x1 in merged:
            x0, x1 = max(x0, 0.0), min(x1, float(size))
            if x1 <= x0:
                continue
            i0, i1 = int(x0), int(x1)
            if i0 == i1:
                part[i0] += x1 - x0
                continue
            part[i0] += i0 + 1 - x0
            whole[i0 + 1] += 1
            whole[i1] -= 1
            if i1 < size:
                part[i1] += x1 - i1
    row = []
    run = 0
    for x in range(size):
        run += whole[x]
        row.append((run + part[x]) / SUBROWS)
    return row


def render(shapes):
    """Rows of 8-bit RGBA bytes: the shapes painted in order, anti-aliased."""
    size = SHAPE_SIZE
    # Premultiplied red, green, blue and alpha of every pixel, 0 to 1.
    canvas = [[0.0] * (4 * size) for _ in range(size)]
    for rgb, primitives in shapes:
        paint = ((rgb >> 16) / 255, ((rgb >> 8) & 0xFF) / 255, (rgb & 0xFF) / 255, 1.0)
        rows = sorted(set(y for p in primitives for y in primitive_rows(p)))
        for py in rows:
            line = canvas[py]
            for x, cover in enumerate(coverage_row(primitives, py)):
                cover = min(round(cover * LEVELS), LEVELS) / LEVELS
                if cover == 0:
                    continue
                for k in range(4):
                    line[4 * x + k] = paint[k] * cover + line[4 * x + k] * (1 - cover)
    out = []
    for line in canvas:
        pixels = bytearray(4 * size)
        for x in range(size):
            alpha = round(line[4 * x + 3] * 255)
            if alpha == 0:
                continue  # fully transparent pixels stay 0, 0, 0, 0
            for k in range(3):
                pixels[4 * x + k] = min(255, round(line[4 * x + k] / line[4 * x + 3] * 255))
            pixels[4 * x + 3] = alpha
        out.append(bytes(pixels))
    return out


def filtered(rows, bpp_bytes, choose):
    """PNG scanlines, each prefixed with its filter type: a fixed type 0-4, or
    (choose None) per row the type whose bytes, read as signed, are smallest
    in sum of sizes."""
    previous = bytes(len(rows[0]))
    out = bytearray()
    for row in rows:
        candidates = []
        for kind in ([choose] if choose is not None else range(5)):
            line = bytearray(len(row))
            for i, value in enumerate(row):
                left = row[i - bpp_bytes] if i >= bpp_bytes else 0
                up = previous[i]
                corner = previous[i - bpp_bytes] if i >= bpp_bytes else 0
                if kind == 0:
                    guess = 0
                elif kind == 1:
                    guess = left
                elif kind == 2:
                    guess = up
                elif kind == 3:
                    guess = (left + up) // 2
                else:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (value - guess) & 0xFF
            candidates.append((sum(v if v < 128 else 256 - v for v in line), kind, line))
        _, kind, line = min(candidates, key=lambda c: c[:2])
        out.append(kind)
        out += line
        previous = row
    return bytes(out)


def png(rows):
    """A whole PNG file (8-bit RGBA) of square rows.  Flat colours often pack
    best unfiltered and edges best filtered, so each filtering is packed and
    the smallest result kept."""
    size = len(rows)
    best = None
    for choose in (None, 0, 1, 2, 3, 4):
        data = filtered(rows, 4, choose)
        for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED):
            packer = zlib.compressobj(9, zlib.DEFLATED, 15, 9, strategy)
            packed = packer.compress(data) + packer.flush()
            if best is None or len(packed) < len(best):
                best = packed

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", best) + chunk(b"IEND", b"")


def build(kind, sources):
    """The bytes of one .ico (kind 1) or .cur (kind 2) file."""
    images = []
    for source, bpp in sources:
        path = os.path.join(HERE, source)
        if bpp == 32:
            images.append((SHAPE_SIZE, None, bpp, png(render(read_shapes(path)))))
            continue
        rows, colours, hotspot = read_art(path)
        if kind == 2 and hotspot is None:
            raise ArtError(source + ": a cursor needs a hot spot")
        images.append((len(rows), hotspot, bpp, dib(rows, colours, bpp, source)))
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for size, hotspot, bpp, data in images:
        colour_count = 16 if bpp == 4 else 0
        if kind == 2:
            # A cursor directory keeps the hot spot where an icon keeps planes and depth.
            field1, field2 = hotspot
        else:
            field1, field2 = 1, bpp
        # A size of 256 is written as 0 in the directory's byte.
        out += struct.pack("<BBBBHHII", size & 0xFF, size & 0xFF, colour_count, 0, field1, field2,
                           len(data), offset)
        offset += len(data)
    return out + b"".join(image[3] for image in images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTDIR\n")
        return 1
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    try:
        for name, kind, sources in OUTPUTS:
            data = build(kind, sources)
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
