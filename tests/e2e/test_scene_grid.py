#!/usr/bin/env python3
"""The grid as a user sees it: nine lit shapes centred in the window with black around
them, the highlight under the real pointer, and real clicks breeding new generations. (The
cooldown is checked frame-exactly by the snapshot test.) The program runs its own clock, so
every check polls instead of relying on tight timings."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

CELL = 200
GRID = 3 * CELL


def cell_pixels(image, origin, k, step=2):
    """Cell k's pixels without its one-pixel rim, which multisampling shares with the
    neighbours."""
    x0, y0 = origin[0] + CELL * (k % 3), origin[1] + CELL * (k // 3)
    return [image.pixel(x, y) for y in range(y0 + 1, y0 + CELL - 1, step)
            for x in range(x0 + 1, x0 + CELL - 1, step)]


def highlighted(image, origin):
    """The cells that show the highlight, and those filled by their shape so that it cannot
    be told. Without the highlight the background is pure black; the highlight adds the same
    grey (25..76) to every pixel, so no pure black is left and the background turns grey."""
    lit, full = [], []
    for k in range(9):
        pixels = cell_pixels(image, origin, k)
        if (0, 0, 0) not in pixels:
            grey = sum(1 for r, g, b in pixels if r == g == b and 20 <= r <= 80)
            (lit if grey >= 20 else full).append(k)
    return lit, full


def cell_hue(image, origin, k):
    """The mean chromaticity (r, g) / (r + g + b) of the cell's lit, unsaturated pixels:
    lighting scales a colour, so this is the material's whatever the shape's turn. None when
    too few pixels can be measured."""
    px = [p for p in cell_pixels(image, origin, k) if 40 < max(p) < 230]
    return tuple(sum(p[i] / sum(p) for p in px) / len(px) for i in (0, 1)) if len(px) >= 30 \
        else None


class SceneGridTest(unittest.TestCase):
    def test_grid_is_centred_and_lights_the_hovered_cell(self):
        # conf.txt, grid origin in the client area, then pointer positions with the cells that
        # must light up: edges included, nothing outside the grid.
        cases = [
            (None, (100, 0), [((100, 0), [0]), ((699, 599), [8]), ((100, 200), [3]),
                              ((99, 300), []), ((700, 10), [])]),
            ("1 1024 768", (212, 84), [((412, 84), [1]), ((211, 84), [])]),
        ]
        for conf, (left, top), hovers in cases:
            with self.subTest(conf=conf), harness.Session() as s:
                window = s.start_main(conf)
                x, y, width, height = s.geometry(window)
                s.move(x + width + 50, y + height + 50)  # the pointer off the window

                def grid_shown():
                    image = s.screenshot(window)
                    shown = all(sum(max(p) > 40 for p in cell_pixels(image, (left, top), k, 4))
                                > 20 for k in range(9))
                    return image if shown and not highlighted(image, (left, top))[0] else None
                image = harness.wait_for(grid_shown, 60, "no lit shape in every cell")
                # The back buffer is multisampled and quads put pixel centres on integer
                # coordinates, so the edge cells partly cover the column just right of the
                # grid and the row just below it; beyond that seam nothing is ever drawn.
                drawn = [(px, py) for py in range(0, height, 3) for px in range(0, width, 3)
                         if not (left <= px <= left + GRID and top <= py <= top + GRID)
                         and image.pixel(px, py) != (0, 0, 0)]
                self.assertEqual(drawn[:10], [], "drawn outside the grid")

                for (px, py), expected in hovers:
                    s.move_in(window, px, py)

                    def settled():
                        lit, full = highlighted(s.screenshot(window), (left, top))
                        # A cell filled by its shape cannot show whether it is lit.
                        return lit == expected or (lit == [] and len(expected) == 1
                                                   and expected[0] in full)
                    harness.wait_for(settled, 20, f"highlight at {px}, {py} never on {expected}")
                s.key(window, "Escape")
                self.assertEqual(s.wait_exit(20), 0)
                s.check_sanitizers()

    def test_clicks_give_every_cell_a_new_colour_again_after_the_cooldown(self):
        origin = (100, 0)
        with harness.Session() as s:
            window = s.start_main()

            def hues():
                s.move_in(window, 50, 300)  # off the grid: no highlight
                time.sleep(0.3)
                image = s.screenshot(window)
                values = [cell_hue(image, origin, k) for k in range(9)]
                return values if sum(v is not None for v in values) >= 5 else None

            def lit(k):
                return k in highlighted(s.screenshot(window), origin)[0]

            def click():
                # Holds the button over a cell until its highlight goes, as the cooldown of a
                # taken click makes it: input is polled once a frame, so a short click could
                # fall between two frames. A cell filled by its shape shows no highlight.
                for k in (6, 0, 2, 8, 4, 3, 5, 1, 7):
                    s.move_in(window, origin[0] + CELL * (k % 3) + CELL // 2,
                              origin[1] + CELL * (k // 3) + CELL // 2)
                    try:
                        harness.wait_for(lambda: lit(k), 10, "no highlight")
                    except harness.HarnessError:
                        continue
                    s.button(down=True)
                    try:
                        harness.wait_for(lambda: not lit(k), 20, "the click was never taken")
                    finally:
                        s.button(down=False)
                    return
                self.fail("no cell shows its highlight")

            def changed(a, b):  # a colour that cannot be measured is given the benefit of doubt
                return a is None or b is None or max(abs(a[0] - b[0]), abs(a[1] - b[1])) > 0.006

            # Every click must be taken, the later ones after the cooldown. A cell whose new
            # random colour happens to match its old one gets more chances.
            before = harness.wait_for(hues, 60, "too few cells whose colour can be measured")
            unchanged = set(range(9))
            for _ in range(3):
                click()
                after = harness.wait_for(hues, 20, "too few cells whose colour can be measured")
                unchanged = {k for k in unchanged if not changed(before[k], after[k])}
                before = after
            self.assertEqual(unchanged, set(), "cells that kept their colour")
            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(20), 0)
            s.check_sanitizers()


if __name__ == "__main__":
    unittest.main(verbosity=2)
