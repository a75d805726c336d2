#!/usr/bin/env python3
"""Draws the icons of the program and its plug-ins and writes them as ICO files.

Every icon is drawn from a few simple shapes in a unit square, sampled at
16, 22 and 32 pixels, and stored twice per size: with 4 bits per pixel (the
sixteen standard colours) and with 8 bits per pixel (its own palette). Each
image carries an AND mask; an outline in a darker shade keeps the shapes
readable on light and dark backgrounds.

usage: make_icons.py <module> <output folder>

<module> is "kestrova" for the program, else a plug-in's name; numbered
resources are written under their number in decimal.
"""

import math
import os
import struct
import sys

SIZES = (16, 22, 32)
SAMPLES = 4  # per pixel and axis, for the coverage that decides the mask

STANDARD_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


# --- shapes: each is (inside(x, y) -> bool, colour) ---------------------------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry, top=0.0, bottom=1.0):
    return lambda x, y: top <= y <= bottom and ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(left, top, right, bottom, radius=0.0):
    def inside(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return False
        nx = min(max(x, left + radius), right - radius)
        ny = min(max(y, top + radius), bottom - radius)
        return (x - nx) ** 2 + (y - ny) ** 2 <= radius * radius + 1e-9
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                result = not result
        return result
    return inside


def person(colour, dx=0.0, scale=1.0):
    return [
        (ellipse(0.5 + dx, 0.98, 0.36 * scale, 0.42 * scale, bottom=0.97), colour),
        (circle(0.5 + dx, 1.0 - 0.7 * scale, 0.19 * scale), colour),
    ]


SHELL_ICONS = {
    "CONTACT": person((70, 120, 210)),
    "CONTACT_ONLINE": person((60, 175, 75)),
    "CONTACT_BOT": [
        (rect(0.47, 0.08, 0.53, 0.3), (90, 90, 100)),
        (circle(0.5, 0.1, 0.08), (220, 50, 40)),
        (rect(0.18, 0.28, 0.82, 0.78, 0.1), (160, 170, 180)),
        (rect(0.3, 0.42, 0.43, 0.54), (0, 200, 230)),
        (rect(0.57, 0.42, 0.7, 0.54), (0, 200, 230)),
        (rect(0.33, 0.63, 0.67, 0.69), (60, 60, 70)),
        (rect(0.28, 0.8, 0.72, 0.96, 0.04), (120, 130, 140)),
    ],
    "CONTACT_PC": [
        (rect(0.08, 0.12, 0.92, 0.7, 0.04), (50, 55, 65)),
        (rect(0.15, 0.19, 0.85, 0.62), (70, 140, 230)),
        (rect(0.42, 0.7, 0.58, 0.82), (90, 95, 105)),
        (rect(0.24, 0.81, 0.76, 0.9, 0.03), (70, 75, 85)),
    ],
    "CONTACT_MOBILE": [
        (rect(0.28, 0.04, 0.72, 0.96, 0.08), (55, 60, 70)),
        (rect(0.34, 0.13, 0.66, 0.52), (150, 210, 120)),
        (rect(0.35, 0.6, 0.45, 0.67), (200, 200, 205)),
        (rect(0.55, 0.6, 0.65, 0.67), (200, 200, 205)),
        (rect(0.35, 0.72, 0.45, 0.79), (200, 200, 205)),
        (rect(0.55, 0.72, 0.65, 0.79), (200, 200, 205)),
        (rect(0.35, 0.84, 0.65, 0.89), (200, 200, 205)),
    ],
    "CONTACT_MAC": [
        (rect(0.14, 0.14, 0.86, 0.66, 0.04), (205, 208, 214)),
        (rect(0.2, 0.2, 0.8, 0.6), (120, 170, 235)),
        (polygon([(0.04, 0.82), (0.14, 0.68), (0.86, 0.68), (0.96, 0.82)]), (175, 178, 186)),
    ],
    "CONTACT_IPHONE": [
        (rect(0.27, 0.03, 0.73, 0.97, 0.1), (25, 25, 30)),
        (rect(0.32, 0.13, 0.68, 0.8), (60, 130, 220)),
        (rect(0.36, 0.18, 0.46, 0.27, 0.02), (240, 180, 40)),
        (rect(0.54, 0.18, 0.64, 0.27, 0.02), (90, 200, 90)),
        (circle(0.5, 0.885, 0.045), (120, 120, 125)),
    ],
    "GROUP": person((110, 150, 220), dx=0.17, scale=0.8) + person((70, 120, 210), dx=-0.12, scale=0.9),
    "OVERLAY_AWAY": [
        (circle(0.72, 0.72, 0.27), (245, 190, 30)),
        (rect(0.69, 0.55, 0.75, 0.75), (60, 45, 10)),
        (rect(0.69, 0.69, 0.86, 0.75), (60, 45, 10)),
    ],
    "OVERLAY_BUSY": [
        (circle(0.72, 0.72, 0.27), (215, 40, 40)),
        (rect(0.56, 0.67, 0.88, 0.77), (255, 255, 255)),
    ],
}


def envelope(body, flap):
    return [
        (rect(0.08, 0.24, 0.92, 0.8, 0.04), body),
        (polygon([(0.1, 0.26), (0.9, 0.26), (0.5, 0.58)]), flap),
    ]


def chevron(points_up, colour):
    if points_up:
        shape = [(0.15, 0.68), (0.5, 0.3), (0.85, 0.68), (0.72, 0.8), (0.5, 0.56), (0.28, 0.8)]
    else:
        shape = [(0.15, 0.32), (0.5, 0.7), (0.85, 0.32), (0.72, 0.2), (0.5, 0.44), (0.28, 0.2)]
    return [(polygon(shape), colour)]


def triangle_right(colour):
    return [(polygon([(0.3, 0.15), (0.8, 0.5), (0.3, 0.85)]), colour)]


def triangle_down(colour):
    return [(polygon([(0.15, 0.3), (0.85, 0.3), (0.5, 0.8)]), colour)]


def bubble(colour):
    """The product mark: a speech bubble with a wing sweeping across it."""
    return [
        (rect(0.06, 0.1, 0.94, 0.74, 0.16), colour),
        (polygon([(0.2, 0.7), (0.42, 0.7), (0.16, 0.94)]), colour),
        (polygon([(0.2, 0.56), (0.5, 0.24), (0.82, 0.2), (0.6, 0.36), (0.72, 0.4), (0.4, 0.58)]),
         (255, 255, 255)),
    ]


def dot(colour, cx=0.76, cy=0.24, r=0.2):
    return [(circle(cx, cy, r), colour)]


PRODUCT = (20, 150, 160)
GRAY = (150, 152, 156)
UNREAD = (240, 190, 40)

SHELL_ICONS.update({
    "GROUP_EXPANDED": triangle_down((70, 90, 120)),
    "GROUP_CONTRACTED": triangle_right((70, 90, 120)),
    "MESSAGE_NONE": envelope((205, 208, 214), (170, 174, 182)),
    "MESSAGE_UNREAD": envelope(UNREAD, (210, 150, 20)) + dot((215, 40, 40), r=0.16),
    "KESTORVA_GRAY": bubble(GRAY),
    "SP_OFFLINE": bubble(GRAY),
    "SP_ONLINE": bubble(PRODUCT),
    "SP_MESSAGES": bubble(PRODUCT) + dot(UNREAD),
    "100": bubble(PRODUCT),
    "111": bubble(PRODUCT) + dot(UNREAD),
    # The overview tab: a short list with bullets.
    "174": [
        (rect(0.1, 0.16, 0.26, 0.32, 0.03), (60, 140, 90)),
        (rect(0.34, 0.19, 0.9, 0.29, 0.02), (80, 90, 110)),
        (rect(0.1, 0.42, 0.26, 0.58, 0.03), (70, 120, 210)),
        (rect(0.34, 0.45, 0.9, 0.55, 0.02), (80, 90, 110)),
        (rect(0.1, 0.68, 0.26, 0.84, 0.03), (240, 170, 30)),
        (rect(0.34, 0.71, 0.9, 0.81, 0.02), (80, 90, 110)),
    ],
})

MESSAGING_ICONS = {
    # photo: a camera
    "101": [
        (rect(0.06, 0.28, 0.94, 0.84, 0.06), (70, 75, 90)),
        (rect(0.3, 0.18, 0.6, 0.3, 0.03), (70, 75, 90)),
        (circle(0.5, 0.56, 0.2), (220, 225, 235)),
        (circle(0.5, 0.56, 0.12), (60, 120, 200)),
    ],
    # text: a speech bubble with lines
    "102": [
        (rect(0.06, 0.12, 0.94, 0.72, 0.12), (240, 240, 245)),
        (polygon([(0.22, 0.7), (0.44, 0.7), (0.18, 0.92)]), (240, 240, 245)),
        (rect(0.2, 0.26, 0.8, 0.32), (90, 100, 120)),
        (rect(0.2, 0.4, 0.8, 0.46), (90, 100, 120)),
        (rect(0.2, 0.54, 0.62, 0.6), (90, 100, 120)),
    ],
    # voice: a microphone
    "103": [
        (rect(0.36, 0.06, 0.64, 0.6, 0.14), (200, 60, 60)),
        (rect(0.22, 0.46, 0.3, 0.62), (80, 85, 95)),
        (rect(0.7, 0.46, 0.78, 0.62), (80, 85, 95)),
        (rect(0.22, 0.6, 0.78, 0.68, 0.04), (80, 85, 95)),
        (rect(0.46, 0.66, 0.54, 0.86), (80, 85, 95)),
        (rect(0.3, 0.84, 0.7, 0.92, 0.03), (80, 85, 95)),
    ],
    "GROUP": SHELL_ICONS["GROUP"],
    "CHEVERON_UP": chevron(True, (90, 100, 120)),
}

UPDATES_ICONS = {
    "DOWNLOAD": [
        (rect(0.4, 0.08, 0.6, 0.5), (40, 140, 70)),
        (polygon([(0.18, 0.46), (0.82, 0.46), (0.5, 0.8)]), (40, 140, 70)),
        (rect(0.12, 0.84, 0.88, 0.94, 0.03), (80, 85, 95)),
    ],
}

def network(colour):
    """A bridged network: two speech bubbles, the back one in the network's colour."""
    return [
        (rect(0.04, 0.08, 0.7, 0.56, 0.12), colour),
        (polygon([(0.14, 0.52), (0.32, 0.52), (0.1, 0.72)]), colour),
        (rect(0.32, 0.38, 0.96, 0.82, 0.12), (240, 240, 245)),
        (polygon([(0.7, 0.78), (0.86, 0.78), (0.9, 0.96)]), (240, 240, 245)),
    ]


# The bridged networks, by the icon number of their row in the connection
# plug-in's network table; each has a colour of its own.
CONNECTION_ICONS = {
    "CONTACT": SHELL_ICONS["CONTACT"],
    "103": network((40, 110, 200)),
    "104": network((230, 120, 30)),
    "105": network((60, 160, 70)),
    "106": network((230, 190, 30)),
    "107": network((130, 60, 170)),
    "108": network((40, 150, 150)),
}

ICONS_BY_MODULE = {
    "kestrova": SHELL_ICONS,
    "connection": CONNECTION_ICONS,
    "messaging": MESSAGING_ICONS,
    "updates": UPDATES_ICONS,
}


# --- rasterising ------------------------------------------------------------------------------

def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def rasterise(shapes, size):
    """Returns rows of colours (None where transparent), top-down."""
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    if any(inside(x, y) for inside, _ in shapes):
                        hits += 1
            if hits * 2 < SAMPLES * SAMPLES:
                row.append(None)
                continue
            x, y = (px + 0.5) / size, (py + 0.5) / size
            colour = None
            for inside, c in shapes:  # later shapes lie on top
                if inside(x, y):
                    colour = c
            if colour is None:  # covered, but not at the centre: take any covering shape
                colour = shapes[-1][1]
            # A little light from above.
            row.append(shade(colour, 1.12 - 0.24 * y))
        pixels.append(row)
    return outline(pixels, size)


def outline(pixels, size):
    result = [list(row) for row in pixels]
    for y in range(size):
        for x in range(size):
            if pixels[y][x] is None:
                continue
            edge = any(
                not (0 <= x + dx < size and 0 <= y + dy < size) or pixels[y + dy][x + dx] is None
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                result[y][x] = shade(pixels[y][x], 0.55)
    return result


def nearest(colour, palette):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def palette_image(pixels, size, bits):
    if bits == 4:
        palette = STANDARD_16
    else:
        used = sorted({c for row in pixels for c in row if c is not None})
        palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)]
        if len(palette) > 256:
            palette = palette[:256]
    indices = [[0 if c is None else nearest(c, palette) for c in row] for row in pixels]
    mask = [[1 if c is None else 0 for c in row] for row in pixels]
    return encode_image(size, bits, palette, indices, mask)


