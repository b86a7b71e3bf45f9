#!/usr/bin/env python3
"""Draws the artwork of Quen Tremorlink's skinned windows.

Writes into res/ (24-bit bitmaps where every pixel is opaque, 32-bit with straight
alpha where the picture is drawn over what lies behind it; strips hold their images
side by side, image 0 on the left):
  caption.bmp           646x25  caption strip, the window's background
  caption_end.bmp         6x25  the caption's top-right end
  edge_left.bmp           6x10  left edge, tiled downwards
  edge_right.bmp          6x10  right edge, tiled downwards
  edge_bottom.bmp        10x6   bottom edge, tiled sideways
  corner_left.bmp         6x6   bottom-left corner
  corner_right.bmp        6x6   bottom-right corner
  title_banner.bmp      450x45  banner of the title band (the left 388 columns show)
  about_banner.bmp      210x85  banner of the about window
  logo.bmp               64x64  the application's shield, for the about window
  push_button.bmp     4x104x24  push button: unused, over, normal, pressed
  close_button.bmp     3x23x14  close button: over, normal, pressed
  status_icons.bmp     3x64x64  padlock, information, warning

The shapes come from make_icons.py, which draws the tray icons: convex polygons kept
as half-planes, with exact coverage along each pixel row. Rings and arcs are the
difference of two convex shapes.

Standard library only; the output is the same on every run.
"""

import math
import struct

from make_icons import RES_DIR, coverage, draw, polygon, rect, shrink

# The skin's colours. TITLE is the title band's background, behind its white text.
TITLE = (0, 80, 70)
WHITE = (255, 255, 255)
OUTLINE = (0, 46, 41)
GOLD = ((255, 222, 110), (240, 176, 32))

# The frame's bevel from the outside in; the innermost colour lines the white panel.
FRAME = (OUTLINE, (24, 126, 112), (8, 112, 99), (0, 100, 88), (0, 88, 78), (0, 60, 53))
FRAME_WIDTH = len(FRAME)
CAPTION_HEIGHT = 25


# Shapes

def circle(cx, cy, radius, steps=64):
    return polygon([(cx + radius * math.cos(2 * math.pi * i / steps),
                     cy + radius * math.sin(2 * math.pi * i / steps)) for i in range(steps)])


def rounded(points, radius, steps=8):
    """The convex polygon through points with its corners rounded by radius."""
    inset = shrink(polygon(points), radius)
    outline = []
    for (a0, b0, c0), (a1, b1, c1) in zip(inset, inset[1:] + inset[:1]):
        det = a0 * b1 - a1 * b0
        x, y = (b0 * c1 - b1 * c0) / det, (a1 * c0 - a0 * c1) / det
        start = math.atan2(-b0, -a0)
        turn = (math.atan2(-b1, -a1) - start + math.pi) % (2 * math.pi) - math.pi
        outline += [(x + radius * math.cos(start + turn * i / steps),
                     y + radius * math.sin(start + turn * i / steps)) for i in range(steps + 1)]
    return polygon(outline)


def rounded_rect(left, top, right, bottom, radius):
    return rounded([(left, top), (right, top), (right, bottom), (left, bottom)], radius)


