#!/usr/bin/env python3
"""Draws Tarnex's icons and About picture.

Shapes are signed distance fields; a pixel's coverage comes from its distance
to the shape's edge, which anti-aliases every outline. Icons are written as
32-bit ICO files with real alpha, the picture as a binary PPM that ImageMagick
turns into the JPEG. Run once after changing a drawing and commit the
outputs:  python3 draw_art.py OUTDIR  (then see make_art.sh for the JPEG).
"""
import math
import struct
import sys
import zlib


# --- shapes: functions (x, y) -> signed distance in pixels, negative inside

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(cx, cy, hw, hh, radius=0.0):
    def d(x, y):
        qx = abs(x - cx) - hw + radius
        qy = abs(y - cy) - hh + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return d


def capsule(ax, ay, bx, by, r):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - r
    return d


def polygon(points):
    """A convex polygon, points in clockwise order on screen (y down)."""
    edges = []
    for i, (ax, ay) in enumerate(points):
        bx, by = points[(i + 1) % len(points)]
        length = math.hypot(bx - ax, by - ay)
        nx, ny = (by - ay) / length, -(bx - ax) / length  # outward normal
        edges.append((ax, ay, nx, ny))

    def d(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)
    return d


def rounded(shape, r):
    return lambda x, y: shape(x, y) - r


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, hole):
    return lambda x, y: max(shape(x, y), -hole(x, y))


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def gear(cx, cy, r, teeth, depth, hole):
    def d(x, y):
        dx, dy = x - cx, y - cy
        angle = math.atan2(dy, dx) * teeth
        # a rounded square wave: flat-topped teeth with soft flanks
        wave = max(-1.0, min(1.0, 2.2 * math.cos(angle)))
        body = math.hypot(dx, dy) - (r + depth * (wave + 1) / 2)
        return max(body * 0.8, -(math.hypot(dx, dy) - hole))
    return d


# --- paints: functions (x, y) -> (r, g, b) in 0..255

def solid(colour):
    return lambda x, y: colour


