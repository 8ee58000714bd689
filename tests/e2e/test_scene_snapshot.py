#!/usr/bin/env python3
"""tessary-snapshot under Xvfb: repeatable pictures, the seed and clock
showing in them, the grid placement, clicks breeding once per cooldown, the
genome listing, and refusal of bad arguments."""

import os
import shutil
import subprocess
import sys
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


def region_is_black(image, x0, y0, x1, y1, step=7):
    return all(pixel(image, x, y) == (0, 0, 0)
               for y in range(y0, y1, step) for x in range(x0, x1, step))


def lit_pixels(image, x0, y0, x1, y1, step=3):
    return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step)
               if max(pixel(image, x, y)) > 40)


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

    def test_same_seed_and_time_give_the_same_picture(self):
        first = self.snapshot("a.png", "--seed", "7", "--time-ms", "1234")
        second = self.snapshot("b.png", "--seed", "7", "--time-ms", "1234")
        self.assertEqual(read_rgb(first), read_rgb(second))

    def test_seed_and_time_change_the_picture(self):
        base = read_rgb(self.snapshot("a.png", "--seed", "7", "--time-ms", "1234"))
        other_seed = read_rgb(self.snapshot("b.png", "--seed", "8", "--time-ms", "1234"))
        other_time = read_rgb(self.snapshot("c.png", "--seed", "7", "--time-ms", "2500"))
        self.assertNotEqual(base[2], other_seed[2])
        self.assertNotEqual(base[2], other_time[2])

    def test_grid_is_centred_and_the_rest_stays_black(self):
        # The back buffer is multisampled and quads are placed with pixel
        # centres on integer coordinates, so the column just right of the
        # grid and the row just below it are partly covered by its edge
        # cells: a seam one pixel wide. Everything beyond stays black.
        for size, (width, height) in (("800x600", (800, 600)), ("1024x768", (1024, 768))):
            with self.subTest(size=size):
                image = read_rgb(self.snapshot(size + ".png", "--size", size, "--seed", "3"))
                self.assertEqual(image[:2], (width, height))
                left = int((width - 600) / 2)
                top = int((height - 600) / 2)
                self.assertTrue(region_is_black(image, 0, 0, left, height))
                self.assertTrue(region_is_black(image, left + 601, 0, width, height))
                self.assertTrue(region_is_black(image, left, 0, left + 600, top))
                self.assertTrue(region_is_black(image, left, top + 601, left + 600, height))
                for k in range(9):
                    x = left + 200 * (k % 3)
                    y = top + 200 * (k // 3)
                    self.assertGreater(lit_pixels(image, x, y, x + 200, y + 200), 50,
                                       "cell %d shows no shape" % k)

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
        start = self.genomes("start", "--seed", "9")
        clicked = self.genomes("clicked", "--seed", "9", "--pointer", "150,50", "--click")
        held = self.genomes("held", "--seed", "9", "--pointer", "150,50", "--click",
                            "--frames", "60")
        again = self.genomes("again", "--seed", "9", "--pointer", "150,50", "--click",
                             "--frames", "61")
        self.assertEqual(len(start), 9)
        for line in start:
            self.assertEqual(len(line.split(" ")), 36)
        self.assertNotEqual(clicked, start)
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
