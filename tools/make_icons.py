#!/usr/bin/env python3
"""Draws the tray images and the application icon of Quen Tremorlink.

Writes into res/:
  tray0.ico ... tray5.ico  the six tray images, each at 16, 20, 24 and 32 pixels
                           in 32-bit colour with alpha;
  Tremorlink.ico           the application icon at 48, 32, 24 and 16 pixels, each
                           in 32-bit colour with alpha and in 256 colours.

Every shape is convex and kept as a list of half-planes, which makes the outline
(the shape shrunk by the outline width) and the clipping of the band exact. Each
pixel row is sampled ROWS_PER_PIXEL times; along a row the covered length is exact.
Edges that should be sharp lie on pixel boundaries at every size.

Standard library only; the output is the same on every run.
"""

import math
import struct
from collections import Counter
from pathlib import Path

RES_DIR = Path(__file__).resolve().parent.parent / "res"
ROWS_PER_PIXEL = 16
TRAY_SIZES = (16, 20, 24, 32)
APP_SIZES = (48, 32, 24, 16)

WHITE = (255, 255, 255)
GREEN = ((88, 196, 92), (36, 138, 58), (14, 74, 30))  # top, bottom, outline
GOLD = ((255, 222, 110), (240, 176, 32))  # top, bottom
SHEEN = 0.14  # opacity of the white over the shield's left half

# The six tray images, by index: shield colours (top, bottom, outline), symbol and
# its colour (for the band a top and a bottom colour). Image 3 is the application
# icon's design.
IMAGES = (
    (((238, 86, 80), (196, 36, 36), (110, 16, 16)), "play", WHITE),
    (GREEN, "play", (16, 48, 22)),
    (((255, 172, 64), (238, 118, 14), (124, 54, 4)), "bars", (58, 30, 6)),
    (GREEN, "band", GOLD),
    (((236, 136, 30), (196, 88, 4), (104, 42, 2)), "bars", (48, 24, 4)),
    (((255, 206, 120), (255, 156, 46), (150, 76, 12)), "bars", (70, 38, 8)),
)


# Shapes

def polygon(points):
    """Half-planes (a, b, c), inside where a*x + b*y + c >= 0, of a convex polygon."""
    cx = sum(x for x, _ in points) / len(points)
    cy = sum(y for _, y in points) / len(points)
    planes = []
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        length = math.hypot(x1 - x0, y1 - y0)
        if length < 1e-9:
            continue
        a, b = (y0 - y1) / length, (x1 - x0) / length
        if a * cx + b * cy < a * x0 + b * y0:
            a, b = -a, -b
        planes.append((a, b, -(a * x0 + b * y0)))
    return planes


def shrink(planes, distance):
    """The shape with every edge moved inwards by distance."""
    return [(a, b, c - distance) for a, b, c in planes]


def above(y):
    """Half-plane of the points above the row y."""
    return [(0.0, -1.0, y)]


def left_of(x):
    """Half-plane of the points left of the column x."""
    return [(-1.0, 0.0, x)]


def rect(left, top, right, bottom):
    return polygon([(left, top), (right, top), (right, bottom), (left, bottom)])


class Shield:
    """Shield metrics for one icon size, snapped so that the top and the straight
    sides lie on pixel boundaries."""

    def __init__(self, size):
        self.left = round(size * 0.07)
        self.right = size - self.left
        self.top = round(size * 0.03)
        self.bottom = size - size * 0.02
        self.outline = max(1, round(size / 24))
        self.centre = size / 2

    @property
    def height(self):
        return self.bottom - self.top

    def planes(self):
        left, right, top, bottom = self.left, self.right, self.top, self.bottom
        half = (right - left) / 2
        corner = half * 0.3
        shoulder = top + self.height * 0.35
        points = []
        for i in range(9):
            angle = math.pi * (1 + i / 16)
            points.append((left + corner + corner * math.cos(angle),
                           top + corner + corner * math.sin(angle)))
        for i in range(9):
            angle = math.pi * (1.5 + i / 16)
            points.append((right - corner + corner * math.cos(angle),
                           top + corner + corner * math.sin(angle)))
        curve = ((right, shoulder), (right, shoulder + self.height * 0.3),
                 (self.centre + half * 0.45, bottom - half * 0.3), (self.centre, bottom))
        flank = [cubic(curve, i / 24) for i in range(25)]
        points += flank + [(2 * self.centre - x, y) for x, y in reversed(flank[:-1])]
        return polygon(points)


