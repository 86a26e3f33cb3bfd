#!/usr/bin/env python3
"""Draws the Laugh window's picture: two cheerful cartoon figures, Ulvo and Brem.

The picture is drawn procedurally (Python standard library only) into a 362 x 362 colour
raster, written as a PPM and turned into a progressive JPEG by ImageMagick, because the
window stores its picture as a progressive JPEG. The two heads sit where the window's
"X-ray" rectangles are, so the X-ray look shows the heads as a negative.

Usage: tools/make-laugh-picture.py [--ppm FILE] [OUTPUT.jpg]
Default output: src/ui/picture/laugh.jpg next to this script's repository.
"""

import math
import os
import subprocess
import sys

SIZE = 362

# Flat colours; the decoder test checks a few of them at known places.
SKY = (150, 205, 240)
GRASS = (95, 175, 75)
SUN = (255, 220, 60)
CLOUD = (250, 250, 250)
INK = (40, 30, 30)
SKIN = (250, 210, 170)
CHEEK = (245, 150, 140)
WHITE = (255, 255, 255)
MOUTH = (150, 30, 40)
TONGUE = (240, 110, 120)
ULVO_HAIR = (230, 120, 30)
ULVO_SHIRT = (60, 110, 200)
ULVO_TROUSERS = (60, 60, 90)
BREM_HAIR = (80, 50, 30)
BREM_SHIRT = (230, 170, 40)
BREM_TROUSERS = (120, 70, 40)
SHOE = (50, 40, 40)
FLOWER = (240, 80, 160)
FLOWER_HEART = (255, 230, 80)


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.pixels = bytearray(bytes(colour) * (width * height))

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        i = 3 * (y * self.width + x)
        if alpha >= 1.0:
            self.pixels[i:i + 3] = bytes(colour)
            return
        for c in range(3):
            old = self.pixels[i + c]
            self.pixels[i + c] = int(round(old + (colour[c] - old) * alpha))

    def fill(self, box, colour, signed_distance):
        """Fills where signed_distance(px, py) < 0, with one pixel of antialiasing."""
        x0, y0, x1, y1 = box
        x0 = max(0, int(math.floor(x0)) - 1)
        y0 = max(0, int(math.floor(y0)) - 1)
        x1 = min(self.width - 1, int(math.ceil(x1)) + 1)
        y1 = min(self.height - 1, int(math.ceil(y1)) + 1)
        for y in range(y0, y1 + 1):
            py = y + 0.5
            for x in range(x0, x1 + 1):
                d = signed_distance(x + 0.5, py)
                self.blend(x, y, colour, min(1.0, max(0.0, 0.5 - d)))

    def ppm(self):
        return b"P6\n%d %d\n255\n" % (self.width, self.height) + bytes(self.pixels)


def ellipse(cv, cx, cy, rx, ry, colour, outline=0.0):
    """An ellipse; with outline > 0 it gets an ink rim of that width first."""
    if outline > 0.0:
        ellipse(cv, cx, cy, rx + outline, ry + outline, INK)

    def sd(px, py):
        dx, dy = (px - cx) / rx, (py - cy) / ry
        f = math.hypot(dx, dy)
        if f == 0.0:
            return -min(rx, ry)
        gx, gy = dx / (rx * f), dy / (ry * f)
        return (f - 1.0) / max(1e-9, math.hypot(gx, gy))

    cv.fill((cx - rx, cy - ry, cx + rx, cy + ry), colour, sd)


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    length2 = vx * vx + vy * vy
    t = 0.0 if length2 == 0.0 else max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / length2))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def stroke(cv, points, width, colour, outline=0.0):
    """A polyline of the given width with round ends and joints."""
    if outline > 0.0:
        stroke(cv, points, width + 2 * outline, INK)
    r = width / 2.0
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        box = (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)
        cv.fill(box, colour,
                lambda px, py, ax=ax, ay=ay, bx=bx, by=by: segment_distance(px, py, ax, ay, bx, by) - r)


