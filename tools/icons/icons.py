#!/usr/bin/python3
"""Draws the icons of the pickers, buttons and bars, and the sample picture, into resources/icons/.

The editing help's slider picture is 28 x 35 points, its drawing centred in it; the tuning
panel's toggle and menu buttons are button pictures.

Every icon is a simple white line pictogram on a transparent background, drawn with cairo
at twice its size in points ("name@2x.png"), the size at which its picker cell shows it:
mode group headers 25 points, colour group headers 44 points, adjustments 35 points, button
and bar pictures 24 points, the info button's arrow 10 points, the camera's focus squares 72
and 120 points and the exposure marker 22 points; the share sheet's activities 60 points; the
busy logo's layers 120 points (its glow half as wide again, drawn with a soft fill rather than
a line). Buttons and bars show them as templates: only their alpha counts, painted in the tint.
The sample picture ("sample", 320 x 480 points) stands in for the camera where there is none:
an opaque landscape painted dull and flat on purpose, so that an automatic adjustment of it
shows plainly.
Run it after changing a drawing and commit the images it writes:

    /usr/bin/python3 tools/icons/icons.py              # writes resources/icons/
    /usr/bin/python3 tools/icons/icons.py --out DIR    # writes somewhere else
    /usr/bin/python3 tools/icons/icons.py --sheet F    # also a contact sheet on grey, to look at

Needs the Debian package python3-cairo (Debian's own Python, hence the interpreter path).
Each drawing function works in a unit square (0..1, y down) with the pen already set.
"""

import argparse
import math
import os
import sys

import cairo

SCALE = 2  # pixels per point
MODE_POINTS, COLOR_POINTS, ADJUST_POINTS = 25, 44, 35
BUTTON_POINTS, INDICATOR_POINTS = 24, 10
# The camera's focus squares (where the user tapped; the camera refocusing by itself) and the
# exposure scale's marker.
FOCUS_POINTS, AUTO_FOCUS_POINTS, EXPOSURE_POINTS = 72, 120, 22
LOGO_POINTS, GLOW_POINTS = 120, 180
# The editing help's picture of the strength slider (width, height).
HELP_SLIDE_POINTS = (28, 35)
SAMPLE_POINTS = (320, 480)
ACTIVITY_POINTS = 60  # the share sheet's activities
# The crop rectangle's border, stretched in nine slices with caps of 23 points: it is laid 2
# points outside the rectangle on every side.
CROP_RESIZE_POINTS, CROP_RESIZE_OUTSET = 48, 2
MARGIN = 0.1  # of the side, left clear around the drawing


# --- small helpers --------------------------------------------------------------------------


def polyline(cr, *points, closed=False):
    cr.move_to(*points[0])
    for point in points[1:]:
        cr.line_to(*point)
    if closed:
        cr.close_path()


def circle(cr, x, y, r):
    cr.new_sub_path()
    cr.arc(x, y, r, 0, 2 * math.pi)


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def rays(cr, cx, cy, inner, outer, count, phase=0.0):
    for i in range(count):
        a = phase + 2 * math.pi * i / count
        cr.move_to(cx + inner * math.cos(a), cy + inner * math.sin(a))
        cr.line_to(cx + outer * math.cos(a), cy + outer * math.sin(a))
    cr.stroke()


def sparkle(cr, cx, cy, r):
    """A four-pointed star with concave sides, filled."""
    k = 0.28 * r
    cr.move_to(cx, cy - r)
    cr.curve_to(cx + k * 0.3, cy - k, cx + k, cy - k * 0.3, cx + r, cy)
    cr.curve_to(cx + k, cy + k * 0.3, cx + k * 0.3, cy + k, cx, cy + r)
    cr.curve_to(cx - k * 0.3, cy + k, cx - k, cy + k * 0.3, cx - r, cy)
    cr.curve_to(cx - k, cy - k * 0.3, cx - k * 0.3, cy - k, cx, cy - r)
    cr.close_path()
    cr.fill()


def droplet(cr, cx, top, bottom, half_width):
    r = half_width
    cy = bottom - r
    cr.move_to(cx, top)
    cr.curve_to(cx + r * 0.35, top + (cy - top) * 0.45, cx + r, cy - r * 0.45, cx + r, cy)
    cr.arc(cx, cy, r, 0, math.pi)
    cr.curve_to(cx - r, cy - r * 0.45, cx - r * 0.35, top + (cy - top) * 0.45, cx, top)
    cr.close_path()