def segment(x0, y0, x1, y1, half_width):
    """A stroke of the given half width from (x0, y0) to (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = (y0 - y1) / length * half_width, (x1 - x0) / length * half_width
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


# Rendering

class Canvas:
    """Premultiplied RGBA pixels, row-major, painted layer by layer."""

    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        pixel = (0.0, 0.0, 0.0, 0.0) if background is None else tuple(background) + (1.0,)
        self.pixels = [pixel] * (width * height)

    def cover(self, planes):
        """Coverage of a convex shape, one value per pixel."""
        side = max(self.width, self.height)
        full = coverage(planes, side)
        return [full[row * side + col] for row in range(self.height) for col in range(self.width)]

    def cover_difference(self, outer, inner):
        return [max(0.0, a - b) for a, b in zip(self.cover(outer), self.cover(inner))]

    def paint(self, cover, colour, opacity=1.0):
        """colour: an (r, g, b) tuple, or a function of (x, y) that returns one."""
        for i, amount in enumerate(cover):
            alpha = min(1.0, amount) * opacity
            if alpha > 0:
                x, y = i % self.width, i // self.width
                self.paint_pixel(i, colour(x, y) if callable(colour) else colour, alpha)

    def fill(self, planes, colour, opacity=1.0):
        self.paint(self.cover(planes), colour, opacity)

    def put(self, x, y, colour):
        self.pixels[y * self.width + x] = tuple(colour) + (1.0,)

    def draw_image(self, left, top, size, image):
        """Lays a square straight-alpha image (as make_icons draws it) over the canvas."""
        for row in range(size):
            for col in range(size):
                r, g, b, a = image[row * size + col]
                i = (top + row) * self.width + left + col
                self.paint_pixel(i, (r, g, b), a / 255)

    def paint_pixel(self, i, colour, alpha):
        """Lays colour with the given opacity over pixel i."""
        keep = 1 - alpha
        r, g, b, a = self.pixels[i]
        self.pixels[i] = tuple(c * alpha + p * keep for c, p in zip(colour, (r, g, b))) + (alpha + a * keep,)

    def rgba(self):
        """Straight-alpha (r, g, b, a) bytes."""
        out = []
        for r, g, b, a in self.pixels:
            if a <= 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(min(255, round(c / a)) for c in (r, g, b)) + (round(a * 255),))
        return out


def vertical(top_colour, bottom_colour, top, bottom):
    """A vertical gradient between the rows top and bottom, as a colour function."""
    def colour(_, y):
        t = min(1.0, max(0.0, (y + 0.5 - top) / (bottom - top)))
        return tuple(p + (q - p) * t for p, q in zip(top_colour, bottom_colour))
    return colour


def mix(colour, other, t):
    return tuple(round(p + (q - p) * t) for p, q in zip(colour, other))


# Bitmap files

def write_bmp(name, width, height, pixels, alpha):
    """A bottom-up BI_RGB bitmap: 32 bits with straight alpha, or 24 bits."""
    bits = 32 if alpha else 24
    stride = (width * bits // 8 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(range(height)):
        line = bytearray()
        for r, g, b, a in pixels[row * width:(row + 1) * width]:
            line += bytes((b, g, r, a)) if alpha else bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    (RES_DIR / name).write_bytes(file_header + header + data)


def write_strip(name, canvases, alpha=True):
    """Images of one size side by side, image 0 on the left."""
    width, height = canvases[0].width, canvases[0].height
    images = [c.rgba() for c in canvases]
    pixels = [images[col // width][row * width + col % width]
              for row in range(height) for col in range(width * len(canvases))]
    write_bmp(name, width * len(canvases), height, pixels, alpha)


def write_canvas(name, canvas, alpha=False):
    write_strip(name, [canvas], alpha)


# The frame

CAPTION_TOP = ((74, 166, 150), (20, 128, 113))  # upper half of the caption, top to bottom
CAPTION_BOTTOM = ((0, 108, 95), (0, 90, 79))  # lower half
CAPTION_SHINE = (120, 196, 182)  # the row under the outline
CAPTION_SEPARATOR = FRAME[-1]  # the row above the panel


def caption_row_colour(row):
    if row == 0:
        return OUTLINE
    if row == 1:
        return CAPTION_SHINE
    if row == CAPTION_HEIGHT - 1:
        return CAPTION_SEPARATOR
    half = CAPTION_HEIGHT // 2
    if row < half:
        return mix(*CAPTION_TOP, (row - 2) / (half - 3))
    return mix(*CAPTION_BOTTOM, (row - half) / (CAPTION_HEIGHT - 2 - half))


def caption():
    """The strip, with the top of the left edge in its first columns and the logo."""
    width = 646
    canvas = Canvas(width, CAPTION_HEIGHT)
    for row in range(CAPTION_HEIGHT):
        for col in range(width):
            colour = caption_row_colour(row)
            if col == 0:
                colour = OUTLINE
            elif row == CAPTION_HEIGHT - 1 and col < FRAME_WIDTH:
                colour = FRAME[col]
            canvas.put(col, row, colour)
    canvas.draw_image(8, 4, 16, draw(3, 16))
    return canvas


def caption_end():
    canvas = Canvas(FRAME_WIDTH, CAPTION_HEIGHT)
    for row in range(CAPTION_HEIGHT):
        for col in range(FRAME_WIDTH):
            depth = FRAME_WIDTH - 1 - col
            if depth == 0:
                colour = OUTLINE
            elif row == CAPTION_HEIGHT - 1:
                colour = FRAME[depth]
            else:
                colour = caption_row_colour(row)
            canvas.put(col, row, colour)
    return canvas


def frame_piece(width, height, depth):
    """A piece of the frame; depth(x, y) is the pixel's distance from the outside."""
    canvas = Canvas(width, height)
    for row in range(height):
        for col in range(width):
            canvas.put(col, row, FRAME[depth(col, row)])
    return canvas


