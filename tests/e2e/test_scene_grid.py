#!/usr/bin/env python3
"""The grid as a user sees it: nine lit shapes centred in the window with
black around them, the highlight under the real pointer, and a real click
breeding a new generation. (The cooldown is checked frame-exactly by the
snapshot test.)

The program runs its own clock, so every check waits and retries instead of
relying on tight timings."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

CELL = 200
GRID = 3 * CELL


def grid_origin(width, height):
    # C++ integer division truncates toward zero.
    return int((width - GRID) / 2), int((height - GRID) / 2)


def cell_origin(origin, k):
    return origin[0] + CELL * (k % 3), origin[1] + CELL * (k // 3)


def cell_state(image, origin, k, step=2):
    """"lit" when cell k carries the highlight, "dark" when it does not, and
    "full" when its shape fills it so that no background is left to tell.
    Without the highlight the background is pure black; the highlight adds
    the same grey (25..76) to every pixel, so no pure black is left and the
    background turns neutral grey. The cell's one-pixel rim is left out:
    multisampling shares it with the neighbours."""
    x, y = cell_origin(origin, k)
    grey = 0
    for yy in range(y + 1, y + CELL - 1, step):
        for xx in range(x + 1, x + CELL - 1, step):
            r, g, b = image.pixel(xx, yy)
            if r == g == b:
                if r == 0:
                    return "dark"
                if 20 <= r <= 80:
                    grey += 1
    return "lit" if grey >= 20 else "full"


def lit_count(image, origin, k, step=4):
    x, y = cell_origin(origin, k)
    return sum(1 for yy in range(y, y + CELL, step) for xx in range(x, x + CELL, step)
               if max(image.pixel(xx, yy)) > 40)


def cell_hue(image, origin, k, step=2):
    """The mean chromaticity (r, g) / (r + g + b) of the cell's lit, unsaturated
    pixels: lighting scales a colour, so this is the colour of the material
    whatever the shape's turn. None when too few pixels can be measured."""
    x, y = cell_origin(origin, k)
    rs = gs = 0.0
    n = 0
    for yy in range(y, y + CELL, step):
        for xx in range(x, x + CELL, step):
            r, g, b = image.pixel(xx, yy)
            if 40 < max(r, g, b) < 230:
                total = r + g + b
                rs += r / total
                gs += g / total
                n += 1
    return (rs / n, gs / n) if n >= 30 else None


def hue_changed(before, after, threshold=0.006):
    if before is None or after is None:
        return True  # cannot be measured: give the cell the benefit of the doubt
    return max(abs(before[0] - after[0]), abs(before[1] - after[1])) > threshold


