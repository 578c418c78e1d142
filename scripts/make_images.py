#!/usr/bin/env python3
"""Draws the program icon and the three LED bitmaps into res/images.

Run it after changing a drawing; the results are committed, so a build needs
no Python. Standard library only.
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "images")

# ---------------------------------------------------------------- LED bitmaps
# 16-colour bitmaps with the standard VGA palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
SILVER, WHITE = 7, 15
LEDS = {  # file: (face, rim)
    "led_off.bmp": (8, 3),    # grey face, olive rim
    "led_red.bmp": (9, 1),    # red face, dark red rim
    "led_green.bmp": (10, 2), # green face, dark green rim
}


def led_pixels(face, rim):
    size, centre = 12, 5.5
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - centre, y - centre)
            if d > 5.6:
                row.append(SILVER)
            elif d > 4.3:
                row.append(rim)
            else:
                row.append(face)
        rows.append(row)
    for x, y in ((3, 3), (4, 3), (3, 4)):  # highlight, upper left
        rows[y][x] = WHITE
    return rows


def write_bmp4(path, rows):
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for i in range(0, width, 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < width else 0
            line.append((hi << 4) | lo)
        pixels += bytes(line) + b"\0" * (stride - len(line))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(header) + len(palette)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(header + palette + pixels)


# ---------------------------------------------------------------- program icon
# A CPU module (dark chip with pins) receiving firmware (a green arrow), drawn
# at 4x supersampling in a 1.0 x 1.0 square and reduced to each size.

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def icon_layers():
    layers = []
    pin = (200, 170, 80, 255)
    for i in range(4):  # pins left and right
        y = 0.27 + i * 0.14
        layers.append((rounded_rect(0.04, y, 0.22, y + 0.07, 0.015), pin))
        layers.append((rounded_rect(0.78, y, 0.96, y + 0.07, 0.015), pin))
    layers.append((rounded_rect(0.14, 0.14, 0.86, 0.92, 0.07), (30, 42, 60, 255)))   # body
    layers.append((rounded_rect(0.18, 0.18, 0.82, 0.88, 0.05), (58, 76, 104, 255)))  # face
    arrow = [(0.40, 0.06), (0.60, 0.06), (0.60, 0.46), (0.74, 0.46), (0.50, 0.74),
             (0.26, 0.46), (0.40, 0.46)]
    layers.append((polygon([(x + 0.02, y + 0.03) for x, y in arrow]), (0, 0, 0, 110)))  # shadow
    layers.append((polygon(arrow), (46, 190, 80, 255)))
    layers.append((rounded_rect(0.30, 0.79, 0.70, 0.83, 0.02), (120, 230, 140, 255)))  # status bar
    return layers


def blend(dst, src):
    sa = src[3] / 255.0
    da = dst[3] / 255.0
    oa = sa + da * (1 - sa)
    if oa == 0:
        return (0, 0, 0, 0)
    rgb = [(src[k] * sa + dst[k] * da * (1 - sa)) / oa for k in range(3)]
    return (rgb[0], rgb[1], rgb[2], oa * 255)


def render_icon(size):
    ss = 4 if size <= 64 else 2
    layers = icon_layers()
    image = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    x = (px + (sx + 0.5) / ss) / size
                    y = (py + (sy + 0.5) / ss) / size
                    colour = (0, 0, 0, 0)
                    for inside, c in layers:
                        if inside(x, y):
                            colour = blend(colour, c)
                    a = colour[3]
                    for k in range(3):
                        acc[k] += colour[k] * a  # premultiplied while averaging
                    acc[3] += a
            n = ss * ss
            a = acc[3] / n
            if a > 0:
                row.append(tuple(int(round(acc[k] / acc[3])) for k in range(3)) + (int(round(a)),))
            else:
                row.append((0, 0, 0, 0))
        image.append(row)
    return image


def bmp_icon_entry(image):
    size = len(image)
    xor = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(image) for r, g, b, a in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)  # alpha channel decides; AND mask all opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def png_icon_entry(image):
    size = len(image)
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in image)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path, sizes):
    entries = []
    for size in sizes:
        image = render_icon(size)
        entries.append((size, png_icon_entry(image) if size >= 256 else bmp_icon_entry(image)))
    offset = 6 + 16 * len(entries)
    directory, data = b"", b""
    for size, blob in entries:
        dim = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(entries)) + directory + data)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, (face, rim) in LEDS.items():
        write_bmp4(os.path.join(OUT, name), led_pixels(face, rim))
    write_ico(os.path.join(OUT, "tavro.ico"), [16, 20, 24, 32, 40, 48, 64, 256])


if __name__ == "__main__":
    main()
