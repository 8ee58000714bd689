#!/usr/bin/env python3
"""Steering the breeding in the real viewer: the rate keys and L are kept in the journal
in the order they were pressed, a locked cell is not bred (its genome, as tessary-snapshot
replays the journal, is the same after the click), resuming brings back the lock's frame
and the rates, and F1's help goes with the next key, which does nothing else."""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import harness  # noqa: E402

SNAPSHOT = os.path.join(os.environ.get("TESSARY_BUILD_DIR", ""), "tessary-snapshot")
HEADER = "tessary-journal 1\nseed 4321\nrates 10 50\n"
AMBER = (255, 160, 0)
LOCK_FRAME_OF_CELL_4 = (400, 201)  # in the frame's top bar (cell 4 spans 300..499, 200..399)
HELP_PANEL_EDGE = (81, 300)        # the help panel's left edge, at 800 x 600


class SteerTest(unittest.TestCase):
    def test_rates_and_locks_are_kept_and_the_help_has_no_side_effects(self):
        if not os.path.exists(SNAPSHOT):
            self.skipTest("tessary-snapshot is not built in $TESSARY_BUILD_DIR")
        with harness.Session() as s:
            journal = os.path.join(s.workdir, "session.txt")

            def text():
                with open(journal, encoding="utf-8") as f:
                    return f.read()

            def wait_text(ending, what):
                harness.wait_for(lambda: text().endswith(ending), 30, what)

            def pixel(window, at):
                return s.screenshot(window).pixel(*at)

            window = s.start_main(args=("--journal", "session.txt", "--seed", "4321"))
            grid.wait_hues(s, window)
            for key in ("Up", "Up", "Left"):
                s.key(window, key)
            s.move_in(window, 400, 300)
            s.key(window, "l")
            steered = "rates 15 50\nrates 20 50\nrates 20 45\nlock 4\n"
            wait_text(steered, "the rates and the lock were not kept")
            clicked = grid.click(s, window, order=(0, 6, 2, 8, 3, 5, 1, 7))
            wait_text(f"click {clicked}\n", "the click was not kept")
            s.quit_with_escape(window)
            self.assertEqual(text(), HEADER + steered + f"click {clicked}\n")

            genomes = [self.genomes(s, journal, generation) for generation in ("0", "1")]
            self.assertEqual(genomes[0][4], genomes[1][4], "the locked cell was bred")
            self.assertNotEqual(genomes[0], genomes[1])

            # Resumed: the frame is back, and the next step starts from the kept rates.
            window = s.start_main(args=("--journal", "session.txt"))
            harness.wait_for(lambda: pixel(window, LOCK_FRAME_OF_CELL_4) == AMBER, 30,
                             "the locked cell shows no frame")
            s.key(window, "Up")
            wait_text("rates 25 45\n", "the rates were not restored")

            # The help shows on F1; the next key only takes it away.
            s.key(window, "F1")
            harness.wait_for(lambda: pixel(window, HELP_PANEL_EDGE) == (90, 90, 90), 30,
                             "F1 shows no help")
            s.key(window, "Right")
            harness.wait_for(lambda: pixel(window, HELP_PANEL_EDGE) != (90, 90, 90), 30,
                             "a key did not hide the help")
            s.quit_with_escape(window)
            self.assertTrue(text().endswith(f"click {clicked}\nrates 25 45\n"),
                            "the key that hid the help stepped a rate")

    def genomes(self, s, journal, generation):
        out, listing = (os.path.join(s.workdir, name) for name in ("shot.png", "genomes.txt"))
        result = subprocess.run([SNAPSHOT, "--journal", journal, "--generation", generation,
                                 "--out", out, "--genomes", listing], env=s.env,
                                capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(listing, encoding="utf-8") as f:
            return f.read().splitlines()


if __name__ == "__main__":
    harness.main()
