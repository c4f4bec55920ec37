#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the program's icons as PNG files into this folder.

The lamps are 32 x 32 circular lamps with a highlight (unlit, green, red,
yellow); the application icon is a module with Wi-Fi arcs, as the window's
128 x 128 PNG and, for the desktop, in the freedesktop hicolor layout at the
small sizes and as SVG (hicolor/SIZE/apps), and as the Windows icon file
lq3860-utility.ico (16 to 256 pixels, for the executable's icon resource).
Run it again after changing a colour or shape: python3 draw_icons.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 4  # supersampling per axis for smooth edges


def png_bytes(size, pixels):
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
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_png(path, size, pixels):
    with open(path, "wb") as out:
        out.write(png_bytes(size, pixels))


def write_ico(path, sizes, shade):
    """An icon file whose images are PNG, as Windows Vista and later read them."""
    images = [png_bytes(size, render(size, shade)) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = b""
    for size, image in zip(sizes, images):
        side = size % 256  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + directory + b"".join(images))


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


# The application icon's shape in the unit square, shared by the PNG
# renderer and the SVG writer: a rounded square body shaded from top to
# bottom, a white dot and three white Wi-Fi arcs around it.
BODY_INSET, BODY_CORNER = 0.06, 0.14
BODY_TOP, BODY_BOTTOM = (0.20, 0.45, 0.85), (0.08, 0.22, 0.55)
WAVE_X, WAVE_Y, DOT_RADIUS = 0.5, 0.74, 0.07
ARC_RADII, ARC_HALF_WIDTH, ARC_FROM, ARC_TO = (0.2, 0.34, 0.48), 0.045, 45, 135
# The small hicolor sizes; the 128 x 128 one is the window's own icon.
APP_ICON_SIZES = (16, 24, 32, 48, 64)


def app_icon(x, y):
    """A blue module with three white Wi-Fi arcs and a dot."""
    r = BODY_CORNER
    cx = min(max(x, BODY_INSET + r), 1 - BODY_INSET - r)
    cy = min(max(y, BODY_INSET + r), 1 - BODY_INSET - r)
    if math.hypot(x - cx, y - cy) > r:
        return None
    colour = mix(BODY_TOP, BODY_BOTTOM, y)
    d = math.hypot(x - WAVE_X, y - WAVE_Y)
    angle = math.degrees(math.atan2(WAVE_Y - y, x - WAVE_X))
    if d < DOT_RADIUS:
        colour = (1.0, 1.0, 1.0)
    elif ARC_FROM <= angle <= ARC_TO:
        for radius in ARC_RADII:
            if abs(d - radius) < ARC_HALF_WIDTH:
                colour = (1.0, 1.0, 1.0)
    return colour + (1.0,)


def app_icon_svg():
    """The same icon as a scalable SVG document on a 128 x 128 canvas."""
    def n(value):
        return f"{value * 128:.2f}".rstrip("0").rstrip(".")

    def hex_colour(rgb):
        return "#" + "".join(f"{round(c * 255):02x}" for c in rgb)

    def arc_point(radius, degrees):
        a = math.radians(degrees)
        return n(WAVE_X + radius * math.cos(a)) + "," + n(WAVE_Y - radius * math.sin(a))

    arcs = "".join(
        f'  <path d="M{arc_point(r, ARC_FROM)} A{n(r)},{n(r)} 0 0 0 {arc_point(r, ARC_TO)}"/>\n'
        for r in ARC_RADII)
    side = 1 - 2 * BODY_INSET
    return (
        '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">\n'
        '  <linearGradient id="body" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="128">\n'
        f'    <stop offset="0" stop-color="{hex_colour(BODY_TOP)}"/>\n'
        f'    <stop offset="1" stop-color="{hex_colour(BODY_BOTTOM)}"/>\n'
        '  </linearGradient>\n'
        f'  <rect x="{n(BODY_INSET)}" y="{n(BODY_INSET)}" width="{n(side)}" height="{n(side)}" '
        f'rx="{n(BODY_CORNER)}" fill="url(#body)"/>\n'
        f'  <circle cx="{n(WAVE_X)}" cy="{n(WAVE_Y)}" r="{n(DOT_RADIUS)}" fill="#fff"/>\n'
        f'  <g fill="none" stroke="#fff" stroke-width="{n(2 * ARC_HALF_WIDTH)}">\n'
        + arcs.replace("  <path", "    <path") +
        '  </g>\n'
        '</svg>\n')


def main():
    lamps = {
        "lamp_off": (0.25, 0.27, 0.25),
        "lamp_green": (0.1, 0.75, 0.15),
        "lamp_red": (0.85, 0.1, 0.08),
        "lamp_yellow": (0.95, 0.8, 0.05),
    }
    for name, base in lamps.items():
        write_png(os.path.join(HERE, name + ".png"), 32, render(32, lamp(base)))
    # The window's own icon (also the desktop's 128 x 128 one), and the small
    # sizes and the scalable form that the desktop uses.
    write_png(os.path.join(HERE, "lq3860-utility.png"), 128, render(128, app_icon))
    for size in APP_ICON_SIZES:
        folder = os.path.join(HERE, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, "lq3860-utility.png"), size, render(size, app_icon))
    folder = os.path.join(HERE, "hicolor", "scalable", "apps")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "lq3860-utility.svg"), "w", encoding="ascii") as out:
        out.write(app_icon_svg())
    write_ico(os.path.join(HERE, "lq3860-utility.ico"), (16, 24, 32, 48, 256), app_icon)


if __name__ == "__main__":
    main()
