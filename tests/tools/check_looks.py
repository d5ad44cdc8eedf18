#!/usr/bin/env python3
"""Checks the shipped tone-map look images: names, PNG layout, curve shape, variety, and
that they are what tools/looks/looks.py makes of its table (no stale images).

Usage: check_looks.py <folder of the look images> <tools/looks/looks.py>
"""

import importlib.util
import itertools
import os
import struct
import sys
import unittest
import zlib

# The look table's image names, index 1 to 64, in order (index 0, "None", has no image).
IMAGE_NAMES = """
Gotham Amaro Mayfair Rise Hudson Valencia XProII Sierra Willow LoFi Earlybird Sutro Toaster
Brannan Inkwell Walden Hefe Nashville 1977 Kelvin CrossProcess Portra Provia Velvia Afterglow
AugustMarch Aurora ColdHeart Electric GoldenHour HummingBees MidnightHour MothWings
RiversAndRain SnowWhite Sparks TwinLungs WildAtHeart WindowWarmth AliceInWonderland Ambers
BluePoppies BlueYellowField Carousel ColdDesert DigitalFilm Documentary GhostsInYourHead
GoodLuckCharm GreenEnvy Hummingbirds KissKiss LeftHandBlues LightParadise Lullabye
OldPostcardsI OldPostcardsII PeacockFeathers Pistol Ragdoll RoseThornsOne RoseThornsTwo
SetYouFree ToesInTheOcean
""".split()

# Looks must change a picture by at least this much on average (in 8-bit levels), and any
# two looks must differ from each other by at least this much.
MIN_CHANGE = 6.0
MIN_DISTANCE = 5.0
# Neighbouring columns of a curve may differ by at most this many levels (no jumps).
MAX_STEP = 6

LOOK_DIR = ""
TOOL = ""


def decode_png(data):
    """(width, height, colour type, rows of samples) of an 8-bit, non-interlaced PNG."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, header = 8, bytearray(), None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in %r" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or interlace != 0:
        raise ValueError("depth %d, interlace %d" % (depth, interlace))
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour_type]
    stride = width * channels
    raw = zlib.decompress(bytes(idat))
    if len(raw) != height * (stride + 1):
        raise ValueError("image data has %d bytes" % len(raw))
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
            elif kind != 0:
                raise ValueError("filter %d" % kind)
        rows.append(row)
        previous = row
    return width, height, colour_type, rows


def texels(colour_type, rows):
    """Rows of (r, g, b) tuples for colour images, rows of grey values for grey ones."""
    if colour_type == 0:
        return [list(row) for row in rows]
    return [[tuple(row[i:i + 3]) for i in range(0, len(row), 3)] for row in rows]


def expected_layout(name):
    """(width, height, PNG colour type): a 2-D RGB table, a grey curve, or an RGB strip."""
    return {"Gotham": (256, 256, 2), "Inkwell": (256, 1, 0)}.get(name, (256, 1, 2))


def load_images():
    """The decoded images of the table's looks that are present."""
    images = {}
    for name in IMAGE_NAMES:
        path = os.path.join(LOOK_DIR, "toneMap%s.png" % name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                images[name] = decode_png(f.read())
    return images


def load_tool():
    found = importlib.util.spec_from_file_location("looks", TOOL)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


class LookImages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.images = load_images()

    def test_every_look_of_the_table_has_its_image_and_nothing_else_is_there(self):
        self.assertEqual(len(IMAGE_NAMES), 64)
        present = sorted(f for f in os.listdir(LOOK_DIR) if f.endswith(".png"))
        self.assertEqual(present, sorted("toneMap%s.png" % n for n in IMAGE_NAMES))

    def test_layout_is_what_the_look_stage_samples(self):
        for name, (width, height, colour_type, _) in self.images.items():
            with self.subTest(look=name):
                self.assertEqual((width, height, colour_type), expected_layout(name))

    def test_curves_rise_smoothly(self):
        for name, (_, _, colour_type, rows) in self.images.items():
            lines = texels(colour_type, rows)
            if name == "Gotham":
                # Along the channel value and down the grey value alike.
                lines = lines + [list(col) for col in zip(*lines)]
            with self.subTest(look=name):
                for line in lines:
                    channels = [line] if colour_type == 0 else list(zip(*line))
                    for values in channels:
                        steps = [b - a for a, b in zip(values, values[1:])]
                        self.assertGreaterEqual(min(steps), 0, "curve falls")
                        self.assertLessEqual(max(steps), MAX_STEP, "curve jumps")


class LookEffects(unittest.TestCase):
    """What the looks do to a grid of colours, as the colour-adjustment pass applies them."""

    @classmethod
    def setUpClass(cls):
        cls.tool = load_tool()
        grid = [(r, g, b) for r in range(0, 256, 51) for g in range(0, 256, 51)
                for b in range(0, 256, 51)]
        cls.grid = grid
        # Images that are missing or laid out wrongly fail the layout tests instead.
        cls.results = {}
        for name, (width, height, colour_type, rows) in load_images().items():
            if (width, height, colour_type) == expected_layout(name):
                image = texels(colour_type, rows)
                cls.results[name] = [cls.tool.sample(name, image, c) for c in grid]

    @staticmethod
    def mean_difference(a, b):
        total = sum(abs(x - y) for p, q in zip(a, b) for x, y in zip(p, q))
        return 255.0 * total / (3 * len(a))

    def test_no_look_leaves_the_picture_as_it_is(self):
        unchanged = [tuple(v / 255.0 for v in c) for c in self.grid]
        for name, result in self.results.items():
            with self.subTest(look=name):
                self.assertGreaterEqual(self.mean_difference(result, unchanged), MIN_CHANGE)

    def test_no_two_looks_are_alike(self):
        for a, b in itertools.combinations(sorted(self.results), 2):
            with self.subTest(looks=(a, b)):
                self.assertGreaterEqual(
                    self.mean_difference(self.results[a], self.results[b]), MIN_DISTANCE)

    def test_monochrome_looks_give_grey(self):
        for name in ("Inkwell", "Willow"):
            for r, g, b in self.results.get(name, ()):
                self.assertAlmostEqual(r, g)
                self.assertAlmostEqual(g, b)


class LookTable(unittest.TestCase):
    def test_images_are_up_to_date_with_the_table(self):
        tool = load_tool()
        self.assertEqual([tool.image_name(look.name) for look in tool.LOOKS],
                         ["toneMap%s.png" % n for n in IMAGE_NAMES])
        for look in tool.LOOKS:
            with self.subTest(look=look.name):
                width, height, colour_type, rows = tool.look_image(look)
                path = os.path.join(LOOK_DIR, tool.image_name(look.name))
                if not os.path.exists(path):
                    continue  # reported by the test of the names
                with open(path, "rb") as f:
                    shipped = decode_png(f.read())
                self.assertEqual(shipped[:3], (width, height, colour_type))
                self.assertTrue(shipped[3] == [bytearray(r) for r in rows],
                                "rerun tools/looks/looks.py")


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    LOOK_DIR, TOOL = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=1)