def cloud_path(cr):
    cr.move_to(0.22, 0.72)
    cr.arc(0.24, 0.58, 0.14, math.pi / 2, 3 * math.pi / 2 - 0.2)
    cr.arc(0.45, 0.40, 0.2, math.pi + 0.35, -0.35)
    cr.arc(0.72, 0.55, 0.17, -math.pi / 2 - 0.1, math.pi / 2)
    cr.close_path()


def wave(cr, y, x0=0.12, x1=0.88, amplitude=0.04, periods=2):
    steps = 48
    cr.move_to(x0, y)
    for i in range(1, steps + 1):
        t = i / steps
        cr.line_to(x0 + (x1 - x0) * t, y + amplitude * math.sin(t * periods * 2 * math.pi))
    cr.stroke()


# --- mode group headers ---------------------------------------------------------------------


def mode_normal(cr):  # Enhance: sparkles
    sparkle(cr, 0.42, 0.56, 0.38)
    sparkle(cr, 0.8, 0.2, 0.16)


def mode_low_light(cr):  # a crescent moon and a star
    cr.push_group()
    circle(cr, 0.42, 0.58, 0.36)
    cr.fill()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    circle(cr, 0.64, 0.4, 0.3)
    cr.fill()
    cr.pop_group_to_source()
    cr.paint()
    cr.set_source_rgba(1, 1, 1, 1)
    sparkle(cr, 0.8, 0.2, 0.14)


def mode_art(cr):  # a painter's palette
    cr.move_to(0.5, 0.1)
    cr.curve_to(0.85, 0.1, 0.95, 0.4, 0.9, 0.58)
    cr.curve_to(0.85, 0.76, 0.7, 0.66, 0.62, 0.74)
    cr.curve_to(0.55, 0.82, 0.66, 0.92, 0.5, 0.92)
    cr.curve_to(0.2, 0.92, 0.06, 0.72, 0.08, 0.48)
    cr.curve_to(0.1, 0.25, 0.28, 0.1, 0.5, 0.1)
    cr.close_path()
    cr.stroke()
    for x, y in ((0.3, 0.36), (0.52, 0.27), (0.72, 0.38), (0.26, 0.6)):
        circle(cr, x, y, 0.07)
        cr.fill()


def mode_sun(cr):  # Clarity: a clear sun
    circle(cr, 0.5, 0.5, 0.2)
    cr.stroke()
    rays(cr, 0.5, 0.5, 0.3, 0.46, 8)


def mode_overcast(cr):  # Sky: a cloud
    cloud_path(cr)
    cr.stroke()


def mode_dramatic(cr):  # a lightning bolt
    polyline(cr, (0.58, 0.06), (0.22, 0.54), (0.48, 0.54), (0.4, 0.94), (0.78, 0.42), (0.52, 0.42), closed=True)
    cr.fill()


def mode_exposure(cr):  # exposure compensation: plus and minus across a diagonal
    rounded_rect(cr, 0.1, 0.1, 0.8, 0.8, 0.1)
    cr.stroke()
    cr.move_to(0.86, 0.14)
    cr.line_to(0.14, 0.86)
    cr.stroke()
    cr.move_to(0.22, 0.33)
    cr.line_to(0.44, 0.33)
    cr.move_to(0.33, 0.22)
    cr.line_to(0.33, 0.44)
    cr.move_to(0.56, 0.67)
    cr.line_to(0.78, 0.67)
    cr.stroke()


def mode_fog(cr):  # drifting fog
    for y in (0.28, 0.5, 0.72):
        wave(cr, y)


# --- colour group headers -------------------------------------------------------------------


def tone_curve(cr, bend):
    """A tone curve in a frame, bent up (lights) or down (darks)."""
    rounded_rect(cr, 0.08, 0.08, 0.84, 0.84, 0.08)
    cr.stroke()
    x0, y0, x1, y1 = 0.16, 0.84, 0.84, 0.16
    cr.move_to(x0, y0)
    cr.curve_to(x0 + 0.2 - bend, y0 - 0.2 - bend, x1 - 0.2 - bend, y1 + 0.2 - bend, x1, y1)
    cr.stroke()


def color_tones(cr):  # Lights: a brightening curve
    tone_curve(cr, 0.17)


def color_tones_dark(cr):  # Darks: a darkening curve
    tone_curve(cr, -0.17)


