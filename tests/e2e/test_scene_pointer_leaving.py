#!/usr/bin/env python3
"""The pointer leaving the window over the grid: in the default 800 x 600 window the grid
touches the top and the bottom edge, so a pointer that leaves there goes straight from a cell
to outside the window, and the cell it left must not stay lit."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from grid import CELL, ORIGIN_800X600 as ORIGIN, highlighted  # noqa: E402


class ScenePointerLeavingTest(unittest.TestCase):
    def test_leaving_through_the_top_or_bottom_edge_leaves_no_cell_lit(self):
        with harness.Session() as s:
            window = s.start_main()
            _, _, _, height = s.geometry(window)
            self.assertEqual(height, 600)
            harness.wait_for(lambda: max(s.screenshot(window).data) > 40,
                             60, "nothing drawn")
            # Per edge: the row's cells, a client y inside that row by the edge, and one just
            # past the edge.
            for edge, row, inside, outside in (("top", 0, 10, -20),
                                               ("bottom", 2, height - 10, height + 20)):
                with self.subTest(edge=edge):
                    cell = self.light_a_cell(s, window, row, inside)
                    x = ORIGIN[0] + CELL * (cell % 3) + CELL // 2
                    s.move_in(window, x, outside)

                    def unlit():
                        lit, full = highlighted(s.screenshot(window), ORIGIN)
                        # A cell filled by its shape cannot show whether it is lit.
                        return lit == [] and cell not in full
                    harness.wait_for(unlit, 10, f"cell {cell} still lit with the pointer "
                                                f"{-outside if outside < 0 else outside - height}"
                                                f" px past the {edge} edge")
            s.quit_with_escape(window)

    def light_a_cell(self, s, window, row, y):
        """Puts the pointer at client height y over a cell of the row whose highlight can be
        seen, and returns that cell."""
        for cell in (3 * row + 1, 3 * row, 3 * row + 2):
            s.move_in(window, ORIGIN[0] + CELL * (cell % 3) + CELL // 2, y)
            try:
                harness.wait_for(lambda: highlighted(s.screenshot(window), ORIGIN)[0] == [cell],
                                 15, f"cell {cell} not lit")
                return cell
            except harness.HarnessError:
                continue
        self.fail(f"no cell of row {row} shows its highlight")


if __name__ == "__main__":
    harness.main()
