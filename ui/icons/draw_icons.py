#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the program's icons as PNG files into this folder.

The lamps are 32 x 32 circular lamps with a highlight (unlit, green, red,
yellow); the application icon is a module with Wi-Fi arcs. Run it again after
changing a colour or shape: python3 draw_icons.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4  # supersampling per axis for smooth edges


def write_png(path, size, pixels):
    """pixels: rows of (r, g, b, a) tuples, 8 bits each."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                  + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def render(size, shade):
    """shade(x, y) -> (r, g, b, a) floats 0..1 at a point of the unit square, or None."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = shade(x, y)
                    if colour:
                        r, g, b, a = colour
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                pixel = tuple(int(round(min(1.0, c / acc[3]) * 255)) for c in acc[:3])
            else:
                pixel = (0, 0, 0)
            row.append(pixel + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def lamp(base):
    """A round lamp: dark rim, body shaded from the lower right, white highlight."""
    rim = (0.15, 0.15, 0.15)

    def shade(x, y):
        dx, dy = x - 0.5, y - 0.5
        d = math.hypot(dx, dy)
        if d > 0.47:
            return None
        if d > 0.42:
            return rim + (1.0,)
        # light from the upper left
        t = min(1.0, math.hypot(x - 0.35, y - 0.35) / 0.6)
        body = mix(tuple(min(1.0, c * 1.25 + 0.1) for c in base), tuple(c * 0.55 for c in base), t)
        h = math.hypot((x - 0.36) / 1.4, y - 0.3)
        if h < 0.09:
            body = mix((1.0, 1.0, 1.0), body, (h / 0.09) ** 2)
        return body + (1.0,)

    return shade


def app_icon(x, y):
    """A blue module with three white Wi-Fi arcs and a dot."""
    # rounded square body
    r = 0.14
    cx = min(max(x, 0.06 + r), 0.94 - r)
    cy = min(max(y, 0.06 + r), 0.94 - r)
    if math.hypot(x - cx, y - cy) > r:
        return None
    colour = mix((0.20, 0.45, 0.85), (0.08, 0.22, 0.55), y)
    ox, oy = 0.5, 0.74
    d = math.hypot(x - ox, y - oy)
    angle = math.degrees(math.atan2(oy - y, x - ox))
    if d < 0.07:
        colour = (1.0, 1.0, 1.0)
    elif 45 <= angle <= 135:
        for radius in (0.2, 0.34, 0.48):
            if abs(d - radius) < 0.045:
                colour = (1.0, 1.0, 1.0)
    return colour + (1.0,)


def main():
    lamps = {
        "lamp_off": (0.25, 0.27, 0.25),
        "lamp_green": (0.1, 0.75, 0.15),
        "lamp_red": (0.85, 0.1, 0.08),
        "lamp_yellow": (0.95, 0.8, 0.05),
    }
    for name, base in lamps.items():
        write_png(os.path.join(HERE, name + ".png"), 32, render(32, lamp(base)))
    write_png(os.path.join(HERE, "lq3860-utility.png"), 128, render(128, app_icon))


if __name__ == "__main__":
    main()
