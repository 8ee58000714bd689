#!/usr/bin/env python3
"""The closer look in the real viewer: a right click on a cell shows that shape alone, much
larger and centred; a drag turns it and the wheel zooms; S saves the square; a right click goes back to the grid
on the same generation, and the Escape that closes a look does not quit."""

import os
import re
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import harness  # noqa: E402


def lit_box(image, width, height, step=4):
    """The bounding box (x0, y0, x1, y1) of the pixels that are not black."""
    xs, ys = [], []
    for y in range(0, height, step):
        for x in range(0, width, step):
            if max(image.pixel(x, y)) > 24:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs), max(ys)) if xs else None


class CloserLookTest(unittest.TestCase):
    def right_click(self, s):
        s.run("xdotool", "mousedown", "3")
        time.sleep(0.3)
        s.run("xdotool", "mouseup", "3")
        time.sleep(0.5)

    def test_look_turn_save_and_return(self):
        with harness.Session() as s:
            window = s.start_main(args=("--seed", "4321"))
            before = grid.wait_hues(s, window)
            s.move_in(window, 400, 300)  # cell 4
            self.right_click(s)
            w, h = 800, 600
            box = harness.wait_for(
                lambda: (lambda b: b if b and b[2] - b[0] > 300 else None)(
                    lit_box(s.screenshot(window), w, h)), 20, "no closer look")
            # Within the centred 600-pixel square, and far larger than a 200-pixel cell.
            self.assertGreaterEqual(box[0], 100)
            self.assertLessEqual(box[2], 700)
            self.assertLess(abs((box[0] + box[2]) / 2 - 400), 120)

            # A drag turns the shape: the picture changes, and stays where it was put.
            s.button(down=True)
            for x in range(400, 560, 20):
                s.move_in(window, x, 300)
                time.sleep(0.05)
            s.button(down=False)
            time.sleep(0.3)
            held = s.screenshot(window).data
            time.sleep(0.5)
            self.assertEqual(s.screenshot(window).data, held, "a held shape still turns")

            # Four notches of the wheel towards the user halve the shape.
            wide = lit_box(s.screenshot(window), w, h)
            s.run("xdotool", "click", "--repeat", "4", "--delay", "100", "5")
            harness.wait_for(lambda: (lambda b: b and (b[2] - b[0]) < 0.7 * (wide[2] - wide[0]))(
                lit_box(s.screenshot(window), w, h)), 10, "the wheel did not zoom out")

            s.key(window, "s")
            paths = harness.wait_for(lambda: re.findall(r"^(\S+\.png)$", s.output(), re.M),
                                     20, "no save")
            with open(os.path.join(s.workdir, paths[0]), "rb") as f:
                self.assertEqual(struct.unpack(">II", f.read()[16:24]), (600, 600))

            s.key(window, "Escape")
            time.sleep(1)
            self.assertTrue(s.alive(), "the Escape that closed the look quit")
            after = grid.wait_hues(s, window)
            self.assertTrue(sum(1 for a, b in zip(before, after) if not grid.hue_changed(a, b))
                            >= 8, "the grid came back on another generation")
            s.quit_with_escape(window)


if __name__ == "__main__":
    harness.main()
