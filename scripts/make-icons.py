#!/usr/bin/env python3
"""Draws the program's two icons and writes them as multi-size .ico files.

    python3 scripts/make-icons.py [--preview DIR]

  src/ui/res/app.ico     the application icon: a page with a red tag, 16 to 256 px, 32-bit
  src/ui/res/progress.ico  the progress window's picture: a page under a magnifier; 32 px as a
                         16-colour image whose background is masked out, 48 and 64 px 32-bit

Both are drawn from shapes on a 32 x 32 grid, so every size shows the same picture. The
32-bit sizes are anti-aliased (each pixel takes the share of its subsamples that each shape
covers); the 16-colour picture samples each pixel once, so it keeps hard edges and only
the colours of the standard 16-colour palette. With --preview, each image is also written
as a PNG to DIR for looking at. Needs only the Python standard library.
"""
import argparse
import math
import struct
import zlib
from pathlib import Path

WHITE = (255, 255, 255)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
CYAN = (0, 255, 255)
MAROON = (128, 0, 0)
RED = (255, 0, 0)
YELLOW = (255, 255, 0)
BLACK = (0, 0, 0)

# The standard 16-colour palette, in the order of the system's 16-colour bitmaps.
PALETTE16 = [
    BLACK, MAROON, (0, 128, 0), (128, 128, 0), NAVY, (128, 0, 128), (0, 128, 128), SILVER,
    GREY, RED, (0, 255, 0), YELLOW, BLUE, (255, 0, 255), CYAN, WHITE,
]


# ---- shapes on the 32-unit grid ---------------------------------------------------------

class Polygon:
    def __init__(self, points, color):
        self.points = points
        self.color = color
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Circle:
    def __init__(self, cx, cy, r, color):
        self.cx, self.cy, self.r, self.color = cx, cy, r, color
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r


class Capsule:
    """A thick line with round ends."""

    def __init__(self, a, b, width, color):
        self.a, self.b, self.half, self.color = a, b, width / 2, color
        self.box = (min(a[0], b[0]) - self.half, min(a[1], b[1]) - self.half,
                    max(a[0], b[0]) + self.half, max(a[1], b[1]) + self.half)

    def contains(self, x, y):
        (ax, ay), (bx, by) = self.a, self.b
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= self.half * self.half


def inset(points, d):
    """The convex polygon (clockwise on screen) moved inwards by d on every edge."""
    n = len(points)
    lines = []
    for i in range(n):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
        length = math.hypot(x2 - x1, y2 - y1)
        nx, ny = -(y2 - y1) / length, (x2 - x1) / length  # inward for clockwise order
        lines.append(((x1 + nx * d, y1 + ny * d), (x2 - x1, y2 - y1)))
    out = []
    for i in range(n):
        (p, r), (q, s) = lines[i - 1], lines[i]
        cross = r[0] * s[1] - r[1] * s[0]
        t = ((q[0] - p[0]) * s[1] - (q[1] - p[1]) * s[0]) / cross
        out.append((p[0] + t * r[0], p[1] + t * r[1]))
    return out


# ---- the two pictures --------------------------------------------------------------------

class Grid:
    """The 32-unit grid as drawn at one size: straight edges fall on whole pixels, outlines are
    one grid unit wide (or one pixel where a pixel is larger), so small sizes stay crisp."""

    def __init__(self, size):
        self.unit = 32 / size  # grid units per pixel
        self.stroke = max(1, round(1 / self.unit)) * self.unit

    def snap(self, v):
        return round(v / self.unit) * self.unit

    def rect(self, left, top, right, bottom, color):
        l, t, r, b = (self.snap(v) for v in (left, top, right, bottom))
        return Polygon([(l, t), (r, t), (r, b), (l, b)], color)

    def outlined(self, points, line, fill):
        points = [(self.snap(x), self.snap(y)) for (x, y) in points]
        return [Polygon(points, line), Polygon(inset(points, self.stroke), fill)]

    def rows(self, first, last, spacing):
        """Rows from first to last (grid units), a whole number of pixels apart."""
        step = max(2, round(spacing / self.unit)) * self.unit
        y, out = self.snap(first), []
        while y <= last:
            out.append(y)
            y += step
        return out


def page(g, left, top, right, bottom, fold):
    """A sheet of paper with its top right corner folded over."""
    sheet = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    half = g.stroke / 2
    corner = [(right - fold - half, top), (right, top + fold + half), (right - fold - half, top + fold + half)]
    return g.outlined(sheet, GREY, WHITE) + g.outlined(corner, GREY, SILVER)


def text_lines(g, rows, segments, color=NAVY):
    """Lines of `segments` (left, right) on each row, at least a pixel apart."""
    shapes = []
    for y in rows:
        end = None
        for (x0, x1) in segments:
            left = g.snap(x0) if end is None else max(g.snap(x0), end + g.unit)
            end = max(g.snap(x1), left + g.unit)
            shapes.append(g.rect(left, y, end, y + g.stroke, color))
    return shapes


