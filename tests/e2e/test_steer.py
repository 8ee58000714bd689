#!/usr/bin/env python3
"""Steering the breeding in the real viewer: the rate keys and L are kept in the journal
in the order pressed, a locked cell is not bred (its genome, as tessary-snapshot replays
the journal, is the same after the click), resuming brings back the lock's frame and the
rates, and the help that '?' shows goes with the next key, which does nothing else."""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import harness  # noqa: E402

SNAPSHOT = os.path.join(os.environ.get("TESSARY_BUILD_DIR", ""), "tessary-snapshot")
HEADER = "tessary-journal 1\nseed 4321\nrates 10 50\n"
LOCK_FRAME = ((400, 201), (255, 160, 0))  # in the top bar of cell 4's frame, amber
HELP_EDGE = (300, 100, (90, 90, 90))  # row, and the margin left of the grid the panel's edge is in


class SteerTest(unittest.TestCase):
    def test_rates_and_locks_are_kept_and_the_help_has_no_side_effects(self):
        if not os.path.exists(SNAPSHOT):
            self.skipTest("tessary-snapshot is not built in $TESSARY_BUILD_DIR")
        with harness.Session() as s:
            journal = os.path.join(s.workdir, "session.txt")

            def text():
                with open(journal, encoding="utf-8") as f:
                    return f.read()

            def wait(what, done):
                harness.wait_for(done, 30, what)

            def shows(window, at_colour):
                return s.screenshot(window).pixel(*at_colour[0]) == at_colour[1]

            def help_shown(window):
                row, margin, edge = HELP_EDGE
                shot = s.screenshot(window)
                return any(shot.pixel(x, row) == edge for x in range(margin))

            window = s.start_main(args=("--journal", "session.txt", "--seed", "4321"))
            grid.wait_hues(s, window)
            for key in ("Up", "Up", "Left"):
                s.key(window, key)
            s.move_in(window, 400, 300)
            s.key(window, "l")
            steered = "rates 15 50\nrates 20 50\nrates 20 45\nlock 4\n"
            wait("the rates and the lock were not kept", lambda: text().endswith(steered))
            clicked = grid.click(s, window, order=(0, 6, 2, 8, 3, 5, 1, 7))
            wait("the click was not kept", lambda: text().endswith(f"click {clicked}\n"))
            s.quit_with_escape(window)
            self.assertEqual(text(), HEADER + steered + f"click {clicked}\n")
            before, after = (self.genomes(s, journal, g) for g in ("0", "1"))
            self.assertEqual(before[4], after[4], "the locked cell was bred")
            self.assertNotEqual(before, after)

            # Resumed: the frame is back, and the next step starts from the kept rates.
            window = s.start_main(args=("--journal", "session.txt"))
            wait("the locked cell shows no frame", lambda: shows(window, LOCK_FRAME))
            s.key(window, "Up")
            wait("the rates were not restored", lambda: text().endswith("rates 25 45\n"))
            s.key(window, "question", shift=True)
            wait("? shows no help", lambda: help_shown(window))
            s.key(window, "Right")
            wait("a key did not hide the help", lambda: not help_shown(window))
            s.quit_with_escape(window)
            self.assertTrue(text().endswith("rates 25 45\n"), "the key that hid the help did more")

    def genomes(self, s, journal, generation):
        listing = os.path.join(s.workdir, "genomes.txt")
        result = subprocess.run([SNAPSHOT, "--journal", journal, "--generation", generation,
                                 "--out", os.path.join(s.workdir, "shot.png"), "--genomes",
                                 listing], env=s.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(listing, encoding="utf-8") as f:
            return f.read().splitlines()


if __name__ == "__main__":
    harness.main()