def color_tints(cr):  # Tints: a drop of colour
    droplet(cr, 0.5, 0.08, 0.9, 0.3)
    cr.stroke()


def color_mono(cr):  # Shades: a half-filled drop
    droplet(cr, 0.5, 0.08, 0.9, 0.3)
    cr.stroke_preserve()
    cr.save()
    cr.clip()
    cr.rectangle(0, 0, 0.5, 1)
    cr.fill()
    cr.restore()


def color_gray(cr):  # Grays: three steps of grey
    for i, alpha in enumerate((0.3, 0.62, 1.0)):
        x = 0.1 + i * 0.28
        rounded_rect(cr, x, 0.16, 0.22, 0.68, 0.05)
        cr.save()
        cr.set_source_rgba(1, 1, 1, alpha)
        cr.fill_preserve()
        cr.restore()
        cr.stroke()


def color_custom(cr):  # a colour of one's own: a ring with a plus
    circle(cr, 0.5, 0.5, 0.38)
    cr.stroke()
    cr.move_to(0.5, 0.3)
    cr.line_to(0.5, 0.7)
    cr.move_to(0.3, 0.5)
    cr.line_to(0.7, 0.5)
    cr.stroke()


# --- adjustments ----------------------------------------------------------------------------


def adjust_brightness(cr):
    circle(cr, 0.5, 0.5, 0.17)
    cr.fill()
    rays(cr, 0.5, 0.5, 0.29, 0.42, 8, math.pi / 8)


def adjust_detail(cr):  # a magnifying glass
    circle(cr, 0.42, 0.42, 0.26)
    cr.stroke()
    cr.move_to(0.61, 0.61)
    cr.line_to(0.88, 0.88)
    cr.stroke()


def adjust_saturation(cr):  # three overlapping primaries
    for x, y in ((0.5, 0.34), (0.35, 0.6), (0.65, 0.6)):
        circle(cr, x, y, 0.24)
        cr.stroke()


def adjust_darkness(cr):  # Depth: stacked layers
    for i, y in enumerate((0.62, 0.48, 0.34)):
        polyline(cr, (0.5, y - 0.16), (0.9, y), (0.5, y + 0.16), (0.1, y), closed=True)
        if i == 2:
            cr.fill()
        else:
            cr.stroke()


def adjust_contrast(cr):  # half light, half dark
    circle(cr, 0.5, 0.5, 0.38)
    cr.stroke()
    cr.arc(0.5, 0.5, 0.38, -math.pi / 2, math.pi / 2)
    cr.close_path()
    cr.fill()


def half_filled_circle(cr, lower):
    circle(cr, 0.5, 0.5, 0.38)
    cr.stroke_preserve()
    cr.save()
    cr.clip()
    if lower:
        for y in (0.62, 0.74):  # hatching: the dark part
            cr.move_to(0.05, y)
            cr.line_to(0.95, y)
        cr.stroke()
    else:
        cr.rectangle(0, 0, 1, 0.42)
        cr.fill()
    cr.restore()


def adjust_shadows(cr):
    half_filled_circle(cr, True)


def adjust_highlights(cr):
    half_filled_circle(cr, False)


def adjust_temperature(cr):  # a thermometer
    cr.new_sub_path()
    cr.arc(0.5, 0.72, 0.16, -math.pi / 2 + 0.72, 3 * math.pi / 2 - 0.72)
    cr.line_to(0.41, 0.18)
    cr.arc(0.5, 0.18, 0.09, math.pi, 0)
    cr.close_path()
    cr.stroke()
    circle(cr, 0.5, 0.72, 0.08)
    cr.fill()
    cr.move_to(0.5, 0.66)
    cr.line_to(0.5, 0.3)
    cr.stroke()
    for y in (0.28, 0.4):
        cr.move_to(0.68, y)
        cr.line_to(0.8, y)
    cr.stroke()


def adjust_noise(cr):  # grain
    dots = ((0.2, 0.22, 0.07), (0.5, 0.16, 0.05), (0.8, 0.24, 0.08), (0.33, 0.48, 0.05), (0.62, 0.45, 0.08),
            (0.86, 0.56, 0.05), (0.16, 0.72, 0.08), (0.46, 0.78, 0.07), (0.76, 0.82, 0.05))
    for x, y, r in dots:
        circle(cr, x, y, r)
        cr.fill()


