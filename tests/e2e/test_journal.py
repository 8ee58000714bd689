#!/usr/bin/env python3
"""Keeping a session: the real viewer writes every click it takes to its journal at once
(a kill -9 right after a click keeps it), resumes on the generation the journal leads to,
and goes back a generation on Backspace, appending "undo". The command line is answered
before any window: --help and --version with status 0, bad options and journals with
status 2, leaving the file as it was."""

import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import grid  # noqa: E402
import harness  # noqa: E402

HEADER = "tessary-journal 1\nseed 4321\nrates 10 50\n"


def same_generation(a, b):
    return sum(1 for x, y in zip(a, b) if not grid.hue_changed(x, y)) >= 8


class JournalTest(unittest.TestCase):
    def test_clicks_are_kept_resumed_and_undone(self):
        with harness.Session() as s:
            journal = os.path.join(s.workdir, "session.txt")

            def text():
                with open(journal, encoding="utf-8") as f:
                    return f.read()

            # A new journal: its header is written before the window opens; the click is on
            # disk as soon as it is taken, whatever happens to the program next.
            window = s.start_main(args=("--journal", "session.txt", "--seed", "4321"))
            self.assertEqual(text(), HEADER)
            start = grid.wait_hues(s, window)
            first = grid.click(s, window)
            s.proc.send_signal(signal.SIGKILL)
            s.proc.wait(timeout=10)
            self.assertEqual(text(), HEADER + f"click {first}\n")

            # Resumed, it shows the bred generation and keeps appending.
            window = s.start_main(args=("--journal", "session.txt"))
            bred = grid.wait_hues(s, window)
            self.assertFalse(same_generation(start, bred), "the resumed window shows generation 0")
            second = grid.click(s, window)
            harness.wait_for(lambda: not same_generation(bred, grid.hues(s, window) or []), 20,
                             "the second click bred nothing")
            time.sleep(1.5)  # the cooldown applies to Backspace too
            s.key(window, "BackSpace")
            harness.wait_for(lambda: text().endswith("undo\n"), 20, "Backspace wrote no undo")
            harness.wait_for(lambda: same_generation(bred, grid.hues(s, window) or []), 20,
                             "Backspace did not go back to the first generation")
            s.quit_with_escape(window)
            self.assertEqual(text(), HEADER + f"click {first}\nclick {second}\nundo\n")

            # After the undo, a resumed session is back on the first click's generation.
            window = s.start_main(args=("--journal", "session.txt"))
            self.assertTrue(same_generation(bred, grid.wait_hues(s, window)))
            s.quit_with_escape(window)

    def test_the_command_line_is_answered_before_any_window(self):
        cases = [  # (arguments, journal text or None, exit status, what the output must say)
            (("--help",), None, 0, "--journal FILE"),
            (("--version",), None, 0, "tessary "),
            (("--seed", "x"), None, 2, "--seed"),
            (("--frobnicate",), None, 2, "--frobnicate"),
            (("--journal", "j.txt"), "tessary-journal 1\nseed 1\nrates 10 50\nclick 9\n", 2,
             "line 4"),
            (("--journal", "j.txt", "--seed", "2"), HEADER, 2, "disagrees"),
        ]
        with harness.Session() as s:
            for args, journal, status, message in cases:
                with self.subTest(args=args):
                    path = os.path.join(s.workdir, "j.txt")
                    if journal is not None:
                        with open(path, "w", encoding="utf-8") as f:
                            f.write(journal)
                    s.start(args=args)
                    self.assertEqual(s.wait_exit(20), status)
                    self.assertIn(message, s.output())
                    self.assertNotIn('"Tessary(?)"', s.run("xwininfo", "-root", "-tree"))
                    if journal is not None:
                        with open(path, encoding="utf-8") as f:
                            self.assertEqual(f.read(), journal, "a bad journal was changed")
                        os.remove(path)


if __name__ == "__main__":
    unittest.main(verbosity=2)