def cubic(points, t):
    """Point at t on the cubic Bezier curve through four control points."""
    u = 1 - t
    weights = (u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t)
    return tuple(sum(w * p[n] for w, p in zip(weights, points)) for n in range(2))


# Symbols, centred on the shield's body and aligned to whole pixels.

def symbol_box(size, shield):
    height = round(size * 0.47)
    top = round(shield.top + shield.height * 0.44 - height / 2)
    return top, top + height


def play(size, shield):
    top, bottom = symbol_box(size, shield)
    width = (bottom - top) * 0.9
    left = round(shield.centre - width * 0.42)
    return [polygon([(left, top), (left + width, (top + bottom) / 2), (left, bottom)])]


def bars(size, shield):
    top, bottom = symbol_box(size, shield)
    width = max(2, round(size * 0.13))
    gap = 2 * max(1, round(size / 16))
    if (2 * width + gap) % 2 != size % 2:
        gap += 1
    left = round(shield.centre - (2 * width + gap) / 2)
    return [rect(left, top, left + width, bottom),
            rect(left + width + gap, top, left + 2 * width + gap, bottom)]


def band(shield):
    bottom = round(shield.top + shield.height * 0.32)
    return shrink(shield.planes(), shield.outline) + above(bottom)


# Rendering

def coverage(planes, size):
    """Fraction of each pixel (row-major) that lies inside the shape."""
    cover = [0.0] * (size * size)
    step = 1 / ROWS_PER_PIXEL
    for row in range(size):
        for k in range(ROWS_PER_PIXEL):
            y = row + (k + 0.5) * step
            lo, hi = 0.0, float(size)
            for a, b, c in planes:
                rest = b * y + c
                if abs(a) < 1e-12:
                    if rest < 0:
                        hi = lo
                elif a > 0:
                    lo = max(lo, -rest / a)
                else:
                    hi = min(hi, -rest / a)
            if hi <= lo:
                continue
            for col in range(int(lo), min(size, math.ceil(hi))):
                cover[row * size + col] += (min(hi, col + 1) - max(lo, col)) * step
    return cover


def gradient(top_colour, bottom_colour, shield, size):
    """Colour of each pixel on a vertical gradient over the shield's height."""
    colours = []
    for row in range(size):
        t = min(1.0, max(0.0, (row + 0.5 - shield.top) / shield.height))
        colour = tuple(p + (q - p) * t for p, q in zip(top_colour, bottom_colour))
        colours.extend([colour] * size)
    return colours


def composite(layers, size):
    """Paints the layers (coverage, colours) in order; returns straight-alpha
    (r, g, b, a) bytes."""
    pixels = [(0.0, 0.0, 0.0, 0.0)] * (size * size)
    for cover, colours in layers:
        for i, alpha in enumerate(cover):
            alpha = min(1.0, alpha)
            if alpha <= 0:
                continue
            r, g, b, a = pixels[i]
            out = alpha + a * (1 - alpha)
            colour = colours[i]
            pixels[i] = tuple((colour[n] * alpha + (r, g, b)[n] * a * (1 - alpha)) / out
                              for n in range(3)) + (out,)
    return [tuple(round(v) for v in p[:3]) + (round(p[3] * 255),) for p in pixels]


