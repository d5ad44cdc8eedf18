#!/usr/bin/env python3
"""Writes the tone-map look images the colour-adjustment pass samples as `img2`.

Every look is kept below as a few control points per curve; this script turns them into
the 64 PNG files of resources/looks/, named after the look ("toneMapAmaro.png" ...).
Run it after changing a curve and commit the images it writes:

    python3 tools/looks/looks.py            # writes resources/looks/
    python3 tools/looks/looks.py --out DIR  # writes somewhere else

Image layouts (all 8 bits per sample, not interlaced, no gamma or colour chunks; rows are
stored top first and are meant to be uploaded in that order, so the top row is t = 0):

* Colour strip (62 looks, the ones with the colour flag; Willow included): 256 x 1, colour
  type 2 (RGB). Column x holds, in each channel, that channel's output for the input x / 255.
  The shader reads it with NEAREST filtering at (c, 0.5): texel floor(c * 256), clamped,
  which is exactly column x for c = x / 255, so 256 columns lose nothing for 8-bit input.
  The loader expands it to packed RGBA (alpha 255).
* "Gotham": 256 x 256, colour type 2 (RGB). Column x, row y holds each channel's output for
  the channel value x / 255 on a pixel whose grey value (0.299 r + 0.587 g + 0.114 b) is
  y / 255; the top row is black's row. Read with NEAREST at (c, gray), like the strips.
* "Inkwell": 256 x 1, colour type 0 (grey). Column x holds the grey output for the grey input
  (x + 0.5) / 256, the centre of the texel, because the loader makes it a single-channel
  texture read with LINEAR filtering at (gray, 0.5); the shader uses its red channel.

"Willow" is a strip like the others but the shader turns its result grey with the weights
above, so its three curves act as a channel mixer and tone curve of a monochrome look.

How a strip is made from its table entry, for each channel c of r, g, b:
    out_c(x) = black_c + (white_c - black_c) * curve_c(curve_rgb(x)) / 255
where the curves pass smoothly and monotonically (monotone cubic Hermite interpolation)
through their control points, given in 0..255 units, and a curve without a point at 0 or at
255 keeps that end where it is ((0, 0) and (255, 255)). `black` and `white` lift the darkest
and lower the brightest output of each channel: a matte or faded finish when they are grey,
a tint of the shadows or of the highlights when they are coloured.

Standard library only.
"""

import argparse
import math
import os
import struct
import sys
import zlib


class Look:
    """One colour grade: a master curve, a curve per channel and the output levels."""

    def __init__(self, name, mood, rgb=(), r=(), g=(), b=(),
                 black=(0, 0, 0), white=(255, 255, 255)):
        self.name = name
        self.mood = mood
        self.rgb = rgb
        self.channels = (r, g, b)
        self.black = black
        self.white = white