# Banners

def rings(canvas, cx, cy, radii, width, colour, opacities, clip=None):
    """Concentric rings of the given stroke width, faded ring by ring."""
    for radius, opacity in zip(radii, opacities):
        outer, inner = circle(cx, cy, radius + width / 2, 128), circle(cx, cy, radius - width / 2, 128)
        if clip:
            outer, inner = outer + clip, inner + clip
        canvas.paint(canvas.cover_difference(outer, inner), colour, opacity)


def title_banner():
    """Flat title colour behind the title text, lighter towards the right with the
    rings of a vibration, and a gold line along the bottom."""
    width, height = 450, 45
    canvas = Canvas(width, height, TITLE)
    light = (0, 124, 108)
    canvas.fill(rect(240, 0, width, height - 2), lambda x, _: mix(TITLE, light, min(1.0, (x - 240) / 148)))
    rings(canvas, 356, 21, (7, 14, 21, 28, 35), 2.0, WHITE, (0.55, 0.4, 0.28, 0.18, 0.1),
          clip=rect(300, 0, width, height - 2))
    canvas.fill(circle(356, 21, 3.5), WHITE, 0.8)
    canvas.fill(rect(0, height - 2, width, height), lambda x, _: mix(*GOLD, x / width))
    return canvas


def about_banner():
    """A diagonal title-coloured gradient with rings around the place of the logo,
    which the about window shows half over the banner's bottom edge."""
    width, height = 210, 85
    canvas = Canvas(width, height, TITLE)
    light = (0, 132, 116)
    canvas.fill(rect(0, 0, width, height - 2),
                lambda x, y: mix(TITLE, light, min(1.0, (x + 2 * (height - y)) / (width + height))))
    rings(canvas, 74, 97, (44, 58, 72, 86, 100, 114), 2.0, WHITE, (0.34, 0.27, 0.2, 0.14, 0.09, 0.05),
          clip=rect(0, 0, width, height - 2))
    canvas.fill(rect(0, height - 2, width, height), lambda x, _: mix(*GOLD, x / width))
    return canvas


def logo():
    canvas = Canvas(64, 64)
    canvas.draw_image(0, 0, 64, draw(3, 64))
    return canvas


# Buttons

PUSH_STATES = (
    # border, fill top, fill bottom, shine opacity (image order: unused, over, normal, pressed)
    ((178, 186, 186), (244, 245, 245), (226, 229, 229), 0.5),
    ((0, 124, 108), (238, 251, 248), (178, 226, 216), 0.9),
    ((104, 148, 140), (253, 254, 254), (214, 228, 225), 0.8),
    ((0, 88, 78), (168, 208, 200), (212, 236, 230), 0.0),
)


def push_button(border, top, bottom, shine):
    width, height = 104, 24
    canvas = Canvas(width, height)
    outer = rounded_rect(0, 0, width, height, 4)
    canvas.fill(outer, border)
    inner = shrink(outer, 1)
    canvas.fill(inner, vertical(top, bottom, 1, height - 1))
    canvas.fill(inner + [(0.0, -1.0, 2.0)], WHITE, shine)
    if shine == 0:
        # Pressed: a shadow along the inside of the top edge.
        canvas.fill(inner + [(0.0, -1.0, 3.0)], border, 0.25)
    return canvas


CLOSE_STATES = (
    # fill top, fill bottom, fill opacity, border, border opacity (over, normal, pressed)
    ((240, 104, 88), (200, 44, 32), 1.0, (120, 20, 12), 1.0),
    (WHITE, WHITE, 0.12, WHITE, 0.35),
    ((176, 40, 30), (214, 70, 56), 1.0, (96, 14, 8), 1.0),
)