def draw(index, size):
    """Image index at size pixels: a list of (r, g, b, a) bytes, row-major."""
    (top_colour, bottom_colour, outline_colour), symbol, symbol_colour = IMAGES[index]
    shield = Shield(size)
    outer = shield.planes()
    flat = [outline_colour] * (size * size)
    layers = [(coverage(outer, size), flat),
              (coverage(shrink(outer, shield.outline), size),
               gradient(top_colour, bottom_colour, shield, size))]
    if symbol == "band":
        layers.append((coverage(band(shield), size),
                       gradient(*symbol_colour, shield, size)))
    sheen = shrink(outer, shield.outline) + left_of(shield.centre)
    layers.append(([SHEEN * c for c in coverage(sheen, size)], [WHITE] * (size * size)))
    if symbol != "band":
        shapes = play(size, shield) if symbol == "play" else bars(size, shield)
        for shape in shapes:
            layers.append((coverage(shape, size), [symbol_colour] * (size * size)))
    return composite(layers, size)


# Icon files

def mask_rows(size, transparent):
    """The AND mask, bottom-up, one bit per pixel, rows padded to 32 bits."""
    stride = (size + 31) // 32 * 4
    data = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            if transparent[row * size + col]:
                line[col // 8] |= 0x80 >> (col % 8)
        data += line
    return bytes(data)


def bitmap_header(size, bits, image_bytes, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, image_bytes,
                       0, 0, colours_used, 0)


def entry_32bit(size, pixels):
    colour = bytearray()
    for row in reversed(range(size)):
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            colour += bytes((b, g, r, a)) if a else bytes(4)
    mask = mask_rows(size, [p[3] == 0 for p in pixels])
    return bitmap_header(size, 32, len(colour) + len(mask), 0) + colour + mask


def spread(colours, channel):
    return max(c[channel] for c in colours) - min(c[channel] for c in colours)


def median_cut(counts, limit):
    """Groups the colours (with pixel counts) into at most limit boxes; returns
    the palette and the index of each colour."""
    boxes = [sorted(counts)]
    while len(boxes) < limit:
        splittable = [box for box in boxes if len(box) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: max(spread(b, n) for n in range(3)))
        channel = max(range(3), key=lambda n: spread(box, n))
        box.sort(key=lambda c: (c[channel], c))
        half = sum(counts[c] for c in box) / 2
        running, cut = 0, 1
        for cut, c in enumerate(box[:-1], 1):
            running += counts[c]
            if running >= half:
                break
        boxes.remove(box)
        boxes += [box[:cut], box[cut:]]
    palette, index = [], {}
    for box in boxes:
        weight = sum(counts[c] for c in box)
        palette.append(tuple(round(sum(c[n] * counts[c] for c in box) / weight)
                             for n in range(3)))
        for c in box:
            index[c] = len(palette)
    return palette, index


def entry_8bit(size, pixels):
    """256 colours: opaque where alpha is at least half, palette slot 0 is the
    black behind the transparent pixels."""
    opaque = [p[3] >= 128 for p in pixels]
    counts = Counter(p[:3] for p, solid in zip(pixels, opaque) if solid)
    palette, index = median_cut(counts, 255)
    table = bytes(4) + b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    table += bytes(4 * (255 - len(palette)))
    stride = (size + 3) // 4 * 4
    colour = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            i = row * size + col
            if opaque[i]:
                line[col] = index[pixels[i][:3]]
        colour += line
    mask = mask_rows(size, [not solid for solid in opaque])
    return bitmap_header(size, 8, len(colour) + len(mask), 256) + table + colour + mask


def write_icon(path, images):
    """images: (size, bits per pixel, bitmap bytes) in the order of the directory."""
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, bits, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits,
                                 len(data), offset)
        offset += len(data)
    path.write_bytes(directory + b"".join(data for _, _, data in images))


def main():
    for index in range(len(IMAGES)):
        write_icon(RES_DIR / f"tray{index}.ico",
                   [(size, 32, entry_32bit(size, draw(index, size))) for size in TRAY_SIZES])
    app = {size: draw(3, size) for size in APP_SIZES}
    write_icon(RES_DIR / "Tremorlink.ico",
               [(size, 32, entry_32bit(size, app[size])) for size in APP_SIZES]
               + [(size, 8, entry_8bit(size, app[size])) for size in APP_SIZES])


if __name__ == "__main__":
    main()
