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
    def test_window_follows_conf_txt_and_escape_ends_it(self):
        # conf.txt (its parsing is unit-tested), the answer to the full-screen question (No
        # keeps the window), client size
        cases = [(None, False, 800, 600), ("1 1024 768", False, 1024, 768),
                 ("1 640 480", True, 640, 480)]
        with harness.Session() as s:
            for conf, yes, width, height in cases:
                with self.subTest(conf=conf, yes=yes):
                    # Finds the question and the main window by their exact titles.
                    window = s.start_main(conf, yes)
                    time.sleep(0.5)  # a few frames
                    self.assertTrue(s.alive() and s.viewable(window), s.output())
                    self.assertEqual(s.geometry(window)[2:], (width, height))
                    s.key(window, "Escape")
                    harness.wait_for(lambda: not s.viewable(window), QUIT_SECONDS,
                                     "Escape did not close the window", interval=0.02)
                    self.assertEqual(s.wait_exit(15), 0)
                    s.check_sanitizers()

    def test_close_request_ends_with_status_zero(self):
        with harness.Session() as s:
            window = s.start_main()
            time.sleep(0.5)
            s.close_window(window)
            self.assertEqual(s.wait_exit(15), 0)
            s.check_sanitizers()

    def test_without_a_display_the_failure_is_printed_and_status_is_zero(self):
        with harness.Session() as s:
            s.start(conf="1 800 600", display=False)
            self.assertEqual(s.wait_exit(15), 0)
            out = s.output()
            self.assertIn("tessary: cannot open a display", out)
            self.assertIn(harness.INIT_FAILED_TEXT, out)
            self.assertNotIn(harness.QUESTION_TEXT, out)
            s.check_sanitizers()

    def test_a_size_the_platform_cannot_provide_ends_in_the_failure_box(self):
        with harness.Session() as s:
            for conf in ("1 100000 100000", "1 -5 0"):
                with self.subTest(conf=conf):
                    s.start(conf)
                    s.key(s.find_window("Error"), "Return")
                    self.assertEqual(s.wait_exit(15), 0)
                    s.check_sanitizers()


if __name__ == "__main__":
    unittest.main()
