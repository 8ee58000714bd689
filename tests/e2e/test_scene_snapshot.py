#!/usr/bin/env python3
"""tessary-snapshot under Xvfb: repeatable pictures, the seed and clock
showing in them, the highlight, clicks breeding once per cooldown, and
refusal of bad arguments."""

import os
import shutil
import subprocess
import tempfile
import unittest

BUILD_DIR = os.environ.get("TESSARY_BUILD_DIR", "")
TOOL = os.path.join(BUILD_DIR, "tessary-snapshot")
TIMEOUT = 120


def run_tool(*args):
    """Runs the tool on a private Xvfb; returns the completed process."""
    command = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp", TOOL, *args]
    return subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT)


def read_rgb(path):
    """(width, height, bytes) of an image, 3 bytes a pixel, top row first."""
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                          text=True, check=True).stdout.split()
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return int(size[0]), int(size[1]), raw


def pixel(image, x, y):
    width, _, raw = image
    at = 3 * (y * width + x)
    return tuple(raw[at:at + 3])


def cell_hue(image, k):
    """Mean (r, g) / (r + g + b) of cell k's lit, unsaturated pixels in an
    800x600 picture: lighting scales a colour, so this is the material's."""
    x0, y0 = 100 + 200 * (k % 3), 200 * (k // 3)
    values = [pixel(image, x, y) for y in range(y0, y0 + 200, 2) for x in range(x0, x0 + 200, 2)]
    values = [(r, g, b) for r, g, b in values if 40 < max(r, g, b) < 230]
    assert len(values) > 100, f"cell {k} shows too little shape"
    return (sum(r / (r + g + b) for r, g, b in values) / len(values),
            sum(g / (r + g + b) for r, g, b in values) / len(values))


class SnapshotTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.exists(TOOL):
            raise unittest.SkipTest("tessary-snapshot not built in " + BUILD_DIR)

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="tessary-snapshot-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def snapshot(self, name, *args):
        out = self.path(name)
        result = run_tool("--out", out, *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return out

    def genomes(self, name, *args):
        listing = self.path(name + ".txt")
        self.snapshot(name + ".png", "--genomes", listing, *args)
        with open(listing) as f:
            return f.read().splitlines()

    def test_picture_follows_seed_and_time(self):
        def picture(name, seed, ms):
            return read_rgb(self.snapshot(name, "--seed", seed, "--time-ms", ms))
        base = picture("a.png", "7", "1234")
        self.assertEqual(picture("b.png", "7", "1234"), base)
        self.assertNotEqual(picture("c.png", "8", "1234")[2], base[2])
        self.assertNotEqual(picture("d.png", "7", "2500")[2], base[2])

    def test_pointer_brightens_only_its_cell(self):
        # The highlight of frame counter 0 adds 0x33 to every channel of the
        # hovered cell, saturating; every other cell stays as it was. The
        # cells' one-pixel rims are left out: multisampling shares them
        # between neighbours.
        plain = read_rgb(self.snapshot("plain.png", "--seed", "5"))
        for point, hovered in (("450,250", 4), ("100,0", 0), ("699,599", 8), ("299,199", 0)):
            with self.subTest(pointer=point):
                hover = read_rgb(self.snapshot("hover.png", "--seed", "5", "--pointer", point))
                for k in range(9):
                    x0 = 100 + 200 * (k % 3)
                    y0 = 200 * (k // 3)
                    for y in range(y0 + 1, y0 + 199, 3):
                        for x in range(x0 + 1, x0 + 199, 3):
                            before = pixel(plain, x, y)
                            expected = (tuple(min(255, c + 0x33) for c in before)
                                        if k == hovered else before)
                            self.assertEqual(pixel(hover, x, y), expected, (k, x, y))
        outside = read_rgb(self.snapshot("outside.png", "--seed", "5", "--pointer", "99,0"))
        self.assertEqual(outside, plain)

    def test_click_breeds_once_per_cooldown(self):
        # One line per slot, 36 genes each.
        start = self.genomes("start", "--seed", "9", "--frames", "2")
        clicked = self.genomes("clicked", "--seed", "9", "--pointer", "150,50", "--click",
                               "--frames", "2")
        held = self.genomes("held", "--seed", "9", "--pointer", "150,50", "--click",
                            "--frames", "60")
        again = self.genomes("again", "--seed", "9", "--pointer", "150,50", "--click",
                             "--frames", "61")
        self.assertEqual(len(start), 9)
        for line in start:
            self.assertEqual(len(line.split(" ")), 36)
        self.assertNotEqual(clicked, start)
        # Every cell gets a new colour, the clicked one included (its shape
        # may stay): compare the chromaticity of each cell's lit pixels.
        before = read_rgb(self.path("start.png"))
        after = read_rgb(self.path("clicked.png"))
        for k in range(9):
            old, new = cell_hue(before, k), cell_hue(after, k)
            self.assertGreater(max(abs(old[0] - new[0]), abs(old[1] - new[1])), 0.02,
                               f"cell {k} kept its colour")
        # Sixty ticks after the click the cooldown has just run out in the
        # 61st frame, which breeds again.
        self.assertEqual(held, clicked)
        self.assertNotEqual(again, clicked)

    def test_bad_arguments_are_refused_with_usage(self):
        out = self.path("x.png")
        for args in ([], ["--out"], ["--out", out, "--size", "0x600"],
                     ["--out", out, "--rates", "1;2"], ["--out", out, "--seed", "12abc"]):
            with self.subTest(args=args):
                result = run_tool(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn("usage:", result.stderr)
                self.assertFalse(os.path.exists(out))


if __name__ == "__main__":
    unittest.main(verbosity=2)