# --- ICO encoding -----------------------------------------------------------------------------

def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def encode_image(size, bits, palette, indices, mask):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, len(palette), 0)
    body = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    for y in reversed(range(size)):  # rows bottom-up
        row = bytearray(stride(size, bits))
        for x in range(size):
            bit = x * bits
            row[bit // 8] |= indices[y][x] << (8 - bits - bit % 8)
        body += bytes(row)
    for y in reversed(range(size)):
        row = bytearray(stride(size, 1))
        for x in range(size):
            if mask[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        body += bytes(row)
    return header + body


def encode_icon_file(images):
    """images: list of (size, bits, encoded image)."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = b"", b""
    for size, bits, body in images:
        colours = 1 << bits if bits < 8 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(body), offset)
        offset += len(body)
        bodies += body
    return directory + entries + bodies


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ICONS_BY_MODULE:
        sys.exit(__doc__)
    module, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    for name, shapes in ICONS_BY_MODULE[module].items():
        images = []
        for size in SIZES:
            pixels = rasterise(shapes, size)
            for bits in (4, 8):
                images.append((size, bits, palette_image(pixels, size, bits)))
        data = encode_icon_file(images)
        path = os.path.join(folder, name + ".ico")
        # Rewrite only on change, so the build does not see new files every time.
        if not os.path.exists(path) or open(path, "rb").read() != data:
            with open(path, "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
