#!/usr/bin/env python3
"""The grid as a user sees it: nine lit shapes centred in the window with black around
them, the highlight under the real pointer, and no cell left lit by a pointer that leaves the
window straight from it (in the default 800 x 600 window the grid touches the top and the
bottom edge). (Real clicks breeding are checked by test_journal.py, the cooldown tick by
tick by SceneRender_test.) The program runs its own clock, so every check polls instead of
relying on tight timings."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from grid import CELL, GRID, cell_pixels, highlighted  # noqa: E402


class SceneGridTest(unittest.TestCase):
    def test_grid_is_centred_and_lights_the_hovered_cell_only(self):
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

                # A cell filled by its shape cannot show whether it is lit.
                def settled(expected):
                    lit, full = highlighted(s.screenshot(window), (left, top))
                    return lit == expected or (lit == [] and len(expected) == 1
                                               and expected[0] in full)

                def dark(cell):
                    lit, full = highlighted(s.screenshot(window), (left, top))
                    return lit == [] and cell not in full
                for (px, py), expected in hovers:
                    s.move_in(window, px, py)
                    harness.wait_for(lambda: settled(expected), 20,
                                     f"highlight at {px}, {py} never on {expected}")
                if top == 0:
                    # A client y in the row by the edge, and one just past the edge.
                    for row, inside, outside in ((0, 10, -20), (2, height - 10, height + 20)):
                        cell = self.light_a_cell(s, window, (left, top), row, inside)
                        s.move_in(window, left + CELL * (cell % 3) + CELL // 2, outside)
                        harness.wait_for(lambda: dark(cell), 10,
                                         f"cell {cell} still lit with the pointer at y {outside}")
                s.quit_with_escape(window)

    def light_a_cell(self, s, window, origin, row, y):
        """Puts the pointer at client height y over a cell of the row whose highlight can be
        seen, and returns that cell."""
        for cell in (3 * row + 1, 3 * row, 3 * row + 2):
            s.move_in(window, origin[0] + CELL * (cell % 3) + CELL // 2, y)
            try:
                harness.wait_for(lambda: highlighted(s.screenshot(window), origin)[0] == [cell],
                                 15, f"cell {cell} not lit")
                return cell
            except harness.HarnessError:
                continue
        self.fail(f"no cell of row {row} shows its highlight")


if __name__ == "__main__":
    unittest.main(verbosity=2)
