#!/usr/bin/env python3
"""Draw the program's icons and the donate-button bitmap.

Writes into src/resources/ (or the folder given as the only argument):
  program.ico                       window icon 111
  row_shade0.ico, row_shade1.ico    row icons 113 and 132
  row_changed0.ico, row_changed1.ico  row icons 133 and 134
  row_missing.ico                   row icon 135
  donate.bmp                        bitmap 116, 62x31, 8 bits per pixel

Icon sizes, largest first in each file, every one drawn at its own size
rather than scaled from another, so each display scale gets a sharp image:
  program.ico   64, 48, 40, 36, 32, 28, 24, 20, 16  (the window icon at
                16/20/24/28/32/36/40/48 pixels for 100 % to 300 %, and
                the big icon at 200 %)
  row_*.ico     48, 40, 36, 32, 28, 24, 20, 16  (100 % to 300 %: Windows
                stretches a size the file lacks into a blur)
Each image is 32 bits per pixel with an AND mask. The 16x16 images, and
the 32x32 program image, are the hand-tuned originals; the other sizes
scale the same design and round its geometry to whole pixels.

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


def outline_rounded(canvas, left, top, right, bottom, radius, colour,
                    width=1):
    """Draw the rim, width pixels thick, of a rounded rectangle."""
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if not inside_rounded(x, y, left, top, right, bottom, radius):
                continue
            inner = inside_rounded(x, y, left + width, top + width,
                                   right - width, bottom - width,
                                   max(radius - width, 0))
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


def scaled(value, factor):
    """value * factor rounded half up to a whole pixel (value >= 0)."""
    return int(value * factor + 0.5)


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
# Row icons: tiles designed on a 16x16 grid. The plain and the "changed"
# tile of each shade share one shape (square or rounded) so a changed row
# keeps its rhythm.
#
# At other sizes the margin and every stroke are size // 16 pixels, whole
# pixels so edges stay sharp; positions and radii scale with the size.

ROW_ICON_SIZES = (48, 40, 36, 32, 28, 24, 20, 16)


def shade(colour, factor):
    return tuple(max(0, min(255, int(round(c * factor)))) for c in colour)


def fill_scaled(canvas, left, top, right, bottom, colour):
    """Fill a rectangle given in 16x16 grid pixels, scaled to the canvas."""
    factor = len(canvas) / 16
    fill_rect(canvas, scaled(left, factor), scaled(top, factor),
              scaled(right + 1, factor) - 1, scaled(bottom + 1, factor) - 1,
              colour)


def square_tile(base, size=16):
    """A square bevelled tile inside a transparent margin."""
    canvas = new_canvas(size, size)
    unit = size // 16
    outer = unit                       # rim, from the margin inwards
    inner = outer + unit               # bevel, inside the rim
    bevel_end = inner + unit           # first pixel past the bevel
    far = size - 1
    lit = shade(base, 1.35)
    dim = shade(base, 0.75)
    fill_rect(canvas, outer, outer, far - outer, far - outer,
              shade(base, 0.55))                                # dark rim
    fill_rect(canvas, inner, inner, far - inner, far - inner, base)
    fill_rect(canvas, inner, inner, far - inner, bevel_end - 1, lit)  # top
    fill_rect(canvas, inner, inner, bevel_end - 1, far - inner, lit)  # left
    fill_rect(canvas, bevel_end, far - bevel_end + 1, far - inner,
              far - inner, dim)                                 # bottom
    fill_rect(canvas, far - bevel_end + 1, bevel_end, far - inner,
              far - inner, dim)                                 # right
    return canvas


def rounded_tile(base, size=16):
    """A rounded tile with a highlight spot, same footprint as the square."""
    canvas = new_canvas(size, size)
    unit = size // 16
    far = size - 1 - unit
    radius = scaled(3, size / 16)
    fill_rounded(canvas, unit, unit, far, far, radius, lambda x, y: base)
    outline_rounded(canvas, unit, unit, far, far, radius, shade(base, 0.55),
                    unit)
    fill_scaled(canvas, 4, 4, 6, 5, shade(base, 1.45))
    fill_scaled(canvas, 4, 6, 4, 6, shade(base, 1.45))
    return canvas


def missing_disc(size=16):
    """A red disc with a small highlight, corners transparent."""
    canvas = new_canvas(size, size)
    red = (220, 24, 24)
    rim = (128, 0, 0)
    unit = size // 16
    radius = size / 2 - unit

    def colour_at(x, y, distance):
        return rim if distance > radius - unit else red

    fill_disc(canvas, size / 2, size / 2, radius, colour_at)
    fill_scaled(canvas, 5, 4, 6, 4, (255, 150, 150))
    fill_scaled(canvas, 4, 5, 4, 6, (255, 150, 150))
    return canvas


PURPLE = (128, 48, 168)
TEAL = (0, 140, 140)
BRIGHT_GREEN = (32, 224, 32)


# ---------------------------------------------------------------------------
# Program icon: a card holding a small bar chart, like a tally of readings.

PROGRAM_ICON_SIZES = (64, 48, 40, 36, 32, 28, 24, 20, 16)

# Two hand-tuned layouts: the 16 one packs the bars edge to edge, the 32 one
# spaces them out. Sizes below 32 scale the first, 32 and up the second.
# card is (left, top) of its rim, mirrored on the right and bottom; heights
# are bar heights above the base line at base_y.
PROGRAM_LAYOUTS = {
    16: dict(card=(0, 1), radius=2, bar_width=3, bar_gap=0,
             heights=(3, 6, 4, 8), base_y=12),
    32: dict(card=(1, 2), radius=4, bar_width=5, bar_gap=1,
             heights=(7, 13, 10, 18), base_y=25),
}


def program_icon(size):
    canvas = new_canvas(size, size)
    design = 16 if size < 32 else 32
    layout = PROGRAM_LAYOUTS[design]
    factor = size / design
    stroke = size // design
    left, top = (scaled(v, factor) for v in layout['card'])
    right = size - 1 - left
    bottom = size - 1 - top
    radius = scaled(layout['radius'], factor)
    bar_width = scaled(layout['bar_width'], factor)
    bar_gap = layout['bar_gap'] * stroke
    base_y = scaled(layout['base_y'], factor)
    # Bars centred on the paper, odd spare pixel on the left as designed.
    paper_width = right - left + 1 - 2 * stroke
    span = 4 * bar_width + 3 * bar_gap
    bars_left = left + stroke + (paper_width - span + 1) // 2

    paper = (250, 248, 236)
    ink = (48, 56, 80)
    fill_rounded(canvas, left, top, right, bottom, radius, lambda x, y: paper)
    outline_rounded(canvas, left, top, right, bottom, radius, ink, stroke)
    colours = [PURPLE, TEAL, BRIGHT_GREEN, (220, 24, 24)]
    for index, (height, colour) in enumerate(zip(layout['heights'], colours)):
        bar_left = bars_left + index * (bar_width + bar_gap)
        bar_right = bar_left + bar_width - 1
        bar_top = base_y - scaled(height, factor)
        fill_rect(canvas, bar_left, bar_top, bar_right, base_y - 1,
                  shade(colour, 0.6))
        if bar_width > 2 * stroke:
            fill_rect(canvas, bar_left + stroke, bar_top + stroke,
                      bar_right - stroke, base_y - 1, colour)
    # Base line under the bars.
    fill_rect(canvas, left + 2 * stroke, base_y, right - 2 * stroke,
              base_y + stroke - 1, ink)
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
               [program_icon(size) for size in PROGRAM_ICON_SIZES])
    rows = [
        ('row_shade0.ico', lambda size: square_tile(PURPLE, size)),
        ('row_shade1.ico', lambda size: rounded_tile(TEAL, size)),
        ('row_changed0.ico', lambda size: square_tile(BRIGHT_GREEN, size)),
        ('row_changed1.ico', lambda size: rounded_tile(BRIGHT_GREEN, size)),
        ('row_missing.ico', missing_disc),
    ]
    for name, draw in rows:
        write_icon(os.path.join(out, name),
                   [draw(size) for size in ROW_ICON_SIZES])
    write_bitmap_8bpp(os.path.join(out, 'donate.bmp'), donate_picture())
    return 0


if __name__ == '__main__':
    sys.exit(main())