def adjust_vignette(cr):  # dark corners around a clear centre
    rounded_rect(cr, 0.08, 0.16, 0.84, 0.68, 0.08)
    cr.new_sub_path()
    cr.save()
    cr.translate(0.5, 0.5)
    cr.scale(0.3, 0.22)
    cr.arc_negative(0, 0, 1, 2 * math.pi, 0)
    cr.restore()
    cr.save()
    cr.set_source_rgba(1, 1, 1, 0.45)
    cr.fill_preserve()
    cr.restore()
    cr.stroke()


def adjust_reset(cr):  # turn back: a circle going round anticlockwise
    cx, cy, r = 0.5, 0.54, 0.34
    top = cy - r
    cr.arc(cx, cy, r, -math.pi / 2 + 0.05, -math.pi / 2 + 2 * math.pi * 0.8)
    cr.stroke()
    # arrowhead at the top, pointing left into the gap
    polyline(cr, (cx - 0.17, top), (cx + 0.05, top - 0.14), (cx + 0.05, top + 0.14), closed=True)
    cr.fill()


def adjust_crop(cr):  # two crop corners
    polyline(cr, (0.28, 0.08), (0.28, 0.72), (0.92, 0.72))
    polyline(cr, (0.08, 0.28), (0.72, 0.28), (0.72, 0.92))
    cr.stroke()


def button_dismiss(cr):  # a cross
    polyline(cr, (0.15, 0.15), (0.85, 0.85))
    polyline(cr, (0.85, 0.15), (0.15, 0.85))
    cr.stroke()


def button_confirm(cr):  # a tick
    polyline(cr, (0.08, 0.55), (0.36, 0.83), (0.92, 0.2))
    cr.stroke()


def button_compare(cr):  # a frame split down the middle, one half filled
    rounded_rect(cr, 0.05, 0.15, 0.9, 0.7, 0.08)
    cr.stroke()
    cr.rectangle(0.5, 0.15, 0.45, 0.7)
    cr.fill()
    polyline(cr, (0.5, 0.0), (0.5, 1.0))
    cr.stroke()


def button_settings(cr):  # three sliders
    for y, knob in ((0.2, 0.3), (0.5, 0.7), (0.8, 0.45)):
        polyline(cr, (0.05, y), (0.95, y))
        cr.stroke()
        circle(cr, knob, y, 0.1)
        cr.fill()


def indicator_down_arrow(cr):  # a small chevron pointing down
    polyline(cr, (0.1, 0.3), (0.5, 0.72), (0.9, 0.3))
    cr.stroke()


def expand_collapse(cr):  # a wide chevron pointing up; turned over when the controls are open
    polyline(cr, (0.12, 0.68), (0.5, 0.32), (0.88, 0.68))
    cr.stroke()


def bar_action(cr):  # a box with an arrow leaving it upwards
    polyline(cr, (0.3, 0.38), (0.12, 0.38), (0.12, 0.98), (0.88, 0.98), (0.88, 0.38), (0.7, 0.38))
    polyline(cr, (0.5, 0.02), (0.5, 0.65))
    polyline(cr, (0.3, 0.2), (0.5, 0.02), (0.7, 0.2))
    cr.stroke()


def activity_open(cr):  # a page with an arrow leaving it to the right
    polyline(cr, (0.62, 0.3), (0.62, 0.08), (0.12, 0.08), (0.12, 0.92), (0.62, 0.92), (0.62, 0.7))
    polyline(cr, (0.3, 0.5), (0.95, 0.5))
    polyline(cr, (0.78, 0.33), (0.95, 0.5), (0.78, 0.67))
    cr.stroke()


def activity_square(cr):  # a square picture: a framed square with a lens in it
    rounded_rect(cr, 0.08, 0.08, 0.84, 0.84, 0.08)
    circle(cr, 0.5, 0.52, 0.2)
    cr.stroke()
    circle(cr, 0.76, 0.24, 0.045)
    cr.fill()


def bar_trash(cr):  # a bin with a lid
    polyline(cr, (0.05, 0.18), (0.95, 0.18))
    polyline(cr, (0.35, 0.18), (0.38, 0.05), (0.62, 0.05), (0.65, 0.18))
    polyline(cr, (0.15, 0.18), (0.22, 0.98), (0.78, 0.98), (0.85, 0.18))
    for x in (0.4, 0.6):
        polyline(cr, (x, 0.35), (x, 0.82))
    cr.stroke()