# The looks in the order of the engine's look table (index 1 first). Gotham and Inkwell are
# listed for their place and name; their images come from GOTHAM and INKWELL below.
LOOKS = [
    Look("Gotham", "cool, nearly colourless, hard contrast (see GOTHAM)"),
    Look("Amaro", "bright and airy, lifted cool shadows",
         rgb=((0, 18), (70, 96), (190, 214), (255, 250)),
         r=((128, 124),), b=((0, 30), (128, 138))),
    Look("Mayfair", "soft contrast with a warm pink centre",
         rgb=((0, 8), (64, 70), (192, 200), (255, 248)),
         r=((128, 144),), g=((128, 122),), b=((128, 130), (255, 240))),
    Look("Rise", "golden glow, lifted warm shadows",
         rgb=((0, 26), (128, 152), (255, 252)),
         r=((0, 10), (128, 138)), g=((128, 134),), b=((128, 112), (255, 230))),
    Look("Hudson", "icy blue, bright highlights",
         rgb=((0, 10), (64, 60), (192, 214), (255, 255)),
         r=((128, 114),), b=((0, 30), (128, 150))),
    Look("Valencia", "faded warm antique",
         rgb=((0, 28), (128, 134), (255, 238)),
         r=((128, 146),), g=((128, 126),), b=((0, 8), (128, 112), (255, 218))),
    Look("XProII", "cross-processed: deep teal shadows, warm yellow highlights, hard contrast",
         rgb=((64, 52), (192, 210)),
         r=((64, 40), (192, 226)), g=((64, 54), (192, 208)),
         b=((0, 48), (128, 118), (255, 200))),
    Look("Sierra", "soft, hazy and faded",
         rgb=((0, 42), (128, 142), (255, 228)),
         r=((128, 134),), b=((128, 122),)),
    Look("Willow", "soft monochrome with lifted blacks (the shader makes it grey)",
         rgb=((0, 24), (64, 72), (192, 198), (255, 236)),
         r=((128, 152),), b=((128, 108),)),
    Look("LoFi", "punchy: deep blacks, hard contrast, a little warm",
         rgb=((48, 14), (128, 128), (208, 242)),
         r=((128, 136),), g=((128, 130),), b=((128, 122),)),
    Look("Earlybird", "vintage sepia gold, faded",
         rgb=((0, 24), (128, 138), (255, 232)),
         r=((0, 16), (128, 150)), g=((128, 132),), b=((128, 102), (255, 200))),
    Look("Sutro", "dark and moody, purple-brown",
         rgb=((64, 44), (128, 106), (255, 226)),
         r=((128, 136),), g=((128, 114),), b=((128, 130),)),
    Look("Toaster", "burnt orange, red shadows",
         rgb=((64, 56), (192, 200)),
         r=((0, 60), (128, 170)), g=((0, 10), (128, 128)), b=((128, 98), (255, 200))),
    Look("Brannan", "metallic contrast, yellow-green highlights",
         rgb=((0, 12), (64, 48), (192, 214), (255, 246)),
         r=((128, 122),), g=((128, 132),), b=((128, 118), (255, 220))),
    Look("Inkwell", "classic black and white (see INKWELL)"),
    Look("Walden", "washed out and yellow, overexposed",
         rgb=((0, 40), (128, 162)),
         r=((128, 132),), b=((0, 30), (128, 120), (255, 212))),
    Look("Hefe", "warm, vivid contrast",
         rgb=((48, 30), (128, 128), (208, 230)),
         r=((128, 142),), b=((128, 110),)),
    Look("Nashville", "peach highlights over faded pink-blue shadows",
         r=((0, 40), (128, 160), (255, 250)), g=((0, 16), (128, 132), (255, 235)),
         b=((0, 64), (128, 122), (255, 190))),
    Look("1977", "rosy and faded",
         rgb=((0, 30), (128, 150), (255, 240)),
         r=((0, 32), (128, 162)), g=((128, 122),)),
    Look("Kelvin", "sunny orange, bright",
         rgb=((0, 20), (128, 150)),
         r=((0, 30), (128, 178)), g=((128, 140),), b=((128, 96), (255, 190))),
    Look("CrossProcess", "slide film in negative chemistry: green-yellow highs, cyan shadows",
         r=((96, 70), (200, 230)), g=((0, 10), (128, 150)),
         b=((0, 60), (128, 116), (255, 176))),
    Look("Portra", "soft, warm and natural pastel",
         rgb=((0, 16), (64, 72), (192, 192), (255, 244)),
         r=((128, 138),), g=((128, 130),), b=((128, 118),)),
    Look("Provia", "clean slide film, slightly cool",
         rgb=((64, 50), (192, 210)),
         r=((128, 122),), b=((128, 136),)),
    Look("Velvia", "saturated-looking, deep, magenta shadows",
         rgb=((56, 36), (128, 128), (200, 226)),
         r=((64, 64),), g=((64, 42), (192, 196)), b=((64, 68),)),
    Look("Afterglow", "warm pink sunset",
         r=((0, 20), (128, 160)), g=((128, 118),), b=((0, 30), (128, 120), (255, 220))),
    Look("August March", "matte summer yellow",
         rgb=((0, 36), (128, 150), (255, 246)),
         r=((128, 136),), g=((128, 136),), b=((128, 100), (255, 204))),
    Look("Aurora", "teal and green",
         r=((128, 108),), g=((0, 10), (128, 146)), b=((0, 30), (128, 136), (255, 240))),
    Look("Cold Heart", "cold, dark and hard",
         rgb=((64, 44), (128, 116), (192, 200), (255, 240)),
         r=((128, 104), (255, 228)), g=((128, 124),), b=((0, 20), (128, 146))),
    Look("Electric", "violet-blue punch",
         rgb=((64, 40), (192, 220)),
         r=((128, 122),), g=((128, 120),), b=((0, 40), (128, 160))),
    Look("Golden Hour", "low sun: orange-gold highlights",
         r=((0, 12), (128, 152)), g=((0, 6), (128, 136), (255, 244)),
         b=((128, 98), (255, 196))),
    Look("Humming Bees", "honey yellow with contrast",
         rgb=((0, 12), (64, 58), (192, 206)),
         r=((128, 144),), g=((128, 142),), b=((128, 96), (255, 206))),
    Look("Midnight Hour", "dark blue night",
         rgb=((64, 40), (128, 100), (192, 180), (255, 230)),
         r=((128, 110),), g=((128, 118),), b=((0, 28), (128, 150))),
    Look("Moth Wings", "dusty, dark and brown, low contrast",
         rgb=((0, 40), (128, 116), (255, 206)),
         r=((128, 136),), b=((128, 116),)),
    Look("Rivers and Rain", "muted green-blue",
         rgb=((0, 16), (128, 124), (255, 236)),
         r=((128, 106),), g=((128, 136),), b=((128, 140),)),
    Look("Snow White", "high key, bright and cold white",
         rgb=((0, 36), (128, 180)),
         r=((128, 124),), g=((128, 126),), b=((128, 140),)),
    Look("Sparks", "deep shadows, glowing orange highlights",
         rgb=((48, 26), (128, 124), (208, 236)),
         r=((128, 140),), g=((128, 126),), b=((0, 20), (64, 60), (192, 166), (255, 220))),
    Look("Twin Lungs", "teal shadows, orange highlights",
         r=((64, 48), (192, 212)), g=((0, 16), (128, 130), (255, 246)),
         b=((0, 40), (64, 80), (192, 170), (255, 220))),
    Look("Wild at Heart", "passionate red, contrasty",
         rgb=((64, 50), (192, 208)),
         r=((0, 10), (128, 162)), g=((128, 108),), b=((0, 10), (128, 112))),
    Look("Window Warmth", "soft peach indoor light",
         rgb=((0, 22), (128, 140), (255, 246)),
         r=((128, 146),), g=((128, 128),), b=((128, 112),)),
    Look("Alice in Wonderland", "dreamy pastel pink",
         rgb=((0, 36), (128, 152), (255, 245)),
         r=((128, 142),), g=((128, 118),), b=((128, 144),)),
    Look("Ambers", "deep amber browns",
         rgb=((64, 40), (128, 110), (192, 196)),
         r=((128, 150),), g=((128, 116),), b=((128, 74), (255, 170))),
    Look("Blue Poppies", "violet-blue shadows, reds kept",
         r=((128, 130),), g=((128, 116), (255, 248)), b=((0, 48), (128, 150), (255, 240))),
    Look("Blue Yellow Field", "blue shadows, yellow highlights",
         rgb=((64, 56), (192, 204)),
         r=((128, 124),), b=((0, 60), (128, 124), (255, 190))),
    Look("Carousel", "funfair colours: purple shadows, warm highlights",
         rgb=((64, 50), (192, 214)),
         r=((128, 140),), g=((128, 122),), b=((0, 40), (128, 130), (255, 220))),
    Look("Cold Desert", "sandy and muted over cool shadows",
         rgb=((0, 30), (128, 132), (255, 236)),
         r=((64, 56), (128, 136), (255, 250)), g=((128, 130),),
         b=((0, 40), (128, 120), (255, 230))),
    Look("Digital Film", "neutral film contrast, green shadows, warm highlights",
         rgb=((0, 10), (64, 56), (192, 204), (255, 246)),
         r=((64, 58), (192, 198)), g=((64, 76), (192, 196)), b=((64, 64), (192, 188))),
    Look("Documentary", "muted and flat, slightly cool",
         rgb=((0, 20), (64, 72), (192, 184), (255, 236)),
         r=((128, 122),), b=((128, 134),)),
    Look("Ghosts in Your Head", "ghostly pale green-grey",
         rgb=((0, 60), (128, 140), (255, 220)),
         r=((128, 122),), g=((128, 136),)),
    Look("Good Luck Charm", "green-gold",
         rgb=((64, 58), (192, 204)),
         r=((128, 128),), g=((0, 8), (128, 154)), b=((128, 104), (255, 220))),
    Look("Green Envy", "strong green",
         r=((128, 104), (255, 235)), g=((0, 20), (128, 158)), b=((128, 110), (255, 230))),
    Look("Hummingbirds", "warm shadows, cool bright highlights",
         rgb=((64, 56), (192, 208)),
         r=((0, 16), (64, 80), (192, 196), (255, 240)), g=((128, 132),),
         b=((64, 50), (192, 210))),
    Look("Kiss Kiss", "strong pink",
         r=((0, 20), (128, 156)), g=((128, 116), (255, 240)), b=((0, 20), (128, 140), (255, 250))),
    Look("Left Hand Blues", "blue shadows under neutral highlights, contrasty",
         r=((64, 46), (192, 200)), g=((64, 52), (192, 200)),
         b=((0, 50), (64, 100), (192, 200), (255, 250))),
    Look("Light Paradise", "bright, airy and warm",
         rgb=((0, 24), (128, 168)),
         r=((128, 138),), g=((128, 132),), b=((128, 118),)),
    Look("Lullabye", "faded lavender pastel",
         rgb=((0, 44), (128, 144), (255, 232)),
         r=((128, 130),), g=((128, 122),), b=((128, 142),)),
    Look("Old Postcards I", "faded sepia yellow",
         rgb=((0, 40), (128, 134), (255, 226)),
         r=((128, 146),), g=((128, 134),), b=((0, 10), (128, 96), (255, 190))),
    Look("Old Postcards II", "aged print: cyan-green shadows, pale warm highlights",
         r=((0, 20), (128, 126), (255, 236)), g=((0, 40), (128, 140), (255, 226)),
         b=((0, 50), (128, 132), (255, 214))),
    Look("Peacock Feathers", "rich teal-green",
         rgb=((64, 52), (192, 206)),
         r=((128, 100),), g=((128, 142),), b=((0, 16), (128, 138))),
    Look("Pistol", "gritty hard contrast, olive-cool, dull highlights",
         rgb=((0, 10), (48, 30), (128, 122), (208, 226), (255, 242)),
         r=((128, 116),), g=((128, 132),), b=((128, 122),)),
    Look("Ragdoll", "soft warm vintage pink",
         rgb=((0, 28), (128, 140), (255, 240)),
         r=((128, 146),), g=((128, 124),), b=((128, 128),)),
    Look("Rose Thorns One", "rose highlights, dark green shadows",
         r=((64, 52), (192, 220)), g=((0, 20), (64, 70), (192, 176), (255, 232)),
         b=((0, 10), (64, 60), (192, 200), (255, 246))),
    Look("Rose Thorns Two", "deep rose, magenta shadows, contrasty",
         rgb=((64, 46), (192, 210)),
         r=((0, 16), (128, 148)), g=((128, 114),), b=((0, 24), (128, 140))),
    Look("Set You Free", "bright open cyan",
         rgb=((0, 24), (128, 150)),
         r=((128, 108),), g=((128, 138),), b=((128, 134),)),
    Look("Toes in the Ocean", "aqua water under warm highlights",
         r=((128, 116), (200, 210)), g=((0, 10), (128, 138)), b=((0, 30), (128, 146), (255, 236))),
]