def vertical(top, bottom, y0, y1):
    def p(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return p


def radial(inner, outer, cx, cy, r):
    def p(x, y):
        t = max(0.0, min(1.0, math.hypot(x - cx, y - cy) / r))
        return tuple(a + (b - a) * t for a, b in zip(inner, outer))
    return p


class Image:
    def __init__(self, width, height, background=None, scale=1.0, offset=0.0):
        """Drawings are made in their own units, shown scale times as large
        and moved by offset pixels."""
        self.width, self.height = width, height
        self.scale, self.offset = scale, offset
        fill = (background + (1.0,)) if background else (0.0, 0.0, 0.0, 0.0)
        self.pixels = [list(fill) for _ in range(width * height)]

    def draw(self, shape, paint, alpha=1.0, softness=1.0):
        """Composites paint where shape covers, premultiplied 'over'."""
        for y in range(self.height):
            for x in range(self.width):
                cx = (x + 0.5 - self.offset) / self.scale
                cy = (y + 0.5 - self.offset) / self.scale
                coverage = 0.5 - shape(cx, cy) * self.scale / softness
                if coverage <= 0.0:
                    continue
                a = min(coverage, 1.0) * alpha
                r, g, b = paint(cx, cy)
                px = self.pixels[y * self.width + x]
                px[0] = r * a + px[0] * (1 - a)
                px[1] = g * a + px[1] * (1 - a)
                px[2] = b * a + px[2] * (1 - a)
                px[3] = a + px[3] * (1 - a)

    def shadow(self, shape, dx=0.6, dy=1.0, alpha=0.35, softness=2.2):
        self.draw(lambda x, y: shape(x - dx, y - dy), solid((0, 0, 0)), alpha, softness)

    def rgba(self, x, y):
        """Straight (not premultiplied) 8-bit colour and alpha."""
        r, g, b, a = self.pixels[y * self.width + x]
        if a <= 0.0:
            return 0, 0, 0, 0
        return tuple(max(0, min(255, round(c / a))) for c in (r, g, b)) + (max(0, min(255, round(a * 255))),)


def write_ico(path, images):
    """Every image is stored compressed as PNG, which Windows reads in icons
    since Vista, the oldest system the program is made for: four sizes of
    uncompressed bitmaps would double the program's file."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for image in images:
        blob = png_bytes(image)
        entries.append(struct.pack('<BBBBHHII', image.width % 256, image.height % 256, 0, 0, 1, 32, len(blob),
                                   offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


def png_bytes(image, background=None):
    rows = []
    for y in range(image.height):
        row = bytearray()
        for x in range(image.width):
            r, g, b, a = image.rgba(x, y)
            if background:
                t = a / 255
                r, g, b = (round(c * t + bg * (1 - t)) for c, bg in zip((r, g, b), background))
                a = 255
            row += bytes((r, g, b, a))
        rows.append(row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)
    return (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', image.width, image.height, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(b''.join(b'\0' + row for row in rows), 9)) + chunk(b'IEND', b''))


def write_png(path, image, background=None):
    with open(path, 'wb') as f:
        f.write(png_bytes(image, background))


def write_ppm(path, image):
    with open(path, 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (image.width, image.height))
        for y in range(image.height):
            for x in range(image.width):
                f.write(bytes(image.rgba(x, y)[:3]))


# --- the drawings, on a 32-pixel grid scaled to size

# A skinned button 26 pixels high shows rows 3 to 28 of its 32 x 32 icon, and
# draws its 3-pixel frame over the first of them: the button icons keep their
# drawings to the middle 22 x 22 pixels, with transparent padding around.
BUTTON_DRAWING = 22
BUTTON_PADDING = (32 - BUTTON_DRAWING) / 2


def button_canvas(size):
    """The scale and image of a button icon of size pixels."""
    fit = BUTTON_DRAWING / 32
    return size / 32, Image(size, size, scale=fit, offset=BUTTON_PADDING * size / 32)

BLUE = ((105, 175, 245), (18, 78, 178))
GREEN = ((130, 215, 100), (28, 128, 44))
RED = ((245, 105, 90), (168, 22, 26))
STEEL = ((236, 240, 246), (150, 164, 186))
WHITE = (255, 255, 255)


def round_badge(image, s, cx, cy, r, colours):
    disc = circle(cx * s, cy * s, r * s)
    image.shadow(disc)
    image.draw(disc, vertical(colours[0], colours[1], (cy - r) * s, (cy + r) * s))
    image.draw(ring(cx * s, cy * s, (r - 0.6) * s, 1.0 * s), solid(WHITE), 0.55)
    # a soft highlight over the upper half
    image.draw(box(cx * s, (cy - r * 0.45) * s, r * 0.62 * s, r * 0.36 * s, r * 0.36 * s), solid(WHITE), 0.28)


def info_sign(size):
    s, image = button_canvas(size)
    round_badge(image, s, 16, 16, 14.5, BLUE)
    image.draw(circle(16 * s, 9.3 * s, 2.3 * s), solid(WHITE))
    image.draw(box(16 * s, 18.8 * s, 2.0 * s, 6.4 * s, 0.8 * s), solid(WHITE))
    image.draw(box(14.6 * s, 13.2 * s, 3.4 * s, 1.0 * s, 0.5 * s), solid(WHITE))
    image.draw(box(16 * s, 24.6 * s, 4.6 * s, 1.0 * s, 0.5 * s), solid(WHITE))
    return image


def play_sign(size):
    s, image = button_canvas(size)
    round_badge(image, s, 16, 16, 14.5, GREEN)
    image.draw(rounded(polygon([(12.4 * s, 8.8 * s), (23.4 * s, 16 * s), (12.4 * s, 23.2 * s)]), 1.2 * s),
               solid(WHITE))
    return image


def stop_sign(size):
    s, image = button_canvas(size)
    round_badge(image, s, 16, 16, 14.5, RED)
    image.draw(box(16 * s, 16 * s, 6.2 * s, 6.2 * s, 1.4 * s), solid(WHITE))
    return image


def red_cross(image, s, cx, cy, half, width, outline=True):
    arms = union(capsule((cx - half) * s, (cy - half) * s, (cx + half) * s, (cy + half) * s, width * s),
                 capsule((cx + half) * s, (cy - half) * s, (cx - half) * s, (cy + half) * s, width * s))
    image.shadow(arms)
    if outline:
        image.draw(rounded(arms, 0.9 * s), solid((120, 10, 14)))
    image.draw(arms, vertical(RED[0], RED[1], (cy - half) * s, (cy + half) * s))
    image.draw(capsule((cx - half + 1.2) * s, (cy - half + 0.6) * s, (cx - 1.5) * s, (cy - 2.2) * s, 0.9 * s),
               solid(WHITE), 0.35)


def close_sign(size):
    s, image = button_canvas(size)
    red_cross(image, s, 16, 16, 10, 3.6)
    return image


def computer(image, s):
    """A monitor on a stand, a little left and up to leave room for a badge."""
    bezel = box(14 * s, 12.5 * s, 12.5 * s, 9.5 * s, 2.0 * s)
    image.shadow(bezel)
    image.draw(polygon([(11 * s, 21 * s), (17 * s, 21 * s), (19 * s, 26.5 * s), (9 * s, 26.5 * s)]),
               vertical((170, 178, 192), (110, 120, 138), 21 * s, 26.5 * s))
    image.draw(box(14 * s, 27.3 * s, 8.5 * s, 1.4 * s, 1.2 * s), vertical((150, 160, 178), (90, 100, 120),
                                                                           26 * s, 28.7 * s))
    image.draw(bezel, vertical((92, 100, 116), (44, 50, 62), 3 * s, 22 * s))
    image.draw(box(14 * s, 12 * s, 10.3 * s, 7.3 * s, 0.8 * s), vertical((120, 200, 250), (30, 96, 190),
                                                                          4.7 * s, 19.3 * s))
    # reflections and a few rows of a list on the screen
    image.draw(polygon([(3.7 * s, 4.7 * s), (15 * s, 4.7 * s), (8 * s, 19.3 * s), (3.7 * s, 19.3 * s)]),
               solid(WHITE), 0.12)
    for i, width in enumerate((7.0, 5.0, 6.0)):
        image.draw(box((7 + width / 2) * s, (8 + 3.3 * i) * s, width / 2 * s, 0.8 * s, 0.6 * s), solid(WHITE), 0.55)


def computer_with_arrow(size):
    s, image = button_canvas(size)
    computer(image, s)
    round_badge(image, s, 24, 23.5, 7.8, GREEN)
    image.draw(polygon([(24 * s, 17.6 * s), (28.6 * s, 22.6 * s), (19.4 * s, 22.6 * s)]), solid(WHITE))
    image.draw(box(24 * s, 25 * s, 1.7 * s, 3.6 * s, 0.4 * s), solid(WHITE))
    return image


def computer_with_cross(size):
    s, image = button_canvas(size)
    computer(image, s)
    round_badge(image, s, 24, 23.5, 7.8, RED)
    cross = union(capsule(21 * s, 20.5 * s, 27 * s, 26.5 * s, 1.35 * s),
                  capsule(27 * s, 20.5 * s, 21 * s, 26.5 * s, 1.35 * s))
    image.draw(cross, solid(WHITE))
    return image


def computer_with_magnifier(size):
    s, image = button_canvas(size)
    computer(image, s)
    handle = capsule(25.6 * s, 25.6 * s, 30 * s, 30 * s, 1.8 * s)
    image.shadow(handle)
    image.draw(handle, vertical((120, 80, 40), (70, 40, 18), 25 * s, 30 * s))
    image.shadow(circle(22 * s, 22 * s, 6.2 * s))
    image.draw(circle(22 * s, 22 * s, 5.0 * s), radial((235, 248, 255), (170, 210, 240), 20.5 * s, 20.5 * s, 6 * s),
               0.85)
    image.draw(ring(22 * s, 22 * s, 5.4 * s, 1.8 * s), vertical((200, 206, 216), (96, 104, 120), 16 * s, 28 * s))
    image.draw(capsule(19.6 * s, 19.2 * s, 21.4 * s, 18.4 * s, 0.7 * s), solid(WHITE), 0.8)
    return image


def program_icon(size):
    """A steel gear carrying a green play triangle: a service, running."""
    s, image = size / 32, Image(size, size)
    teeth = 8
    wheel = gear(16 * s, 16 * s, 11.2 * s, teeth, 3.6 * s, 0)
    image.shadow(wheel)
    image.draw(wheel, vertical((150, 196, 240), (26, 84, 170), 1 * s, 31 * s))
    image.draw(ring(16 * s, 16 * s, 9.4 * s, 1.0 * s), solid(WHITE), 0.35)
    image.draw(circle(16 * s, 16 * s, 7.4 * s), vertical((250, 252, 255), (200, 214, 232), 8 * s, 24 * s))
    image.draw(rounded(polygon([(13.2 * s, 11.2 * s), (21.2 * s, 16 * s), (13.2 * s, 20.8 * s)]), 0.9 * s),
               vertical(GREEN[0], GREEN[1], 11 * s, 21 * s))
    return image


def about_picture():
    """The About box's picture: a console of services under a great gear."""
    w, h = 200, 190
    image = Image(w, h, (0, 0, 0))
    image.draw(box(100, 95, 120, 120), vertical((26, 48, 96), (70, 128, 196), 0, h))
    image.draw(gear(150, 58, 52, 10, 16, 24), solid(WHITE), 0.08)
    image.draw(gear(34, 160, 28, 8, 9, 12), solid(WHITE), 0.07)
    # the console
    frame = box(100, 100, 70, 52, 8)
    image.shadow(frame, 2, 4, 0.45, 8)
    image.draw(frame, vertical((104, 112, 130), (46, 52, 66), 48, 152))
    image.draw(box(100, 98, 62, 43, 4), vertical((236, 242, 250), (196, 208, 226), 55, 141))
    rows = [(GREEN, 'running'), (RED, 'stopped'), (GREEN, 'running'), (BLUE, 'paused'), (GREEN, 'running')]
    for i, (colours, _) in enumerate(rows):
        y = 66 + 15.5 * i
        image.draw(circle(50, y, 4.6), vertical(colours[0], colours[1], y - 4.6, y + 4.6))
        image.draw(box(62 + (38 - 6 * (i % 3)) / 2, y, (38 - 6 * (i % 3)) / 2, 2.4, 2.2), solid((70, 84, 110)))
        image.draw(box(140, y, 14, 2.4, 2.2), solid((150, 162, 184)))
    image.draw(polygon([(38, 55), (110, 55), (70, 141), (38, 141)]), solid(WHITE), 0.10)
    # the stand
    image.draw(polygon([(86, 152), (114, 152), (120, 168), (80, 168)]), vertical((150, 160, 178), (92, 102, 122),
                                                                              152, 168))
    image.draw(box(100, 170, 38, 4, 3.5), vertical((160, 170, 188), (90, 100, 120), 166, 174))
    # a badge: the program's own gear and play sign
    badge = gear(160, 142, 17, 8, 6, 0)
    image.shadow(badge, 1.5, 2.5, 0.4, 4)
    image.draw(badge, vertical((150, 196, 240), (26, 84, 170), 120, 166))
    image.draw(circle(160, 142, 11.5), vertical((250, 252, 255), (200, 214, 232), 130, 154))
    image.draw(rounded(polygon([(155.5, 134.5), (168, 142), (155.5, 149.5)]), 1.2),
               vertical(GREEN[0], GREEN[1], 134, 150))
    return image


# Every icon is drawn at each size the program loads it at: the button
# icons at 32 pixels and at 48 and 64 for screens of 150 and 200 per cent;
# the program icon also at the small sizes of the caption and the tray.
BUTTON_SIZES = (32, 48, 64)
PROGRAM_SIZES = (16, 24, 32, 48, 64)
ICONS = {
    'program.ico': (program_icon, PROGRAM_SIZES),
    'about.ico': (info_sign, BUTTON_SIZES),
    'install.ico': (computer_with_arrow, BUTTON_SIZES),
    'remove.ico': (computer_with_cross, BUTTON_SIZES),
    'start.ico': (play_sign, BUTTON_SIZES),
    'stop.ico': (stop_sign, BUTTON_SIZES),
    'inspect.ico': (computer_with_magnifier, BUTTON_SIZES),
    'close.ico': (close_sign, BUTTON_SIZES),
}


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    sheet = Image(8 * 40, 48, (236, 236, 236))
    for i, (name, (draw, sizes)) in enumerate(ICONS.items()):
        images = [draw(size) for size in sizes]
        write_ico(f'{out}/{name}', images)
        big = images[sizes.index(32)]
        for y in range(32):
            for x in range(32):
                r, g, b, a = big.rgba(x, y)
                if a:
                    t = a / 255
                    px = sheet.pixels[(y + 8) * sheet.width + i * 40 + x + 4]
                    px[0], px[1], px[2] = (c * t + p * (1 - t) for c, p in zip((r, g, b), px[:3]))
    write_png(f'{out}/icons-preview.png', sheet)
    write_ppm(f'{out}/about.ppm', about_picture())


if __name__ == '__main__':
    main()