def close_button(top, bottom, fill_opacity, border, border_opacity):
    width, height = 23, 14
    canvas = Canvas(width, height)
    outer = rounded_rect(0, 0, width, height, 3)
    inner = shrink(outer, 1)
    canvas.paint(canvas.cover_difference(outer, inner), border, border_opacity)
    canvas.fill(inner, vertical(top, bottom, 1, height - 1), fill_opacity)
    cx, cy, arm = width / 2, height / 2, 3.2
    for dx in (arm, -arm):
        canvas.fill(segment(cx - dx, cy - arm, cx + dx, cy + arm, 0.95), WHITE)
    return canvas


# Status icons

def padlock():
    canvas = Canvas(64, 64)
    steel = ((214, 220, 222), (128, 138, 142))
    steel_outline = (70, 78, 82)
    upper = [(0.0, -1.0, 27.0)]  # the shackle's arc ends at the row 27
    canvas.paint(canvas.cover_difference(circle(32, 27, 16) + upper, circle(32, 27, 8) + upper), steel_outline)
    canvas.fill(rect(16, 26, 24, 36), steel_outline)
    canvas.fill(rect(40, 26, 48, 36), steel_outline)
    canvas.paint(canvas.cover_difference(circle(32, 27, 14.8) + upper, circle(32, 27, 9.2) + upper),
                 vertical(*steel, 11, 30))
    canvas.fill(rect(17.2, 26, 22.8, 36), vertical(*steel, 11, 36))
    canvas.fill(rect(41.2, 26, 46.8, 36), vertical(*steel, 11, 36))
    body = rounded_rect(10, 30, 54, 61, 6)
    canvas.fill(body, (122, 76, 8))
    canvas.fill(shrink(body, 1.4), vertical((255, 220, 112), (230, 150, 22), 31, 60))
    canvas.fill(shrink(body, 1.4) + [(0.0, -1.0, 36.0)], WHITE, 0.35)
    canvas.fill(circle(32, 42, 4.6), (82, 46, 4))
    canvas.fill(polygon([(29.6, 44), (34.4, 44), (33.6, 53), (30.4, 53)]), (82, 46, 4))
    return canvas


def information():
    canvas = Canvas(64, 64)
    canvas.fill(circle(32, 32, 29.5), (18, 78, 140))
    canvas.fill(circle(32, 32, 28), vertical((104, 174, 236), (26, 104, 190), 4, 60))
    canvas.fill(circle(32, 32, 28) + [(0.0, -1.0, 30.0)], WHITE, 0.15)
    canvas.fill(circle(32, 17.5, 4.2), WHITE)
    canvas.fill(rounded_rect(27.8, 25, 36.2, 50, 2), WHITE)
    return canvas


def warning():
    canvas = Canvas(64, 64)
    points = [(32, 4), (62, 58), (2, 58)]
    canvas.fill(rounded(points, 5), (122, 76, 8))
    canvas.fill(shrink(rounded(points, 5), 1.6), vertical((255, 224, 120), (244, 164, 20), 6, 57))
    canvas.fill(polygon([(29.3, 21), (34.7, 21), (33.6, 42), (30.4, 42)]), (52, 34, 4))
    canvas.fill(circle(32, 48.5, 3.2), (52, 34, 4))
    return canvas


def main():
    write_canvas("caption.bmp", caption())
    write_canvas("caption_end.bmp", caption_end())
    last = FRAME_WIDTH - 1
    write_canvas("edge_left.bmp", frame_piece(FRAME_WIDTH, 10, lambda x, y: x))
    write_canvas("edge_right.bmp", frame_piece(FRAME_WIDTH, 10, lambda x, y: last - x))
    write_canvas("edge_bottom.bmp", frame_piece(10, FRAME_WIDTH, lambda x, y: last - y))
    write_canvas("corner_left.bmp", frame_piece(FRAME_WIDTH, FRAME_WIDTH, lambda x, y: min(x, last - y)))
    write_canvas("corner_right.bmp", frame_piece(FRAME_WIDTH, FRAME_WIDTH, lambda x, y: min(last - x, last - y)))
    write_canvas("title_banner.bmp", title_banner())
    write_canvas("about_banner.bmp", about_banner())
    write_canvas("logo.bmp", logo(), alpha=True)
    write_strip("push_button.bmp", [push_button(*state) for state in PUSH_STATES])
    write_strip("close_button.bmp", [close_button(*state) for state in CLOSE_STATES])
    write_strip("status_icons.bmp", [padlock(), information(), warning()])


if __name__ == "__main__":
    main()