def app_picture(g):
    shapes = page(g, 5, 1, 25, 31, 6)
    shapes += text_lines(g, g.rows(8, 17, 3), [(8, 14), (15, 21)])
    shapes += g.outlined([(10, 25), (15, 20), (30, 20), (30, 30), (15, 30)], MAROON, RED)
    if g.unit < 1.5:  # the tag's hole would be a smudge at 16 and 20 px
        shapes += [Circle(17, 25, 1.6, WHITE), Polygon([(18.1, 23.9), (18.1, 26.1), (15.9, 26.1)], SILVER)]
    labels = g.rows(23, 25.5, 2)
    shapes += text_lines(g, labels[:1], [(20, 27)], YELLOW) + text_lines(g, labels[1:], [(20, 25)], YELLOW)
    return shapes


def progress_picture(g):
    shapes = page(g, 2, 2, 20, 30, 6)
    shapes += text_lines(g, g.rows(8, 23, 3), [(5, 11), (12, 17)])
    handle = ((24.2, 22.2), (30.3, 30.3))
    shapes += [Capsule(*handle, 4.2, BLACK), Capsule(*handle, 2.4, MAROON)]
    shapes += [Circle(19, 16, 8, NAVY), Circle(19, 16, 8 - g.stroke, BLUE), Circle(19, 16, 6.2, CYAN)]
    shapes += [Circle(15.8, 13.2, 2.1, WHITE), Circle(17.3, 14.7, 2.0, CYAN)]
    return shapes


# ---- rendering ---------------------------------------------------------------------------

def color_at(shapes, x, y):
    for shape in reversed(shapes):
        x0, y0, x1, y1 = shape.box
        if x0 <= x <= x1 and y0 <= y <= y1 and shape.contains(x, y):
            return shape.color
    return None


def render(draw, size):
    """RGBA rows, top row first, anti-aliased with n x n subsamples a pixel."""
    unit = 32 / size
    shapes = draw(Grid(size))
    n = 4 if size >= 128 else 8
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = color_at(shapes, (px + (sx + 0.5) / n) * unit, (py + (sy + 0.5) / n) * unit)
                    if c:
                        r, g, b, hits = r + c[0], g + c[1], b + c[2], hits + 1
            if hits:
                row.append((round(r / hits), round(g / hits), round(b / hits), round(255 * hits / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def render16(draw, size):
    """Palette indexes (None where transparent), one sample at each pixel's centre."""
    unit = 32 / size
    shapes = draw(Grid(size))
    return [[None if (c := color_at(shapes, (px + 0.5) * unit, (py + 0.5) * unit)) is None else PALETTE16.index(c)
             for px in range(size)] for py in range(size)]


# ---- file formats ------------------------------------------------------------------------

def and_mask(transparent_rows):
    """The 1-bit mask, bottom row first, rows padded to 32 bits: 1 lets the background show."""
    out = bytearray()
    for row in reversed(transparent_rows):
        bits = bytearray((len(row) + 31) // 32 * 4)
        for x, clear in enumerate(row):
            if clear:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bitmap_header(size, bit_count, colors_used):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bit_count, 0, 0, 0, 0, colors_used, 0)


def bmp32(rows):
    size = len(rows)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = and_mask([[a == 0 for (_, _, _, a) in row] for row in rows])
    return bitmap_header(size, 32, 0) + pixels + mask


def bmp4(indexes):
    size = len(indexes)
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE16)
    pixels = bytearray()
    for row in reversed(indexes):
        values = [0 if i is None else i for i in row]  # masked pixels are black in the colour part
        pixels += bytes((values[x] << 4) | values[x + 1] for x in range(0, size, 2))
    mask = and_mask([[i is None for i in row] for row in indexes])
    return bitmap_header(size, 4, 16) + palette + bytes(pixels) + mask


def png(rows):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    size = len(rows)
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rows)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def ico(images):
    """images: (size, colour count, bits a pixel, data) each."""
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b'', b''
    for size, colors, bits, data in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colors, 0, 1, bits, len(data), offset)
        blobs += data
        offset += len(data)
    return header + entries + blobs


def indexes_to_rgba(indexes):
    return [[(0, 0, 0, 0) if i is None else PALETTE16[i] + (255,) for i in row] for row in indexes]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--preview', type=Path, help='also write each image as a PNG here')
    args = parser.parse_args()
    res = Path(__file__).resolve().parent.parent / 'src' / 'ui' / 'res'
    if args.preview:
        args.preview.mkdir(parents=True, exist_ok=True)

    app = []
    for size in (16, 20, 24, 32, 40, 48, 64, 256):
        rows = render(app_picture, size)
        app.append((size, 0, 32, png(rows) if size == 256 else bmp32(rows)))
        if args.preview:
            (args.preview / f'app-{size}.png').write_bytes(png(rows))
    (res / 'app.ico').write_bytes(ico(app))

    indexes = render16(progress_picture, 32)
    progress = [(32, 16, 4, bmp4(indexes))]
    if args.preview:
        (args.preview / 'progress-32.png').write_bytes(png(indexes_to_rgba(indexes)))
    for size in (48, 64):
        rows = render(progress_picture, size)
        progress.append((size, 0, 32, bmp32(rows)))
        if args.preview:
            (args.preview / f'progress-{size}.png').write_bytes(png(rows))
    (res / 'progress.ico').write_bytes(ico(progress))


if __name__ == '__main__':
    main()
