"""The program as the user starts and ends it: the full-screen question, the window's title
and client size for several conf.txt files, the ways out, and configurations or machines
where it cannot start. Every way out ends with status 0."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# Escape must close the window within about the second a user would notice. The process
# itself then gets the usual exit timeout: the sanitizer build's teardown (its leak scan) adds
# a second or more on a loaded machine.
QUIT_SECONDS = 2.0


class App(unittest.TestCase):
    def test_a_size_it_cannot_provide_or_no_display_ends_in_the_failure_message(self):
        with harness.Session() as s:
            s.start(conf="1 800 600", display=False)
            self.assertEqual(s.wait_exit(15), 0)
            out = s.output()
            self.assertIn("tessary: cannot open a display", out)
            self.assertIn(harness.INIT_FAILED_TEXT, out)
            self.assertNotIn(harness.QUESTION_TEXT, out)
            s.check_sanitizers()
            for conf in ("1 100000 100000", "1 -5 0"):
                with self.subTest(conf=conf):
                    s.start(conf)
                    s.key(s.find_window("Error"), "Return")
                    self.assertEqual(s.wait_exit(15), 0)
                    s.check_sanitizers()

    def test_window_follows_conf_txt_and_escape_or_a_close_request_ends_it(self):
        # conf.txt (its parsing is unit-tested), the answer to the full-screen question (No
        # keeps the window), client size, and the way out
        cases = [(None, False, 800, 600, "Escape"), ("1 1024 768", False, 1024, 768, "close"),
                 ("1 640 480", True, 640, 480, "Escape")]
        with harness.Session() as s:
            for conf, yes, width, height, way_out in cases:
                with self.subTest(conf=conf, yes=yes):
                    # Finds the question and the main window by their exact titles.
                    window = s.start_main(conf, yes)
                    time.sleep(0.5)  # a few frames
                    self.assertTrue(s.alive() and s.viewable(window), s.output())
                    self.assertEqual(s.geometry(window)[2:], (width, height))
                    if way_out == "close":
                        s.close_window(window)
                    else:
                        s.key(window, "Escape")
                        harness.wait_for(lambda: not s.viewable(window), QUIT_SECONDS,
                                         "Escape did not close the window", interval=0.02)
                    self.assertEqual(s.wait_exit(15), 0)
                    s.check_sanitizers()


if __name__ == "__main__":
    unittest.main()
