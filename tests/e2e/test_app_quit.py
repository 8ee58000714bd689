"""Ways out: Escape, the window manager's close request, a termination
signal, and a machine without a display. Every way ends with status 0."""

import os
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# Escape must end the program promptly; the sanitizer build's teardown is
# included, so allow some room over the second a user would notice.
QUIT_SECONDS = 2.0


class Quit(unittest.TestCase):
    def running(self, session, conf=None):
        session.start(conf=conf)
        session.answer_question(yes=False)
        window = session.main_window()
        time.sleep(0.5)  # a few frames
        self.assertTrue(session.alive(), session.stderr())
        return window

    def test_escape_ends_with_status_zero_within_a_second_or_so(self):
        with harness.Session() as s:
            window = self.running(s)
            started = time.monotonic()
            s.key(window, "Escape")
            self.assertEqual(s.wait_exit(timeout=15), 0)
            self.assertLess(time.monotonic() - started, QUIT_SECONDS)
            s.check_sanitizers()

    def test_escape_held_down_ends_it_too(self):
        with harness.Session() as s:
            window = self.running(s)
            s.key_down(window, "Escape")
            try:
                self.assertEqual(s.wait_exit(timeout=15), 0)
            finally:
                s.key_up(window, "Escape")
            s.check_sanitizers()

    def test_close_request_ends_with_status_zero(self):
        with harness.Session() as s:
            window = self.running(s)
            s.close_window(window)
            self.assertEqual(s.wait_exit(timeout=15), 0)
            s.check_sanitizers()

    def test_termination_signal_is_a_close_request(self):
        with harness.Session() as s:
            for signum in (signal.SIGTERM, signal.SIGINT):
                with self.subTest(signal=signum):
                    self.running(s)
                    s.signal(signum)
                    self.assertEqual(s.wait_exit(timeout=15), 0)
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