# Gotham: almost all colour is drained towards the pixel's grey (keep says how much stays),
# then a hard contrast curve and a cold cast from the output levels.
GOTHAM = dict(keep=0.16,
              curve=((0, 0), (48, 26), (128, 124), (208, 236), (255, 255)),
              black=(0, 6, 20), white=(240, 248, 255))

# Inkwell: the grey tone curve of a classic black and white print.
INKWELL = dict(curve=((0, 4), (48, 30), (128, 128), (208, 232), (255, 255)))

STRIP_WIDTH = 256
GOTHAM_SIZE = 256


def image_name(display_name):
    """The file of a look: "toneMap" and the name's words, each capitalised, run together."""
    return "toneMap" + "".join(w[:1].upper() + w[1:] for w in display_name.split()) + ".png"


def monotone_curve(points):
    """A function through the control points (0..255 units), monotone cubic Hermite.

    Missing ends are (0, 0) and (255, 255). Between points whose values do not decrease the
    curve does not decrease either (Fritsch-Carlson slopes); outside the points it is flat.
    """
    pts = sorted(points)
    if not pts or pts[0][0] > 0:
        pts.insert(0, (0, 0))
    if pts[-1][0] < 255:
        pts.append((255, 255))
    xs = [float(p[0]) for p in pts]
    ys = [float(p[1]) for p in pts]
    n = len(pts)
    secants = [(ys[i + 1] - ys[i]) / (xs[i + 1] - xs[i]) for i in range(n - 1)]
    slopes = [secants[0]] + [0.0] * (n - 2) + [secants[-1]]
    for i in range(1, n - 1):
        a, b = secants[i - 1], secants[i]
        if a * b <= 0:
            slopes[i] = 0.0
        else:
            # Weighted harmonic mean: never overshoots the neighbouring segments.
            w1 = 2 * (xs[i + 1] - xs[i]) + (xs[i] - xs[i - 1])
            w2 = (xs[i + 1] - xs[i]) + 2 * (xs[i] - xs[i - 1])
            slopes[i] = (w1 + w2) / (w1 / a + w2 / b)
    for i in range(n - 1):
        # Keep the end slopes inside the monotone region as well.
        s = secants[i]
        if s == 0:
            slopes[i] = slopes[i + 1] = 0.0
            continue
        for j in (i, i + 1):
            if slopes[j] / s > 3:
                slopes[j] = 3 * s

    def f(x):
        if x <= xs[0]:
            return ys[0]
        if x >= xs[-1]:
            return ys[-1]
        i = 0
        while x > xs[i + 1]:
            i += 1
        h = xs[i + 1] - xs[i]
        t = (x - xs[i]) / h
        t2, t3 = t * t, t * t * t
        return ((2 * t3 - 3 * t2 + 1) * ys[i] + (t3 - 2 * t2 + t) * h * slopes[i]
                + (-2 * t3 + 3 * t2) * ys[i + 1] + (t3 - t2) * h * slopes[i + 1])
    return f


