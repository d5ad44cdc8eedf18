#!/usr/bin/python3
"""Makes the before/after photographs of the introduction and the mode information screen.

Each pair starts from one of the sample photographs the program's render already uses
(/usr/share/backgrounds, Debian's lomiri-wallpapers), cropped to the screen's shape with its
long side 640 pixels: 3:5 portrait for the introduction ("intro<Name>Before@2x.jpg"),
square for the mode information screen ("mode<Category>InfoBefore@2x.jpg"). Everything is
done by the project's own command-line render:

- before: the photo through the engine with its processing switched off, or degraded with
  the engine's own parameters where the mode mends something (darker for Low Light, brighter
  and flatter for Overexposure, lower in contrast for Fog);
- after: the before picture rendered with a mode of the category.

The photographs' authors and licences are written beside the pictures (PHOTOGRAPHS.txt).
Run it after changing a choice and commit what it writes (needs python3-cairo):

    /usr/bin/python3 tools/icons/photos.py --tavorin build/release/app/tavorin
"""

import argparse
import os
import subprocess
import sys
import tempfile

import cairo

SAMPLES = "/usr/share/backgrounds"
LONG_SIDE = 640
INTRO, SQUARE = (3, 5), (1, 1)

# The engine with its processing switched off: the photo as it is.
PLAIN = ["Luminance Style=None", "Alg Color Correction Method=None"]
DARKER = ["CA Exposure=0.15", "CA Contrast Strength=0.4"]
BRIGHTER_FLATTER = ["CA Exposure=0.85", "CA Contrast Strength=0.2", "CA Saturation Strength=0.3"]
HAZIER = ["CA Contrast Strength=0.15", "CA Exposure=0.6", "CA Saturation Strength=0.3"]

# name, photo, shape, where the crop's centre lies (fractions of width and height),
# degradation, mode of the after picture
PICTURES = [
    ("introLowLight", "sunset_by_Aitzol_Berasategi.jpg", INTRO, (0.5, 0.5), DARKER, "Low Light 1"),
    ("introNormal", "aitzgorri_by_Aitzol_Berasategi.jpg", INTRO, (0.5, 0.5), [], "Enhance 1"),
    ("introArtistic", "picosdeeuropa_by_Aitzol_Berasategi.jpg", INTRO, (0.5, 0.5), [], "Artistic 1"),
    ("modeEnhanceInfo", "friends_by_Aitzol_Berasategi.jpg", SQUARE, (0.5, 0.5), [], "Enhance 1"),
    ("modeLowLightInfo", "life_by_Aitzol_Berasategi.jpg", SQUARE, (0.5, 0.5), DARKER, "Low Light 1"),
    ("modeClarityInfo", "Picture_0B_by_freespace.jpg", SQUARE, (0.5, 0.5), [], "Clarity 1"),
    ("modeSkyInfo", "aitzgorri_by_Aitzol_Berasategi.jpg", SQUARE, (0.5, 0.4), [], "Sky 1"),
    ("modeArtisticInfo", "picosdeeuropa_by_Aitzol_Berasategi.jpg", SQUARE, (0.5, 0.5), [], "Artistic 1"),
    ("modeDramaticInfo", "Picture_1A_by_freespace.jpg", SQUARE, (0.5, 0.5), [], "Dramatic 1"),
    ("modeOverexposureInfo", "seeding_by_Clements_Engelhardt.jpg", SQUARE, (0.5, 0.5), BRIGHTER_FLATTER,
     "Overexposure 1"),
    ("modeFogInfo", "sunset_by_Aitzol_Berasategi.jpg", SQUARE, (0.5, 0.5), HAZIER, "Fog 1"),
]

CREDITS = {
    "aitzgorri_by_Aitzol_Berasategi.jpg": "Aitzol Berasategi, 2018, CC-BY-4.0",
    "friends_by_Aitzol_Berasategi.jpg": "Aitzol Berasategi, 2018, CC-BY-4.0",
    "life_by_Aitzol_Berasategi.jpg": "Aitzol Berasategi, 2018, CC-BY-4.0",
    "picosdeeuropa_by_Aitzol_Berasategi.jpg": "Aitzol Berasategi, 2018, CC-BY-4.0",
    "sunset_by_Aitzol_Berasategi.jpg": "Aitzol Berasategi, 2018, CC-BY-4.0",
    "Picture_0B_by_freespace.jpg": "Trevor \"Freespace\", 2018, CC-BY-4.0",
    "Picture_1A_by_freespace.jpg": "Trevor \"Freespace\", 2018, CC-BY-4.0",
    "seeding_by_Clements_Engelhardt.jpg": "Clemens Engelhardt, 2018, CC0-1.0",
}


def render(tavorin, source, output, sets=(), mode=None):
    command = [tavorin, "--quiet"]
    for setting in sets:
        command += ["--set", setting]
    if mode:
        command += ["--mode", mode]
    command += [source, output]
    environment = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    subprocess.run(command, check=True, env=environment, stdout=subprocess.DEVNULL)


def crop(png, output, shape, centre):
    """The largest rectangle of the shape around the centre, scaled to LONG_SIDE."""
    image = cairo.ImageSurface.create_from_png(png)
    w, h = image.get_width(), image.get_height()
    sw, sh = shape
    scale_to = min(w / sw, h / sh)
    cw, ch = sw * scale_to, sh * scale_to
    x = min(max(centre[0] * w - cw / 2, 0), w - cw)
    y = min(max(centre[1] * h - ch / 2, 0), h - ch)
    factor = LONG_SIDE / max(cw, ch)
    out_w, out_h = round(cw * factor), round(ch * factor)
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, out_w, out_h)
    cr = cairo.Context(surface)
    cr.scale(factor, factor)
    cr.set_source_surface(image, -x, -y)
    cr.get_source().set_filter(cairo.FILTER_BEST)
    cr.paint()
    surface.write_to_png(output)


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tavorin", default=os.path.join(root, "build", "release", "app", "tavorin"))
    parser.add_argument("--out", default=os.path.join(root, "resources", "photos"))
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, photo, shape, centre, degrade, mode in PICTURES:
            plain = os.path.join(work, name + "-plain.png")
            render(args.tavorin, os.path.join(SAMPLES, photo), plain, PLAIN)
            small = os.path.join(work, name + "-small.png")
            crop(plain, small, shape, centre)
            before = os.path.join(args.out, name + "Before@2x.jpg")
            render(args.tavorin, small, before, PLAIN + degrade)
            render(args.tavorin, before, os.path.join(args.out, name + "After@2x.jpg"), mode=mode)
    with open(os.path.join(args.out, "PHOTOGRAPHS.txt"), "w") as credits:
        credits.write("The before/after pictures are made by tools/icons/photos.py from these photographs\n"
                      "(Debian package lomiri-wallpapers, /usr/share/backgrounds):\n\n")
        for name, photo, *_ in PICTURES:
            credits.write("%sBefore@2x.jpg, %sAfter@2x.jpg: %s, %s\n" % (name, name, photo, CREDITS[photo]))
    print("wrote %d pairs to %s" % (len(PICTURES), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
