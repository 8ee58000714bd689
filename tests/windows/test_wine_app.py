#!/usr/bin/env python3
"""tessary.exe as a Windows user meets it, under Wine on Xvfb with Wine's own Direct3D 9:
the full-screen question (answered No), the window at the conf.txt size, nine lit shapes, a
cell lit under the pointer, a click that breeds and is written to the journal, a rate key and
the closer look, and Escape ending the program with status 0."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import grid  # noqa: E402
import harness  # noqa: E402

WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "with-wine.sh")


def lit_width(image, width=800, height=600):
    """The longest run of lit pixels along the window's middle row: less than a cell's 200
    in the grid with no cell lit under the pointer, about 380 for the closer look's shape."""
    run, best = 0, 0
    for x in range(0, width, 2):
        run = run + 2 if max(image.pixel(x, height // 2)) > 24 else 0
        best = max(best, run)
    return best


class WineApp(unittest.TestCase):
    def test_question_grid_click_journal_and_escape(self):
        exe = os.environ.get("TESSARY_EXE")
        if not exe:
            raise unittest.SkipTest("TESSARY_EXE is not set (run the tests through ctest)")
        with harness.Session() as s:
            s.start("1 800 600", program=WINE,
                    args=(exe, "--seed", "2", "--journal", "session.txt"))
            box = s.find_window(harness.QUESTION_TITLE, timeout=60)
            # Wine takes the mnemonic key as the button; no window manager is needed.
            s.run("xdotool", "key", "--window", str(box), "n")
            harness.wait_for(lambda: not s.viewable(box), 10, "the question is still shown")
            window = s.find_window(harness.MAIN_TITLE)
            self.assertEqual(s.geometry(window)[2:], (800, 600))
            start = grid.wait_hues(s, window)
            self.assertEqual(sum(h is not None for h in start), 9, "not nine lit shapes")
            clicked = grid.click(s, window)
            harness.wait_for(
                lambda: sum(grid.hue_changed(a, b) for a, b in
                            zip(start, grid.hues(s, window) or start)) >= 3,
                20, "the click bred no new generation")
            # grid.click holds the button until the highlight goes; Wine's slower screenshots
            # may hold it past the one-second cooldown, which takes the click again.
            with open(os.path.join(s.workdir, "session.txt"), encoding="utf-8") as f:
                header, _, clicks = f.read().partition("rates 10 50\n")
            self.assertEqual(header, "tessary-journal 1\nseed 2\n")
            self.assertRegex(clicks, f"^(click {clicked}\n)+$")

            # The steering and closer-look input arrives as the system's own messages: Up
            # steps the mutation rate (journalled), a right click opens the closer look, and
            # the Escape that closes it does not quit.
            s.key(window, "Up")
            harness.wait_for(lambda: "rates 15 50\n" in s.read("session.txt"), 20,
                             "Up did not step the mutation rate")
            s.move_in(window, 400, 300)
            s.run("xdotool", "click", "3")
            s.move_in(window, 50, 300)  # off the grid: no cell lit under the pointer
            harness.wait_for(lambda: lit_width(s.screenshot(window)) > 300, 20,
                             "a right click showed no closer look")
            s.key(window, "Escape")
            harness.wait_for(lambda: lit_width(s.screenshot(window)) < 300, 20,
                             "Escape did not close the closer look")
            self.assertTrue(s.alive(), "the Escape that closed the look quit")
            s.quit_with_escape(window, timeout=30)


if __name__ == "__main__":
    harness.main()
