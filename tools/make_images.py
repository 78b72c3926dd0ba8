#!/usr/bin/env python3
"""Draw the program's icons and the donate-button bitmap.

Writes into src/resources/ (or the folder given as the only argument):
  program.ico                       window icon 111, 32x32 and 16x16
  row_shade0.ico, row_shade1.ico    row icons 113 and 132
  row_changed0.ico, row_changed1.ico  row icons 133 and 134
  row_missing.ico                   row icon 135
  donate.bmp                        bitmap 116, 62x31, 8 bits per pixel

Standard library only, and the output is byte-for-byte the same on every
run so the generated files can be checked in and rebuilt at will.

Every pixel is either fully opaque or fully transparent, and the AND mask
agrees with the alpha channel: the row icons go into an ILC_COLORDDB |
ILC_MASK image list, which drops alpha and draws through the mask alone.
"""

import os
import struct
import sys

TRANSPARENT = None


# ---------------------------------------------------------------------------
# Canvas: a grid of (r, g, b) tuples, or TRANSPARENT.

def new_canvas(width, height, fill=TRANSPARENT):
    return [[fill for _ in range(width)] for _ in range(height)]


def fill_rect(canvas, left, top, right, bottom, colour):
    """Fill the inclusive rectangle [left..right] x [top..bottom]."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            canvas[y][x] = colour


def inside_rounded(x, y, left, top, right, bottom, radius):
    """Whether pixel (x, y) lies in the inclusive rounded rectangle."""
    if x < left or x > right or y < top or y > bottom:
        return False
    # Distance to the nearest corner centre, measured at pixel centres.
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    dx = x - cx
    dy = y - cy
    return dx * dx + dy * dy <= radius * radius + radius * 0.6


def fill_rounded(canvas, left, top, right, bottom, radius, colour_at):
    """Fill a rounded rectangle; colour_at(x, y) picks each pixel's colour."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if inside_rounded(x, y, left, top, right, bottom, radius):
                canvas[y][x] = colour_at(x, y)


