"""Ways out: Escape, the window manager's close request, and a machine
without a display. Every way ends with status 0."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# Escape must end the program promptly; the sanitizer build's teardown is
# included, so allow some room over the second a user would notice.
QUIT_SECONDS = 2.0


class Quit(unittest.TestCase):
    def test_escape_and_close_request_end_with_status_zero(self):
        for way in ("Escape", "close request"):
            with self.subTest(way=way), harness.Session() as s:
                s.start()
                s.answer_question(yes=False)
                window = s.main_window()
                time.sleep(0.5)  # a few frames
                self.assertTrue(s.alive(), s.stderr())
                started = time.monotonic()
                if way == "Escape":
                    s.key(window, "Escape")
                else:
                    s.close_window(window)
                self.assertEqual(s.wait_exit(timeout=15), 0)
                if way == "Escape":
                    self.assertLess(time.monotonic() - started, QUIT_SECONDS)
                s.check_sanitizers()

    def test_without_a_display_the_failure_is_printed_and_status_is_zero(self):
        with harness.Session() as s:
            s.start(conf="1 800 600", display=False)
            self.assertEqual(s.wait_exit(timeout=30), 0)
            err = s.stderr()
            self.assertIn("tessary: cannot open a display", err)
            self.assertIn(harness.INIT_FAILED_TEXT, err)
            self.assertNotIn(harness.QUESTION_TEXT, err)
            s.check_sanitizers()


if __name__ == "__main__":
    unittest.main()
