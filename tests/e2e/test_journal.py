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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import failsync  # noqa: E402

HEADER = "tessary-journal 1\nseed 4321\nrates 10 50\n"


def same_generation(a, b):
    return sum(1 for x, y in zip(a, b) if not grid.hue_changed(x, y)) >= 8


def cooled(session, window, cell):
    """Waits until the clicked cell lights again: the click's cooldown, which Backspace
    waits out too, is over however slowly the frames come. A cell its new shape fills shows
    no highlight to see; then a generous pause stands in."""
    def state():
        lit, filled = grid.highlighted(session.screenshot(window), grid.ORIGIN_800X600)
        return "lit" if cell in lit else "filled" if cell in filled else None
    time.sleep(1.5)
    if harness.wait_for(state, 30, "the click's cooldown did not end") == "filled":
        time.sleep(3)


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

    def test_records_are_synced_as_taken_and_a_failing_sync_is_said_once(self):
        with harness.Session() as s:
            work = os.path.realpath(s.workdir)
            journal = os.path.join(work, "session.txt")
            log = os.path.join(work, "sync.log")
            plain = s.env

            # A new journal: its header is written and synced under a scratch name, which is
            # then linked to the journal's name, and the folder synced after that.
            s.env = failsync.environment(plain, log=log)
            s.quit_with_escape(s.start_main(args=("--journal", journal, "--seed", "4321")))
            entries = failsync.read_log(log)
            links = [i for i, line in enumerate(entries) if line[0] == "link"]
            self.assertEqual(len(links), 1, entries)
            scratch = entries[links[0]][1]
            self.assertEqual(entries[links[0]][2], journal)
            write = entries.index(["write", scratch])
            synced = [i for i, line in enumerate(entries) if line in failsync.syncs_of(scratch)]
            self.assertTrue(synced and write < synced[0] < links[0], entries)
            self.assertIn(["fsync", work], entries[links[0]:])

            # Resumed: each record is written and synced before anything else is written.
            os.remove(log)
            window = s.start_main(args=("--journal", journal))
            grid.wait_hues(s, window)
            cooled(s, window, grid.click(s, window))
            s.key(window, "BackSpace")
            harness.wait_for(lambda: s.read("session.txt").endswith("undo\n"), 20, "no undo")
            s.quit_with_escape(window)
            ours = [line for line in failsync.read_log(log) if journal in line]
            self.assertEqual(ours, [["write", journal], ["fdatasync", journal]] * 2)

            # A sync that fails is said once, and nothing more is written to the file.
            s.env = failsync.environment(plain, fail_from=1, match="session.txt")
            before = s.read("session.txt")
            window = s.start_main(args=("--journal", journal))
            grid.wait_hues(s, window)
            cooled(s, window, grid.click(s, window))
            s.key(window, "BackSpace")
            harness.wait_for(lambda: s.output().count("cannot write the journal") == 1, 20,
                             "the failed sync was not said")
            time.sleep(2)  # room for an undo to be taken, and wrongly written
            s.quit_with_escape(window)
            self.assertEqual(s.output().count("cannot write the journal"), 1)
            self.assertIn("Input/output error", s.output())
            after = s.read("session.txt")
            self.assertTrue(after.startswith(before) and "undo" not in after[len(before):], after)
            s.env = plain

    def test_the_command_line_is_answered_before_any_window(self):
        cases = [  # (arguments, journal text or None, exit status, what the output must say)
            (("--help",), None, 0, "--journal FILE"),
            (("--version",), None, 0, "tessary "),
            (("--seed", "x"), None, 2, "--seed"),
            (("--seed", "0x10"), None, 2, "not a whole number"),
            (("--journal", "/dev/zero"), None, 2, "not a regular file"),
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
