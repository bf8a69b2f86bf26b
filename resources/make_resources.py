#!/usr/bin/env python3
"""Draws the library's button glyphs and cursors as PNG files beside this script.

POINTR.png and ZOOMIN.png hold two 16 x 16 glyphs side by side: the normal one
and the one a disabled button shows. CURGEOZOOM.png and CURGEOHAND.png are
32 x 32 cursors; their hot spots are fixed in zylcarto/geoatlas/cursor_table.cpp.

The shapes are described geometrically and rasterised with 4 x 4 supersampling,
so the edges are smooth and the output is byte-identical on every run.
Only the standard library is used: python3 resources/make_resources.py
"""
import math
import os
import struct
import zlib

SUPERSAMPLE = 4

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
LIGHT_GREY = (214, 214, 214)
LENS = (200, 228, 255)


# --- signed distance functions (negative inside) ---------------------------

def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def capsule(ax, ay, bx, by, radius):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) - radius


def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def ring(cx, cy, radius, half_width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - half_width


def polygon(points):
    def sdf(x, y):
        inside = False
        nearest = float("inf")
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            nearest = min(nearest, segment_distance(x, y, ax, ay, bx, by))
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -nearest if inside else nearest
    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def grown(shape, amount):
    return lambda x, y: shape(x, y) - amount


# --- rasterising ----------------------------------------------------------

def render(width, height, layers):
    """layers: (colour, sdf) painted in order; returns rows of RGBA tuples."""
    rows = []
    step = 1.0 / SUPERSAMPLE
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    colour = None
                    for layer_colour, sdf in layers:
                        if sdf(x, y) <= 0:
                            colour = layer_colour
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a),
                            round(255 * a / SUPERSAMPLE ** 2)))
        rows.append(row)
    return rows


def side_by_side(left, right):
    return [l + r for l, r in zip(left, right)]


def write_png(path, rows):
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type none
        for pixel in row:
            raw.extend(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


# --- the pictures ------------------------------------------------------------

def outlined(shape, outline_colour, fill_colour, outline_width=1.0):
    return [(outline_colour, grown(shape, outline_width)), (fill_colour, shape)]


def arrow_shape(scale, ox, oy):
    # A classic pointer: tip at the top left, a notch and a tail to the lower right.
    pts = [(0, 0), (0, 11.5), (2.8, 9), (4.8, 13.6), (6.6, 12.8), (4.7, 8.4), (8.3, 8.4)]
    return polygon([(ox + x * scale, oy + y * scale) for x, y in pts])


def pointer_glyph(outline_colour, fill_colour):
    return render(16, 16, outlined(arrow_shape(0.97, 4.0, 1.2), outline_colour, fill_colour))


def magnifier_layers(cx, cy, radius, rim, handle_end, handle_radius, plus, main_colour, lens_colour):
    handle_start = cx + (radius + rim) * 0.62, cy + (radius + rim) * 0.62
    layers = [
        (lens_colour, circle(cx, cy, radius)),
        (main_colour, ring(cx, cy, radius, rim)),
        (main_colour, capsule(handle_start[0], handle_start[1], handle_end[0], handle_end[1], handle_radius)),
    ]
    if plus:
        arm, thick = plus
        layers.append((main_colour, union(capsule(cx - arm, cy, cx + arm, cy, thick),
                                          capsule(cx, cy - arm, cx, cy + arm, thick))))
    return layers


def zoom_glyph(main_colour, lens_colour):
    return render(16, 16, magnifier_layers(6.5, 6.5, 4.4, 0.9, (14.0, 14.0), 1.5, (2.4, 0.6),
                                           main_colour, lens_colour))


def zoom_cursor():
    # The white halo keeps the cursor visible on dark map areas.
    shapes = magnifier_layers(12.5, 12.5, 8.0, 1.4, (27.5, 27.5), 2.4, (4.5, 1.0), BLACK, LENS)
    halo = union(circle(12.5, 12.5, 9.4), capsule(18.5, 18.5, 27.5, 27.5, 2.4))
    return render(32, 32, [(WHITE, grown(halo, 1.2))] + shapes)


def hand_shape():
    fingers = [
        capsule(9.8, 15.0, 9.8, 8.0, 1.7),      # index
        capsule(14.2, 14.5, 14.2, 5.0, 1.7),    # middle
        capsule(18.6, 15.0, 18.6, 6.5, 1.7),    # ring
        capsule(22.8, 16.0, 22.8, 10.0, 1.6),   # little
        capsule(8.0, 23.0, 4.0, 16.5, 1.9),     # thumb
    ]
    palm = polygon([(8.1, 14.0), (24.2, 14.0), (23.5, 23.0), (20.5, 28.0), (11.5, 28.0), (7.5, 24.0)])
    return fingers, palm


def hand_cursor():
    fingers, palm = hand_shape()
    whole = union(palm, *fingers)
    layers = [(BLACK, grown(whole, 1.1))]
    layers.append((WHITE, palm))
    # Each finger gets its own outline so that the fingers stay apart.
    for finger in fingers:
        layers.append((BLACK, grown(finger, 1.1)))
        layers.append((WHITE, finger))
    layers.append((WHITE, polygon([(8.6, 16.5), (23.6, 16.5), (23.0, 22.5), (20.0, 27.0), (12.0, 27.0), (8.5, 23.5)])))
    return render(32, 32, layers)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pictures = {
        "POINTR.png": side_by_side(pointer_glyph(BLACK, WHITE), pointer_glyph(GREY, LIGHT_GREY)),
        "ZOOMIN.png": side_by_side(zoom_glyph(BLACK, LENS), zoom_glyph(GREY, LIGHT_GREY)),
        "CURGEOZOOM.png": zoom_cursor(),
        "CURGEOHAND.png": hand_cursor(),
    }
    for name, rows in pictures.items():
        write_png(os.path.join(here, name), rows)
        print("wrote", os.path.join(here, name))


if __name__ == "__main__":
    main()