def button_back(cr):  # a chevron pointing left, as bars show for going back
    polyline(cr, (0.68, 0.08), (0.28, 0.5), (0.68, 0.92))
    cr.stroke()


def share_twitter(cr):  # a small bird: round body, tail and beak
    cr.move_to(0.1, 0.72)
    cr.curve_to(0.35, 0.86, 0.72, 0.8, 0.8, 0.42)
    cr.line_to(0.95, 0.3)
    cr.line_to(0.8, 0.3)
    cr.curve_to(0.72, 0.12, 0.48, 0.16, 0.5, 0.4)
    cr.curve_to(0.35, 0.4, 0.2, 0.3, 0.12, 0.2)
    cr.curve_to(0.1, 0.36, 0.2, 0.5, 0.3, 0.52)
    cr.curve_to(0.22, 0.62, 0.15, 0.68, 0.1, 0.72)
    cr.close_path()
    cr.fill()


def share_facebook(cr):  # a rounded square with a lower-case "f" cut out
    rounded_rect(cr, 0.06, 0.06, 0.88, 0.88, 0.16)
    cr.fill()
    cr.save()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    polyline(cr, (0.68, 0.26), (0.6, 0.26))
    cr.arc_negative(0.6, 0.4, 0.14, -math.pi / 2, math.pi)
    cr.line_to(0.46, 0.94)
    polyline(cr, (0.34, 0.54), (0.7, 0.54))
    cr.set_line_width(0.12)
    cr.stroke()
    cr.restore()


def share_instagram(cr):  # a camera: rounded square, lens and a dot
    rounded_rect(cr, 0.08, 0.08, 0.84, 0.84, 0.24)
    cr.stroke()
    circle(cr, 0.5, 0.5, 0.2)
    cr.stroke()
    circle(cr, 0.73, 0.27, 0.05)
    cr.fill()


def share_mail(cr):  # an envelope
    cr.rectangle(0.06, 0.2, 0.88, 0.6)
    cr.stroke()
    polyline(cr, (0.06, 0.2), (0.5, 0.56), (0.94, 0.2))
    cr.stroke()


def help_slide(cr):  # the strength slider's handle on its track, with arrows up and down
    cr.move_to(0.5, 0.0)
    cr.line_to(0.5, 0.28)
    cr.move_to(0.5, 0.72)
    cr.line_to(0.5, 1.0)
    cr.stroke()
    circle(cr, 0.5, 0.5, 0.2)
    cr.fill()
    polyline(cr, (0.12, 0.22), (0.25, 0.1), (0.38, 0.22))
    polyline(cr, (0.62, 0.78), (0.75, 0.9), (0.88, 0.78))
    cr.stroke()


def panel_add(cr):  # the tuning panel's toggle: a ring with a plus
    circle(cr, 0.5, 0.5, 0.45)
    polyline(cr, (0.5, 0.27), (0.5, 0.73))
    polyline(cr, (0.27, 0.5), (0.73, 0.5))
    cr.stroke()


def panel_disclosure(cr):  # the tuning panel's menu: a ring with a chevron pointing right
    circle(cr, 0.5, 0.5, 0.45)
    polyline(cr, (0.42, 0.3), (0.62, 0.5), (0.42, 0.7))
    cr.stroke()


def focus_square(cr):  # a square with a short tick pointing inwards from each side
    cr.rectangle(0.0, 0.0, 1.0, 1.0)
    for (x0, y0, x1, y1) in ((0.5, 0.0, 0.5, 0.1), (0.5, 1.0, 0.5, 0.9), (0.0, 0.5, 0.1, 0.5), (1.0, 0.5, 0.9, 0.5)):
        polyline(cr, (x0, y0), (x1, y1))
    cr.stroke()


def camera_exposure(cr):  # a small sun: the exposure scale's marker
    circle(cr, 0.5, 0.5, 0.2)
    cr.fill()
    rays(cr, 0.5, 0.5, 0.32, 0.5, 8)


def lightning(cr):
    polyline(cr, (0.58, 0.02), (0.22, 0.55), (0.5, 0.55), (0.38, 0.98), (0.8, 0.4), (0.52, 0.4), (0.68, 0.02),
             closed=True)


def camera_flash_on(cr):  # a lightning bolt
    lightning(cr)
    cr.fill()