def wait_for(predicate, timeout, what, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise harness.HarnessError(f"{what} within {timeout} s")
        time.sleep(interval)


class SceneGridTest(unittest.TestCase):
    def start(self, session, conf=None):
        session.start(conf=conf)
        session.answer_question(yes=False)
        return session.main_window()

    def wait_grid(self, session, window, origin):
        def all_cells_lit():
            image = session.screenshot(window)
            return image if all(lit_count(image, origin, k) > 20 for k in range(9)) else None
        return wait_for(all_cells_lit, 60, "no lit shape in every cell")

    def check_grid_placement(self, session, window, width, height):
        x, y, w, h, _ = session.geometry(window)
        self.assertEqual((w, h), (width, height))
        origin = grid_origin(width, height)
        session.move(x + w + 50, y + h + 50)  # the pointer off the window
        self.wait_grid(session, window, origin)
        self.wait_hover(session, window, origin, [])
        image = session.screenshot(window)
        left, top = origin
        # The back buffer is multisampled and quads put pixel centres on
        # integer coordinates, so the edge cells partly cover the column just
        # right of the grid and the row just below it; beyond that one-pixel
        # seam nothing is ever drawn.
        for yy in range(0, height, 3):
            for xx in list(range(0, left, 3)) + list(range(left + GRID + 1, width, 3)):
                self.assertEqual(image.pixel(xx, yy), (0, 0, 0), (xx, yy))
        for xx in range(left, left + GRID, 3):
            for yy in list(range(0, top, 3)) + list(range(top + GRID + 1, height, 3)):
                self.assertEqual(image.pixel(xx, yy), (0, 0, 0), (xx, yy))
        for k in range(9):
            self.assertNotEqual(cell_state(image, origin, k), "lit", f"cell {k}")
        return origin

    def wait_hover(self, session, window, origin, expected):
        def settled():
            image = session.screenshot(window)
            lit = [k for k in range(9) if cell_state(image, origin, k) == "lit"]
            if lit == expected:
                return True
            # A cell filled by its shape cannot show whether it is lit.
            return (len(expected) == 1 and lit == []
                    and cell_state(image, origin, expected[0]) == "full")
        wait_for(settled, 20, f"highlighted cells never became {expected}")

    def test_grid_is_centred_and_lights_the_hovered_cell(self):
        # conf.txt, client size, grid origin, then pointer positions in the
        # client area with the cells that must light up: edges included,
        # nothing outside the grid.
        cases = [
            (None, (800, 600), (100, 0), [((100, 0), [0]), ((699, 599), [8]),
                                          ((100, 200), [3]), ((99, 300), []),
                                          ((700, 10), [])]),
            ("1 1024 768", (1024, 768), (212, 84), [((412, 84), [1]), ((211, 84), [])]),
        ]
        for conf, size, expected_origin, hovers in cases:
            with self.subTest(conf=conf), harness.Session() as s:
                window = self.start(s, conf)
                origin = self.check_grid_placement(s, window, *size)
                self.assertEqual(origin, expected_origin)
                for (px, py), lit in hovers:
                    s.move_in(window, px, py)
                    self.wait_hover(s, window, origin, lit)
                s.key(window, "Escape")
                self.assertEqual(s.wait_exit(timeout=20), 0)
                s.check_sanitizers()

    def test_click_breeds_a_new_generation(self):
        with harness.Session() as s:
            window = self.start(s)
            origin = grid_origin(800, 600)
            self.wait_grid(s, window, origin)

            def hues():
                s.move_in(window, 50, 300)  # off the grid: no highlight
                time.sleep(0.3)
                image = s.screenshot(window)
                return [cell_hue(image, origin, k) for k in range(9)]

            def click_a_lit_cell():
                # Hold the button over a cell whose highlight shows until the
                # highlight goes: input is polled once a frame, so a short
                # click could fall between two frames.
                for k in (6, 0, 2, 8, 4, 3, 5, 1, 7):
                    x, y = cell_origin(origin, k)
                    s.move_in(window, x + CELL // 2, y + CELL // 2)
                    try:
                        self.wait_hover(s, window, origin, [k])
                    except harness.HarnessError:
                        continue
                    if cell_state(s.screenshot(window), origin, k) != "lit":
                        continue
                    s.button_down()
                    try:
                        wait_for(lambda: cell_state(s.screenshot(window), origin, k) != "lit",
                                 20, "the click was never taken")
                    finally:
                        s.button_up()
                    return
                self.fail("no cell shows its highlight")

            # Every cell gets a new colour; a cell whose new random colour
            # happens to match its old one gets one more chance. After the
            # cooldown a click is taken again.
            before = hues()
            self.assertGreaterEqual(sum(h is not None for h in before), 5,
                                    "too few cells whose colour can be measured")
            unchanged = set(range(9))
            for _ in range(3):
                click_a_lit_cell()
                after = hues()
                unchanged = {c for c in unchanged if not hue_changed(before[c], after[c])}
                if not unchanged:
                    break
                before = after
            self.assertEqual(unchanged, set(), "cells that kept their colour")

            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(timeout=20), 0)
            s.check_sanitizers()


if __name__ == "__main__":
    unittest.main(verbosity=2)
