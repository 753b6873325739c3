#!/usr/bin/env python3
"""Draws the window's crest (crest.bmp, 78 x 100, 24 bits) and the tray icon (tray.ico, 32 x 32, 32 bits with
alpha) from simple shapes, supersampled for smooth edges. Run it from anywhere; it rewrites both files
beside itself, byte for byte the same each time."""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

NAVY_TOP, NAVY_BOTTOM = (34, 50, 84), (12, 19, 36)
RED_TOP, RED_BOTTOM = (170, 32, 46), (96, 14, 26)
GOLD, GOLD_DARK = (232, 184, 72), (150, 104, 28)
DIAL, INK, HAND_RED = (250, 248, 240), (28, 28, 32), (200, 30, 40)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width


def in_shield(x, y, inset):
    """A heater shield: straight sides down to y=50, then two arcs meeting in a point at (39, 92)."""
    left, right, top, shoulder = 9 + inset, 69 - inset, 8 + inset, 50
    if y < top or x < left or x > right:
        return False
    if y <= shoulder:
        return True
    r = 44.4 - inset
    return in_circle(x, y, 53.4, 50, r) and in_circle(x, y, 24.6, 50, r)


def stopwatch(x, y, cx, cy, r, outline, bold=False):
    """Colour of a stopwatch face at (x, y), or None outside it. Hands at ten past ten, seconds at two.
    Bold drops the small ticks and thickens the hands, so the face still reads when shrunk to 16 pixels."""
    weight = 1.7 if bold else 1.0
    # The crown and its stem: gold, ringed in the outline colour so they read on light and dark alike.
    knob_y = cy - r - r * 0.36
    if in_circle(x, y, cx, knob_y, r * 0.14) or near_segment(x, y, cx, knob_y, cx, cy - r, r * 0.08):
        return GOLD
    if in_circle(x, y, cx, knob_y, r * 0.23) or near_segment(x, y, cx, knob_y, cx, cy - r, r * 0.16):
        return outline
    if not in_circle(x, y, cx, cy, r):
        return None
    if not in_circle(x, y, cx, cy, r * 0.8):
        return GOLD if in_circle(x, y, cx, cy, r * 0.93) else outline
    for hour in range(0, 12, 3 if bold else 1):
        a = hour * math.pi / 6
        s, c = math.sin(a), -math.cos(a)
        length = 0.22 if hour % 3 == 0 else 0.12
        if near_segment(x, y, cx + s * r * 0.76, cy + c * r * 0.76, cx + s * r * (0.76 - length), cy + c * r * (0.76 - length), r * 0.045 * weight):
            return INK
    if near_segment(x, y, cx, cy, cx + math.sin(math.radians(60)) * r * 0.62, cy - math.cos(math.radians(60)) * r * 0.62, r * 0.05 * weight):
        return HAND_RED
    if near_segment(x, y, cx, cy, cx, cy - r * 0.58, r * 0.07 * weight) or near_segment(
        x, y, cx, cy, cx - r * 0.38, cy - r * 0.16, r * 0.08 * weight
    ):
        return INK
    if in_circle(x, y, cx, cy, r * 0.09):
        return HAND_RED
    return DIAL


def crest_colour(x, y):
    colour = mix(NAVY_TOP, NAVY_BOTTOM, y / 100)
    if in_shield(x, y, 0):
        colour = GOLD_DARK
        if in_shield(x, y, 1.2):
            colour = GOLD
        if in_shield(x, y, 3.2):
            colour = mix(RED_TOP, RED_BOTTOM, (y - 11) / 80)
            if near_segment(x, y, 26, 69, 39, 80, 2.2) or near_segment(x, y, 52, 69, 39, 80, 2.2):
                colour = GOLD
        face = stopwatch(x, y, 39, 42, 17, INK)
        if face is not None:
            colour = face
    return colour


def icon_colour(x, y):
    """(colour, covered) for the tray icon; the dark outline keeps it visible on light taskbars, the white
    dial on dark ones."""
    face = stopwatch(x, y, 16, 19.6, 11.6, INK, bold=True)
    return (face, True) if face is not None else ((0, 0, 0), False)


def render(width, height, samples, paint):
    """Averages samples x samples points per pixel; yields rows top-down of (r, g, b, alpha)."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc, covered = [0.0, 0.0, 0.0], 0
            for sy in range(samples):
                for sx in range(samples):
                    colour, inside = paint(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                    if inside:
                        covered += 1
                        for i in range(3):
                            acc[i] += colour[i]
            n = samples * samples
            rgb = tuple(round(acc[i] / covered) if covered else 0 for i in range(3))
            row.append(rgb + (round(255 * covered / n),))
        rows.append(row)
    return rows


def write_crest(path):
    width, height = 78, 100
    rows = render(width, height, 4, lambda x, y: (crest_colour(x, y), True))
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2834, 2834, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_icon(path):
    size = 32
    rows = render(size, size, 8, icon_colour)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits |= 0x80000000 >> x
        mask += struct.pack(">I", bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    write_crest(os.path.join(HERE, "crest.bmp"))
    write_icon(os.path.join(HERE, "tray.ico"))