def camera_flash_off(cr):  # the bolt in outline, struck through
    lightning(cr)
    cr.stroke()
    polyline(cr, (0.1, 0.1), (0.9, 0.9))
    cr.stroke()


def camera_flash_auto(cr):  # the bolt with a small "A" beside it
    cr.save()
    cr.translate(-0.12, 0)
    lightning(cr)
    cr.fill()
    cr.restore()
    polyline(cr, (0.7, 0.98), (0.82, 0.62), (0.94, 0.98))
    polyline(cr, (0.74, 0.86), (0.9, 0.86))
    cr.stroke()


def button_camera(cr):  # a camera body with its lens: back to the camera from the album
    rounded_rect(cr, 0.1, 0.3, 0.8, 0.52, 0.08)
    cr.stroke()
    circle(cr, 0.5, 0.56, 0.16)
    cr.stroke()
    polyline(cr, (0.36, 0.3), (0.42, 0.18), (0.58, 0.18), (0.64, 0.3))
    cr.stroke()


def camera_front_back(cr):  # a camera body with two arrows turning round it
    rounded_rect(cr, 0.1, 0.3, 0.8, 0.52, 0.08)
    cr.stroke()
    circle(cr, 0.5, 0.56, 0.14)
    cr.stroke()
    polyline(cr, (0.36, 0.3), (0.42, 0.18), (0.58, 0.18), (0.64, 0.3))
    cr.stroke()
    cr.arc(0.5, 0.56, 0.44, math.pi * 1.15, math.pi * 1.45)
    cr.stroke()
    cr.arc(0.5, 0.56, 0.44, math.pi * 0.15, math.pi * 0.45)
    cr.stroke()


# --- the busy logo: an outer ring of aperture blades that swings, a still lens inside, a glow


def logo_outside(cr):  # a ring with six blades curling inwards, so that a turn shows
    circle(cr, 0.5, 0.5, 0.48)
    cr.stroke()
    for i in range(6):
        a = 2 * math.pi * i / 6
        cr.move_to(0.5 + 0.48 * math.cos(a), 0.5 + 0.48 * math.sin(a))
        b = a + 0.9
        cr.curve_to(0.5 + 0.42 * math.cos(a + 0.3), 0.5 + 0.42 * math.sin(a + 0.3),
                    0.5 + 0.34 * math.cos(b), 0.5 + 0.34 * math.sin(b),
                    0.5 + 0.3 * math.cos(b + 0.4), 0.5 + 0.3 * math.sin(b + 0.4))
    cr.stroke()


def lens_highlight(cr):
    cr.new_sub_path()
    cr.arc(0.5, 0.5, 0.15, math.pi * 1.05, math.pi * 1.45)
    cr.stroke()


def logo_inside(cr):  # a lens: a filled disc with its highlight cut out
    circle(cr, 0.5, 0.5, 0.22)
    cr.fill()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    lens_highlight(cr)
    cr.set_operator(cairo.OPERATOR_OVER)


def logo_inside_transparent(cr):  # the lens in outline, to lay over a picture
    circle(cr, 0.5, 0.5, 0.22)
    cr.stroke()
    lens_highlight(cr)


def logo_glow(cr):  # a soft light fading out towards the edge
    glow = cairo.RadialGradient(0.5, 0.5, 0.0, 0.5, 0.5, 0.6)
    glow.add_color_stop_rgba(0.0, 1, 1, 1, 0.9)
    glow.add_color_stop_rgba(0.45, 1, 1, 1, 0.35)
    glow.add_color_stop_rgba(1.0, 1, 1, 1, 0.0)
    cr.set_source(glow)
    cr.rectangle(-0.2, -0.2, 1.4, 1.4)
    cr.fill()


def crop_resize(cr):
    """A thin frame along the rectangle's edge with heavier corner brackets, over the whole
    square (no margin), in points."""
    side = cr.get_target().get_width()
    cr.identity_matrix()
    cr.scale(side / CROP_RESIZE_POINTS, side / CROP_RESIZE_POINTS)
    n, o = CROP_RESIZE_POINTS, CROP_RESIZE_OUTSET
    cr.set_line_cap(cairo.LINE_CAP_BUTT)
    cr.set_line_join(cairo.LINE_JOIN_MITER)
    cr.set_line_width(1)
    cr.rectangle(o - 0.5, o - 0.5, n - 2 * o + 1, n - 2 * o + 1)
    cr.stroke()
    arm, thick = 20, 3  # the brackets sit on the frame, reaching into the outset
    for (x, y, dx, dy) in ((0, 0, 1, 1), (n, 0, -1, 1), (0, n, 1, -1), (n, n, -1, -1)):
        cr.rectangle(x, y, dx * arm, dy * thick)
        cr.rectangle(x, y, dx * thick, dy * arm)
        cr.fill()


