#!/usr/bin/env python3
"""The grid as a user sees it: nine lit shapes centred in the window, the
highlight under the pointer, a click breeding a new generation, the cooldown
after it, and the ways out (Escape, the close button).

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
    whatever the shape's turn."""
    x, y = cell_origin(origin, k)
    rs = gs = 0.0
    n = 0
    for yy in range(y, y + CELL, step):
        for xx in range(x, x + CELL, step):
            r, g, b = image.pixel(xx, yy)
            top = max(r, g, b)
            if 40 < top < 230:
                s = r + g + b
                rs += r / s
                gs += g / s
                n += 1
    if n < 30:
        return None
    return rs / n, gs / n


def hue_changed(before, after, unknown, threshold=0.006):
    """Whether two hues differ; `unknown` when either could not be measured
    (too few unsaturated pixels)."""
    if before is None or after is None:
        return unknown
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
        window = session.main_window()
        return window

    def move(self, session, x, y):
        """Moves the pointer to screen position x, y. xdotool's synchronous
        move waits for the pointer to move, which never happens when it is
        already there, so that case is skipped."""
        here = dict(part.split(":") for part in session.xdotool("getmouselocation").split()
                    if ":" in part)
        if (int(here["x"]), int(here["y"])) != (x, y):
            session.move(x, y)

    def move_in(self, session, window, x, y):
        left, top, _, _, _ = session.geometry(window)
        self.move(session, left + x, top + y)

    def shot(self, session, window):
        return session.screenshot(window)

    def wait_grid(self, session, window, origin):
        def all_cells_lit():
            image = self.shot(session, window)
            return image if all(lit_count(image, origin, k) > 20 for k in range(9)) else None
        return wait_for(all_cells_lit, 60, "no lit shape in every cell")

    def check_grid_placement(self, session, window, width, height):
        x, y, w, h, _ = session.geometry(window)
        self.assertEqual((w, h), (width, height))
        origin = grid_origin(width, height)
        self.move(session, x + w + 50, y + h + 50)  # the pointer off the window
        self.wait_grid(session, window, origin)
        self.wait_hover(session, window, origin, [])
        image = self.shot(session, window)
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

    def hovered_cells(self, image, origin):
        return [k for k in range(9) if cell_state(image, origin, k) == "lit"]

    def wait_hover(self, session, window, origin, expected):
        def settled():
            image = self.shot(session, window)
            lit = self.hovered_cells(image, origin)
            if lit == expected:
                return True
            # A cell filled by its shape cannot show whether it is lit.
            return (len(expected) == 1 and lit == []
                    and cell_state(image, origin, expected[0]) == "full")
        wait_for(settled, 20, f"highlighted cells never became {expected}")

    def hues(self, session, window, origin):
        image = self.shot(session, window)
        return [cell_hue(image, origin, k) for k in range(9)]

    def press(self, session, hold=0.15):
        session.button_down()
        time.sleep(hold)
        session.button_up()

    def wait_lit(self, session, window, origin, k, timeout=20):
        wait_for(lambda: cell_state(self.shot(session, window), origin, k) == "lit", timeout,
                 f"cell {k} never lit up")

    def pick_cell(self, session, window, origin):
        """A cell whose highlight can be seen (its shape does not fill it),
        with the pointer left over its centre."""
        for k in (6, 0, 2, 8, 4, 3, 5, 1, 7):
            x, y = cell_origin(origin, k)
            self.move_in(session, window, x + CELL // 2, y + CELL // 2)
            try:
                self.wait_lit(session, window, origin, k, timeout=5)
                return k
            except harness.HarnessError:
                continue
        self.fail("no cell shows its highlight")

    def press_until_bred(self, session, window, origin, k):
        """Holds the button over lit cell k until the highlight goes (the
        click was taken and the cooldown runs). Input is polled once a frame,
        so a short click could fall between two frames. Returns the time the
        press began and the picture that showed the highlight gone."""
        started = time.monotonic()
        session.button_down()
        try:
            image = wait_for(lambda: (lambda i: i if cell_state(i, origin, k) != "lit" else None)(
                self.shot(session, window)), 20, "the click was never taken")
        finally:
            session.button_up()
        return started, image

    def test_grid_hover_click_and_cooldown(self):
        with harness.Session() as s:
            window = self.start(s)
            origin = self.check_grid_placement(s, window, 800, 600)
            self.assertEqual(origin, (100, 0))

            # The pointer over a cell lights that cell and no other, edges
            # included; outside the grid nothing lights up.
            for k, (px, py) in ((0, (100, 0)), (8, (699, 599)), (3, (100, 200))):
                self.move_in(s, window, px, py)
                self.wait_hover(s, window, origin, [k])
            for px, py in ((99, 300), (700, 10)):
                self.move_in(s, window, px, py)
                self.wait_hover(s, window, origin, [])

            # A click breeds: every cell gets a new colour. A cell whose new
            # random colour happens to match its old one is given one more
            # chance with the next click.
            before = self.hues(s, window, origin)
            unchanged = set(range(9))
            for attempt in range(2):
                k = self.pick_cell(s, window, origin)
                self.press_until_bred(s, window, origin, k)
                self.move_in(s, window, 50, 300)
                time.sleep(0.3)
                after = self.hues(s, window, origin)
                unchanged = {c for c in unchanged
                             if not hue_changed(before[c], after[c], unknown=True)}
                if not unchanged:
                    break
                before = after
            self.assertEqual(unchanged, set(), "cells that kept their colour")

            # Right after a click, hovering lights nothing and a second click
            # changes nothing. The cooldown lasts at least 60 ticks of 16 ms
            # from the frame that took the click, so whatever happens within
            # 0.85 s of the first press falls inside it; slower tries prove
            # nothing and are repeated.
            visit_order = [0, 3, 6, 1, 4, 7, 2, 5, 8]
            checked = False
            for attempt in range(10):
                k = self.pick_cell(s, window, origin)
                started, first = self.press_until_bred(s, window, origin, k)
                self.press(s, hold=0.1)
                second = self.shot(s, window)
                if time.monotonic() - started > 0.85:
                    continue
                self.assertNotEqual(cell_state(second, origin, k), "lit",
                                    "highlight during the cooldown")
                # The frame that took the click drew the cells visited after
                # k from the new generation already; compare those.
                later = visit_order[visit_order.index(k) + 1:]
                self.move_in(s, window, 50, 300)
                time.sleep(0.3)
                settled = self.shot(s, window)
                changed = [(c, cell_hue(first, origin, c), cell_hue(settled, origin, c))
                           for c in later]
                changed = [entry for entry in changed
                           if hue_changed(entry[1], entry[2], unknown=False)]
                self.assertEqual(changed, [], "a click during the cooldown bred")
                checked = True
                break
            self.assertTrue(checked, "could not click twice within the cooldown")

            # Once the cooldown has run out, the cell lights up again and a
            # click breeds again.
            k = self.pick_cell(s, window, origin)
            self.move_in(s, window, 50, 300)
            time.sleep(0.3)
            before = self.hues(s, window, origin)
            x, y = cell_origin(origin, k)
            self.move_in(s, window, x + CELL // 2, y + CELL // 2)
            self.wait_lit(s, window, origin, k)
            self.press_until_bred(s, window, origin, k)
            self.move_in(s, window, 50, 300)
            time.sleep(0.3)
            after = self.hues(s, window, origin)
            self.assertTrue(any(hue_changed(before[c], after[c], unknown=False)
                                for c in range(9)),
                            "a click after the cooldown bred nothing")

            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(timeout=20), 0)
            s.check_sanitizers()

    def test_close_button_ends_the_program(self):
        with harness.Session() as s:
            window = self.start(s)
            self.wait_grid(s, window, grid_origin(800, 600))
            s.close_window(window)
            self.assertEqual(s.wait_exit(timeout=20), 0)
            s.check_sanitizers()

    def test_configured_size_centres_the_grid(self):
        with harness.Session() as s:
            window = self.start(s, conf="1 1024 768")
            origin = self.check_grid_placement(s, window, 1024, 768)
            self.assertEqual(origin, (212, 84))
            self.move_in(s, window, 212 + 200, 84)
            self.wait_hover(s, window, origin, [1])
            self.move_in(s, window, 211, 84)
            self.wait_hover(s, window, origin, [])
            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(timeout=20), 0)
            s.check_sanitizers()


if __name__ == "__main__":
    unittest.main(verbosity=2)