def to_byte(v):
    return max(0, min(255, int(math.floor(v + 0.5))))


def strip(look):
    """The 256 (r, g, b) texels of a colour look."""
    master = monotone_curve(look.rgb)
    curves = [monotone_curve(c) for c in look.channels]
    texels = []
    for x in range(STRIP_WIDTH):
        m = master(x * 255.0 / (STRIP_WIDTH - 1))
        texels.append(tuple(
            to_byte(look.black[c] + (look.white[c] - look.black[c]) * curves[c](m) / 255.0)
            for c in range(3)))
    return texels


def gotham_table(table=GOTHAM):
    """Rows of (r, g, b) texels: row y for grey y / 255, column x for channel value x / 255."""
    curve = monotone_curve(table["curve"])
    black, white, keep = table["black"], table["white"], table["keep"]
    rows = []
    for y in range(GOTHAM_SIZE):
        grey = y * 255.0 / (GOTHAM_SIZE - 1)
        row = []
        for x in range(GOTHAM_SIZE):
            v = curve(grey + keep * (x * 255.0 / (GOTHAM_SIZE - 1) - grey))
            row.append(tuple(to_byte(black[c] + (white[c] - black[c]) * v / 255.0)
                             for c in range(3)))
        rows.append(row)
    return rows


def inkwell_curve(table=INKWELL):
    """The 256 grey texels: texel x for the grey input at its centre, (x + 0.5) / 256."""
    curve = monotone_curve(table["curve"])
    return [to_byte(curve((x + 0.5) / STRIP_WIDTH * 255.0)) for x in range(STRIP_WIDTH)]