ICONS = [
    ("cameraFlashAuto", BUTTON_POINTS, camera_flash_auto),
    ("cameraFlashOn", BUTTON_POINTS, camera_flash_on),
    ("cameraFlashOff", BUTTON_POINTS, camera_flash_off),
    ("cameraFrontBack", BUTTON_POINTS, camera_front_back),
    ("cameraFocusPoint", FOCUS_POINTS, focus_square),
    ("cameraFocusAuto", AUTO_FOCUS_POINTS, focus_square),
    ("cameraExposure", EXPOSURE_POINTS, camera_exposure),
    ("dismiss", BUTTON_POINTS, button_dismiss),
    ("confirm", BUTTON_POINTS, button_confirm),
    ("compare", BUTTON_POINTS, button_compare),
    ("camera", BUTTON_POINTS, button_camera),
    ("settings", BUTTON_POINTS, button_settings),
    ("downArrowIndicator", INDICATOR_POINTS, indicator_down_arrow),
    ("expandCollapse", BUTTON_POINTS, expand_collapse),
    ("barAction", BUTTON_POINTS, bar_action),
    ("barTrash", BUTTON_POINTS, bar_trash),
    ("backButton", BUTTON_POINTS, button_back),
    ("shareTwitter", BUTTON_POINTS, share_twitter),
    ("shareFacebook", BUTTON_POINTS, share_facebook),
    ("shareInstagram", BUTTON_POINTS, share_instagram),
    ("shareMail", BUTTON_POINTS, share_mail),
    ("activityOpen", ACTIVITY_POINTS, activity_open),
    ("activityInstagram", ACTIVITY_POINTS, activity_square),
    ("modeNormal", MODE_POINTS, mode_normal),
    ("modeLowLight", MODE_POINTS, mode_low_light),
    ("modeArt", MODE_POINTS, mode_art),
    ("modeSun", MODE_POINTS, mode_sun),
    ("modeOvercast", MODE_POINTS, mode_overcast),
    ("modeDramatic", MODE_POINTS, mode_dramatic),
    ("modeExposure", MODE_POINTS, mode_exposure),
    ("modeFog", MODE_POINTS, mode_fog),
    ("colorTonesDark", COLOR_POINTS, color_tones_dark),
    ("colorTones", COLOR_POINTS, color_tones),
    ("color", COLOR_POINTS, color_tints),
    ("colorMono", COLOR_POINTS, color_mono),
    ("colorGray", COLOR_POINTS, color_gray),
    ("colorCustom", COLOR_POINTS, color_custom),
    ("adjustBrightness", ADJUST_POINTS, adjust_brightness),
    ("adjustDetail", ADJUST_POINTS, adjust_detail),
    ("adjustSaturation", ADJUST_POINTS, adjust_saturation),
    ("adjustDarkness", ADJUST_POINTS, adjust_darkness),
    ("adjustContrast", ADJUST_POINTS, adjust_contrast),
    ("adjustShadows", ADJUST_POINTS, adjust_shadows),
    ("adjustHighlights", ADJUST_POINTS, adjust_highlights),
    ("adjustTemperature", ADJUST_POINTS, adjust_temperature),
    ("adjustNoise", ADJUST_POINTS, adjust_noise),
    ("adjustVignette", ADJUST_POINTS, adjust_vignette),
    ("adjustReset", ADJUST_POINTS, adjust_reset),
    ("adjustCrop", ADJUST_POINTS, adjust_crop),
    ("iconOutside", LOGO_POINTS, logo_outside),
    ("iconInside", LOGO_POINTS, logo_inside),
    ("iconInsideTransparent", LOGO_POINTS, logo_inside_transparent),
    ("iconGlow", GLOW_POINTS, logo_glow),
    ("cropResize", CROP_RESIZE_POINTS, crop_resize),
    ("helpSlideView", HELP_SLIDE_POINTS, help_slide),
    ("panelAdd", BUTTON_POINTS, panel_add),
    ("panelDisclosure", BUTTON_POINTS, panel_disclosure),
]


