#!/usr/bin/env python3
"""Draws the program's default background picture, app/skin_default.jpg.

A calm, light abstract: a pale diagonal wash with a few large, very soft colour clouds and a
fine grain, 800 x 500 pixels (wide enough to cover every window of the program from its top
left), as a JPEG of about 40 KB. Black text reads well anywhere on it: its average is light.

    scripts/make_skin_picture.py [OUTPUT]

Needs ImageMagick's `convert`. The output is the same on every run (fixed noise seed).
"""
import os
import subprocess
import sys

WIDTH, HEIGHT = 800, 500
TARGET_BYTES = 40 * 1024

# Soft clouds: centre x, centre y, radius, colour. Pale tints of sky, sand and sage.
CLOUDS = [
    (130, 90, 260, "#cfe3f4"),
    (620, 60, 230, "#f3e3cf"),
    (700, 420, 280, "#d8ecdf"),
    (260, 430, 240, "#e9def2"),
    (440, 250, 200, "#f6efd9"),
]


def draw(output, quality):
    cmd = ["convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#f7f5f0-#e6eef5",
           "-rotate", "0"]
    for x, y, r, colour in CLOUDS:
        cmd += ["(", "-size", f"{WIDTH}x{HEIGHT}", "xc:none", "-fill", colour,
                "-draw", f"circle {x},{y} {x + r},{y}", "-blur", "0x70", ")",
                "-compose", "over", "-composite"]
    # A few thin arcs, like light through water, and a fine grain so the wash never bands.
    cmd += ["-fill", "none", "-stroke", "#ffffffb0", "-strokewidth", "3",
            "-draw", "bezier 0,380 220,300 520,470 800,330",
            "-draw", "bezier 0,140 260,40 480,210 800,90",
            "-stroke", "#c9d8e6a0", "-strokewidth", "2",
            "-draw", "bezier 0,400 260,320 540,490 800,350",
            "-blur", "0x1.2",
            "-seed", "7", "-attenuate", "0.25", "+noise", "Gaussian",
            "-strip", "-sampling-factor", "4:2:0", "-quality", str(quality), output]
    subprocess.run(cmd, check=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "app",
                                                                 "skin_default.jpg")
    # The highest quality that stays near the target size.
    best = None
    for quality in range(95, 40, -3):
        draw(output, quality)
        size = os.path.getsize(output)
        if size <= TARGET_BYTES * 1.1:
            best = quality
            break
    if best is None:
        sys.exit("could not reach the target size")
    print(f"{output}: {WIDTH} x {HEIGHT}, quality {best}, {os.path.getsize(output)} bytes")


if __name__ == "__main__":
    main()