def polygon(cv, points, colour, outline=0.0):
    if outline > 0.0:
        stroke(cv, points + points[:1], 2 * outline, INK)
    edges = list(zip(points, points[1:] + points[:1]))

    def sd(px, py):
        inside = False
        d = float("inf")
        for (ax, ay), (bx, by) in edges:
            d = min(d, segment_distance(px, py, ax, ay, bx, by))
            if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -d if inside else d

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    cv.fill((min(xs), min(ys), max(xs), max(ys)), colour, sd)


def arc(cv, cx, cy, radius, start_deg, end_deg, width, colour, steps=24):
    """An arc as a polyline; angles in degrees, y pointing down."""
    points = []
    for i in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
        points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    stroke(cv, points, width, colour)


def grin(cv, cx, cy, rx, ry):
    """A wide open laughing mouth: a half ellipse with a tongue."""
    def sd(px, py):
        if py < cy:
            return cy - py
        dx, dy = (px - cx) / rx, (py - cy) / ry
        f = math.hypot(dx, dy)
        return (f - 1.0) * min(rx, ry)

    cv.fill((cx - rx - 2, cy - 2, cx + rx + 2, cy + ry + 2), INK,
            lambda px, py: sd(px, py) - 2.0)
    cv.fill((cx - rx, cy, cx + rx, cy + ry), MOUTH, sd)
    ellipse(cv, cx, cy + ry * 0.7, rx * 0.5, ry * 0.3, TONGUE)
    # Upper teeth.
    cv.fill((cx - rx, cy, cx + rx, cy + 5), WHITE,
            lambda px, py: max(sd(px, py), py - (cy + 5)))


def face(cv, cx, cy, r, eye_gap):
    for side in (-1, 1):
        ex = cx + side * eye_gap
        ellipse(cv, ex, cy - r * 0.2, r * 0.16, r * 0.2, WHITE, outline=1.5)
        ellipse(cv, ex + 2, cy - r * 0.16, r * 0.07, r * 0.09, INK)
        ellipse(cv, cx + side * r * 0.55, cy + r * 0.2, r * 0.14, r * 0.09, CHEEK)
        # Raised eyebrows: they are laughing.
        arc(cv, ex, cy - r * 0.3, r * 0.22, 215, 325, 3.0, INK)
    ellipse(cv, cx, cy + r * 0.06, r * 0.1, r * 0.08, CHEEK)
    grin(cv, cx, cy + r * 0.25, r * 0.45, r * 0.38)


def sky_and_ground(cv):
    ellipse(cv, 338, 24, 40, 40, SUN)
    for i in range(12):
        a = math.radians(90 + i * 15)
        if 338 + 62 * math.cos(a) < 304:
            continue  # keep the rays clear of Brem's head
        stroke(cv, [(338 + 48 * math.cos(a), 24 + 48 * math.sin(a)),
                    (338 + 62 * math.cos(a), 24 + 62 * math.sin(a))], 4, SUN)
    for cx, cy in ((12, 150), (30, 146), (48, 152)):
        ellipse(cv, cx, cy, 18, 12, CLOUD)
    # A gentle hill; the grass below it is flat colour.
    cv.fill((0, 260, SIZE, SIZE), GRASS,
            lambda px, py: (285 - 14 * math.sin(px / 58.0)) - py)
    for fx, fy in ((20, 330), (190, 340), (335, 318)):
        for k in range(5):
            a = math.radians(k * 72 - 90)
            ellipse(cv, fx + 6 * math.cos(a), fy + 6 * math.sin(a), 4.5, 4.5, FLOWER)
        ellipse(cv, fx, fy, 3.5, 3.5, FLOWER_HEART)