def sample_landscape():
    """A hazy landscape in a narrow band of muted tones: sky, sun, two hills, a lake, a tree."""
    w, h = (p * SCALE for p in SAMPLE_POINTS)
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, w, h)
    cr = cairo.Context(surface)
    cr.scale(w, h)
    sky = cairo.LinearGradient(0, 0, 0, 0.55)
    sky.add_color_stop_rgb(0, 0.52, 0.55, 0.58)
    sky.add_color_stop_rgb(1, 0.60, 0.60, 0.57)
    cr.set_source(sky)
    cr.paint()
    cr.set_source_rgb(0.66, 0.63, 0.52)
    cr.arc(0.72, 0.22, 0.07, 0, 2 * math.pi)
    cr.fill()
    for top, tone in ((0.42, (0.45, 0.48, 0.40)), (0.52, (0.40, 0.44, 0.36))):
        cr.move_to(0, 1)
        cr.line_to(0, top + 0.08)
        cr.curve_to(0.3, top - 0.06, 0.6, top + 0.12, 1, top)
        cr.line_to(1, 1)
        cr.close_path()
        cr.set_source_rgb(*tone)
        cr.fill()
    cr.set_source_rgb(0.46, 0.50, 0.52)
    cr.rectangle(0, 0.74, 1, 0.1)
    cr.fill()
    cr.set_source_rgb(0.38, 0.35, 0.31)
    cr.rectangle(0.18, 0.5, 0.025, 0.16)
    cr.fill()
    cr.set_source_rgb(0.36, 0.41, 0.34)
    cr.arc(0.19, 0.48, 0.06, 0, 2 * math.pi)
    cr.fill()
    surface.flush()
    return surface


def render(draw, points):
    """One icon as an ARGB surface of points x SCALE pixels; points is a side or (width, height)."""
    width_points, height_points = points if isinstance(points, tuple) else (points, points)
    width, height = width_points * SCALE, height_points * SCALE
    side = min(width, height)
    points = min(width_points, height_points)
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    cr = cairo.Context(surface)
    # The drawing's unit square, centred in a picture that is not square.
    cr.translate((width - side) / 2, (height - side) / 2)
    cr.scale(side, side)
    cr.translate(MARGIN, MARGIN)
    cr.scale(1 - 2 * MARGIN, 1 - 2 * MARGIN)
    cr.set_source_rgba(1, 1, 1, 1)
    # About 1.5 points of line at any size, never thinner than 2 pixels.
    width_px = max(2.0, 1.5 * SCALE * points / 30.0)
    cr.set_line_width(width_px / (side * (1 - 2 * MARGIN)))
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    draw(cr)
    surface.flush()
    return surface


def write_sheet(path, surfaces):
    """All icons on a mid-grey background, in a row per picker, to look at."""
    cell = GLOW_POINTS * SCALE + 16
    sizes = (MODE_POINTS, COLOR_POINTS, ADJUST_POINTS, BUTTON_POINTS, INDICATOR_POINTS, FOCUS_POINTS,
             AUTO_FOCUS_POINTS, EXPOSURE_POINTS, ACTIVITY_POINTS, GLOW_POINTS, CROP_RESIZE_POINTS)
    rows = [[s for n, p, s in surfaces if p == points] for points in sizes]
    columns = max(len(r) for r in rows)
    sheet = cairo.ImageSurface(cairo.FORMAT_ARGB32, columns * cell, len(rows) * cell)
    cr = cairo.Context(sheet)
    cr.set_source_rgb(0.32, 0.34, 0.38)
    cr.paint()
    for row, icons in enumerate(rows):
        for column, surface in enumerate(icons):
            x = column * cell + (cell - surface.get_width()) / 2
            y = row * cell + (cell - surface.get_height()) / 2
            cr.set_source_surface(surface, x, y)
            cr.paint()
    sheet.write_to_png(path)


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "resources", "icons"))
    parser.add_argument("--sheet", help="also write a contact sheet to this PNG file")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    surfaces = []
    for name, points, draw in ICONS:
        surface = render(draw, points)
        surface.write_to_png(os.path.join(args.out, name + "@2x.png"))
        surfaces.append((name, points, surface))
    if args.sheet:
        write_sheet(args.sheet, surfaces)
    sample_landscape().write_to_png(os.path.join(args.out, "sample@2x.png"))
    print("wrote %d icons and the sample picture to %s" % (len(ICONS), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