def outline_rounded(canvas, left, top, right, bottom, radius, colour):
    """Draw the one-pixel rim of a rounded rectangle."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if not inside_rounded(x, y, left, top, right, bottom, radius):
                continue
            inner = inside_rounded(x, y, left + 1, top + 1, right - 1,
                                   bottom - 1, max(radius - 1, 0))
            if not inner:
                canvas[y][x] = colour


def fill_disc(canvas, cx, cy, r, colour_at):
    """Fill a disc centred between pixels when cx/cy end in .5."""
    for y in range(len(canvas)):
        for x in range(len(canvas[0])):
            dx = x + 0.5 - cx
            dy = y + 0.5 - cy
            if dx * dx + dy * dy <= r * r:
                canvas[y][x] = colour_at(x, y, (dx * dx + dy * dy) ** 0.5)


# ---------------------------------------------------------------------------
# Icon files.

def icon_image(canvas):
    """One 32-bit image of an icon file: header, BGRA rows, AND mask rows."""
    height = len(canvas)
    width = len(canvas[0])
    header = struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, 32, 0,
                         0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for y in range(height - 1, -1, -1):  # bottom-up
        row_mask = bytearray(mask_stride)
        for x in range(width):
            pixel = canvas[y][x]
            if pixel is TRANSPARENT:
                colour += b'\x00\x00\x00\x00'
                row_mask[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = pixel
                colour += bytes((b, g, r, 255))
        mask += row_mask
    return header + bytes(colour) + bytes(mask)


def write_icon(path, canvases):
    """Write an icon file holding one 32-bit image per canvas, in order."""
    images = [icon_image(c) for c in canvases]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        width = len(canvas[0])
        height = len(canvas)
        directory += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0,
                                 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(directory)
        for image in images:
            f.write(image)


# ---------------------------------------------------------------------------
# Row icons: 16x16 tiles. The plain and the "changed" tile of each shade
# share one shape (square or rounded) so a changed row keeps its rhythm.

def shade(colour, factor):
    return tuple(max(0, min(255, int(round(c * factor)))) for c in colour)


def square_tile(base):
    """A square bevelled tile with a one-pixel transparent margin."""
    canvas = new_canvas(16, 16)
    fill_rect(canvas, 1, 1, 14, 14, shade(base, 0.55))       # dark rim
    fill_rect(canvas, 2, 2, 13, 13, base)
    fill_rect(canvas, 2, 2, 13, 2, shade(base, 1.35))        # lit top edge
    fill_rect(canvas, 2, 2, 2, 13, shade(base, 1.35))        # lit left edge
    fill_rect(canvas, 3, 13, 13, 13, shade(base, 0.75))      # shaded bottom
    fill_rect(canvas, 13, 3, 13, 13, shade(base, 0.75))      # shaded right
    return canvas


def rounded_tile(base):
    """A rounded tile with a highlight spot, same footprint as the square."""
    canvas = new_canvas(16, 16)
    fill_rounded(canvas, 1, 1, 14, 14, 3, lambda x, y: base)
    outline_rounded(canvas, 1, 1, 14, 14, 3, shade(base, 0.55))
    fill_rect(canvas, 4, 4, 6, 5, shade(base, 1.45))
    fill_rect(canvas, 4, 6, 4, 6, shade(base, 1.45))
    return canvas


def missing_disc():
    """A red disc with a small highlight, corners transparent."""
    canvas = new_canvas(16, 16)
    red = (220, 24, 24)
    rim = (128, 0, 0)

    def colour_at(x, y, distance):
        return rim if distance > 6.0 else red

    fill_disc(canvas, 8.0, 8.0, 7.0, colour_at)
    fill_rect(canvas, 5, 4, 6, 4, (255, 150, 150))
    fill_rect(canvas, 4, 5, 4, 6, (255, 150, 150))
    return canvas


PURPLE = (128, 48, 168)
TEAL = (0, 140, 140)
BRIGHT_GREEN = (32, 224, 32)


# ---------------------------------------------------------------------------
# Program icon: a card holding a small bar chart, like a tally of readings.

def program_icon(size):
    canvas = new_canvas(size, size)
    if size == 32:
        card = (1, 2, 30, 29, 4)
        bars = [(5, 18), (11, 12), (17, 15), (23, 7)]   # (left, top)
        bar_width = 5
        base_y = 25
    else:
        card = (0, 1, 15, 14, 2)
        bars = [(2, 9), (5, 6), (8, 8), (11, 4)]
        bar_width = 3
        base_y = 12
    left, top, right, bottom, radius = card
    paper = (250, 248, 236)
    fill_rounded(canvas, left, top, right, bottom, radius, lambda x, y: paper)
    outline_rounded(canvas, left, top, right, bottom, radius, (48, 56, 80))
    colours = [PURPLE, TEAL, BRIGHT_GREEN, (220, 24, 24)]
    for (bar_left, bar_top), colour in zip(bars, colours):
        bar_right = bar_left + bar_width - 1
        fill_rect(canvas, bar_left, bar_top, bar_right, base_y - 1,
                  shade(colour, 0.6))
        if bar_width > 2:
            fill_rect(canvas, bar_left + 1, bar_top + 1, bar_right - 1,
                      base_y - 1, colour)
    # Base line under the bars.
    fill_rect(canvas, left + 2, base_y, right - 2, base_y, (48, 56, 80))
    return canvas


# ---------------------------------------------------------------------------
# Donate bitmap: 62x31, 8 bits per pixel, 256-entry palette.

# A 5x7 pixel font, just the letters the picture needs.
GLYPHS = {
    'D': ['XXXX.', 'X...X', 'X...X', 'X...X', 'X...X', 'X...X', 'XXXX.'],
    'O': ['.XXX.', 'X...X', 'X...X', 'X...X', 'X...X', 'X...X', '.XXX.'],
    'N': ['X...X', 'XX..X', 'X.X.X', 'X.X.X', 'X..XX', 'X...X', 'X...X'],
    'A': ['.XXX.', 'X...X', 'X...X', 'XXXXX', 'X...X', 'X...X', 'X...X'],
    'T': ['XXXXX', '..X..', '..X..', '..X..', '..X..', '..X..', '..X..'],
    'E': ['XXXXX', 'X....', 'X....', 'XXXX.', 'X....', 'X....', 'XXXXX'],
}
GLYPH_WIDTH = 5
GLYPH_GAP = 1


def text_width(text):
    return len(text) * (GLYPH_WIDTH + GLYPH_GAP) - GLYPH_GAP


def draw_text(canvas, left, top, text, colour):
    for index, letter in enumerate(text):
        glyph = GLYPHS[letter]
        x0 = left + index * (GLYPH_WIDTH + GLYPH_GAP)
        for dy, row in enumerate(glyph):
            for dx, cell in enumerate(row):
                if cell == 'X':
                    canvas[top + dy][x0 + dx] = colour


def donate_picture():
    width, height = 62, 31
    white = (255, 255, 255)
    canvas = new_canvas(width, height, white)
    top_colour = (255, 230, 130)
    bottom_colour = (255, 170, 40)

    def gradient(x, y):
        # Eight bands from light yellow to orange keep the palette small.
        t = min(7, max(0, (y - 2) * 8 // (height - 4))) / 7.0
        return tuple(int(round(a + (b - a) * t))
                     for a, b in zip(top_colour, bottom_colour))

    fill_rounded(canvas, 1, 1, 60, 29, 6, gradient)
    outline_rounded(canvas, 1, 1, 60, 29, 6, (190, 110, 0))
    # Highlight under the upper rim gives the button some depth.
    for x in range(8, 54):
        canvas[2][x] = (255, 246, 200)

    # Logo block: a navy badge with a white heart.
    navy = (16, 40, 112)
    fill_rounded(canvas, 24, 4, 37, 12, 2, lambda x, y: navy)
    heart = ['.XX.XX.',
             'XXXXXXX',
             'XXXXXXX',
             '.XXXXX.',
             '..XXX..',
             '...X...']
    for dy, row in enumerate(heart):
        for dx, cell in enumerate(row):
            if cell == 'X':
                canvas[5 + dy][27 + dx] = (255, 255, 255)

    word = 'DONATE'
    left = (width - text_width(word)) // 2
    draw_text(canvas, left + 1, 17, word, (235, 150, 30))  # soft shadow
    draw_text(canvas, left, 16, word, navy)
    return canvas


def write_bitmap_8bpp(path, canvas):
    height = len(canvas)
    width = len(canvas[0])
    # Palette in order of first use, scanning top-down, left to right, so the
    # output never depends on hashing; unused entries stay black.
    palette = []
    index_of = {}
    for row in canvas:
        for pixel in row:
            if pixel not in index_of:
                index_of[pixel] = len(palette)
                palette.append(pixel)
    if len(palette) > 256:
        raise ValueError('picture uses more than 256 colours')
    palette_bytes = bytearray()
    for entry in range(256):
        r, g, b = palette[entry] if entry < len(palette) else (0, 0, 0)
        palette_bytes += bytes((b, g, r, 0))

    stride = (width + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray(index_of[p] for p in canvas[y])
        row += bytes(stride - width)
        pixels += row

    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0,
                       len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(palette_bytes)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0,
                              offset)
    with open(path, 'wb') as f:
        f.write(file_header + info + bytes(palette_bytes) + bytes(pixels))


# ---------------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.join(here, '..', 'src', 'resources')
    out = sys.argv[1] if len(sys.argv) > 1 else default_out
    os.makedirs(out, exist_ok=True)

    write_icon(os.path.join(out, 'program.ico'),
               [program_icon(32), program_icon(16)])
    write_icon(os.path.join(out, 'row_shade0.ico'), [square_tile(PURPLE)])
    write_icon(os.path.join(out, 'row_shade1.ico'), [rounded_tile(TEAL)])
    write_icon(os.path.join(out, 'row_changed0.ico'),
               [square_tile(BRIGHT_GREEN)])
    write_icon(os.path.join(out, 'row_changed1.ico'),
               [rounded_tile(BRIGHT_GREEN)])
    write_icon(os.path.join(out, 'row_missing.ico'), [missing_disc()])
    write_bitmap_8bpp(os.path.join(out, 'donate.bmp'), donate_picture())
    return 0


if __name__ == '__main__':
    sys.exit(main())