def ulvo(cv):
    """The round one on the left, waving with both arms."""
    cx = 112
    # Legs and shoes.
    stroke(cv, [(96, 250), (86, 318)], 22, ULVO_TROUSERS, outline=2)
    stroke(cv, [(128, 250), (140, 318)], 22, ULVO_TROUSERS, outline=2)
    ellipse(cv, 80, 322, 18, 9, SHOE)
    ellipse(cv, 148, 322, 18, 9, SHOE)
    # Arms up in the air.
    stroke(cv, [(88, 160), (66, 140), (50, 112)], 14, SKIN, outline=2)
    stroke(cv, [(138, 160), (168, 150), (186, 122)], 14, SKIN, outline=2)
    ellipse(cv, 48, 106, 10, 10, SKIN, outline=2)
    ellipse(cv, 188, 116, 10, 10, SKIN, outline=2)
    # Round body.
    ellipse(cv, cx, 205, 44, 62, ULVO_SHIRT, outline=2.5)
    ellipse(cv, cx, 190, 4, 4, WHITE)
    ellipse(cv, cx, 214, 4, 4, WHITE)
    # Head with spiky hair.
    spikes = []
    for i in range(11):
        a = math.radians(190 + i * 16)
        rr = 66 if i % 2 == 0 else 50
        spikes.append((cx + rr * math.cos(a), 74 + rr * math.sin(a)))
    polygon(cv, spikes + [(cx + 40, 74), (cx - 40, 74)], ULVO_HAIR, outline=2)
    ellipse(cv, cx, 76, 52, 50, SKIN, outline=2.5)
    face(cv, cx, 76, 50, 20)


def brem(cv):
    """The tall thin one on the right, holding his belly with laughter."""
    cx = 252
    stroke(cv, [(240, 220), (232, 318)], 16, BREM_TROUSERS, outline=2)
    stroke(cv, [(264, 220), (274, 318)], 16, BREM_TROUSERS, outline=2)
    ellipse(cv, 226, 322, 16, 8, SHOE)
    ellipse(cv, 282, 322, 16, 8, SHOE)
    # Long body.
    polygon(cv, [(226, 104), (278, 104), (284, 228), (220, 228)], BREM_SHIRT, outline=2.5)
    stroke(cv, [(252, 112), (252, 220)], 2, INK)
    # One arm around the belly, one slapping the knee.
    stroke(cv, [(228, 118), (214, 160), (246, 180)], 12, SKIN, outline=2)
    stroke(cv, [(278, 118), (296, 170), (290, 236)], 12, SKIN, outline=2)
    ellipse(cv, 250, 180, 8, 8, SKIN, outline=2)
    ellipse(cv, 290, 240, 8, 8, SKIN, outline=2)
    # Head with a tuft of hair and ears.
    ellipse(cv, cx - 34, 62, 6, 10, SKIN, outline=2)
    ellipse(cv, cx + 34, 62, 6, 10, SKIN, outline=2)
    ellipse(cv, cx, 60, 36, 40, SKIN, outline=2.5)
    polygon(cv, [(cx - 30, 40), (cx - 18, 21), (cx - 6, 32), (cx + 6, 20), (cx + 14, 32),
                 (cx + 26, 24), (cx + 32, 42), (cx, 32)], BREM_HAIR)
    face(cv, cx, 64, 34, 13)


def draw():
    cv = Canvas(SIZE, SIZE, SKY)
    sky_and_ground(cv)
    ulvo(cv)
    brem(cv)
    return cv


def main(argv):
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(repo, "src", "ui", "help", "laugh.jpg")
    ppm_out = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--ppm":
            ppm_out = args.pop(0)
        else:
            out = a
    ppm = draw().ppm()
    if ppm_out:
        with open(ppm_out, "wb") as f:
            f.write(ppm)
    # /usr/bin/convert explicitly: another "convert" may come first on PATH.
    subprocess.run(["/usr/bin/convert", "ppm:-", "-strip", "-interlace", "Plane",
                    "-quality", "90", "jpeg:" + out], input=ppm, check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