def look_image(look):
    """(width, height, PNG colour type, rows of flat samples) of a look's image."""
    if look.name == "Gotham":
        rows = gotham_table()
        return GOTHAM_SIZE, GOTHAM_SIZE, 2, [[s for t in row for s in t] for row in rows]
    if look.name == "Inkwell":
        return STRIP_WIDTH, 1, 0, [inkwell_curve()]
    return STRIP_WIDTH, 1, 2, [[s for t in strip(look) for s in t]]


def encode_png(width, height, colour_type, rows):
    """An 8-bit PNG; each row filtered with "Up" when that is smaller, else left as it is."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    previous = None
    for row in rows:
        plain = bytes(row)
        if previous is not None:
            up = bytes((a - b) & 0xFF for a, b in zip(plain, previous))
            if sum(min(v, 256 - v) for v in up) < sum(min(v, 256 - v) for v in plain):
                raw += b"\x02" + up
                previous = plain
                continue
        raw += b"\x00" + plain
        previous = plain
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def sample(look_name, texels, rgb):
    """What the colour-adjustment pass makes of the 8-bit colour rgb at full look strength.

    texels: the image's rows of (r, g, b) tuples, or for Inkwell one row of grey values.
    Mirrors the shader: NEAREST look-ups, LINEAR for the grey Inkwell curve, Willow greyed.
    Returns floats in 0..1.
    """
    c = [v / 255.0 for v in rgb]
    grey = 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]

    def nearest(u, size):
        return min(max(int(math.floor(u * size)), 0), size - 1)

    if look_name == "Inkwell":
        row = texels[0]
        s = grey * len(row) - 0.5
        i = int(math.floor(s))
        f = s - i
        a, b = row[min(max(i, 0), len(row) - 1)], row[min(max(i + 1, 0), len(row) - 1)]
        v = (a + (b - a) * f) / 255.0
        return (v, v, v)
    if look_name == "Gotham":
        row = texels[nearest(grey, len(texels))]
        return tuple(row[nearest(c[k], len(row))][k] / 255.0 for k in range(3))
    row = texels[len(texels) // 2]
    out = tuple(row[nearest(c[k], len(row))][k] / 255.0 for k in range(3))
    if look_name == "Willow":
        v = 0.299 * out[0] + 0.587 * out[1] + 0.114 * out[2]
        return (v, v, v)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "resources", "looks"),
                        help="folder for the PNG files (default: resources/looks)")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for look in LOOKS:
        width, height, colour_type, rows = look_image(look)
        path = os.path.join(args.out, image_name(look.name))
        with open(path, "wb") as f:
            f.write(encode_png(width, height, colour_type, rows))
    print("wrote %d looks to %s" % (len(LOOKS), os.path.normpath(args.out)), file=sys.stderr)


if __name__ == "__main__":
    main()
